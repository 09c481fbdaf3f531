#include "dialogs/cert_details.h"

#include <wx/intl.h>

#include "crypto/x509ui.h"

namespace {

wxString tr_id(const char* id) { return wxGetTranslation(wxString::FromUTF8(id)); }
wxString narrow(const std::string& text) { return wxString::FromUTF8(text); }
wxString name_of(const char* id, bool translated) { return translated ? tr_id(id) : wxString::FromUTF8(id); }

// Cuts the text before the last occurrence of the separator's first
// character, which drops the trailing separator (and anything after it).
wxString cut_last_separator(const wxString& text, const wxString& separator) {
    if (separator.empty()) return text;
    const size_t at = text.rfind(separator[0]);
    return at == wxString::npos ? text : text.substr(0, at);
}

}  // namespace

wxString eku_names_text(const std::vector<int32_t>& codes, bool translated) {
    static const char* const names[] = {"Server Authentication", "Client Authentication", "Code Signing",
                                        "Email Protection",      "Trusted Timestamping",  "OCSP Signing"};
    const wxString separator = translated ? tr_id(", ") : wxString(", ");
    wxString text;
    int appended = 0;
    for (int32_t code : codes) {
        if (code < 1 || code > 6) continue;
        if (code <= 4) {
            text += name_of(names[code - 1], translated) + separator;
            ++appended;
            continue;
        }
        if (appended >= 6) text += "  \n";
        text += name_of(names[code - 1], translated) + separator;
        ++appended;
    }
    return cut_last_separator(text, separator);
}

wxString key_usage_names_text(const wxString& key_usage, bool translated) {
    static const char* const first[] = {"Digital Signature", "Non Repudiation", "Key Encipherment",
                                        "Key Agreement",     "Certificate Sign", "CRL Sign"};
    static const char* const last[] = {"Encipher Only", "Decipher Only"};
    const wxString separator = translated ? tr_id(", ") : wxString(", ");
    const std::string source = key_usage.utf8_string();
    wxString text;
    int appended = 0;
    for (const char* name : first)
        if (source.find(name) != std::string::npos) {
            text += name_of(name, translated) + separator;
            ++appended;
        }
    if (appended >= 5) text += "\n  ";
    for (const char* name : last)
        if (source.find(name) != std::string::npos) text += name_of(name, translated) + separator;
    return cut_last_separator(text, separator);
}

std::vector<cert_detail_row> certificate_detail_rows(const x509ui& c) {
    std::vector<cert_detail_row> rows;
    auto add = [&](const char* id, const wxString& value, const wxString& short_text = wxString()) {
        rows.push_back({tr_id(id), value, short_text});
    };
    add("Version", narrow(c.version));
    add("Subject", wxString(c.subject_dn), wxString(c.subject_cn));
    if (!c.subject_alt_names.empty()) add("Subject Alternative Name", wxString(c.subject_alt_names));
    add("Issuer", wxString(c.issuer_dn), wxString(c.issuer_cn));
    add("Serial number", narrow(c.serial_hex));
    add("Signature algorithm", narrow(c.sig_alg));
    add("Valid from", narrow(c.not_before));
    add("Valid to", narrow(c.not_after));
    add("Public key", narrow(c.key_text));
    if (!c.key_usage.empty()) add("Key Usage", narrow(c.key_usage));
    if (!c.ext_key_usages.empty()) add("Enhanced Key Usage", eku_names_text(c.ext_key_usages, false));
    if (!c.basic_constraints.empty()) add("Basic Constraints", narrow(c.basic_constraints));
    if (!c.subject_key_id.empty()) add("Subject Key Identifier", narrow(c.subject_key_id));
    if (!c.authority_key_id.empty()) add("Authority Key Identifier", narrow(c.authority_key_id));
    if (!c.authority_info_access.empty()) add("Authority Information access", narrow(c.authority_info_access));
    if (!c.cert_policies.empty()) add("Certificate Policies", narrow(c.cert_policies));
    if (!c.crl_dist_points.empty()) add("CRL Distribution Points", narrow(c.crl_dist_points));
    add("Sha1 Thumbprint", narrow(c.certid));
    return rows;
}

wxString detail_row_column_text(const cert_detail_row& row) {
    if (!row.short_text.empty()) return row.short_text;
    const size_t at = row.value.find('\n');
    return at == wxString::npos ? row.value : row.value.substr(0, at + 1);
}
