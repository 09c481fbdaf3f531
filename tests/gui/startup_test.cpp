// Start-up and its early end: the command line, the trust list at start-up,
// the first-run agreement and its dialog, the one end path, the restart.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/stdpaths.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/translation.h>

#include "app/data_dirs.h"
#include "app/process_exit.h"
#include "app/restart_command.h"
#include "app/settings.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "crypto/trust_list.h"
#include "dialogs/agreement_dlg.h"
#include "gui/gui_harness.h"
#include "platform/resources.h"
#include "program/startup.h"
#include "program/startup_services.h"
#include "service/device_id.h"
#include "support/test_support.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"
#include "widgets/wxt_colorbutton.h"

template <>
class wxExpectModal<agreement_dlg> : public wxExpectDismissableModal<agreement_dlg> {
public:
    explicit wxExpectModal(int id) : wxExpectDismissableModal<agreement_dlg>(id) {}
};

namespace {

using namespace std::chrono_literals;
using testsupport::file_exists;
using testsupport::read_file;
using testsupport::write_file;

bool wait_for_workers(std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running_workers.load() != 0) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// A fresh data folder, settings as a first start reads them, an empty trust
// list, the Documents folder inside the scratch folder, and a final step of
// shutdown that only counts its calls.
class startup : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = scratch_.path();
        set_data_root(root_);
        app_data_dir();
        settings_document = wxXmlDocument();
        cfgpi = product_info();
        load_settings();
        settings_loaded = true;
        {
            trust_list_lock lock(trust_list_mutex);
            trust_list.clear();
        }
        trust_list_id.clear();
        trust_list_file.clear();
        certcache_dir.clear();
        trust_list_loaded = false;
        trust_list_ready = false;
        stop_workers = false;
        startup_document.clear();
        loaded_product_version.clear();
        documents_ = root_ + "/Documents";
        // The user's folder settings, read from the home folder's .config
        // (the toolkit takes the named folder only when it exists).
        wxFileName::Mkdir(wxString::FromUTF8(root_ + "/.config"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        wxFileName::Mkdir(wxString::FromUTF8(documents_), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        write_file(root_ + "/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
        old_home_ = std::getenv("HOME") ? std::getenv("HOME") : "";
        const char* old = std::getenv("XDG_CONFIG_HOME");
        old_config_home_ = old ? old : "";
        had_config_home_ = old != nullptr;
        setenv("HOME", root_.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        set_final_exit([this] { ++final_exits_; });
        // The approved roots: one test root as the system set.
        const auto made = testsupport::run_command(
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 -subj /CN=System-Root "
            "-keyout " + root_ + "/system.key -out " + root_ + "/system.pem 2>&1");
        ASSERT_EQ(made.status, 0) << made.output;
        system_roots_ = std::make_unique<testsupport::system_roots_override>(root_ + "/system.pem");
    }
    void TearDown() override {
        stop_workers = true;
        EXPECT_TRUE(wait_for_workers());
        stop_workers = false;
        trust_list_ready = false;
        set_final_exit(nullptr);
        set_restart_launcher(nullptr);
        restart_command.clear();
        setenv("HOME", old_home_.c_str(), 1);
        if (had_config_home_) setenv("XDG_CONFIG_HOME", old_config_home_.c_str(), 1);
        {
            trust_list_lock lock(trust_list_mutex);
            trust_list.clear();
        }
        trust_list_file.clear();
        certcache_dir.clear();
        set_data_root(root_ + "/gone");  // never fall back to the real home folder
        system_roots_.reset();
    }

    std::string data_folder() const { return data_dir; }
    std::string trust_file() const { return data_dir + kTrustListFileName; }
    std::string settings_file() const { return wxString(settings_path).utf8_string(); }

    // A stored trust list with the system set's entries, as an earlier run
    // leaves it; the list in memory is emptied again.
    void store_built_trust_list() {
        trust_list_file = trust_file();
        trust_list_rebuild_thread();
        ASSERT_TRUE(file_exists(trust_file()));
        trust_list_lock lock(trust_list_mutex);
        ASSERT_FALSE(trust_list.empty());
        trust_list.clear();
        trust_list_ready = false;
    }

    testsupport::scratch_dir scratch_;
    std::string root_;
    std::string documents_;
    std::string old_home_;
    std::string old_config_home_;
    bool had_config_home_ = false;
    int final_exits_ = 0;
    std::unique_ptr<testsupport::system_roots_override> system_roots_;
};

// ------------------------------------------------------------ command line

TEST_F(startup, command_line_table) {
    const std::string folder = root_ + "/in";
    wxFileName::Mkdir(wxString::FromUTF8(folder + "/dir.pdf"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    for (const char* name : {"a.pdf", "B.PDF", "c.cer", "d.CRT", "e.Pem", "f.png", "g.txt", "h.bin"})
        write_file(folder + "/" + name, "x");
    struct row {
        std::vector<std::string> args;  // after the program
        bool document;
        bool cert;
        bool recent;
    };
    const std::vector<row> rows = {
        {{}, false, false, false},
        {{""}, false, false, false},
        {{folder + "/missing.pdf"}, false, false, false},
        {{folder + "/dir.pdf"}, false, false, false},  // a folder is no file
        {{folder + "/a.pdf"}, true, false, true},
        {{folder + "/B.PDF"}, true, false, true},
        {{folder + "/c.cer"}, true, true, false},
        {{folder + "/d.CRT"}, true, true, false},
        {{folder + "/e.Pem"}, true, true, false},
        {{folder + "/f.png"}, true, false, false},
        {{folder + "/g.txt"}, true, false, false},
        {{folder + "/h.bin"}, true, false, false},  // opened by content later
        {{folder + "/a.pdf", folder + "/c.cer"}, true, false, true},  // only the first argument counts
        {{folder + "/missing.pdf", folder + "/a.pdf"}, false, false, false},
    };
    for (const row& r : rows) {
        wxArrayString argv;
        argv.Add("velkorant");
        for (const std::string& a : r.args) argv.Add(wxString::FromUTF8(a));
        SCOPED_TRACE(argv.size() > 1 ? argv[1].utf8_string() : std::string("(none)"));
        const command_line_request request = read_command_line(argv);
        EXPECT_EQ(!request.document.empty(), r.document);
        EXPECT_EQ(!request.cert_path.empty(), r.cert);
        EXPECT_EQ(request.add_to_recent, r.recent);
        if (r.document) {
            EXPECT_EQ(wxString(request.document).utf8_string(), r.args[0]);
        }
        if (r.cert) {
            EXPECT_EQ(request.cert_path, request.document);
        }
    }
}

TEST_F(startup, command_line_pdf_goes_first_into_the_saved_recent_files_as_an_absolute_path) {
    wxFileName::Mkdir(wxString::FromUTF8(root_ + "/work"), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    write_file(root_ + "/work/old.pdf", "x");
    write_file(root_ + "/work/new.pdf", "x");
    add_recent_file(wxString::FromUTF8(root_ + "/work/old.pdf").ToStdWstring());
    // A new process: nothing read yet when the command line is parsed.
    settings_document = wxXmlDocument();
    recent_files.clear();
    const wxString cwd = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(root_ + "/work")));
    wxArrayString argv;
    argv.Add("velkorant");
    argv.Add("new.pdf");
    const command_line_request request = parse_command_line(argv);
    wxSetWorkingDirectory(cwd);
    load_settings();
    remember_command_line_document(request);
    const std::wstring expected = wxString::FromUTF8(root_ + "/work/new.pdf").ToStdWstring();
    EXPECT_TRUE(request.cert_path.empty());
    EXPECT_EQ(startup_document, expected);
    ASSERT_EQ(recent_files.size(), 2u);
    EXPECT_EQ(recent_files[0], expected);
    // Saved, as the next run reads it.
    load_settings();
    ASSERT_EQ(recent_files.size(), 2u);
    EXPECT_EQ(recent_files[0], expected);

    // A certificate is remembered for the certificate dialog, not in the recent files.
    write_file(root_ + "/work/c.pem", "x");
    argv[1] = wxString::FromUTF8(root_ + "/work/c.pem");
    const command_line_request cert = parse_command_line(argv);
    remember_command_line_document(cert);
    EXPECT_EQ(wxString(cert.cert_path).utf8_string(), root_ + "/work/c.pem");
    EXPECT_EQ(recent_files[0], expected);
}

TEST_F(startup, cert_cache_folder_is_made_private_and_remembered) {
    make_cert_cache_dir();
    EXPECT_EQ(certcache_dir, data_folder() + "certcache/");
    EXPECT_TRUE(wxDirExists(wxString::FromUTF8(certcache_dir)));
    EXPECT_EQ(testsupport::run_command("stat -c %a " + testsupport::shell_quote(certcache_dir)).output, "700\n");
    // A path that cannot become a folder ends start-up with a file-system error.
    certcache_dir.clear();
    write_file(root_ + "/blocked", "x");
    set_data_root(root_ + "/blocked/");
    EXPECT_THROW(make_cert_cache_dir(), std::exception);
}

// ------------------------------------------------------ trust list at start

TEST_F(startup, every_start_reads_the_system_set_and_records_a_new_version) {
    struct row {
        const char* name;
        bool stored_list;
        const char* previous;
    };
    for (const row& r : {row{"same version", true, nullptr}, row{"new version", true, "0.9.0.0"},
                         row{"empty list", false, nullptr}, row{"no version", true, ""}}) {
        SCOPED_TRACE(r.name);
        {
            trust_list_lock lock(trust_list_mutex);
            trust_list.clear();
        }
        std::remove(trust_file().c_str());
        trust_list_loaded = false;
        if (r.stored_list) store_built_trust_list();
        // A root of an older set, kept in the stored list from an earlier run.
        if (r.stored_list) {
            trust_list_lock lock(trust_list_mutex);
            load_trust_list(data_folder());
            trust_cert_info old;
            old.id = "0BSOLETE";
            old.sb = old.is = L"Old Root";
            trust_list[old.id] = old;
            save_trust_list();
            trust_list.clear();
        }
        loaded_product_version = r.previous ? r.previous : own_file_version();
        // The start-up report has already recorded the running version: the
        // decision must still see the version the previous run left.
        cfgpi.version = own_file_version();
        start_trust_list();
        EXPECT_TRUE(gui_test::run_until([] { return trust_list_ready.load(); }, 20s));
        EXPECT_TRUE(wait_for_workers());
        EXPECT_TRUE(trust_list_loaded);
        trust_list_lock lock(trust_list_mutex);
        ASSERT_EQ(trust_list.size(), 1u);  // the system root alone: the old one is gone
        EXPECT_TRUE(trust_list.begin()->second.sys);
        EXPECT_EQ(system_roots_source, root_ + "/system.pem");
        EXPECT_TRUE(file_exists(trust_file()));
        if (r.previous) {
            EXPECT_NE(read_file(settings_file()).find("<version>" + own_file_version() + "</version>"),
                      std::string::npos);
        }
    }
}

TEST(toolkit_environment, settings_back_end_is_memory_only_without_a_session_bus) {
    struct row {
        const char* bus;
        const char* chosen;
        const char* expected;
    } rows[] = {
        {nullptr, nullptr, "memory"},
        {"", nullptr, "memory"},
        {"unix:path=/run/user/1000/bus", nullptr, nullptr},
        {nullptr, "dconf", "dconf"},  // the user's choice stays
    };
    const char* old_bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string saved_bus = old_bus ? old_bus : "";
    const char* old_backend = std::getenv("GSETTINGS_BACKEND");
    const std::string saved_backend = old_backend ? old_backend : "";
    for (const row& r : rows) {
        r.bus ? setenv("DBUS_SESSION_BUS_ADDRESS", r.bus, 1) : unsetenv("DBUS_SESSION_BUS_ADDRESS");
        r.chosen ? setenv("GSETTINGS_BACKEND", r.chosen, 1) : unsetenv("GSETTINGS_BACKEND");
        prepare_toolkit_environment();
        const char* now = std::getenv("GSETTINGS_BACKEND");
        EXPECT_EQ(now ? std::string(now) : std::string("(unset)"), r.expected ? r.expected : "(unset)")
            << (r.bus ? r.bus : "(no bus)");
    }
    old_bus ? setenv("DBUS_SESSION_BUS_ADDRESS", saved_bus.c_str(), 1) : unsetenv("DBUS_SESSION_BUS_ADDRESS");
    old_backend ? setenv("GSETTINGS_BACKEND", saved_backend.c_str(), 1) : unsetenv("GSETTINGS_BACKEND");
}

// ------------------------------------------------------------- agreement

TEST_F(startup, agreement_already_accepted_shows_nothing) {
    agree = true;
    bool accepted = false;
    const int asserts_before = gui_test::assert_count();
    {
        wxTestingModalHook no_dialog_expected;  // a dialog shown here fails the test
        accepted = first_run_agreement();
        no_dialog_expected.CheckUnmetExpectations();
    }
    EXPECT_EQ(gui_test::assert_count(), asserts_before);
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(file_exists(documents_ + "/Velkorant.pdf"));
}

TEST_F(startup, agreement_accepted_records_it_and_replaces_the_start_document_with_the_guide) {
    agree = false;
    startup_document = L"/some/document/from/the/command/line.pdf";
    bool accepted = false;
    wxTEST_DIALOG(accepted = first_run_agreement(), wxExpectModal<agreement_dlg>(wxID_OK));
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(agree);
    const std::string guide = documents_ + "/Velkorant.pdf";
    EXPECT_EQ(wxString(startup_document).utf8_string(), guide);
    ASSERT_TRUE(file_exists(guide));
    EXPECT_EQ(read_file(guide), platform::resource_bytes("VELKORANT", "TXTFILE"));
    EXPECT_EQ(read_file(guide).compare(0, 5, "%PDF-"), 0);
    // Recorded in the file.
    agree = false;
    load_settings();
    EXPECT_TRUE(agree);
}

TEST_F(startup, agreement_declined_or_closed_leaves_everything_as_it_was) {
    for (int answer : {int(wxID_CANCEL), int(wxID_CLOSE), 0}) {
        SCOPED_TRACE(answer);
        agree = false;
        startup_document = L"/from/the/command/line.pdf";
        bool accepted = true;
        wxTEST_DIALOG(accepted = first_run_agreement(), wxExpectModal<agreement_dlg>(answer));
        EXPECT_FALSE(accepted);
        EXPECT_FALSE(agree);
        EXPECT_EQ(startup_document, L"/from/the/command/line.pdf");
        EXPECT_FALSE(file_exists(documents_ + "/Velkorant.pdf"));
        load_settings();
        EXPECT_FALSE(agree);
    }
}

// The dialog itself, in a real modal loop: what each way out returns.
int answer_of(agreement_dlg* d, const std::function<void()>& act) {
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [d](wxTimerEvent&) {
        if (d->IsModal()) d->EndModal(-77);
    });
    d->CallAfter([&] {
        act();
        guard.StartOnce(1000);
    });
    return d->ShowModal();
}

void click(wxWindow* button) {
    wxCommandEvent e(wxEVT_BUTTON, button->GetId());
    e.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(e);
}

void press_escape(wxDialog* d) {
    wxKeyEvent k(wxEVT_CHAR_HOOK);
    k.m_keyCode = WXK_ESCAPE;
    k.SetEventObject(d);
    d->GetEventHandler()->ProcessEvent(k);
}

wxt_colorbutton* button_labelled(wxWindow* d, const wxString& label) {
    for (wxWindow* c : d->GetChildren())
        if (auto* b = dynamic_cast<wxt_colorbutton*>(c); b && b->GetLabel() == label) return b;
    return nullptr;
}

struct dialog_closer {
    wxDialog* d;
    ~dialog_closer() { d->Destroy(); }
};

TEST(agreement_dialog, each_way_out_gives_its_answer) {
    struct row {
        const char* name;
        int mode;
        std::function<void(agreement_dlg*)> act;
        int expected;
    };
    const std::vector<row> rows = {
        {"agree", 0, [](agreement_dlg* d) { click(button_labelled(d, "Agree")); }, wxID_OK},
        {"decline", 0, [](agreement_dlg* d) { click(button_labelled(d, "Decline")); }, wxID_CANCEL},
        // The hidden Close button of the view mode must not accept.
        {"escape", 0, [](agreement_dlg* d) { press_escape(d); }, wxID_CANCEL},
        {"title bar close", 0, [](agreement_dlg* d) { d->Close(); }, wxID_CANCEL},
        {"close", 1, [](agreement_dlg* d) { click(button_labelled(d, "Close")); }, wxID_OK},
        {"escape in view mode", 1, [](agreement_dlg* d) { press_escape(d); }, wxID_OK},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        auto* d = new agreement_dlg(nullptr, r.mode);
        dialog_closer closer{d};
        EXPECT_EQ(answer_of(d, [&] { r.act(d); }), r.expected);
    }
}

TEST(agreement_dialog, modes_show_their_buttons_and_the_text_of_the_language) {
    for (int mode : {0, 1}) {
        auto* d = new agreement_dlg(nullptr, mode);
        dialog_closer closer{d};
        d->Show();
        d->InitDialog();
        gui_test::settle(100ms);
        EXPECT_EQ(button_labelled(d, "Agree")->IsShown(), mode == 0);
        EXPECT_EQ(button_labelled(d, "Decline")->IsShown(), mode == 0);
        EXPECT_EQ(button_labelled(d, "Close")->IsShown(), mode == 1);
        EXPECT_TRUE(d->HasFlag(wxSTAY_ON_TOP));
        EXPECT_EQ(d->GetTitle(), "Velkorant - Application Agreement");
        wxTextCtrl* text = nullptr;
        for (wxWindow* c : d->GetChildren())
            if (auto* t = dynamic_cast<wxTextCtrl*>(c)) text = t;
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetValue(), agreement_dlg::agreement_text_for_ui() + "\n");
        EXPECT_EQ(text->GetInsertionPoint(), text->GetLastPosition());
        // The caret waits at the end, but the reader starts at the top.
        long column = -1, line = -1;
        text->HitTest(wxPoint(4, 4), &column, &line);
        EXPECT_EQ(line, 0);
    }
    // Both texts exist, without their byte-order mark, one per language.
    const wxString english = agreement_dlg::agreement_text_for_ui();
    EXPECT_TRUE(english.StartsWith("Velkorant Application Agreement"));
    set_ui_language_setting("中文");
    const wxString chinese = agreement_dlg::agreement_text_for_ui();
    set_ui_language_setting("oslang");
    EXPECT_TRUE(chinese.StartsWith(wxString::FromUTF8("Velkorant 应用协议"))) << chinese.substr(0, 30).utf8_string();
}

// --------------------------------------------------------- one end path

TEST_F(startup, early_end_before_the_list_was_loaded_keeps_the_stored_list_byte_identical) {
    store_built_trust_list();
    const std::string stored = read_file(trust_file());
    // A list in memory that was never loaded from the file (as after a failed step).
    {
        trust_list_lock lock(trust_list_mutex);
        trust_list["0000"] = trust_cert_info{};
    }
    trust_list_loaded = false;
    static report_worker_refs refs{&running_workers, &stop_workers};
    start_counted_thread([] { report_worker(&refs); });
    frame_w = 777;
    end_program_early(5s);
    EXPECT_EQ(final_exits_, 1);
    EXPECT_TRUE(stop_workers);
    EXPECT_EQ(running_workers.load(), 0);  // the report sender was waited for
    EXPECT_EQ(read_file(trust_file()), stored);
    EXPECT_NE(read_file(settings_file()).find("<frame-w>777</frame-w>"), std::string::npos);
}

TEST_F(startup, early_end_before_the_settings_were_read_leaves_the_settings_file_alone) {
    // As when the certificate cache folder cannot be made: the settings in
    // memory are defaults and must not replace the user's file.
    frame_w = 1234;
    save_ui_status();
    const std::string stored = read_file(settings_file());
    set_default_settings();
    recent_files.clear();
    settings_loaded = false;
    end_program_early(1s);
    EXPECT_EQ(final_exits_, 1);
    EXPECT_EQ(read_file(settings_file()), stored);
}

TEST_F(startup, early_end_after_loading_writes_the_list_back_whole) {
    store_built_trust_list();
    const std::string stored = read_file(trust_file());
    load_stored_trust_list();  // as the certificate-file mode does
    end_program_early(5s);
    EXPECT_EQ(final_exits_, 1);
    EXPECT_EQ(read_file(trust_file()), stored);
}

TEST_F(startup, early_end_waits_only_for_its_bound_for_a_worker_that_ignores_the_stop_flag) {
    auto release = std::make_shared<std::atomic<bool>>(false);
    start_counted_thread([release] {
        while (!*release) std::this_thread::sleep_for(5ms);
    });
    const auto begin = std::chrono::steady_clock::now();
    end_program_early(300ms);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(final_exits_, 1);
    EXPECT_LT(took, 5s);
    EXPECT_TRUE(file_exists(settings_file()));
    *release = true;
}

// ------------------------------------------------- first document, version

TEST_F(startup, first_document_or_the_home_page) {
    const std::string doc = testsupport::write_minimal_pdf(root_ + "/start.pdf");
    const std::string recent = testsupport::write_minimal_pdf(root_ + "/recent.pdf");
    struct row {
        const char* name;
        std::string start;        // startup_document
        bool open_recent;         // "is-open-recent"
        std::string recent_file;  // first of the recent files
        bool home;                // the home page is expected
    };
    const std::vector<row> rows = {
        {"start document", doc, true, recent, false},
        {"start document gone, most recent file", root_ + "/gone.pdf", true, recent, false},
        {"no start document, most recent file", "", true, recent, false},
        {"most recent file not wanted", "", false, recent, true},
        {"most recent file gone", "", true, root_ + "/gone.pdf", true},
        {"nothing", "", true, "", true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        startup_document = wxString::FromUTF8(r.start).ToStdWstring();
        is_open_recent = r.open_recent;
        recent_files.clear();
        if (!r.recent_file.empty()) recent_files.push_back(wxString::FromUTF8(r.recent_file).ToStdWstring());
        auto* f = new frame(wxPoint(0, 0), wxSize(1280, 800));
        open_startup_document();
        EXPECT_TRUE(f->IsShown());
        EXPECT_EQ(f->home_page_shown(), r.home);
        if (!r.home) {
            const std::wstring expected = wxString::FromUTF8(r.start == doc ? doc : recent).ToStdWstring();
            EXPECT_TRUE(gui_test::run_until([&] { return f->document_path == expected; }, 10s))
                << wxString(f->document_path).utf8_string();
        }
        // Workers of the document end on the stop flag.
        stop_workers = true;
        EXPECT_TRUE(gui_test::run_until([] { return running_workers.load() == 0; }, 10s));
        stop_workers = false;
        doc_loading = false;
        doc_verifying = false;
        f->Destroy();
        gui_test::settle(50ms);
    }
}

TEST_F(startup, version_result_shows_the_dialog_only_after_a_successful_check_with_news) {
    int shown = 0;
    int shown_mode = -1;
    dialog_calls().show_version = [&](wxWindow*, int mode) {
        ++shown;
        shown_mode = mode;
    };
    bool newer = false;
    dialog_calls().newer_version_found = [&] { return newer; };
    struct row {
        const char* result;
        bool newer;
        bool updated;
        bool shown;
    };
    const row rows[] = {
        {"chek version succeed", true, false, true},
        {"chek version succeed", false, true, true},  // first run after an update
        {"chek version succeed", false, false, false},
        {"chek version failed", true, true, false},
        {"", true, true, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.result) + (r.newer ? " newer" : "") + (r.updated ? " updated" : ""));
        shown = 0;
        newer = r.newer;
        updated_tip = r.updated;
        show_version_result(r.result);
        EXPECT_EQ(shown, r.shown ? 1 : 0);
        if (r.shown) {
            EXPECT_EQ(shown_mode, 1);
            EXPECT_FALSE(updated_tip);
        } else {
            EXPECT_EQ(updated_tip, r.updated);
        }
    }
    dialog_calls() = dialog_call_table{};
}

// ------------------------------------------------------------- restart

TEST_F(startup, restart_runs_only_the_programs_own_executable) {
    std::vector<std::vector<std::string>> started;
    set_restart_launcher([&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return true;
    });
    restart_command.clear();
    EXPECT_FALSE(run_restart_command());
    restart_command = L"/bin/true";
    EXPECT_FALSE(run_restart_command());
    restart_command = L"/bin/sh -c true";
    EXPECT_FALSE(run_restart_command());
    EXPECT_TRUE(started.empty());
    const wxString own = wxStandardPaths::Get().GetExecutablePath();
    restart_command = own.ToStdWstring();
    EXPECT_TRUE(run_restart_command());
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0], std::vector<std::string>{own.utf8_string()});
}

// ------------------------------------------------------------- gallery

TEST(gallery, agreement_dialog) {
    for (int mode : {0, 1}) {
        auto* d = new agreement_dlg(nullptr, mode);
        dialog_closer closer{d};
        d->InitDialog();
        gui_test::save_screenshot(d, mode == 0 ? "agreement_dlg_first_run" : "agreement_dlg_view");
    }
    // In Chinese, as start-up sets the language up.
    set_ui_language_setting("中文");
    {
        auto locale = std::make_unique<wxLocale>();
        setup_ui_language(*locale);
        {
            auto* d = new agreement_dlg(nullptr, 0);
            dialog_closer closer{d};
            d->InitDialog();
            EXPECT_EQ(d->GetTitle(), wxString::FromUTF8("Velkorant - 应用协议"));
            gui_test::save_screenshot(d, "agreement_dlg_first_run_chinese");
        }
        gui_test::settle(50ms);
        locale.reset();
        if (wxTranslations::Get()) wxTranslations::Set(nullptr);
    }
    set_ui_language_setting("oslang");
    std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace
