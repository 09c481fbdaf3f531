// The settings page: options saved as they change, the time-stamp server
// list, theme and language choices, file association under redirected XDG
// folders, and the tool-tip switch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/testing.h>
#include <wx/tooltip.h>

#include "app/data_dirs.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "gui/gui_harness.h"
#include "platform/file_association.h"
#include "support/test_support.h"
#include "ui/home_calls.h"
#include "ui/setting_panel.h"
#include "widgets/wxt_colorbutton.h"

namespace {

class settings_probe : public setting_panel {
public:
    using setting_panel::setting_panel;
    using setting_base::add_ltv_check;
    using setting_base::associate_files_check;
    using setting_base::disable_tooltip_check;
    using setting_base::full_width_radio;
    using setting_base::remember_position_check;
    using setting_base::theme_dark_radio;
    using setting_base::theme_light_radio;
    using setting_base::tsurl_combo;
    using setting_base::tsurl_delete_button;
};

class SettingPage : public ::testing::Test {
protected:
    void SetUp() override {
        set_data_root(dir_.path());
        app_data_dir();
        load_settings();
        timestamp_urls.clear();
        saved_dark_ = is_dark_theme;
        frame_ = new wxFrame(nullptr, wxID_ANY, "settings", wxPoint(0, 0), wxSize(1000, 700));
        frame_->SetSizer(new wxBoxSizer(wxVERTICAL));
    }
    void TearDown() override {
        frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        is_dark_theme = saved_dark_;
        theme = L"light";
        timestamp_urls.clear();
        home_calls() = home_call_table();
        set_data_root(dir_.path() + "/gone");
    }
    settings_probe* show() {
        auto* page = new settings_probe(frame_);
        frame_->GetSizer()->Add(page, 1, wxEXPAND);
        frame_->Show();
        frame_->Layout();
        gui_test::settle(std::chrono::milliseconds(100));
        return page;
    }
    std::string saved() const { return testsupport::read_file(wxString(settings_path).utf8_string()); }
    static std::vector<wxString> items(wxComboBox* list) {
        std::vector<wxString> out;
        for (unsigned i = 0; i < list->GetCount(); ++i) out.push_back(list->GetString(i));
        return out;
    }
    static void leave(wxComboBox* list, const wxString& text) {
        list->ChangeValue(text);
        wxFocusEvent lost(wxEVT_KILL_FOCUS, list->GetId());
        lost.SetEventObject(list);
        list->GetEventHandler()->ProcessEvent(lost);
    }
    static void command(wxWindow* control, wxEventType type) {
        wxCommandEvent event(type, control->GetId());
        event.SetEventObject(control);
        if (auto* box = dynamic_cast<wxCheckBox*>(control)) event.SetInt(box->GetValue());
        control->GetEventHandler()->ProcessEvent(event);
    }

    testsupport::scratch_dir dir_;
    wxFrame* frame_ = nullptr;
    bool saved_dark_ = false;
};

TEST_F(SettingPage, timestamp_server_list) {
    // Empty in the settings: the default server first, the add item last.
    settings_probe* page = show();
    const wxString add = wxGetTranslation(L"Add a timestamp url");
    EXPECT_EQ(items(page->tsurl_combo),
              (std::vector<wxString>{setting_panel::default_timestamp_url, add}));

    // Five valid URLs; the sixth drops the fifth and comes first.
    for (int i = 1; i <= 5; ++i) leave(page->tsurl_combo, wxString::Format("https://tsa%d.example.org/ts", i));
    ASSERT_EQ(timestamp_urls.size(), 5u);
    EXPECT_EQ(timestamp_urls.front(), L"https://tsa5.example.org/ts");
    EXPECT_EQ(timestamp_urls.back(), L"https://tsa1.example.org/ts");
    leave(page->tsurl_combo, "https://tsa6.example.org");
    EXPECT_EQ(timestamp_urls.size(), 5u);
    EXPECT_EQ(timestamp_urls.front(), L"https://tsa6.example.org");
    EXPECT_EQ(timestamp_urls.back(), L"https://tsa2.example.org/ts");
    EXPECT_NE(saved().find("https://tsa6.example.org"), std::string::npos);
    EXPECT_EQ(saved().find("https://tsa1.example.org/ts"), std::string::npos);

    // A URL already listed changes neither the list nor the file.
    const std::string before = saved();
    leave(page->tsurl_combo, "https://tsa3.example.org/ts");
    EXPECT_EQ(saved(), before);
    EXPECT_EQ(timestamp_urls.front(), L"https://tsa6.example.org");

    // Refused: no scheme, no dot with a top-level part; the text goes back.
    for (const char* bad : {"ftp://tsa.example.org", "http://localhost", "tsa.example.org"}) {
        wxTEST_DIALOG(leave(page->tsurl_combo, bad), wxExpectModal<wxMessageDialog>(wxID_OK));
        EXPECT_EQ(page->tsurl_combo->GetValue(), "https://tsa6.example.org") << bad;
    }
    EXPECT_EQ(timestamp_urls.size(), 5u);

    // Choosing a later URL moves it to the front.
    page->tsurl_combo->SetSelection(2);
    command(page->tsurl_combo, wxEVT_COMBOBOX);
    EXPECT_EQ(timestamp_urls.front(), L"https://tsa4.example.org/ts");

    // Deleting every URL leaves the default.
    while (timestamp_urls.front() != setting_panel::default_timestamp_url) {
        page->tsurl_combo->SetSelection(0);
        command(page->tsurl_delete_button, wxEVT_BUTTON);
    }
    EXPECT_EQ(timestamp_urls.size(), 1u);
    // The add item or a half-typed text deletes nothing.
    page->tsurl_combo->ChangeValue("https://half");
    command(page->tsurl_delete_button, wxEVT_BUTTON);
    EXPECT_EQ(timestamp_urls.size(), 1u);
}

TEST_F(SettingPage, options_are_saved_as_they_change) {
    is_rem_possize = false;
    settings_probe* page = show();
    EXPECT_FALSE(page->remember_position_check->GetValue());

    page->full_width_radio->SetValue(true);
    command(page->full_width_radio, wxEVT_RADIOBUTTON);
    EXPECT_TRUE(is_zoom_auto_w);
    EXPECT_FALSE(is_zoom_fullpage);
    EXPECT_FALSE(is_zoom_auto_h);
    load_settings();  // as at the next start
    EXPECT_TRUE(is_zoom_auto_w);
    EXPECT_FALSE(is_zoom_fullpage);

    page->add_ltv_check->SetValue(false);
    command(page->add_ltv_check, wxEVT_CHECKBOX);
    load_settings();
    EXPECT_FALSE(is_ltv);

    // A checked "Disable tooltip" turns tool tips off.
    page->disable_tooltip_check->SetValue(true);
    command(page->disable_tooltip_check, wxEVT_CHECKBOX);
    EXPECT_TRUE(is_disable_tooltip);
    page->disable_tooltip_check->SetValue(false);
    command(page->disable_tooltip_check, wxEVT_CHECKBOX);
    EXPECT_FALSE(is_disable_tooltip);
}

TEST_F(SettingPage, theme_choice_is_always_saved) {
    is_dark_theme = true;
    theme = L"dark";
    settings_probe* page = show();
    command(page->theme_light_radio, wxEVT_RADIOBUTTON);
    load_settings();
    EXPECT_EQ(theme, L"light");
    // Back to the running theme: the last choice counts.
    command(page->theme_dark_radio, wxEVT_RADIOBUTTON);
    load_settings();
    EXPECT_EQ(theme, L"dark");
}

TEST_F(SettingPage, file_association_follows_the_box) {
    testsupport::scratch_dir xdg;
    setenv("XDG_DATA_HOME", (xdg.path() + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (xdg.path() + "/config").c_str(), 1);
    settings_probe* page = show();
    EXPECT_FALSE(page->associate_files_check->GetValue());

    page->associate_files_check->SetValue(true);
    command(page->associate_files_check, wxEVT_CHECKBOX);
    EXPECT_TRUE(platform::is_associated("pdf", "application/pdf"));
    EXPECT_TRUE(platform::is_associated("cer", "application/pkix-cert"));
    const std::string configs = wxString(configs_dir).utf8_string();
    EXPECT_TRUE(testsupport::file_exists(configs + "vlk-pdf.ico"));
    EXPECT_TRUE(testsupport::file_exists(configs + "vlk-cer.ico"));
    const std::string entry = testsupport::read_file(xdg.path() + "/data/applications/velkorant-pdf.desktop");
    EXPECT_NE(entry.find("MimeType=application/pdf;"), std::string::npos);
    EXPECT_NE(entry.find(" %f"), std::string::npos);

    page->associate_files_check->SetValue(false);
    command(page->associate_files_check, wxEVT_CHECKBOX);
    EXPECT_FALSE(platform::is_associated("pdf", "application/pdf"));
    EXPECT_FALSE(testsupport::file_exists(xdg.path() + "/data/applications/velkorant-pdf.desktop"));
    EXPECT_EQ(testsupport::read_file(xdg.path() + "/config/mimeapps.list").find("velkorant"), std::string::npos);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingPage, restart_goes_through_the_main_window) {
    int restarts = 0;
    home_calls().restart = [&] { ++restarts; };
    settings_probe* page = show();
    // The Restart button, found by its label among the page's descendants.
    std::function<wxWindow*(wxWindow*)> find = [&](wxWindow* root) -> wxWindow* {
        for (wxWindow* w : root->GetChildren()) {
            if (w->GetLabel() == wxGetTranslation("Restart")) return w;
            if (wxWindow* inner = find(w)) return inner;
        }
        return nullptr;
    };
    wxWindow* button = find(page);
    ASSERT_TRUE(button);
    command(button, wxEVT_BUTTON);
    EXPECT_EQ(restarts, 1);
}

TEST_F(SettingPage, gallery) {
    timestamp_urls = {L"https://tsa.example.org/ts"};
    settings_probe* page = show();
    EXPECT_FALSE(gui_test::save_screenshot(page, "setting_page_live").empty());
}

}  // namespace
