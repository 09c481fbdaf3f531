#pragma once
// The Settings page of the home page: General, Signing and Verifying, and
// Other, each group headed by a picture and a caption.
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_colorbutton;

class setting_base : public wxPanel {
public:
    setting_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxEmptyString);
    ~setting_base() override;

protected:
    wxScrolledWindow* body_panel;
    wxStaticBitmap* general_bitmap;
    wxStaticText* general_label;
    wxCheckBox* check_update_check;
    wxCheckBox* open_recent_check;
    wxCheckBox* remember_position_check;
    wxStaticText* page_size_label;
    wxRadioButton* full_page_radio;
    wxRadioButton* full_width_radio;
    wxRadioButton* full_height_radio;
    wxCheckBox* associate_files_check;
    wxStaticText* text_style_label;
    wxStaticText* reopen_note_label;
    wxRadioButton* text_compact_radio;
    wxRadioButton* text_middle_radio;
    wxRadioButton* text_loose_radio;
    wxCheckBox* disable_tooltip_check;
    wxStaticBitmap* signing_bitmap;
    wxStaticText* signing_label;
    wxCheckBox* remember_client_cert_check;
    wxCheckBox* invalid_marker_check;
    wxCheckBox* add_timestamp_check;
    wxStaticText* tsurl_label;
    wxComboBox* tsurl_combo;
    wxt_colorbutton* tsurl_delete_button;
    wxCheckBox* add_ltv_check;
    wxStaticBitmap* other_bitmap;
    wxStaticText* other_label;
    wxStaticText* restart_note_label;
    wxt_colorbutton* restart_button;
    wxStaticText* theme_label;
    wxRadioButton* theme_dark_radio;
    wxRadioButton* theme_light_radio;
    wxRadioButton* theme_system_radio;
    wxStaticText* language_label;
    wxComboBox* language_combo;

    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_check_update(wxCommandEvent& event) { skip_event(event); }
    virtual void on_open_recent(wxCommandEvent& event) { skip_event(event); }
    virtual void on_remember_position(wxCommandEvent& event) { skip_event(event); }
    virtual void on_full_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_full_width(wxCommandEvent& event) { skip_event(event); }
    virtual void on_full_height(wxCommandEvent& event) { skip_event(event); }
    virtual void on_associate_files(wxCommandEvent& event) { skip_event(event); }
    virtual void on_text_compact(wxCommandEvent& event) { skip_event(event); }
    virtual void on_text_middle(wxCommandEvent& event) { skip_event(event); }
    virtual void on_text_loose(wxCommandEvent& event) { skip_event(event); }
    virtual void on_disable_tooltip(wxCommandEvent& event) { skip_event(event); }
    virtual void on_remember_client_cert(wxCommandEvent& event) { skip_event(event); }
    virtual void on_invalid_marker(wxCommandEvent& event) { skip_event(event); }
    virtual void on_add_timestamp(wxCommandEvent& event) { skip_event(event); }
    virtual void on_tsurl_select(wxCommandEvent& event) { skip_event(event); }
    virtual void on_tsurl_dropdown(wxCommandEvent& event) { skip_event(event); }
    virtual void on_tsurl_kill_focus(wxFocusEvent& event) { skip_event(event); }
    virtual void on_tsurl_delete(wxCommandEvent& event) { skip_event(event); }
    virtual void on_add_ltv(wxCommandEvent& event) { skip_event(event); }
    virtual void on_restart(wxCommandEvent& event) { skip_event(event); }
    virtual void on_theme_dark(wxCommandEvent& event) { skip_event(event); }
    virtual void on_theme_light(wxCommandEvent& event) { skip_event(event); }
    virtual void on_theme_system(wxCommandEvent& event) { skip_event(event); }
    virtual void on_language_select(wxCommandEvent& event) { skip_event(event); }
    virtual void on_language_kill_focus(wxFocusEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
