// The feedback and version dialogs: validation and submission against a
// loopback server, the close veto while a worker runs, the version check in
// both modes, the download outcome, and the gallery in English and Chinese.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <clocale>
#include <memory>

#include <wx/hyperlink.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/translation.h>

#include "app/data_dirs.h"
#include "app/restart_command.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "gui/gui_harness.h"
#include "platform/shell_open.h"
#include "service/device_id.h"
#include "service/feedback_dlg.h"
#include "service/report_queue.h"
#include "service/version_check.h"
#include "service/version_dlg.h"
#include "support/test_support.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

using testsupport::loopback_server;
using namespace std::chrono;

namespace {

class test_feedback_dlg : public feedback_dlg {
public:
    using feedback_dlg::feedback_dlg;
    using feedback_dlg::close_button;
    using feedback_dlg::contact_text;
    using feedback_dlg::mail_link;
    using feedback_dlg::message_text;
    using feedback_dlg::result_label;
    using feedback_dlg::submit_button;
    void submit() {
        wxCommandEvent click(wxEVT_BUTTON, submit_button->GetId());
        click.SetEventObject(submit_button);
        gui_test::post_and_run(submit_button, click);
    }
};

class test_version_dlg : public version_dlg {
public:
    using version_dlg::version_dlg;
    using version_dlg::close_button;
    using version_dlg::newest_version_label;
    using version_dlg::release_notes_label;
    using version_dlg::status_label;
    using version_dlg::update_button;
    void click_update() {
        wxCommandEvent click(wxEVT_BUTTON, update_button->GetId());
        click.SetEventObject(update_button);
        gui_test::post_and_run(update_button, click);
    }
};

// A data folder of the test's own, known saved records, an empty queue.
class service_dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        set_fixed_colours();
        set_data_root(scratch_.path() + "/");
        load_settings();
        cfgui.device_id = "ABCDEF";
        cfgpi.name = L"Velkorant";
        cfgpi.version = "1.0.0.1";
        clear_report_queue();
        installer_folder_override = scratch_.path();
        feedback_dlg::worker_pause_ms = 0;
        version_check_busy = false;
        new_version_available = false;
        latest_version.clear();
        release_notes.clear();
        restart_command.clear();
    }
    void TearDown() override {
        gui_test::run_until([] { return !version_check_busy; }, seconds(20));
        clear_report_queue();
        reset_service_addresses();
        installer_folder_override.clear();
        feedback_dlg::worker_pause_ms = 1000;
        restart_command.clear();
        set_data_root(scratch_.path() + "/gone/");
    }
    static std::vector<std::string> queued_types() {
        std::lock_guard<std::mutex> lock(report_queue_mutex);
        std::vector<std::string> types;
        for (const auto& r : report_queue) types.push_back(r.type);
        return types;
    }
    testsupport::scratch_dir scratch_;
};

TEST_F(service_dialogs, feedback_refuses_short_messages_and_missing_contacts) {
    struct row {
        const wchar_t* message;
        const wchar_t* contact;
        const char* refusal;
    };
    const std::vector<row> rows = {
        {L"123456789", L"me", "Please submit at least 10 words"},
        {L"          ", L"me", "Please submit at least 10 words"},
        {L"", L"me", "Please submit at least 10 words"},
        {L"0123456789", L"", "Please fill your contact infomation"},
        {L"0123456789", L"  ", "Please fill your contact infomation"},
        {L"0123456789", L" ", "Please fill your contact infomation"},
        {L"0123456789", L" x", ""},
        {L"十个汉字十个汉字十个", L"qq 12345", ""},
    };
    for (const row& r : rows)
        EXPECT_STREQ(feedback_dlg::validation_error(r.message, r.contact), r.refusal)
            << wxString(r.message) << " / " << wxString(r.contact);

    auto* d = new test_feedback_dlg(nullptr);
    d->Show();
    EXPECT_FALSE(d->result_label->IsShown());
    EXPECT_FALSE(d->mail_link->IsShown());
    d->message_text->ChangeValue("too short");
    d->contact_text->ChangeValue("me@example.com");
    d->submit();
    EXPECT_TRUE(d->result_label->IsShown());
    EXPECT_EQ(d->result_label->saved_label, "Please submit at least 10 words");
    EXPECT_FALSE(d->is_busy());
    EXPECT_TRUE(d->submit_button->IsEnabled());

    // The mail link opens its address through the desktop's opener.
    wxString opened;
    auto previous = platform::set_shell_opener([&](const wxString& address) { opened = address; });
    wxHyperlinkEvent link(d->mail_link, d->mail_link->GetId(), d->mail_link->GetURL());
    gui_test::post_and_run(d->mail_link, link);
    platform::set_shell_opener(previous);
    EXPECT_EQ(opened, "mailto:support@velkorant.example.com");
    d->Destroy();
}

TEST_F(service_dialogs, feedback_submits_on_a_worker_and_shows_the_reply) {
    loopback_server server(R"({"/ok": {"body": "{\"status\": \"Completed\"}", "delay": 1},
                              "/busy": {"status": 503, "body": "maintenance"}})");
    report_endpoint = server.url("/ok");
    auto* d = new test_feedback_dlg(nullptr);
    d->Show();
    d->message_text->ChangeValue("The signature panel is great.");
    d->contact_text->ChangeValue("me@example.com");
    d->submit();
    EXPECT_TRUE(d->is_busy());
    EXPECT_FALSE(d->submit_button->IsEnabled());
    EXPECT_FALSE(d->close_button->IsEnabled());
    EXPECT_FALSE(d->Close());  // refused while the worker runs
    ASSERT_TRUE(gui_test::run_until([&] { return !d->is_busy(); }, seconds(20)));
    EXPECT_EQ(d->result_label->GetLabel(), "Submit completed");
    EXPECT_EQ(d->result_label->GetForegroundColour(), ok_colour);
    EXPECT_FALSE(d->mail_link->IsShown());
    EXPECT_TRUE(d->submit_button->IsEnabled());
    EXPECT_EQ(server.request_count(), 1);
    EXPECT_TRUE(queued_types().empty());  // sent at once, not queued

    report_endpoint = server.url("/busy");
    d->submit();
    ASSERT_TRUE(gui_test::run_until([&] { return !d->is_busy(); }, seconds(20)));
    EXPECT_EQ(d->result_label->GetLabel(), "Sorry, Submit Failed! Server is under maintenance");
    EXPECT_EQ(d->result_label->GetForegroundColour(), wxColour(255, 0, 0));
    EXPECT_TRUE(d->mail_link->IsShown());
    EXPECT_TRUE(d->close_button->IsEnabled());
    d->Destroy();
}

// The server of the version tests: the version information, the notes, and
// an installer signed by nobody the program trusts.
std::string version_routes(const std::string& version) {
    return "{\"/velkorant-version.json\": {\"body\": \"{\\\"velkorant\\\": {\\\"version\\\": \\\"" + version +
           "\\\"}}\"}, \"/velkorant-release-notes-en.txt\": {\"body\": \"Faster verification.\\nNew stamps.\"},"
           " \"/velkorant-v" + version + ".exe\": {\"body\": \"MZ not really a program\"}}";
}

TEST_F(service_dialogs, version_check_finds_a_newer_version_and_says_where_it_comes_from) {
    loopback_server server(version_routes("99.1.0.0"));
    download_base = server.url("/");
    report_endpoint = server.url("/report");
    agree = true;
    auto* d = new test_version_dlg(nullptr, 0);
    d->Show();
    EXPECT_EQ(d->status_label->GetLabel(), "Checking new version...");
    EXPECT_FALSE(d->close_button->IsEnabled());
    EXPECT_FALSE(d->update_button->IsShown());
    EXPECT_FALSE(d->Close());
    ASSERT_TRUE(gui_test::run_until([&] { return !d->is_busy(); }, seconds(20)));
    EXPECT_EQ(d->status_label->GetLabel(), "There is new version now~~~");
    EXPECT_EQ(d->newest_version_label->GetLabel(), "99.1.0.0");
    EXPECT_EQ(d->release_notes_label->GetLabelText(),
              wxString::FromUTF8("Faster verification.\nNew stamps.\n\nVelkorant does not install updates on Linux. "
                                 "Get the new version from the release page, " + download_base +
                                 ", or from your distribution's package."));
    // Nothing to download on Linux: only Close.
    EXPECT_FALSE(d->update_button->IsShown());
    EXPECT_TRUE(d->close_button->IsShown() && d->close_button->IsEnabled());
    EXPECT_EQ(latest_version, "99.1.0.0");
    EXPECT_TRUE(new_version_available);

    // A click that still arrives downloads nothing, starts nothing, closes nothing.
    const int requests = server.request_count();
    d->click_update();
    gui_test::settle(milliseconds(200));
    EXPECT_FALSE(d->is_busy());
    EXPECT_EQ(server.request_count(), requests);
    EXPECT_TRUE(d->IsShown());
    EXPECT_TRUE(restart_command.empty());
    EXPECT_TRUE(agree);
    EXPECT_FALSE(testsupport::file_exists(scratch_.file("velkorant-v99.1.0.0.exe")));
    EXPECT_TRUE(queued_types().empty());
    d->Destroy();
}

TEST_F(service_dialogs, version_check_failure_and_the_result_mode) {
    loopback_server server(version_routes("3.2.1"));  // three numbers
    download_base = server.url("/");
    latest_version = "2.0.0.0";
    auto* d = new test_version_dlg(nullptr, 0);
    d->Show();
    ASSERT_TRUE(gui_test::run_until([&] { return !d->is_busy(); }, seconds(20)));
    EXPECT_EQ(d->status_label->GetLabel(), "Failed to check update !");
    EXPECT_TRUE(d->close_button->IsEnabled());
    EXPECT_EQ(latest_version, "2.0.0.0");
    EXPECT_EQ(queued_types(), std::vector<std::string>{"check-version"});
    d->Destroy();

    // Mode 1 shows the last result without asking the server.
    new_version_available = false;
    latest_version = own_file_version();
    auto* m = new test_version_dlg(nullptr, 1);
    m->Show();
    EXPECT_FALSE(m->is_busy());
    EXPECT_EQ(m->status_label->GetLabel(), "Current version is the newest now!");
    EXPECT_EQ(m->newest_version_label->GetLabel(), wxString(own_file_version()));
    EXPECT_EQ(m->release_notes_label->GetLabel(), "");
    EXPECT_TRUE(m->close_button->IsShown() && m->close_button->IsEnabled());
    EXPECT_FALSE(m->update_button->IsShown());
    EXPECT_EQ(server.request_count(), 1);  // the earlier check only: the bad version ended it before the notes
    m->Destroy();
}

TEST_F(service_dialogs, a_download_event_never_restarts_closes_or_resets_the_agreement) {
    agree = true;
    updated_tip = false;
    save_ui_status();
    auto* d = new test_version_dlg(nullptr, 1);
    d->Show();
    wxThreadEvent forged(wxEVT_THREAD, wxID_ANY);
    forged.SetString(evt_download_succeed);
    gui_test::post_and_run(d, forged);
    version_event done(evt_download_succeed);
    done.ok = true;
    done.download.path = L"/opt/velkorant/velkorant-v9.0.0.0.exe";
    gui_test::post_and_run(d, done);
    EXPECT_TRUE(restart_command.empty());
    EXPECT_TRUE(agree);
    EXPECT_FALSE(updated_tip);
    EXPECT_TRUE(d->IsShown());
    EXPECT_TRUE(queued_types().empty());
    load_settings();
    EXPECT_TRUE(agree);
    d->Destroy();
}

// ---------------------------------------------------------------- gallery

using chinese_ui = gui_test::chinese_interface;

void shoot_service_dialogs(const std::string& suffix, testsupport::scratch_dir& scratch) {
    {
        // As it opens: the hints in both fields.
        auto* f = new test_feedback_dlg(nullptr);
        f->Move(0, 0);
        f->Show();
        f->submit_button->SetFocus();
        EXPECT_FALSE(gui_test::save_screenshot(f, "feedback_dlg_empty" + suffix).empty());
        f->Destroy();
        gui_test::settle(milliseconds(20));
    }
    {
        // After a failed submission: the red line and the mail link.
        loopback_server server(R"({"*": {"status": 500, "body": "down"}})");
        report_endpoint = server.url("/r");
        auto* f = new test_feedback_dlg(nullptr);
        f->Move(0, 0);
        f->Show();
        // Set as typing does: the field has the focus, so its hint is gone.
        f->message_text->SetFocus();
        gui_test::settle(milliseconds(50));
        f->message_text->SetValue(wxString::FromUTF8("签名面板很好用，谢谢！ The stamp editor works well."));
        f->contact_text->SetValue("me@example.com");
        f->submit();
        gui_test::run_until([&] { return !f->is_busy(); }, seconds(20));
        EXPECT_FALSE(gui_test::save_screenshot(f, "feedback_dlg_failed" + suffix).empty());
        f->Destroy();
        gui_test::settle(milliseconds(20));
    }
    {
        new_version_available = true;
        latest_version = "9.1.0.0";
        release_notes = wxString::FromUTF8("- 验证更快\n- Faster verification of large files\n- New stamp pictures")
                            .ToStdWstring();
        auto* v = new test_version_dlg(nullptr, 1);
        v->Move(0, 0);
        v->Show();
        EXPECT_FALSE(gui_test::save_screenshot(v, "version_dlg_new" + suffix).empty());
        // The notes and buttons fit the dialog: nothing scrolls or lies outside it.
        EXPECT_EQ(fitted_scroller(v), nullptr);
        const wxSize needed = v->GetSizer()->CalcMin();
        EXPECT_LE(needed.x, v->GetClientSize().x);
        EXPECT_LE(needed.y, v->GetClientSize().y);
        v->Destroy();
        new_version_available = false;
        gui_test::settle(milliseconds(20));
        // No newer version: the form's own line, no notes, Close.
        latest_version = "1.0.0.1";
        auto* n = new test_version_dlg(nullptr, 1);
        n->Move(0, 0);
        n->Show();
        EXPECT_FALSE(gui_test::save_screenshot(n, "version_dlg_newest" + suffix).empty());
        n->Destroy();
        gui_test::settle(milliseconds(20));
    }
    (void)scratch;
}


}  // namespace

// Run again at 200 % with the rest of the gallery.
TEST(gallery, service_dialogs) {
    testsupport::scratch_dir scratch;
    set_fixed_colours();
    set_data_root(scratch.path() + "/");
    load_settings();
    shoot_service_dialogs("", scratch);
    {
        chinese_ui chinese;
        ASSERT_TRUE(chinese.loaded);
        shoot_service_dialogs("_zh", scratch);
    }
    reset_service_addresses();
    latest_version.clear();
    release_notes.clear();
    clear_report_queue();
    set_data_root(scratch.path() + "/gone/");
}
