#pragma once
// The feedback dialog: a thank-you sentence, the message field, the contact
// field, a result line, a mail link and the Submit and Close buttons.
#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;
class wxt_colorbutton;

class feedback_dlg_base : public wxDialog {
public:
    feedback_dlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                      const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(646, 480),
                      long style = wxDEFAULT_DIALOG_STYLE);
    ~feedback_dlg_base() override;

    // The longest message and contact the fields take, in characters.
    static constexpr size_t message_limit = 512;
    static constexpr size_t contact_limit = 255;

protected:
    wxStaticText* intro_label;
    wxTextCtrl* message_text;
    wxStaticText* contact_caption_label;
    wxTextCtrl* contact_text;
    wxt_active_textctrl* result_label;
    wxHyperlinkCtrl* mail_link;
    wxt_colorbutton* submit_button;
    wxt_colorbutton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_text_changed(wxCommandEvent& event) { skip_event(event); }
    virtual void on_mail_link(wxHyperlinkEvent& event) { skip_event(event); }
    virtual void on_submit(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
