#include "dialogs/install_dialogs.h"

#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/cert_select_dlg.h"
#include "dialogs/dialog_support.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "ui/dialog_calls.h"

namespace {

bool open_certificate_chain(wxWindow* parent, cert_chain_ui* chain, bool show_status, bool offer_add_trust,
                            const wxRect* opener, dialog_show how, const wxString& title) {
    if (!cert_infodlg::can_show(chain)) return false;
    if (how == dialog_show::modal) {
        cert_infodlg dialog(parent, show_status, chain, offer_add_trust, opener);
        if (!title.empty()) dialog.SetTitle(title);
        dialog.ShowModal();
        return true;
    }
    auto* dialog = new cert_infodlg(parent, show_status, chain, offer_add_trust, opener);
    if (how == dialog_show::own_copy)
        dialog->keep_own_copy();
    else
        dialog->bind_to_document();
    if (!title.empty()) dialog->SetTitle(title);
    if (!opener) dialog->CentreOnParent();
    dialog->Show();
    return true;
}

void open_signature_properties(wxWindow* parent, sig_result* result, int first_page, dialog_show how) {
    if (!result) return;
    if (how == dialog_show::modal) {
        sig_infodlg dialog(parent, first_page, result);
        dialog.CentreOnParent();
        dialog.ShowModal();
        return;
    }
    auto* dialog = new sig_infodlg(parent, first_page, result);
    dialog->bind_to_document();
    dialog->CentreOnParent();
    dialog->Show();
}

void open_signature_file(wxWindow* parent, sigdata_record* record, const wxString& title) {
    auto* dialog = new sig_infodlg(parent, record);
    if (!title.empty()) dialog->SetTitle(dialog_title(title));
    dialog->CentreOnParent();
    dialog->Show();
}

}  // namespace

void install_dialogs() {
    dialog_call_table& calls = dialog_calls();
    calls.certificate_chain = open_certificate_chain;
    calls.certificate_file = [](const wxString& path) {
        cert_infodlg dialog(path);
        dialog.ShowModal();
    };
    calls.signature_properties = open_signature_properties;
    calls.signature_file = open_signature_file;
    calls.signature_status = [](wxWindow* parent, sig_result* result) {
        if (!result) return;
        simple_sigdlg dialog(parent, result);
        dialog.ShowModal();
    };
    calls.make_certificate = [](wxWindow* parent, X509** cert, certstore_sumfile_entry** entry,
                                const wxRect* opener) {
        cert_makedlg dialog(parent, cert, entry, opener);
        dialog.ShowModal();
    };
    calls.select_certificate = [](wxWindow* parent, X509** cert, certstore_sumfile_entry** entry,
                                  const wxRect* opener, bool collect) {
        if (collect) collect_client_certificates();
        cert_select_dlg dialog(parent, cert, entry, opener);
        dialog.ShowModal();
    };
    calls.collect_client_certificates = [] { return collect_client_certificates(); };
    calls.close_document_dialogs = [] { close_document_dialogs(); };
}
