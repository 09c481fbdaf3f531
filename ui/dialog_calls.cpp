#include "ui/dialog_calls.h"

#include "document/sigdata.h"

dialog_call_table& dialog_calls() {
    static dialog_call_table table;
    return table;
}

dialog_receiver_table& dialog_receivers() {
    static dialog_receiver_table table;
    return table;
}

#include "forms/cert_infodlg_base.h"
#include "forms/feedback_dlg_base.h"
#include "forms/sig_infodlg_base.h"
#include "forms/version_dlg_base.h"
#include "widgets/form_support.h"


void show_certificate_chain(wxWindow* parent, const cert_chain_ui& chain, const wxString& title, bool modal) {
    if (dialog_calls().certificate_chain) {
        cert_chain_ui copy = chain;
        dialog_calls().certificate_chain(parent, &copy, true, true, nullptr,
                                         modal ? dialog_show::modal : dialog_show::own_copy, title);
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
    if (dialog_calls().signature_file) {
        dialog_calls().signature_file(parent, record, title);
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
    if (dialog_calls().show_feedback) {
        dialog_calls().show_feedback(parent);
        return;
    }
    feedback_dlg_base dlg(parent);
    dlg.CentreOnParent();
    dlg.ShowModal();
}

void show_version(wxWindow* parent, int mode) {
    if (dialog_calls().show_version) {
        dialog_calls().show_version(parent, mode);
        return;
    }
    version_dlg_base dlg(parent);
    dlg.ShowModal();
}

bool newer_version_found() {
    return dialog_calls().newer_version_found && dialog_calls().newer_version_found();
}
