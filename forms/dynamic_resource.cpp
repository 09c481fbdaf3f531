#include "forms/dynamic_resource.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "widgets/wxt_bmpbutton_nofocus.h"

dynamic_resource* dynamic_resources = nullptr;

// 112 pictures: decoding them all here is what makes start-up decode them.
dynamic_resource_base::dynamic_resource_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                             const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style, "dialog") {
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxColour(96, 96, 96));
    wxBoxSizer* group = new wxBoxSizer(wxVERTICAL);
    line_1 = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxLI_HORIZONTAL, "staticLine");
    group->Add(line_1, 0, wxALL, 2);
    home_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                     wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    home_button->SetBitmap(bitmap_home_57x56(), wxLEFT);
    home_button->SetBitmapFocus(bitmap_home_hover_57x56());
    home_button->SetBitmapCurrent(bitmap_home_hover_57x56());
    group->Add(home_button, 0, wxALL, 2);
    document_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    document_button->SetBitmap(bitmap_document_64(), wxLEFT);
    document_button->SetBitmapFocus(bitmap_document_hover_64());
    document_button->SetBitmapCurrent(bitmap_document_hover_64());
    group->Add(document_button, 0, wxALL, 2);
    open_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                     wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    open_button->SetBitmap(bitmap_open_60(), wxLEFT);
    open_button->SetBitmapFocus(bitmap_open_hover_60());
    open_button->SetBitmapCurrent(bitmap_open_hover_60());
    group->Add(open_button, 0, wxALL, 2);
    previous_page_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                              wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    previous_page_button->SetBitmap(bitmap_previous_page_64(), wxLEFT);
    previous_page_button->SetBitmapFocus(bitmap_previous_page_hover_64());
    previous_page_button->SetBitmapCurrent(bitmap_previous_page_hover_64());
    group->Add(previous_page_button, 0, wxALL, 2);
    next_page_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                          wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    next_page_button->SetBitmap(bitmap_next_page_64(), wxLEFT);
    next_page_button->SetBitmapFocus(bitmap_next_page_hover_64());
    next_page_button->SetBitmapCurrent(bitmap_next_page_hover_64());
    group->Add(next_page_button, 0, wxALL, 2);
    zoom_in_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                        wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    zoom_in_button->SetBitmap(bitmap_zoom_in_64(), wxLEFT);
    zoom_in_button->SetBitmapFocus(bitmap_zoom_in_hover_64());
    zoom_in_button->SetBitmapCurrent(bitmap_zoom_in_hover_64());
    group->Add(zoom_in_button, 0, wxALL, 2);
    zoom_out_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    zoom_out_button->SetBitmap(bitmap_zoom_out_64(), wxLEFT);
    zoom_out_button->SetBitmapFocus(bitmap_zoom_out_hover_64());
    zoom_out_button->SetBitmapCurrent(bitmap_zoom_out_hover_64());
    group->Add(zoom_out_button, 0, wxALL, 2);
    fit_page_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    fit_page_button->SetBitmap(bitmap_fit_page_56(), wxLEFT);
    fit_page_button->SetBitmapFocus(bitmap_fit_page_hover_56());
    fit_page_button->SetBitmapCurrent(bitmap_fit_page_hover_56());
    group->Add(fit_page_button, 0, wxALL, 2);
    fit_width_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                          wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    fit_width_button->SetBitmap(bitmap_fit_width_56(), wxLEFT);
    fit_width_button->SetBitmapFocus(bitmap_fit_width_hover_56());
    fit_width_button->SetBitmapCurrent(bitmap_fit_width_hover_56());
    group->Add(fit_width_button, 0, wxALL, 2);
    fit_height_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                           wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    fit_height_button->SetBitmap(bitmap_fit_height_56(), wxLEFT);
    fit_height_button->SetBitmapFocus(bitmap_fit_height_hover_56());
    fit_height_button->SetBitmapCurrent(bitmap_fit_height_hover_56());
    group->Add(fit_height_button, 0, wxALL, 2);
    sign_panel_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                           wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    sign_panel_button->SetBitmap(sign_panel_picture(false, true), wxLEFT);
    sign_panel_button->SetBitmapFocus(sign_panel_picture(true, true));
    sign_panel_button->SetBitmapCurrent(sign_panel_picture(true, true));
    group->Add(sign_panel_button, 0, wxALL, 2);
    feedback_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    feedback_button->SetBitmap(bitmap_feedback_56(), wxLEFT);
    feedback_button->SetBitmapFocus(bitmap_feedback_hover_56());
    feedback_button->SetBitmapCurrent(bitmap_feedback_hover_56());
    group->Add(feedback_button, 0, wxALL, 2);
    line_2 = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxLI_HORIZONTAL, "staticLine");
    group->Add(line_2, 0, wxALL, 2);
    signature_details_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                                  wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    signature_details_button->SetBitmap(bitmap_certificate_64(), wxLEFT);
    group->Add(signature_details_button, 0, wxALL, 2);
    timestamp_details_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                                  wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    timestamp_details_button->SetBitmap(bitmap_timestamp_64(), wxLEFT);
    group->Add(timestamp_details_button, 0, wxALL, 2);
    mark_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                     wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    mark_button->SetBitmap(bitmap_mark_64(), wxLEFT);
    group->Add(mark_button, 0, wxALL, 2);
    infobar_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_infobar_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(infobar_bitmap, 0, wxALL, 2);
    settings_general_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_settings_general_56(), wxDefaultPosition,
                                                 wxDefaultSize, 0, "staticBitmap");
    group->Add(settings_general_bitmap, 0, wxALL, 2);
    settings_sign_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_settings_sign_62x56(), wxDefaultPosition,
                                              wxDefaultSize, 0, "staticBitmap");
    group->Add(settings_sign_bitmap, 0, wxALL, 2);
    settings_other_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_settings_other_56(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(settings_other_bitmap, 0, wxALL, 2);
    file_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_file_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(file_bitmap, 0, wxALL, 2);
    remove_file_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_remove_file_48(), wxDefaultPosition, wxDefaultSize,
                                            0, "staticBitmap");
    group->Add(remove_file_bitmap, 0, wxALL, 2);
    announce_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_announce_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(announce_bitmap, 0, wxALL, 2);
    donate_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                       wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    donate_button->SetBitmap(bitmap_donate_64(), wxLEFT);
    donate_button->SetBitmapFocus(bitmap_donate_hover_64());
    donate_button->SetBitmapCurrent(bitmap_donate_hover_64());
    group->Add(donate_button, 0, wxALL, 2);
    line_3 = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxLI_HORIZONTAL, "staticLine");
    group->Add(line_3, 0, wxALL, 2);
    puzzle_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_puzzle_29x28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(puzzle_bitmap, 0, wxALL, 2);
    puzzle_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_puzzle_58x56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(puzzle_bitmap_2x, 0, wxALL, 2);
    person_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_person_28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(person_bitmap, 0, wxALL, 2);
    person_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_person_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(person_bitmap_2x, 0, wxALL, 2);
    reset_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                      wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    reset_button->SetBitmap(bitmap_reset_64(), wxLEFT);
    reset_button->SetBitmapFocus(bitmap_reset_hover_64());
    reset_button->SetBitmapCurrent(bitmap_reset_hover_64());
    group->Add(reset_button, 0, wxALL, 2);
    refresh_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                        wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    refresh_button->SetBitmap(bitmap_refresh_64(), wxLEFT);
    refresh_button->SetBitmapFocus(bitmap_refresh_hover_64());
    refresh_button->SetBitmapCurrent(bitmap_refresh_hover_64());
    group->Add(refresh_button, 0, wxALL, 2);
    close_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                      wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    close_button->SetBitmap(bitmap_close_56(), wxLEFT);
    close_button->SetBitmapFocus(bitmap_close_hover_56());
    close_button->SetBitmapCurrent(bitmap_close_hover_56());
    group->Add(close_button, 0, wxALL, 2);
    arrow_left_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_arrow_left_20x32(), wxDefaultPosition, wxDefaultSize,
                                           0, "staticBitmap");
    group->Add(arrow_left_bitmap, 0, wxALL, 2);
    arrow_left_hover_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_arrow_left_hover_20x32(), wxDefaultPosition,
                                                 wxDefaultSize, 0, "staticBitmap");
    group->Add(arrow_left_hover_bitmap, 0, wxALL, 2);
    arrow_right_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_arrow_right_20x32(), wxDefaultPosition,
                                            wxDefaultSize, 0, "staticBitmap");
    group->Add(arrow_right_bitmap, 0, wxALL, 2);
    arrow_right_hover_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_arrow_right_hover_20x32(), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticBitmap");
    group->Add(arrow_right_hover_bitmap, 0, wxALL, 2);
    plus_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                     wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    plus_button->SetBitmap(bitmap_plus_64(), wxLEFT);
    plus_button->SetBitmapFocus(bitmap_plus_hover_64());
    plus_button->SetBitmapCurrent(bitmap_plus_hover_64());
    group->Add(plus_button, 0, wxALL, 2);
    move_top_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    move_top_button->SetBitmap(bitmap_move_top_64(), wxLEFT);
    move_top_button->SetBitmapFocus(bitmap_move_top_hover_64());
    move_top_button->SetBitmapCurrent(bitmap_move_top_hover_64());
    group->Add(move_top_button, 0, wxALL, 2);
    minus_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                      wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    minus_button->SetBitmap(bitmap_minus_64(), wxLEFT);
    minus_button->SetBitmapFocus(bitmap_minus_hover_64());
    minus_button->SetBitmapCurrent(bitmap_minus_hover_64());
    group->Add(minus_button, 0, wxALL, 2);
    line_4 = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxLI_HORIZONTAL, "staticLine");
    group->Add(line_4, 0, wxALL, 2);
    stamp_invisible_en_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_invisible_en_216x69(),
                                                   wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_invisible_en_bitmap, 0, wxALL, 2);
    stamp_invisible_en_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_invisible_en_300x96(),
                                                      wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_invisible_en_bitmap_2x, 0, wxALL, 2);
    stamp_invisible_cn_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_invisible_cn_216x69(),
                                                   wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_invisible_cn_bitmap, 0, wxALL, 2);
    stamp_invisible_cn_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_invisible_cn_300x96(),
                                                      wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_invisible_cn_bitmap_2x, 0, wxALL, 2);
    stamp_timestamp_en_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_timestamp_en_216x69(),
                                                   wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_timestamp_en_bitmap, 0, wxALL, 2);
    stamp_timestamp_en_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_timestamp_en_300x96(),
                                                      wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_timestamp_en_bitmap_2x, 0, wxALL, 2);
    stamp_timestamp_cn_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_timestamp_cn_216x69(),
                                                   wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_timestamp_cn_bitmap, 0, wxALL, 2);
    stamp_timestamp_cn_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_timestamp_cn_300x96(),
                                                      wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_timestamp_cn_bitmap_2x, 0, wxALL, 2);
    stamp_cloud_en_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_cloud_en_216x69(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_cloud_en_bitmap, 0, wxALL, 2);
    stamp_cloud_en_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_cloud_en_300x96(), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_cloud_en_bitmap_2x, 0, wxALL, 2);
    stamp_cloud_cn_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_cloud_cn_216x69(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_cloud_cn_bitmap, 0, wxALL, 2);
    stamp_cloud_cn_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_cloud_cn_300x96(), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_cloud_cn_bitmap_2x, 0, wxALL, 2);
    sig_valid_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_sig_valid_28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(sig_valid_bitmap, 0, wxALL, 2);
    sig_valid_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_sig_valid_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(sig_valid_bitmap_2x, 0, wxALL, 2);
    sig_invalid_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_sig_invalid_28(), wxDefaultPosition, wxDefaultSize,
                                            0, "staticBitmap");
    group->Add(sig_invalid_bitmap, 0, wxALL, 2);
    sig_invalid_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_sig_invalid_56(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(sig_invalid_bitmap_2x, 0, wxALL, 2);
    timestamp_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_timestamp_28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(timestamp_bitmap, 0, wxALL, 2);
    timestamp_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_timestamp_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(timestamp_bitmap_2x, 0, wxALL, 2);
    timestamp_invalid_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_timestamp_invalid_28(), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticBitmap");
    group->Add(timestamp_invalid_bitmap, 0, wxALL, 2);
    timestamp_invalid_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_timestamp_invalid_56(), wxDefaultPosition,
                                                     wxDefaultSize, 0, "staticBitmap");
    group->Add(timestamp_invalid_bitmap_2x, 0, wxALL, 2);
    pen_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_pen_16(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(pen_bitmap, 0, wxALL, 2);
    pen_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_pen_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(pen_bitmap_2x, 0, wxALL, 2);
    certificate_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_certificate_32(), wxDefaultPosition, wxDefaultSize,
                                            0, "staticBitmap");
    group->Add(certificate_bitmap, 0, wxALL, 2);
    certificate_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_certificate_64(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(certificate_bitmap_2x, 0, wxALL, 2);
    certificate_invalid_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_invalid_32(), wxDefaultPosition,
                                                    wxDefaultSize, 0, "staticBitmap");
    group->Add(certificate_invalid_bitmap, 0, wxALL, 2);
    certificate_invalid_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_invalid_64(), wxDefaultPosition,
                                                       wxDefaultSize, 0, "staticBitmap");
    group->Add(certificate_invalid_bitmap_2x, 0, wxALL, 2);
    cert_chain_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_cert_chain_32(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_chain_bitmap, 0, wxALL, 2);
    cert_chain_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_cert_chain_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_chain_bitmap_2x, 0, wxALL, 2);
    cert_chain_invalid_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_chain_invalid_32(), wxDefaultPosition,
                                                   wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_chain_invalid_bitmap, 0, wxALL, 2);
    cert_chain_invalid_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_chain_invalid_64(), wxDefaultPosition,
                                                      wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_chain_invalid_bitmap_2x, 0, wxALL, 2);
    cert_card_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_card_bitmap, 0, wxALL, 2);
    cert_card_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_card_bitmap_2x, 0, wxALL, 2);
    cert_card_invalid_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_invalid_28(), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_card_invalid_bitmap, 0, wxALL, 2);
    cert_card_invalid_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_card_invalid_56(), wxDefaultPosition,
                                                     wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_card_invalid_bitmap_2x, 0, wxALL, 2);
    cert_fields_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_fields_32(), wxDefaultPosition, wxDefaultSize,
                                            0, "staticBitmap");
    group->Add(cert_fields_bitmap, 0, wxALL, 2);
    cert_fields_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_cert_fields_64(), wxDefaultPosition,
                                               wxDefaultSize, 0, "staticBitmap");
    group->Add(cert_fields_bitmap_2x, 0, wxALL, 2);
    tag_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_tag_28(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(tag_bitmap, 0, wxALL, 2);
    tag_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_tag_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(tag_bitmap_2x, 0, wxALL, 2);
    line_5 = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 5), wxLI_HORIZONTAL, "staticLine");
    group->Add(line_5, 0, wxALL, 2);
    add_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_add_56(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(add_bitmap_2x, 0, wxALL, 2);
    user_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_user_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(user_bitmap_2x, 0, wxALL, 2);
    stamp_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_stamp_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(stamp_bitmap_2x, 0, wxALL, 2);
    caption_certificate_bitmap_2x = new wxStaticBitmap(this, wxID_ANY, bitmap_certificate_64(), wxDefaultPosition,
                                                       wxDefaultSize, 0, "staticBitmap");
    group->Add(caption_certificate_bitmap_2x, 0, wxALL, 2);
    info_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_info_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(info_bitmap_2x, 0, wxALL, 2);
    flag_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_flag_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(flag_bitmap_2x, 0, wxALL, 2);
    refresh_badge_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_refresh_badge_64(), wxDefaultPosition,
                                              wxDefaultSize, 0, "staticBitmap");
    group->Add(refresh_badge_bitmap, 0, wxALL, 2);
    app_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_app_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(app_bitmap, 0, wxALL, 2);
    message_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_message_64(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(message_bitmap, 0, wxALL, 2);
    add_stamp_button = new wxBitmapButton(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                          wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    add_stamp_button->SetBitmap(bitmap_add_stamp_256(), wxLEFT);
    add_stamp_button->SetBitmapDisabled(bitmap_add_stamp_disabled_256());
    add_stamp_button->SetBitmapFocus(bitmap_add_stamp_hover_256());
    add_stamp_button->SetBitmapCurrent(bitmap_add_stamp_hover_256());
    group->Add(add_stamp_button, 0, wxALL, 2);
    recent_open_button = new wxt_bmpbutton_nofocus(this, "button");
    recent_open_button->SetBitmap(bitmap_recent_open_256(), wxLEFT);
    recent_open_button->SetBitmapFocus(bitmap_recent_open_hover_256());
    recent_open_button->SetBitmapCurrent(bitmap_recent_open_hover_256());
    group->Add(recent_open_button, 0, wxALL, 2);
    app_icon_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_app_icon(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(app_icon_bitmap, 0, wxALL, 2);
    app_icon_pink_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_app_icon_pink(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(app_icon_pink_bitmap, 0, wxALL, 2);
    invalid_mark_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_invalid_mark_255x256(), wxDefaultPosition,
                                             wxDefaultSize, 0, "staticBitmap");
    group->Add(invalid_mark_bitmap, 0, wxALL, 2);
    logo_bitmap_2x =
        new wxStaticBitmap(this, wxID_ANY, bitmap_logo_206x60(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    group->Add(logo_bitmap_2x, 0, wxALL, 2);
    SetSizer(group, true);
    Layout();
    group->Fit(this);
    Centre(wxBOTH);
    wire(true);
}

dynamic_resource_base::~dynamic_resource_base() { wire(false); }

void dynamic_resource_base::wire(bool c) {
    form_link(c, donate_button, wxEVT_BUTTON, wxCommandEventHandler(dynamic_resource_base::on_button), this);
    form_link(c, info_bitmap_2x, wxEVT_LEFT_UP, wxMouseEventHandler(dynamic_resource_base::on_left_up), this);
}
