#pragma once
// The licence agreement. Mode 0 (first run): Agree ends the modal loop with
// wxID_OK and Decline with wxID_CANCEL; only wxID_OK counts as acceptance.
// Mode 1 (view from the about page): one Close button, ending with wxID_OK.
#include "forms/agreement_dlg_base.h"

class agreement_dlg : public agreement_dlg_base {
public:
    static constexpr int first_run_mode = 0;
    static constexpr int view_mode = 1;

    agreement_dlg(wxWindow* parent, int mode);

    int mode;

    // The agreement text in the interface language ("AGREE-CN" or "AGREE-EN"),
    // without its byte-order mark; empty when the resource is missing.
    static wxString agreement_text_for_ui();

protected:
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_agree(wxCommandEvent& event) override;
    void on_decline(wxCommandEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;

private:
    void finish(int result);
};
