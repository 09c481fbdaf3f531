#pragma once
// The signing side panel: the stamp list, the stamp buttons, certify or sign
// mode, the lock option, the result line, the password entry and Start Sign.
#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;
class wxt_colorbutton;

class sign_panel_base : public wxPanel {
public:
    sign_panel_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                    const wxString& name = wxEmptyString);
    ~sign_panel_base() override;

protected:
    wxScrolledWindow* body_panel;
    wxStaticText* title_label;
    wxStaticText* hint_label;
    wxScrolledWindow* stamp_list_panel;
    wxBitmapButton* add_stamp_button;
    wxBitmapButton* add_stamp_small_button;
    wxBitmapButton* top_stamp_button;
    wxBitmapButton* remove_stamp_button;
    wxStaticText* selected_caption_label;
    wxStaticText* selected_stamp_label;
    wxStaticText* subject_caption_label;
    wxStaticText* subject_label;
    wxStaticLine* separator_line;
    wxRadioButton* certify_mode_radio;
    wxRadioButton* sign_mode_radio;
    wxStaticText* permission_label;
    wxTextCtrl* permission_text;
    wxCheckBox* lock_document_check;
    wxt_active_textctrl* sign_result_label;
    wxTextCtrl* password_text;
    wxt_colorbutton* start_sign_button;

    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_title_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_title_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_hint_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_hint_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_list_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_list_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_add_stamp(wxCommandEvent& event) { skip_event(event); }
    virtual void on_add_stamp_right_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_add_stamp_small(wxCommandEvent& event) { skip_event(event); }
    virtual void on_top_stamp(wxCommandEvent& event) { skip_event(event); }
    virtual void on_remove_stamp(wxCommandEvent& event) { skip_event(event); }
    virtual void on_certify_mode(wxCommandEvent& event) { skip_event(event); }
    virtual void on_sign_mode(wxCommandEvent& event) { skip_event(event); }
    virtual void on_lock_document(wxCommandEvent& event) { skip_event(event); }
    virtual void on_start_sign(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
