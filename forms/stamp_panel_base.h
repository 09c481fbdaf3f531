#pragma once
// The stamp editor side panel: local signing (stamp picture, store
// certificate) or cloud signing (time-stamp server, cloud account), the
// stamp name, the optional reason, location and contact, Save and Cancel.
#include <wx/bmpbuttn.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/simplebook.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;
class wxt_colorbutton;
class wxt_hyperlink;

class stamp_panel_base : public wxPanel {
public:
    stamp_panel_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                     const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                     const wxString& name = wxEmptyString);
    ~stamp_panel_base() override;

protected:
    wxScrolledWindow* scroll_panel;
    wxStaticText* title_label;
    wxStaticText* cloud_note_label;
    wxt_colorbutton* local_signing_button;
    wxt_colorbutton* cloud_signing_button;
    wxStaticBitmap* stamp_name_bitmap;
    wxStaticText* stamp_name_label;
    wxTextCtrl* stamp_name_text;
    wxt_active_textctrl* stamp_name_tip_label;
    wxSimplebook* signing_book;
    wxPanel* local_page;
    wxPanel* stamp_image_panel;
    wxStaticBitmap* stamp_image_bitmap;
    wxStaticText* stamp_image_label;
    wxRadioButton* visible_radio;
    wxRadioButton* invisible_radio;
    wxt_active_textctrl* stamp_image_hint_label;
    wxBitmapButton* stamp_image_button;
    wxStaticBitmap* certificate_bitmap;
    wxStaticText* certificate_label;
    wxt_hyperlink* create_import_link;
    wxt_active_textctrl* certificate_hint_label;
    wxStaticText* store_certificate_label;
    wxTextCtrl* store_certificate_text;
    wxt_colorbutton* select_certificate_button;
    wxStaticText* certificate_state_label;
    wxt_active_textctrl* certificate_status_label;
    wxStaticBitmap* certificate_info_bitmap;
    wxPanel* cloud_page;
    wxRadioButton* timestamp_radio;
    wxt_hyperlink* timestamp_setting_link;
    wxStaticText* tsurl_label;
    wxComboBox* tsurl_combo;
    wxRadioButton* cloud_account_radio;
    wxStaticText* cloud_address_label;
    wxTextCtrl* cloud_address_text;
    wxStaticText* cloud_user_label;
    wxTextCtrl* cloud_user_text;
    wxStaticText* cloud_password_label;
    wxTextCtrl* cloud_password_text;
    wxStaticText* cloud_services_label;
    wxPanel* cloud_services_panel;
    wxStaticBitmap* product_logo_bitmap;
    wxStaticBitmap* other_bitmap;
    wxStaticText* other_label;
    wxCheckBox* expand_other_check;
    wxStaticText* reason_label;
    wxTextCtrl* reason_text;
    wxStaticText* location_label;
    wxTextCtrl* location_text;
    wxStaticText* contact_label;
    wxTextCtrl* contact_text;
    wxStaticText* contact_hint_label;
    wxt_active_textctrl* result_tip_label;
    wxt_colorbutton* save_button;
    wxt_colorbutton* cancel_button;
    wxStaticBitmap* service_logo_bitmap;

    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_title_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_title_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_local_signing(wxCommandEvent& event) { skip_event(event); }
    virtual void on_cloud_signing(wxCommandEvent& event) { skip_event(event); }
    virtual void on_stamp_name(wxCommandEvent& event) { skip_event(event); }
    virtual void on_visible(wxCommandEvent& event) { skip_event(event); }
    virtual void on_invisible(wxCommandEvent& event) { skip_event(event); }
    virtual void on_stamp_image(wxCommandEvent& event) { skip_event(event); }
    virtual void on_create_import(wxMouseEvent& event) { skip_event(event); }
    virtual void on_select_certificate(wxCommandEvent& event) { skip_event(event); }
    virtual void on_certificate_info(wxMouseEvent& event) { skip_event(event); }
    virtual void on_timestamp_mode(wxCommandEvent& event) { skip_event(event); }
    virtual void on_timestamp_setting(wxMouseEvent& event) { skip_event(event); }
    virtual void on_tsurl_select(wxCommandEvent& event) { skip_event(event); }
    virtual void on_tsurl_dropdown(wxCommandEvent& event) { skip_event(event); }
    virtual void on_cloud_account(wxCommandEvent& event) { skip_event(event); }
    virtual void on_expand_other(wxCommandEvent& event) { skip_event(event); }
    virtual void on_save(wxCommandEvent& event) { skip_event(event); }
    virtual void on_cancel(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
