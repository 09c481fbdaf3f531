// Every picture of the table: the size its name gives (width, or width x
// height), the two icons at the size of their largest image (the toolkit's
// default choice among an icon file's images).
#include <gtest/gtest.h>

#include <wx/bitmap.h>

#include "forms/pictures.h"
#include "gui/gui_harness.h"
#include "platform/resources.h"

namespace {

struct picture_row {
    const char* name;
    wxBitmap& (*accessor)();
    int width;
    int height;
};

const picture_row pictures[] = {
    {"bitmap_add_28", &bitmap_add_28, 28, 28},
    {"bitmap_add_56", &bitmap_add_56, 56, 56},
    {"bitmap_add_stamp_128", &bitmap_add_stamp_128, 128, 128},
    {"bitmap_add_stamp_256", &bitmap_add_stamp_256, 256, 256},
    {"bitmap_add_stamp_disabled_128", &bitmap_add_stamp_disabled_128, 128, 128},
    {"bitmap_add_stamp_disabled_256", &bitmap_add_stamp_disabled_256, 256, 256},
    {"bitmap_add_stamp_hover_128", &bitmap_add_stamp_hover_128, 128, 128},
    {"bitmap_add_stamp_hover_256", &bitmap_add_stamp_hover_256, 256, 256},
    {"bitmap_announce_32", &bitmap_announce_32, 32, 32},
    {"bitmap_announce_64", &bitmap_announce_64, 64, 64},
    {"bitmap_app_128", &bitmap_app_128, 128, 128},
    {"bitmap_app_64", &bitmap_app_64, 64, 64},
    {"bitmap_app_icon", &bitmap_app_icon, 256, 256},
    {"bitmap_app_icon_pink", &bitmap_app_icon_pink, 256, 256},
    {"bitmap_arrow_left_20x32", &bitmap_arrow_left_20x32, 20, 32},
    {"bitmap_arrow_left_hover_20x32", &bitmap_arrow_left_hover_20x32, 20, 32},
    {"bitmap_arrow_right_20x32", &bitmap_arrow_right_20x32, 20, 32},
    {"bitmap_arrow_right_hover_20x32", &bitmap_arrow_right_hover_20x32, 20, 32},
    {"bitmap_ca_logo_124x33", &bitmap_ca_logo_124x33, 124, 33},
    {"bitmap_cert_card_28", &bitmap_cert_card_28, 28, 28},
    {"bitmap_cert_card_56", &bitmap_cert_card_56, 56, 56},
    {"bitmap_cert_card_invalid_28", &bitmap_cert_card_invalid_28, 28, 28},
    {"bitmap_cert_card_invalid_32", &bitmap_cert_card_invalid_32, 32, 32},
    {"bitmap_cert_card_invalid_56", &bitmap_cert_card_invalid_56, 56, 56},
    {"bitmap_cert_card_invalid_64", &bitmap_cert_card_invalid_64, 64, 64},
    {"bitmap_cert_chain_32", &bitmap_cert_chain_32, 32, 32},
    {"bitmap_cert_chain_64", &bitmap_cert_chain_64, 64, 64},
    {"bitmap_cert_chain_invalid_32", &bitmap_cert_chain_invalid_32, 32, 32},
    {"bitmap_cert_chain_invalid_64", &bitmap_cert_chain_invalid_64, 64, 64},
    {"bitmap_cert_fields_32", &bitmap_cert_fields_32, 32, 32},
    {"bitmap_cert_fields_64", &bitmap_cert_fields_64, 64, 64},
    {"bitmap_certificate_32", &bitmap_certificate_32, 32, 32},
    {"bitmap_certificate_64", &bitmap_certificate_64, 64, 64},
    {"bitmap_close_56", &bitmap_close_56, 56, 56},
    {"bitmap_close_hover_56", &bitmap_close_hover_56, 56, 56},
    {"bitmap_document_32", &bitmap_document_32, 32, 32},
    {"bitmap_document_64", &bitmap_document_64, 64, 64},
    {"bitmap_document_hover_32", &bitmap_document_hover_32, 32, 32},
    {"bitmap_document_hover_64", &bitmap_document_hover_64, 64, 64},
    {"bitmap_donate_32", &bitmap_donate_32, 32, 32},
    {"bitmap_donate_64", &bitmap_donate_64, 64, 64},
    {"bitmap_donate_code_a_320", &bitmap_donate_code_a_320, 320, 320},
    {"bitmap_donate_code_b_320", &bitmap_donate_code_b_320, 320, 320},
    {"bitmap_donate_hover_32", &bitmap_donate_hover_32, 32, 32},
    {"bitmap_donate_hover_64", &bitmap_donate_hover_64, 64, 64},
    {"bitmap_feedback_28", &bitmap_feedback_28, 28, 28},
    {"bitmap_feedback_56", &bitmap_feedback_56, 56, 56},
    {"bitmap_feedback_hover_28", &bitmap_feedback_hover_28, 28, 28},
    {"bitmap_feedback_hover_56", &bitmap_feedback_hover_56, 56, 56},
    {"bitmap_file_32", &bitmap_file_32, 32, 32},
    {"bitmap_file_64", &bitmap_file_64, 64, 64},
    {"bitmap_fit_height_28", &bitmap_fit_height_28, 28, 28},
    {"bitmap_fit_height_56", &bitmap_fit_height_56, 56, 56},
    {"bitmap_fit_height_hover_28", &bitmap_fit_height_hover_28, 28, 28},
    {"bitmap_fit_height_hover_56", &bitmap_fit_height_hover_56, 56, 56},
    {"bitmap_fit_page_28", &bitmap_fit_page_28, 28, 28},
    {"bitmap_fit_page_56", &bitmap_fit_page_56, 56, 56},
    {"bitmap_fit_page_hover_28", &bitmap_fit_page_hover_28, 28, 28},
    {"bitmap_fit_page_hover_56", &bitmap_fit_page_hover_56, 56, 56},
    {"bitmap_fit_width_28", &bitmap_fit_width_28, 28, 28},
    {"bitmap_fit_width_56", &bitmap_fit_width_56, 56, 56},
    {"bitmap_fit_width_hover_28", &bitmap_fit_width_hover_28, 28, 28},
    {"bitmap_fit_width_hover_56", &bitmap_fit_width_hover_56, 56, 56},
    {"bitmap_flag_32", &bitmap_flag_32, 32, 32},
    {"bitmap_flag_64", &bitmap_flag_64, 64, 64},
    {"bitmap_home_28", &bitmap_home_28, 28, 28},
    {"bitmap_home_57x56", &bitmap_home_57x56, 57, 56},
    {"bitmap_home_hover_28", &bitmap_home_hover_28, 28, 28},
    {"bitmap_home_hover_57x56", &bitmap_home_hover_57x56, 57, 56},
    {"bitmap_info_32", &bitmap_info_32, 32, 32},
    {"bitmap_info_64", &bitmap_info_64, 64, 64},
    {"bitmap_infobar_28", &bitmap_infobar_28, 28, 28},
    {"bitmap_infobar_56", &bitmap_infobar_56, 56, 56},
    {"bitmap_invalid_mark_255x256", &bitmap_invalid_mark_255x256, 255, 256},
    {"bitmap_logo_103x30", &bitmap_logo_103x30, 103, 30},
    {"bitmap_logo_206x60", &bitmap_logo_206x60, 206, 60},
    {"bitmap_mark_32", &bitmap_mark_32, 32, 32},
    {"bitmap_mark_64", &bitmap_mark_64, 64, 64},
    {"bitmap_message_64", &bitmap_message_64, 64, 64},
    {"bitmap_minus_32", &bitmap_minus_32, 32, 32},
    {"bitmap_minus_64", &bitmap_minus_64, 64, 64},
    {"bitmap_minus_hover_32", &bitmap_minus_hover_32, 32, 32},
    {"bitmap_minus_hover_64", &bitmap_minus_hover_64, 64, 64},
    {"bitmap_move_top_32", &bitmap_move_top_32, 32, 32},
    {"bitmap_move_top_64", &bitmap_move_top_64, 64, 64},
    {"bitmap_move_top_hover_32", &bitmap_move_top_hover_32, 32, 32},
    {"bitmap_move_top_hover_64", &bitmap_move_top_hover_64, 64, 64},
    {"bitmap_next_page_32", &bitmap_next_page_32, 32, 32},
    {"bitmap_next_page_64", &bitmap_next_page_64, 64, 64},
    {"bitmap_next_page_hover_32", &bitmap_next_page_hover_32, 32, 32},
    {"bitmap_next_page_hover_64", &bitmap_next_page_hover_64, 64, 64},
    {"bitmap_open_32", &bitmap_open_32, 32, 32},
    {"bitmap_open_60", &bitmap_open_60, 60, 60},
    {"bitmap_open_hover_32", &bitmap_open_hover_32, 32, 32},
    {"bitmap_open_hover_60", &bitmap_open_hover_60, 60, 60},
    {"bitmap_pen_16", &bitmap_pen_16, 16, 16},
    {"bitmap_pen_28", &bitmap_pen_28, 28, 28},
    {"bitmap_pen_56", &bitmap_pen_56, 56, 56},
    {"bitmap_person_28", &bitmap_person_28, 28, 28},
    {"bitmap_person_56", &bitmap_person_56, 56, 56},
    {"bitmap_plus_32", &bitmap_plus_32, 32, 32},
    {"bitmap_plus_64", &bitmap_plus_64, 64, 64},
    {"bitmap_plus_hover_32", &bitmap_plus_hover_32, 32, 32},
    {"bitmap_plus_hover_64", &bitmap_plus_hover_64, 64, 64},
    {"bitmap_previous_page_32", &bitmap_previous_page_32, 32, 32},
    {"bitmap_previous_page_64", &bitmap_previous_page_64, 64, 64},
    {"bitmap_previous_page_hover_32", &bitmap_previous_page_hover_32, 32, 32},
    {"bitmap_previous_page_hover_64", &bitmap_previous_page_hover_64, 64, 64},
    {"bitmap_puzzle_29x28", &bitmap_puzzle_29x28, 29, 28},
    {"bitmap_puzzle_58x56", &bitmap_puzzle_58x56, 58, 56},
    {"bitmap_recent_open_128", &bitmap_recent_open_128, 128, 128},
    {"bitmap_recent_open_256", &bitmap_recent_open_256, 256, 256},
    {"bitmap_recent_open_hover_128", &bitmap_recent_open_hover_128, 128, 128},
    {"bitmap_recent_open_hover_256", &bitmap_recent_open_hover_256, 256, 256},
    {"bitmap_refresh_32", &bitmap_refresh_32, 32, 32},
    {"bitmap_refresh_64", &bitmap_refresh_64, 64, 64},
    {"bitmap_refresh_badge_64", &bitmap_refresh_badge_64, 64, 64},
    {"bitmap_refresh_hover_32", &bitmap_refresh_hover_32, 32, 32},
    {"bitmap_refresh_hover_64", &bitmap_refresh_hover_64, 64, 64},
    {"bitmap_remove_file_24", &bitmap_remove_file_24, 24, 24},
    {"bitmap_remove_file_48", &bitmap_remove_file_48, 48, 48},
    {"bitmap_reset_32", &bitmap_reset_32, 32, 32},
    {"bitmap_reset_64", &bitmap_reset_64, 64, 64},
    {"bitmap_reset_hover_32", &bitmap_reset_hover_32, 32, 32},
    {"bitmap_reset_hover_64", &bitmap_reset_hover_64, 64, 64},
    {"bitmap_settings_general_28", &bitmap_settings_general_28, 28, 28},
    {"bitmap_settings_general_56", &bitmap_settings_general_56, 56, 56},
    {"bitmap_settings_other_28", &bitmap_settings_other_28, 28, 28},
    {"bitmap_settings_other_56", &bitmap_settings_other_56, 56, 56},
    {"bitmap_settings_sign_28x25", &bitmap_settings_sign_28x25, 28, 25},
    {"bitmap_settings_sign_62x56", &bitmap_settings_sign_62x56, 62, 56},
    {"bitmap_sig_invalid_28", &bitmap_sig_invalid_28, 28, 28},
    {"bitmap_sig_invalid_56", &bitmap_sig_invalid_56, 56, 56},
    {"bitmap_sig_valid_28", &bitmap_sig_valid_28, 28, 28},
    {"bitmap_sig_valid_56", &bitmap_sig_valid_56, 56, 56},
    {"bitmap_sign_panel_112x56", &bitmap_sign_panel_112x56, 112, 56},
    {"bitmap_sign_panel_56x28", &bitmap_sign_panel_56x28, 56, 28},
    {"bitmap_sign_panel_cn_112x56", &bitmap_sign_panel_cn_112x56, 112, 56},
    {"bitmap_sign_panel_cn_56x28", &bitmap_sign_panel_cn_56x28, 56, 28},
    {"bitmap_sign_panel_cn_hover_112x56", &bitmap_sign_panel_cn_hover_112x56, 112, 56},
    {"bitmap_sign_panel_cn_hover_56x28", &bitmap_sign_panel_cn_hover_56x28, 56, 28},
    {"bitmap_sign_panel_hover_112x56", &bitmap_sign_panel_hover_112x56, 112, 56},
    {"bitmap_sign_panel_hover_56x28", &bitmap_sign_panel_hover_56x28, 56, 28},
    {"bitmap_stamp_32", &bitmap_stamp_32, 32, 32},
    {"bitmap_stamp_64", &bitmap_stamp_64, 64, 64},
    {"bitmap_stamp_cloud_cn_216x69", &bitmap_stamp_cloud_cn_216x69, 216, 69},
    {"bitmap_stamp_cloud_cn_300x96", &bitmap_stamp_cloud_cn_300x96, 300, 96},
    {"bitmap_stamp_cloud_en_216x69", &bitmap_stamp_cloud_en_216x69, 216, 69},
    {"bitmap_stamp_cloud_en_300x96", &bitmap_stamp_cloud_en_300x96, 300, 96},
    {"bitmap_stamp_invisible_cn_216x69", &bitmap_stamp_invisible_cn_216x69, 216, 69},
    {"bitmap_stamp_invisible_cn_300x96", &bitmap_stamp_invisible_cn_300x96, 300, 96},
    {"bitmap_stamp_invisible_en_216x69", &bitmap_stamp_invisible_en_216x69, 216, 69},
    {"bitmap_stamp_invisible_en_300x96", &bitmap_stamp_invisible_en_300x96, 300, 96},
    {"bitmap_stamp_timestamp_cn_216x69", &bitmap_stamp_timestamp_cn_216x69, 216, 69},
    {"bitmap_stamp_timestamp_cn_300x96", &bitmap_stamp_timestamp_cn_300x96, 300, 96},
    {"bitmap_stamp_timestamp_en_216x69", &bitmap_stamp_timestamp_en_216x69, 216, 69},
    {"bitmap_stamp_timestamp_en_300x96", &bitmap_stamp_timestamp_en_300x96, 300, 96},
    {"bitmap_tag_28", &bitmap_tag_28, 28, 28},
    {"bitmap_tag_56", &bitmap_tag_56, 56, 56},
    {"bitmap_timestamp_28", &bitmap_timestamp_28, 28, 28},
    {"bitmap_timestamp_32", &bitmap_timestamp_32, 32, 32},
    {"bitmap_timestamp_56", &bitmap_timestamp_56, 56, 56},
    {"bitmap_timestamp_64", &bitmap_timestamp_64, 64, 64},
    {"bitmap_timestamp_invalid_28", &bitmap_timestamp_invalid_28, 28, 28},
    {"bitmap_timestamp_invalid_56", &bitmap_timestamp_invalid_56, 56, 56},
    {"bitmap_user_32", &bitmap_user_32, 32, 32},
    {"bitmap_user_64", &bitmap_user_64, 64, 64},
    {"bitmap_zoom_in_32", &bitmap_zoom_in_32, 32, 32},
    {"bitmap_zoom_in_64", &bitmap_zoom_in_64, 64, 64},
    {"bitmap_zoom_in_hover_32", &bitmap_zoom_in_hover_32, 32, 32},
    {"bitmap_zoom_in_hover_64", &bitmap_zoom_in_hover_64, 64, 64},
    {"bitmap_zoom_out_32", &bitmap_zoom_out_32, 32, 32},
    {"bitmap_zoom_out_64", &bitmap_zoom_out_64, 64, 64},
    {"bitmap_zoom_out_hover_32", &bitmap_zoom_out_hover_32, 32, 32},
    {"bitmap_zoom_out_hover_64", &bitmap_zoom_out_hover_64, 64, 64},
};

TEST(pictures, every_accessor_gives_its_listed_size_and_the_same_bitmap_twice) {
    EXPECT_EQ(sizeof(pictures) / sizeof(pictures[0]), 175u);
    for (const picture_row& p : pictures) {
        SCOPED_TRACE(p.name);
        wxBitmap& first = p.accessor();
        ASSERT_TRUE(first.IsOk());
        EXPECT_EQ(first.GetWidth(), p.width);
        EXPECT_EQ(first.GetHeight(), p.height);
        EXPECT_EQ(&p.accessor(), &first);
    }
}

TEST(pictures, files_have_the_listed_formats) {
    auto bytes = [](const char* name, const char* type) { return platform::resource_bytes(name, type); };
    // PNG colour type: byte 25 of the file (IHDR); 6 RGBA, 3 palette, 2 RGB.
    EXPECT_EQ(bytes("bitmap_home_28", "PNG").at(25), 6);
    EXPECT_EQ(bytes("bitmap_invalid_mark_255x256", "PNG").at(25), 6);
    EXPECT_EQ(bytes("bitmap_ca_logo_124x33", "PNG").at(25), 3);
    EXPECT_EQ(bytes("bitmap_donate_code_a_320", "PNG").at(25), 2);
    EXPECT_EQ(bytes("bitmap_donate_code_b_320", "PNG").at(25), 2);
    // Icon files: six images, the first 256 x 256.
    for (const char* icon : {"bitmap_app_icon", "bitmap_app_icon_pink"}) {
        const std::string ico = bytes(icon, "ICO");
        ASSERT_GT(ico.size(), 22u);
        EXPECT_EQ(ico[4], 6);
        EXPECT_EQ(ico[6], 0);  // width byte 0 means 256
    }
    const picture_file gif = busy_animation();
    ASSERT_NE(gif.data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gif.data), 6), "GIF89a");
}

TEST(pictures, hover_pictures_differ_from_normal_ones) {
    const wxImage normal = bitmap_plus_32().ConvertToImage();
    const wxImage hover = bitmap_plus_hover_32().ConvertToImage();
    bool differs = false;
    for (int i = 0; i < 32 * 32 * 3 && !differs; ++i) differs = normal.GetData()[i] != hover.GetData()[i];
    EXPECT_TRUE(differs);
}

}  // namespace
