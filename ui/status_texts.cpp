#include "ui/status_texts.h"

#include <iterator>

#include <wx/arrstr.h>
#include <wx/intl.h>

#include "document/revision_changes.h"

namespace {

// The message ids are the catalogue's keys: their spelling stays as it is.
const char* const signature_texts[] = {
    "Signatrue can not been verified",                                                  // -1
    "Signature is VALID",                                                               // 0
    "Signature is INVALID",                                                             // 1
    "There are errors in the formatting or information contained in this signature",    // 2
    "Unsupported Signatrue",                                                            // 3
    "File is MODIFIED since signed",                                                    // 4
    "File is not modified since signed",                                                // 5
    "File have no signatures",                                                          // 6
    "Signature have no certificates",                                                   // 7
    "Signature's certificate is not allowed by electronic seal",                       // 8
    "Electronic seal's signature is INVALID",                                           // 9
    "Electronic seal's identify is INVALID",                                            // 10
    "Signature is expired",                                                             // 11
    "Signature is added when certificate is invalid",                                   // 12
    "Signature is VALID",                                                               // 13: time from the signer's clock
    "There are errors in the formatting or information contained in this signature",    // 14
    "Unsupported algorithm",                                                            // 15
    "Signing operation is need",                                                        // 16
};

const char* const certificate_texts[] = {
    "The certificate is VALID",                          // 0
    "The certificate is INVALID",                        // 1
    "The certificate can not be verified",               // 2
    "The certificate's was Modified",                    // 3
    "The certificate's have no issuer",                  // 4
    "The certificate's signatrue is invalid",            // 5
    "The certificate is self signed",                    // 6
    "The certificate identity is NOT TRUSTED",           // 7
    "The certificate is not valid yet",                  // 8
    "The certificate is expired",                        // 9
    "The certificate is revoked",                        // 10
    "The certificate chain is broken",                   // 11
    "The certificate have invalid signature algorithm",  // 12
    "The certificate can not be verified",               // 13
    "The certificate can not be verified",               // 14
};

wxString translated(const char* id) { return wxGetTranslation(wxString::FromUTF8(id)); }

}  // namespace

wxString signature_status_text(int32_t sigerr) {
    const int32_t count = static_cast<int32_t>(std::size(signature_texts));
    // The table starts at code -1; the comparison comes before the shift so
    // that the largest code cannot overflow.
    const bool known = sigerr >= -1 && sigerr < count - 1;
    return translated(known ? signature_texts[sigerr + 1] : signature_texts[0]);
}

wxString certificate_status_text(int32_t certerr) {
    const int32_t count = static_cast<int32_t>(std::size(certificate_texts));
    return translated(certerr >= 0 && certerr < count ? certificate_texts[certerr] : certificate_texts[count - 1]);
}

wxString signature_summary_line(int32_t sigerr, int32_t certerr) {
    if (sigerr != 0 && sigerr != 13)
        return translated("Signature is INVALID") + translated(": ") + signature_status_text(sigerr);
    if (certerr != 0)
        return translated("Signature is INVALID") + translated(": ") + certificate_status_text(certerr);
    return translated("Signature is VALID");
}

wxString later_revisions_text(const revision_changes& later) {
    if (later.later_revisions <= 0) return wxString();
    wxArrayString parts;
    const int signatures = later.signatures_added - later.timestamps_added;
    if (signatures == 1) parts.Add(translated("1 signature added"));
    if (signatures > 1) parts.Add(wxString::Format(translated("%d signatures added"), signatures));
    if (later.timestamps_added == 1) parts.Add(translated("1 document time stamp added"));
    if (later.timestamps_added > 1)
        parts.Add(wxString::Format(translated("%d document time stamps added"), later.timestamps_added));
    if (later.empty_fields_added == 1) parts.Add(translated("1 empty signature field added"));
    if (later.empty_fields_added > 1)
        parts.Add(wxString::Format(translated("%d empty signature fields added"), later.empty_fields_added));
    if (later.validation_data) parts.Add(translated("validation data added"));
    if (later.form_filled) parts.Add(translated("form fields filled"));
    if (later.annotations_changed) parts.Add(translated("annotations changed"));
    if (later.other_changes) parts.Add(translated("content changed"));
    if (parts.empty()) return wxString();
    wxString text = translated("Later revisions: ");
    for (size_t i = 0; i < parts.size(); ++i) text += (i ? translated(", ") : wxString()) + parts[i];
    return text;
}
