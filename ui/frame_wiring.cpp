// How the main window connects the panels and pages to itself and to the
// dialogs: it fills the hook tables the views, the home pages and the dialogs
// read, and empties them again when it goes.
#include "ui/frame.h"

#include <openssl/x509.h>
#include <wx/simplebook.h>
#include <wx/stdpaths.h>

#include "app/report_hooks.h"
#include "app/restart_command.h"
#include "crypto/certstore.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "forms/side_forms.h"
#include "ui/certstore_panel.h"
#include "ui/dialog_calls.h"
#include "ui/home_calls.h"
#include "ui/page_glcanvas.h"
#include "ui/sign_panel.h"
#include "ui/trustmgr_panel.h"
#include "ui/view_hooks.h"

void frame::connect_views() {
    view_hooks& view = the_view_hooks();
    view.update_page_number = [] {
        if (main_frame) main_frame->update_page_number();
    };
    view.home_page_shown = [] { return main_frame && main_frame->home_page_shown(); };
    view.show_pane = [](bool left, bool show) {
        if (!main_frame) return;
        (left ? static_cast<wxWindow*>(main_frame->signatures_panel) : main_frame->side_book)->Show(show);
    };
    view.visible_stamp_selected = [] { return the_sign_panel && the_sign_panel->visible_stamp_selected; };
    view.sign_panel_busy = [] { return the_sign_panel && the_sign_panel->start_busy.load(); };
    view.select_stamp = [](bool select) {
        if (the_sign_panel) the_sign_panel->select_stamp(select);
    };
    view.layout_content = [] {
        if (main_frame) main_frame->content_panel->Layout();
    };
    view.focus_pane = [](bool left) {
        if (main_frame) (left ? static_cast<wxWindow*>(main_frame->signatures_panel) : main_frame->side_book)->SetFocus();
    };
    view.layout_main_window = [] {
        if (main_frame) main_frame->Layout();
    };
    view.show_simple_sigdlg = [](wxWindow* parent, sig_result* result) {
        if (dialog_calls().signature_status) dialog_calls().signature_status(parent, result);
    };
    view.show_sig_infodlg = [](wxWindow* parent, sig_result* result, int page) {
        if (dialog_calls().signature_properties)
            dialog_calls().signature_properties(parent, result, page, dialog_show::modal);
    };
    view.show_signer_certificate = [](wxWindow* parent, sig_result* result) {
        // The modal loop may outlive the document's results: hold a share.
        const sig_result_ref keep = share_result(result);
        if (keep && keep->signer_chain && dialog_calls().certificate_chain)
            dialog_calls().certificate_chain(parent, keep->signer_chain, true, true, nullptr, dialog_show::modal,
                                             wxString());
    };

    home_call_table& home = home_calls();
    home.open_file = [](const wxString& path) {
        if (main_frame) main_frame->open_file(path.ToStdWstring(), 0);
    };
    home.show_open_dialog = [] {
        if (main_frame) main_frame->show_open_dialog();
    };
    home.home_page_in_view = [] { return main_frame && main_frame->home_page_shown(); };
    home.check_update = [](wxWindow* parent) { show_version(parent, 0); };
    home.show_feedback = [](wxWindow* parent) { show_feedback(parent); };
    home.restart = [] {
        restart_command = wxStandardPaths::Get().GetExecutablePath().ToStdWstring();
        if (main_frame) main_frame->Close();
    };
    home.main_window = []() -> wxEvtHandler* { return main_frame; };
    home.document_shown = [] { return page_canvas && page_canvas->painted.load() && current_document; };
    home.show_certificate_chain = [](wxWindow* parent, cert_chain_ui* chain, bool show_status, bool offer_trust) {
        if (dialog_calls().certificate_chain)
            dialog_calls().certificate_chain(parent, chain, show_status, offer_trust, nullptr, dialog_show::modal,
                                             wxString());
    };
    home.make_certificate = [](wxWindow* parent) {
        if (!dialog_calls().make_certificate) return;
        X509* cert = nullptr;
        certstore_sumfile_entry* entry = nullptr;
        dialog_calls().make_certificate(parent, &cert, &entry, nullptr);
        X509_free(cert);
        delete entry;
    };
    home.report_add_trust = [](const x509ui& cert) { service_hooks().add_trust(cert); };

    dialog_receiver_table& receivers = dialog_receivers();
    receivers.main_window = []() -> wxWindow* { return main_frame; };
    receivers.trust_page = []() -> wxWindow* { return trust_page; };
    receivers.certstore_page = []() -> wxWindow* { return the_certstore_panel; };
}

void frame::disconnect_views() {
    the_view_hooks() = view_hooks();
    const auto show_agreement = home_calls().show_agreement;  // the program's, not the window's
    home_calls() = home_call_table();
    home_calls().show_agreement = show_agreement;
    dialog_receivers() = dialog_receiver_table();
}
