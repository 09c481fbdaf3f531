#include "ui/dialog_calls.h"

#include "forms/cert_infodlg_base.h"
#include "forms/feedback_dlg_base.h"
#include "forms/sig_infodlg_base.h"
#include "forms/version_dlg_base.h"
#include "widgets/form_support.h"

dialog_calls& installed_dialog_calls() {
    static dialog_calls calls;
    return calls;
}

void show_certificate_chain(wxWindow* parent, const cert_chain_ui& chain, const wxString& title, bool modal) {
    if (installed_dialog_calls().show_certificate_chain) {
        installed_dialog_calls().show_certificate_chain(parent, chain, title, modal);
        return;
    }
    auto* dlg = new cert_infodlg_base(parent, wxID_ANY, title);
    dlg->CentreOnParent();
    if (modal) {
        dlg->ShowModal();
        dlg->Destroy();
    } else {
        dlg->Show();
    }
}

void show_signature_file(wxWindow* parent, sigdata_record* record, const wxString& title) {
    if (installed_dialog_calls().show_signature_file) {
        installed_dialog_calls().show_signature_file(parent, record, title);
        return;
    }
    free_sigdata_record(record);
    auto* dlg = new sig_infodlg_base(parent, wxID_ANY, tr("Signature Properties"), wxDefaultPosition,
                                     wxSize(487, 664), wxDEFAULT_DIALOG_STYLE);
    dlg->SetTitle(title);
    dlg->CentreOnParent();
    dlg->Show();
}

void show_feedback(wxWindow* parent) {
    if (installed_dialog_calls().show_feedback) {
        installed_dialog_calls().show_feedback(parent);
        return;
    }
    feedback_dlg_base dlg(parent);
    dlg.CentreOnParent();
    dlg.ShowModal();
}

void show_version(wxWindow* parent, int mode) {
    if (installed_dialog_calls().show_version) {
        installed_dialog_calls().show_version(parent, mode);
        return;
    }
    version_dlg_base dlg(parent);
    dlg.ShowModal();
}

bool newer_version_found() {
    return installed_dialog_calls().newer_version_found && installed_dialog_calls().newer_version_found();
}
