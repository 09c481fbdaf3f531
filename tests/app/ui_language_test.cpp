#include "app/screen_layout.h"
#include "app/ui_language.h"

#include <gtest/gtest.h>

TEST(UiLanguage, SettingDecidesTheLanguage) {
    struct {
        const char* setting;
        int system;
        bool chinese;
    } cases[] = {
        {"中文", wxLANGUAGE_ENGLISH, true},
        {"chinese", wxLANGUAGE_FRENCH, true},
        {"Chinese", wxLANGUAGE_CHINESE_SIMPLIFIED, false},
        {"中文 ", wxLANGUAGE_CHINESE_SIMPLIFIED, false},
        {"English", wxLANGUAGE_CHINESE_SIMPLIFIED, false},
        {"", wxLANGUAGE_CHINESE_SIMPLIFIED, false},
        {"oslang", wxLANGUAGE_CHINESE_TAIWAN, true},
        {"oslang", wxLANGUAGE_CHINESE, true},
        {"oslang", wxLANGUAGE_CHINESE_SIMPLIFIED, true},
        {"oslang", wxLANGUAGE_CHINESE_HONGKONG, true},
        {"oslang", wxLANGUAGE_CHINESE_MACAU, true},
        {"oslang", wxLANGUAGE_CHINESE_SINGAPORE, true},
        {"oslang", wxLANGUAGE_ENGLISH, false},
        {"oslang", wxLANGUAGE_JAPANESE, false},
        {"oslang", wxLANGUAGE_UNKNOWN, false},
        {"OSLANG", wxLANGUAGE_CHINESE_TAIWAN, false},
    };
    for (const auto& c : cases) EXPECT_EQ(is_chinese_language(c.setting, c.system), c.chinese) << c.setting << " " << c.system;
}

TEST(UiLanguage, SetterIsReadAtEveryCall) {
    set_ui_language_setting("chinese");
    EXPECT_EQ(ui_language_setting(), "chinese");
    EXPECT_TRUE(is_chinese_ui());
    set_ui_language_setting("English");
    EXPECT_FALSE(is_chinese_ui());
    set_ui_language_setting("oslang");
}

TEST(ScreenScale, PercentFromDpi) {
    const int cases[][2] = {{96, 100}, {120, 125}, {144, 150}, {168, 175}, {192, 200}, {100, 105}, {110, 115},
                            {97, 102}, {0, 100}, {-5, 100}};
    for (const auto& c : cases) EXPECT_EQ(scale_percent_for_dpi(c[0]), c[1]) << c[0];
}

TEST(ScreenScale, DialogSize) {
    EXPECT_EQ(scaled_dialog_size(wxSize(500, 400), 100), wxSize(500, 400));
    EXPECT_EQ(scaled_dialog_size(wxSize(500, 400), 80), wxSize(500, 400));
    EXPECT_EQ(scaled_dialog_size(wxSize(500, 400), 125), wxSize(625, 500));
    EXPECT_EQ(scaled_dialog_size(wxSize(333, 201), 115), wxSize(382, 231));  // product first, then truncate
}

TEST(MainWindowPlacement, NothingRemembered) {
    struct {
        wxRect area;
        wxRect expected;
    } cases[] = {
        {wxRect(0, 0, 1920, 1040), wxRect(288, 0, 1344, 1040)},
        {wxRect(100, 40, 1920, 1040), wxRect(388, 40, 1344, 1040)},  // relative to the area
        {wxRect(0, 0, 2560, 1400), wxRect(640, 0, 1280, 1400)},
        {wxRect(0, 0, 1280, 984), wxRect(0, 0, 1280, 984)},
        {wxRect(0, 0, 1281, 984), wxRect(192, 0, 896, 984)},
        {wxRect(-1920, 0, 1921, 1080), wxRect(-1920 + 480, 0, 960, 1080)},
    };
    for (const auto& c : cases) {
        // Zero width means nothing remembered; so do nonsense sizes from a damaged file.
        for (wxSize remembered : {wxSize(0, 0), wxSize(0, 700), wxSize(-5, 700), wxSize(900, 0)})
            EXPECT_EQ(main_window_placement(c.area, wxPoint(77, 55), remembered), c.expected)
                << c.area.width << " " << remembered.x << "x" << remembered.y;
    }
}

TEST(MainWindowPlacement, WindowsAreShrunkToTheAreaAndMovedIntoIt) {
    const wxRect area(0, 0, 960, 600);  // 1920 x 1200 at 200 %
    struct {
        wxRect window, expected;
    } cases[] = {
        {wxRect(100, -200, 500, 800), wxRect(100, 0, 500, 600)},  // centred on a smaller opener
        {wxRect(700, 100, 487, 400), wxRect(473, 100, 487, 400)},
        {wxRect(-30, 550, 300, 200), wxRect(0, 400, 300, 200)},
        {wxRect(10, 10, 2000, 300), wxRect(0, 10, 960, 300)},
        {wxRect(10, 10, 300, 200), wxRect(10, 10, 300, 200)},
    };
    for (const auto& c : cases) EXPECT_EQ(rect_inside(c.window, area), c.expected) << c.window.x << "," << c.window.y;
    EXPECT_EQ(rect_inside(wxRect(0, 0, 300, 200), wxRect(1920, 40, 1280, 984)), wxRect(1920, 40, 300, 200));
}

TEST(MainWindowPlacement, RememberedPositionIsKeptOnTheArea) {
    const wxRect area(0, 0, 1920, 1040);
    struct {
        wxPoint pos;
        wxSize size;
        wxRect expected;
    } cases[] = {
        {wxPoint(100, 50), wxSize(2000, 900), wxRect(0, 50, 1920, 900)},
        {wxPoint(-50, 20), wxSize(800, 600), wxRect(0, 20, 800, 600)},
        {wxPoint(1500, 20), wxSize(800, 600), wxRect(1120, 20, 800, 600)},
        {wxPoint(200, 900), wxSize(800, 600), wxRect(200, 440, 800, 600)},
        {wxPoint(200, -10), wxSize(800, 2000), wxRect(200, 0, 800, 1040)},
        {wxPoint(300, 100), wxSize(800, 600), wxRect(300, 100, 800, 600)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(main_window_placement(area, c.pos, c.size), c.expected) << c.pos.x << "," << c.pos.y;
    // An area that does not start at the origin.
    EXPECT_EQ(main_window_placement(wxRect(1920, 0, 1280, 1024), wxPoint(3000, 0), wxSize(800, 600)),
              wxRect(2400, 0, 800, 600));
    EXPECT_EQ(main_window_placement(wxRect(1920, 0, 1280, 1024), wxPoint(100, 0), wxSize(800, 600)),
              wxRect(1920, 0, 800, 600));
}
