#pragma once
// The agreement dialog: a read-only text area, Agree and Decline, and Close.
#include <wx/dialog.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_colorbutton;

class agreement_dlg_base : public wxDialog {
public:
    agreement_dlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                       const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(700, 520),
                       long style = wxDEFAULT_DIALOG_STYLE | wxSTAY_ON_TOP);
    ~agreement_dlg_base() override;

protected:
    wxTextCtrl* agreement_text;
    wxt_colorbutton* agree_button;
    wxt_colorbutton* decline_button;
    wxt_colorbutton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_agree(wxCommandEvent& event) { skip_event(event); }
    virtual void on_decline(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
