#pragma once
// How the windows open the certificate and signature dialogs without linking
// them: the dialogs library fills this table at start-up (install_dialogs);
// until it does every entry is empty and a window opens nothing. Windows test
// an entry before calling it.
//
// The other direction: the dialogs queue thread events ("evt_addtrust",
// "evt_addcert") to the main window, the trust-list page and the
// certificate-store page; those windows publish themselves through
// dialog_receivers() (a getter returns null while its window does not exist).
#include <functional>
#include <vector>

#include <openssl/x509.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxWindow;
struct chain_cert_entry;
struct sig_result;
struct sigdata_record;
struct certstore_sumfile_entry;
using cert_chain_ui = std::vector<chain_cert_entry>;

// How a dialog is shown.
enum class dialog_show {
    modal,          // runs modally and is destroyed when it returns
    with_document,  // modeless, reads the open document's results: closed when the document closes
    own_copy,       // modeless, keeps its own copy of what it shows (outlives the opener)
};

struct dialog_call_table {
    // The certificate properties dialog on a chain (leaf first). Opens nothing
    // and returns false for a null or empty chain. `opener` (may be null)
    // places the dialog beside that screen rectangle; a non-empty `title`
    // replaces the dialog's own (the file name of an opened certificate).
    // Modal and with_document dialogs write the statuses they change (Add
    // Trust, or zeros when show_status is false) into `chain`.
    std::function<bool(wxWindow* parent, cert_chain_ui* chain, bool show_status, bool offer_add_trust,
                       const wxRect* opener, dialog_show how, const wxString& title)>
        certificate_chain;
    // A certificate file on its own (command line): no parent, modal, no
    // status, no trust offer; the dialog reads the file itself.
    std::function<void(const wxString& path)> certificate_file;
    // The signature properties of a result of the open document; first_page
    // 0 Signature, 1 Timestamp. `how` is modal or with_document.
    std::function<void(wxWindow* parent, sig_result* result, int first_page, dialog_show how)> signature_properties;
    // A standalone signature file already parsed: the dialog takes the record
    // over, verifies the chains itself, and is shown modeless with `title`
    // (the file name), centred on the parent.
    std::function<void(wxWindow* parent, sigdata_record* record, const wxString& title)> signature_file;
    // The small status dialog of a clicked signature, modal.
    std::function<void(wxWindow* parent, sig_result* result)> signature_status;
    // Make or import a certificate, modal. Afterwards *cert holds the last
    // certificate made or imported (caller frees) and *entry the last stored
    // entry (caller deletes); either may be null.
    std::function<void(wxWindow* parent, X509** cert, certstore_sumfile_entry** entry, const wxRect* opener)>
        make_certificate;
    // Pick a signing certificate, modal, from the list collect_client_certificates
    // fills (the dialog collects it itself when `collect` is set). Outs as above.
    std::function<void(wxWindow* parent, X509** cert, certstore_sumfile_entry** entry, const wxRect* opener,
                       bool collect)>
        select_certificate;
    // The number of usable signing certificates after collecting them afresh
    // (the stamp editor opens make_certificate instead when it is 0).
    std::function<size_t()> collect_client_certificates;
    // Closes every with_document dialog; the main window calls it before it
    // deletes the document.
    std::function<void()> close_document_dialogs;

    // The maker's-service client's dialogs (filled by the program from the
    // service library): feedback, modal; the version dialog, modal, mode 1
    // showing the start-up check's result; whether that check found a newer
    // version.
    std::function<void(wxWindow* parent)> show_feedback;
    std::function<void(wxWindow* parent, int mode)> show_version;
    std::function<bool()> newer_version_found;
};

dialog_call_table& dialog_calls();

// Calls through the table as the main window makes them; an empty entry falls
// back to the plain form of that dialog, so every path runs without the
// libraries above (and in tests).
// The certificate dialog on a copy of the chain (status shown, trust
// offered), centred on the parent; modal, or modeless on its own copy.
void show_certificate_chain(wxWindow* parent, const cert_chain_ui& chain, const wxString& title, bool modal);
// A standalone signature file's dialog, modeless; it takes over the record.
void show_signature_file(wxWindow* parent, sigdata_record* record, const wxString& title);
void show_feedback(wxWindow* parent);
void show_version(wxWindow* parent, int mode);
bool newer_version_found();

// The windows the dialogs tell about trust-list and store changes.
struct dialog_receiver_table {
    std::function<wxWindow*()> main_window;     // receives "evt_addtrust" (x509ui payload)
    std::function<wxWindow*()> trust_page;      // receives "evt_addtrust" (trust_cert_info payload)
    std::function<wxWindow*()> certstore_page;  // receives "evt_addcert" (certstore_sumfile_entry payload)
};

dialog_receiver_table& dialog_receivers();
