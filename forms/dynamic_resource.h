#pragma once
// The resource holder: a dialog built once at start-up and never shown. Its
// controls keep the doubled-size pictures, the status picture pairs (normal,
// doubled) and the application icon that windows take at run time.
#include <wx/bmpbuttn.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/statline.h>

#include "widgets/form_support.h"

class wxt_bmpbutton_nofocus;

class dynamic_resource_base : public wxDialog {
public:
    dynamic_resource_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                          const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                          long style = wxDEFAULT_DIALOG_STYLE);
    ~dynamic_resource_base() override;

    // Read directly by the windows (through dynamic_resources).
    wxStaticLine* line_1;
    wxStaticLine* line_2;
    wxStaticLine* line_3;
    wxStaticLine* line_4;
    wxStaticLine* line_5;
    wxBitmapButton* home_button;
    wxBitmapButton* document_button;
    wxBitmapButton* open_button;
    wxBitmapButton* previous_page_button;
    wxBitmapButton* next_page_button;
    wxBitmapButton* zoom_in_button;
    wxBitmapButton* zoom_out_button;
    wxBitmapButton* fit_page_button;
    wxBitmapButton* fit_width_button;
    wxBitmapButton* fit_height_button;
    wxBitmapButton* sign_panel_button;
    wxBitmapButton* feedback_button;
    wxBitmapButton* signature_details_button;
    wxBitmapButton* timestamp_details_button;
    wxBitmapButton* mark_button;
    wxStaticBitmap* infobar_bitmap;
    wxStaticBitmap* settings_general_bitmap;
    wxStaticBitmap* settings_sign_bitmap;
    wxStaticBitmap* settings_other_bitmap;
    wxStaticBitmap* file_bitmap;
    wxStaticBitmap* remove_file_bitmap;
    wxStaticBitmap* announce_bitmap;
    wxBitmapButton* donate_button;
    wxStaticBitmap* puzzle_bitmap;
    wxStaticBitmap* puzzle_bitmap_2x;
    wxStaticBitmap* person_bitmap;
    wxStaticBitmap* person_bitmap_2x;
    wxBitmapButton* reset_button;
    wxBitmapButton* refresh_button;
    wxBitmapButton* close_button;
    wxStaticBitmap* arrow_left_bitmap;
    wxStaticBitmap* arrow_left_hover_bitmap;
    wxStaticBitmap* arrow_right_bitmap;
    wxStaticBitmap* arrow_right_hover_bitmap;
    wxBitmapButton* plus_button;
    wxBitmapButton* move_top_button;
    wxBitmapButton* minus_button;
    wxStaticBitmap* stamp_invisible_en_bitmap;
    wxStaticBitmap* stamp_invisible_en_bitmap_2x;
    wxStaticBitmap* stamp_invisible_cn_bitmap;
    wxStaticBitmap* stamp_invisible_cn_bitmap_2x;
    wxStaticBitmap* stamp_timestamp_en_bitmap;
    wxStaticBitmap* stamp_timestamp_en_bitmap_2x;
    wxStaticBitmap* stamp_timestamp_cn_bitmap;
    wxStaticBitmap* stamp_timestamp_cn_bitmap_2x;
    wxStaticBitmap* stamp_cloud_en_bitmap;
    wxStaticBitmap* stamp_cloud_en_bitmap_2x;
    wxStaticBitmap* stamp_cloud_cn_bitmap;
    wxStaticBitmap* stamp_cloud_cn_bitmap_2x;
    wxStaticBitmap* sig_valid_bitmap;
    wxStaticBitmap* sig_valid_bitmap_2x;
    wxStaticBitmap* sig_invalid_bitmap;
    wxStaticBitmap* sig_invalid_bitmap_2x;
    wxStaticBitmap* timestamp_bitmap;
    wxStaticBitmap* timestamp_bitmap_2x;
    wxStaticBitmap* timestamp_invalid_bitmap;
    wxStaticBitmap* timestamp_invalid_bitmap_2x;
    wxStaticBitmap* pen_bitmap;
    wxStaticBitmap* pen_bitmap_2x;
    wxStaticBitmap* certificate_bitmap;
    wxStaticBitmap* certificate_bitmap_2x;
    wxStaticBitmap* certificate_invalid_bitmap;
    wxStaticBitmap* certificate_invalid_bitmap_2x;
    wxStaticBitmap* cert_chain_bitmap;
    wxStaticBitmap* cert_chain_bitmap_2x;
    wxStaticBitmap* cert_chain_invalid_bitmap;
    wxStaticBitmap* cert_chain_invalid_bitmap_2x;
    wxStaticBitmap* cert_card_bitmap;
    wxStaticBitmap* cert_card_bitmap_2x;
    wxStaticBitmap* cert_card_invalid_bitmap;
    wxStaticBitmap* cert_card_invalid_bitmap_2x;
    wxStaticBitmap* cert_fields_bitmap;
    wxStaticBitmap* cert_fields_bitmap_2x;
    wxStaticBitmap* tag_bitmap;
    wxStaticBitmap* tag_bitmap_2x;
    wxStaticBitmap* add_bitmap_2x;
    wxStaticBitmap* user_bitmap_2x;
    wxStaticBitmap* stamp_bitmap_2x;
    wxStaticBitmap* caption_certificate_bitmap_2x;
    wxStaticBitmap* info_bitmap_2x;
    wxStaticBitmap* flag_bitmap_2x;
    wxStaticBitmap* refresh_badge_bitmap;
    wxStaticBitmap* app_bitmap;
    wxStaticBitmap* message_bitmap;
    wxBitmapButton* add_stamp_button;
    wxt_bmpbutton_nofocus* recent_open_button;
    wxStaticBitmap* app_icon_bitmap;
    wxStaticBitmap* app_icon_pink_bitmap;
    wxStaticBitmap* invalid_mark_bitmap;
    wxStaticBitmap* logo_bitmap_2x;

protected:
    virtual void on_button(wxCommandEvent& event) { skip_event(event); }
    virtual void on_left_up(wxMouseEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};

class dynamic_resource : public dynamic_resource_base {
public:
    using dynamic_resource_base::dynamic_resource_base;
};

// The one holder, set by start-up before any window that reads it is built.
extern dynamic_resource* dynamic_resources;

// Windows take the doubled pictures from this screen scale on.
constexpr int doubled_picture_scale = 199;
