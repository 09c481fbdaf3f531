#pragma once
// The version dialog: the check's status line, the newest and the current
// version numbers, the release notes, Update and Close.
#include <wx/dialog.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;
class wxt_colorbutton;

class version_dlg_base : public wxDialog {
public:
    version_dlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(520, 520),
                     long style = wxDEFAULT_DIALOG_STYLE);
    ~version_dlg_base() override;

protected:
    wxt_active_textctrl* status_label;
    wxStaticText* newest_caption_label;
    wxStaticText* newest_version_label;
    wxStaticText* current_caption_label;
    wxStaticText* current_version_label;
    wxt_active_textctrl* release_notes_label;
    wxt_colorbutton* update_button;
    wxt_colorbutton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_update(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
