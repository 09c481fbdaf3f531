// The trust list page over a real trust list: which entries it lists, the
// import branches, distrust with and without a cache copy, the two-click
// reset, and what the main window is told.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "app/data_dirs.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "gui/gui_harness.h"
#include "widgets/wxt_hyperlink.h"
#include "support/test_support.h"
#include "ui/home_calls.h"
#include "ui/trustmgr_panel.h"

namespace {

// Stands in for the main window: records the tags it is told.
class recorder : public wxEvtHandler {
public:
    recorder() { Bind(wxEVT_THREAD, &recorder::on_event, this); }
    std::vector<wxString> tags;

private:
    void on_event(wxThreadEvent& event) {
        tags.push_back(event.GetString());
        delete event.GetPayload<x509ui*>();
    }
};

class trust_probe : public trustmgr_panel {
public:
    using trustmgr_panel::trustmgr_panel;
    using trustmgr_base::cert_list;
    using trustmgr_base::add_trusted_button;
    using trustmgr_base::distrust_button;
    using trustmgr_base::reset_button;
    using trustmgr_base::result_label;
    using trustmgr_base::trust_source_link;
    void click(wxButton* button) {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
};

class TrustPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        certs_ = new testsupport::scratch_dir;
        for (const char* name : {"user", "cached", "other", "system"}) {
            const auto r = testsupport::run_command(
                "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 -subj /CN=" +
                std::string(name) + "-root -keyout " + certs_->file(std::string(name) + ".key") + " -out " +
                certs_->file(std::string(name) + ".pem"));
            ASSERT_EQ(r.status, 0) << r.output;
        }
        testsupport::write_file(certs_->file("broken.cer"), "not a certificate");
        // The system set: the machine's (when there is one) with a test root added.
        const std::string machine = testsupport::file_exists("/etc/ssl/certs/ca-certificates.crt")
                                        ? testsupport::read_file("/etc/ssl/certs/ca-certificates.crt")
                                        : std::string();
        testsupport::write_file(certs_->file("roots.pem"),
                                machine + "\n" + testsupport::read_file(certs_->file("system.pem")));
    }
    static void TearDownTestSuite() {
        delete certs_;
        certs_ = nullptr;
    }
    void SetUp() override {
        set_data_root(root_.path());
        data_ = app_data_dir();
        certcache_dir = data_ + "certcache/";
        make_private_dirs(certcache_dir);
        trust_list_file = data_ + kTrustListFileName;
        trust_list.clear();
        trust_list_ready = true;
        trust_page_filled = false;
        home_calls() = home_call_table();
        home_calls().main_window = [this]() -> wxEvtHandler* { return &main_; };
        roots_ = std::make_unique<testsupport::system_roots_override>(certs_->file("roots.pem"));
        frame_ = new wxFrame(nullptr, wxID_ANY, "trust", wxPoint(0, 0), wxSize(1100, 760));
        frame_->SetSizer(new wxBoxSizer(wxVERTICAL));
    }
    void TearDown() override {
        frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        wait_until([] { return running_workers.load() == 0; });
        trust_list.clear();
        trust_list_ready = false;
        trust_page_filled = false;
        home_calls() = home_call_table();
        set_data_root(root_.path() + "/gone");
        roots_.reset();
        system_roots_source.clear();
    }
    trust_probe* show() {
        auto* page = new trust_probe(frame_);
        frame_->GetSizer()->Add(page, 1, wxEXPAND);
        frame_->Show();
        frame_->Layout();
        EXPECT_TRUE(gui_test::run_until([] { return trust_page_filled.load(); }));
        gui_test::settle(std::chrono::milliseconds(50));
        return page;
    }
    static trust_cert_info entry(const std::string& id, const wchar_t* sb, const wchar_t* is, bool trust, bool usr,
                                 bool untrust = false) {
        trust_cert_info e;
        e.id = id;
        e.sb = sb;
        e.is = is;
        e.trust = trust;
        e.usr = usr;
        e.usr_untrust = untrust;
        return e;
    }
    static std::vector<std::string> ids(trust_probe* page) {
        std::vector<std::string> out;
        for (unsigned i = 0; i < unsigned(page->cert_list->GetItemCount()); ++i) out.push_back(page->row_id(i));
        return out;
    }
    static std::string id_of(const std::string& name) {
        X509* cert = load_certificate_file(certs_->file(name + ".pem").c_str());
        x509ui ui;
        build_x509ui(cert, ui);
        X509_free(cert);
        return trust_cert_info_from_x509ui(ui, true).id;
    }

    static testsupport::scratch_dir* certs_;
    testsupport::scratch_dir root_;
    std::string data_;
    recorder main_;
    wxFrame* frame_ = nullptr;
    std::unique_ptr<testsupport::system_roots_override> roots_;
};
testsupport::scratch_dir* TrustPage::certs_ = nullptr;

TEST_F(TrustPage, lists_approved_roots_then_user_entries) {
    struct row {
        const char* id;
        const wchar_t* sb;
        const wchar_t* is;
        bool trust, usr, untrust, listed;
    } table[] = {
        {"A1", L"Root A", L"Root A", true, false, false, true},               // approved root
        {"A2", L"Intermediate", L"Root A", true, false, false, false},        // names another issuer
        {"A3", L"VELKORANT Test Root", L"VELKORANT Test Root", true, false, false, false},  // the product's own
        {"A4", L"Root B", L"Root B", true, false, true, false},               // distrusted by the user
        {"A5", L"Issuer", L"Root A", false, false, false, false},             // cached issuer
        {"A0", L"Mine", L"Someone", true, true, false, true},                 // the user's, after the roots
        {"A6", L"Mine too", L"Someone", true, true, true, false},             // the user's, withdrawn
        {"A7", L"", L"", true, true, false, false},                           // no subject name
    };
    for (const row& r : table) trust_list[r.id] = entry(r.id, r.sb, r.is, r.trust, r.usr, r.untrust);
    trust_probe* page = show();
    EXPECT_EQ(ids(page), (std::vector<std::string>{"A1", "A0"}));
    wxVariant source;
    page->cert_list->GetValue(source, 1, 3);
    wxDataViewIconText shown;
    shown << source;
    EXPECT_EQ(shown.GetText(), wxGetTranslation(L"User"));
    EXPECT_TRUE(page->distrust_button->IsEnabled());

    // An empty list still ends busy and sets the filled flag.
    trust_list.clear();
    trust_page_filled = false;
    post_thread_event(page, wxt_thread_event(evt_update));
    EXPECT_TRUE(gui_test::run_until([] { return trust_page_filled.load(); }));
    EXPECT_TRUE(ids(page).empty());
}

// The form builds the buttons white on dark grey; on the page they must take
// the page's colours (a dark block with a black "Reset" was unreadable).
TEST_F(TrustPage, buttons_take_the_page_colours) {
    apply_theme_colours();
    trust_probe* page = show();
    for (wxButton* b : {page->add_trusted_button, page->distrust_button, page->reset_button}) {
        EXPECT_EQ(b->GetBackgroundColour(), theme_panel_colour) << b->GetLabel();
        EXPECT_EQ(b->GetForegroundColour(), theme_text_colour) << b->GetLabel();
    }
}

TEST_F(TrustPage, import_branches) {
    trust_probe* page = show();
    // A file without a certificate.
    page->import_certificate_file(wxString::FromUTF8(certs_->file("broken.cer")));
    EXPECT_EQ(page->result_label->GetLabel(), wxGetTranslation(L"Import Failed, Certificate file may be damaged."));
    EXPECT_TRUE(trust_list.empty());

    // A new certificate: a user entry, its row selected, the main window told.
    page->import_certificate_file(wxString::FromUTF8(certs_->file("user.pem")));
    const std::string user = id_of("user");
    ASSERT_TRUE(trust_list.count(user));
    EXPECT_TRUE(trust_list[user].usr);
    EXPECT_EQ(ids(page), (std::vector<std::string>{user}));
    EXPECT_EQ(page->cert_list->GetSelectedRow(), 0);
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(main_.tags, (std::vector<wxString>{evt_addtrust}));

    // Again: nothing added, its row selected.
    page->cert_list->UnselectAll();
    page->import_certificate_file(wxString::FromUTF8(certs_->file("user.pem")));
    EXPECT_EQ(ids(page).size(), 1u);
    EXPECT_EQ(page->cert_list->GetSelectedRow(), 0);

    // Held only as a cached issuer: imported as the user's.
    const std::string cached = id_of("cached");
    trust_list[cached] = entry(cached, L"cached-root", L"cached-root", false, false);
    page->import_certificate_file(wxString::FromUTF8(certs_->file("cached.pem")));
    EXPECT_TRUE(trust_list[cached].usr);
    EXPECT_TRUE(trust_list[cached].trust);
    EXPECT_EQ(ids(page).size(), 2u);
}

TEST_F(TrustPage, distrust_with_and_without_a_cache_copy) {
    trust_probe* page = show();
    for (const char* name : {"user", "other"})
        page->import_certificate_file(wxString::FromUTF8(certs_->file(std::string(name) + ".pem")));
    gui_test::settle(std::chrono::milliseconds(50));
    main_.tags.clear();
    ASSERT_EQ(ids(page).size(), 2u);
    const std::string first = page->row_id(0), second = page->row_id(1);

    // With its copy: the main window hears of it; the mark is saved.
    page->cert_list->SelectRow(1);
    page->click(page->distrust_button);
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(main_.tags, (std::vector<wxString>{evt_deltrust}));
    EXPECT_TRUE(trust_list[second].usr_untrust);
    EXPECT_NE(testsupport::read_file(trust_list_file).find(second), std::string::npos);
    EXPECT_EQ(ids(page), (std::vector<std::string>{first}));
    EXPECT_EQ(page->cert_list->GetSelectedRow(), 0);  // the one before the removed last row

    // A copy that cannot be read: nobody is told, the trust still goes.
    testsupport::write_file(trust_cache_cer_path(first), "garbage");
    page->click(page->distrust_button);
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(main_.tags.size(), 1u);
    EXPECT_TRUE(trust_list[first].usr_untrust);
    EXPECT_TRUE(ids(page).empty());
    page->click(page->distrust_button);  // nothing selected: nothing happens
}

TEST_F(TrustPage, shows_the_system_set_with_its_source_and_follows_an_online_update) {
    trust_list_rebuild_thread();  // as at start-up
    trust_probe* page = show();
    EXPECT_EQ(trust_update_receiver.load(), page);
    const std::string system = id_of("system");
    const std::vector<std::string> listed = ids(page);
    EXPECT_EQ(listed.size(), trust_list.size());
    EXPECT_NE(std::find(listed.begin(), listed.end(), system), listed.end());
    wxVariant source;
    page->cert_list->GetValue(source, 0, 3);
    wxDataViewIconText shown;
    shown << source;
    EXPECT_EQ(shown.GetText(), wxGetTranslation(L"System set"));
    EXPECT_TRUE(page->trust_source_link->GetLabel().Contains(wxString::FromUTF8(certs_->file("roots.pem"))))
        << page->trust_source_link->GetLabel();
    EXPECT_FALSE(gui_test::save_screenshot(frame_, "trust_page_system_set").empty());

    // Withdrawn from the page: told to the main window, gone from the list,
    // kept after a restart.
    const int row = int(std::find(listed.begin(), listed.end(), system) - listed.begin());
    page->cert_list->SelectRow(unsigned(row));
    page->click(page->distrust_button);
    gui_test::settle(std::chrono::milliseconds(50));
    EXPECT_EQ(main_.tags, (std::vector<wxString>{evt_deltrust}));
    trust_list.clear();
    load_trust_list(data_);
    trust_list_rebuild_thread();
    EXPECT_FALSE(trust_list.at(system).anchors_trust());

    // What an online update posts to its receiver refreshes the page.
    trust_page_filled = false;
    post_thread_event(trust_update_receiver.load(), wxt_thread_event(evt_update));
    EXPECT_TRUE(gui_test::run_until([] { return trust_page_filled.load(); }));
    EXPECT_EQ(ids(page).size(), listed.size() - 1);

    // Without any system set the page says so.
    {
        testsupport::system_roots_override none("", "");
        trust_list_rebuild_thread();
    }
    post_thread_event(page, wxt_thread_event(evt_update));
    EXPECT_TRUE(gui_test::run_until([&] { return ids(page).empty(); }));
    EXPECT_EQ(page->trust_source_link->GetLabel(),
              wxGetTranslation(L"No system certificate set was found: no root is approved"));
    frame_->DestroyChildren();
    EXPECT_EQ(trust_update_receiver.load(), nullptr);
}

TEST_F(TrustPage, reset_takes_two_clicks_and_keeps_only_the_system_set) {
    trust_probe* page = show();
    page->import_certificate_file(wxString::FromUTF8(certs_->file("user.pem")));
    page->click(page->reset_button);
    EXPECT_EQ(page->reset_button->GetLabel(), wxGetTranslation(L"Confirm Reset"));
    EXPECT_TRUE(trust_list.count(id_of("user")));
    page->click(page->reset_button);
    // The reset parses the whole system set on a worker: slow under sanitizers.
    EXPECT_TRUE(gui_test::run_until(
        [&] { return page->result_label->GetLabel() == wxGetTranslation(L"Reset Complete!"); }, std::chrono::seconds(30)));
    EXPECT_EQ(page->reset_button->GetLabel(), wxGetTranslation(L"Reset"));
    EXPECT_FALSE(trust_list.count(id_of("user")));
    EXPECT_FALSE(ids(page).empty());  // the system set's roots
    EXPECT_TRUE(trust_list.count(id_of("system")));
    for (const std::string& id : ids(page)) {
        EXPECT_FALSE(trust_list[id].usr);
        EXPECT_TRUE(trust_list[id].trust);
    }
}

// The page over the system set in Chinese (the source column and line).
TEST_F(TrustPage, gallery_in_chinese) {
    gui_test::chinese_interface chinese;
    trust_list_rebuild_thread();
    trust_probe* page = show();
    EXPECT_EQ(page->trust_source_link->GetLabel().substr(0, 6), wxString::FromUTF8("认可的根证书"));
    EXPECT_FALSE(gui_test::save_screenshot(frame_, "trust_page_system_set_zh").empty());
}

}  // namespace
