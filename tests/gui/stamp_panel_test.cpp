// The stamp editor in a side book of its own, over a scratch data folder and
// the test PKI: a visible PFX stamp made end to end and signing with it, the
// refusals of Save, the server stamp checks and the certificate check's
// results (a stale one dropped).
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <lodepng.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/simplebook.h>
#include <wx/sizer.h>
#include <wx/testing.h>

#include "app/data_dirs.h"
#include "app/report_hooks.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "document/doc_pdfium.h"
#include "document/sign_operation.h"
#include "document/signing_suite.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/dialog_calls.h"
#include "ui/setting_panel.h"
#include "ui/stamp_panel.h"
#include "ui/status_texts.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace fs = std::filesystem;

namespace {

// The right pane of the main window: 415 pixels and its borders wide, at
// most the work area high.
wxSize pane_size() { return wxSize(425, std::min(1000, display_client_area(nullptr).height - 90)); }

// Whether the window lies within the editor's width (the editor scrolls
// up and down where the screen is lower than it).
bool seen_whole(wxWindow* editor, wxWindow* w) {
    const wxRect e = editor->GetScreenRect(), r = w->GetScreenRect();
    return r.x >= e.x && r.GetRight() <= e.GetRight();
}

class editor_probe : public stamp_panel {
public:
    using stamp_panel::stamp_panel;
    using stamp_panel::check_generation;
    using stamp_panel_base::cancel_button;
    using stamp_panel_base::certificate_status_label;
    using stamp_panel_base::cloud_account_radio;
    using stamp_panel_base::cloud_address_text;
    using stamp_panel_base::cloud_password_text;
    using stamp_panel_base::cloud_signing_button;
    using stamp_panel_base::cloud_user_text;
    using stamp_panel_base::invisible_radio;
    using stamp_panel_base::result_tip_label;
    using stamp_panel_base::save_button;
    using stamp_panel_base::select_certificate_button;
    using stamp_panel_base::store_certificate_text;
    using stamp_panel_base::signing_book;
    using stamp_panel_base::stamp_image_button;
    using stamp_panel_base::stamp_image_hint_label;
    using stamp_panel_base::stamp_name_text;
    using stamp_panel_base::stamp_name_tip_label;
    using stamp_panel_base::timestamp_radio;
    using stamp_panel_base::tsurl_combo;
    using stamp_panel_base::visible_radio;

    void click(wxWindow* control, wxEventType type = wxEVT_BUTTON) {
        wxCommandEvent event(type, control->GetId());
        event.SetEventObject(control);
        if (type == wxEVT_RADIOBUTTON) static_cast<wxRadioButton*>(control)->SetValue(true);
        control->GetEventHandler()->ProcessEvent(event);
    }
    void radio(wxRadioButton* button) { click(button, wxEVT_RADIOBUTTON); }
    void save() { click(save_button); }
    // What a status line says, also in the dark half of a blink.
    static wxString said(const wxt_active_textctrl* line) {
        return line->timer->IsRunning() ? line->saved_label : line->GetLabel();
    }
    wxString state_text() const { return said(certificate_status_label); }
};

// What the dialogs hand back when the user picks a certificate.
struct picked_certificate {
    std::string pem;
    certstore_sumfile_entry entry;
};
picked_certificate* next_pick = nullptr;

// The "make-stamp" reports.
int stamp_reports = 0;
bool report_had_certificate = false;
void record_stamp_report(const sigstampui&, const x509ui* cert) {
    ++stamp_reports;
    report_had_certificate = cert != nullptr;
}

// A self-signed EC certificate valid from `from_days` to `to_days` around now.
X509* make_self_signed(const char* cn, long from_days, long to_days) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 4242);
    X509_gmtime_adj(X509_getm_notBefore(cert), from_days * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), to_days * 86400);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(cn), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key, EVP_sha256());
    EVP_PKEY_free(key);
    return cert;
}

class StampEditor : public signing_suite {
protected:
    void SetUp() override {
        signing_suite::SetUp();
        if (HasFatalFailure()) return;
        set_data_root(dir_.file("home"));
        app_data_dir();
        fs::create_directories(wide_to_utf8(configs_dir));
        settings_document = wxXmlDocument();
        load_settings();
        stamp_list.clear();
        timestamp_urls.clear();
        trust_list_ready = true;
        // The PKI's authorities are trusted, so its signers' chains verify.
        for (const char* name : {"root.pem", "inter.pem"}) {
            X509* ca = load_certificate_file(pki->f(name).c_str());
            trust_list_import_cert(ca);
            X509_free(ca);
        }

        saved_calls_ = dialog_calls();
        dialog_calls().collect_client_certificates = [] { return size_t(next_pick ? 1 : 0); };
        auto hand_back = [](X509** cert, certstore_sumfile_entry** entry) {
            if (!next_pick) return;
            *cert = load_certificate_file(next_pick->pem.c_str());
            *entry = new certstore_sumfile_entry(next_pick->entry);
        };
        dialog_calls().select_certificate = [hand_back](wxWindow*, X509** cert, certstore_sumfile_entry** entry,
                                                        const wxRect*, bool) { hand_back(cert, entry); };
        dialog_calls().make_certificate = [hand_back](wxWindow*, X509** cert, certstore_sumfile_entry** entry,
                                                      const wxRect*) { hand_back(cert, entry); };
        saved_report_ = service_hooks().make_stamp;
        service_hooks().make_stamp = record_stamp_report;
        stamp_reports = 0;
        stamp_editor_calls().stamp_saved = [this](sigstampui* stamp, bool is_new) {
            saved_new_ = is_new;
            stamp_list.push_back(std::unique_ptr<sigstampui>(stamp));
            slot_ = nullptr;  // the list owns it now
            save_sigstampuis();
        };

        frame_ = new wxFrame(nullptr, wxID_ANY, "stamp", wxPoint(0, 0), pane_size());
        book_ = new wxSimplebook(frame_, wxID_ANY);
        book_->AddPage(new wxPanel(book_), "list");
        editor_ = new editor_probe(book_, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "stamppanel");
        book_->AddPage(editor_, "editor");
        book_->SetSelection(1);
        frame_->Show();
        gui_test::settle(std::chrono::milliseconds(50));
    }
    void TearDown() override {
        if (editor_) editor_->wait_certificate_check();
        if (frame_) frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        dialog_calls() = saved_calls_;
        service_hooks().make_stamp = saved_report_;
        stamp_editor_calls() = stamp_editor_links();
        delete slot_;
        stamp_list.clear();
        timestamp_urls.clear();
        trust_list.clear();
        trust_list_ready = false;
        next_pick = nullptr;
        current_document = nullptr;
        settings_document = wxXmlDocument();
        set_data_root(pki->dir() + "/data/");
    }

    picked_certificate pfx_pick(const std::string& name) {
        picked_certificate pick;
        pick.pem = pki->f(name + ".pem");
        X509* cert = load_certificate_file(pick.pem.c_str());
        fill_cert_info(cert, pick.entry.info);
        X509_free(cert);
        pick.entry.access.cert_type = cert_type_pfx;
        pick.entry.access.pfx.certfname = utf8_to_wide(pick.pem);
        pick.entry.access.pfx.pfxfname = utf8_to_wide(pki->f(name + ".p12"));
        pick.entry.access.pfx.pswd = "pw";
        return pick;
    }
    // The picture dialog answered with `path` (or cancelled when empty).
    void choose_picture(const std::string& path) {
        if (path.empty()) {
            wxTEST_DIALOG(editor_->click(editor_->stamp_image_button), wxExpectModal<wxFileDialog>("", wxID_CANCEL));
        } else {
            wxTEST_DIALOG(editor_->click(editor_->stamp_image_button), wxExpectModal<wxFileDialog>(path));
        }
    }
    std::string write_png(const std::string& name) {
        std::vector<unsigned char> rgba(60 * 30 * 4, 255);
        for (size_t i = 0; i < rgba.size(); i += 4) rgba[i + 1] = rgba[i + 2] = 0;  // red
        const std::string path = dir_.file(name);
        lodepng_encode32_file(path.c_str(), rgba.data(), 60, 30);
        return path;
    }
    std::vector<std::string> configs_pngs() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(wide_to_utf8(configs_dir)))
            if (e.path().extension() == ".png") out.push_back(e.path().filename().string());
        return out;
    }
    bool wait_checked() {
        return gui_test::run_until([this] { return editor_->state_text() != wxGetTranslation(L"verifying..."); });
    }

    testsupport::scratch_dir dir_;
    dialog_call_table saved_calls_;
    void (*saved_report_)(const sigstampui&, const x509ui*) = nullptr;
    wxFrame* frame_ = nullptr;
    wxSimplebook* book_ = nullptr;
    editor_probe* editor_ = nullptr;
    sigstampui* slot_ = nullptr;
    bool saved_new_ = false;
};

TEST_F(StampEditor, makes_a_visible_pfx_stamp_that_signs) {
    editor_->new_stamp(&slot_, "Approval");
    EXPECT_EQ(editor_->stamp_name_text->GetValue(), "Approval");
    choose_picture(write_png("red.png"));
    const std::vector<std::string> copies = configs_pngs();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_TRUE(std::regex_match(copies[0], std::regex("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\.png")))
        << copies[0];
    EXPECT_EQ(editor_->current_draft().imgfname, configs_dir + utf8_to_wide(copies[0]));

    picked_certificate pick = pfx_pick("leaf");
    next_pick = &pick;
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    EXPECT_EQ(editor_->state_text(), certificate_status_text(0));
    EXPECT_EQ(editor_->certificate_status_label->GetForegroundColour(), wxColour(13, 147, 45));
    ASSERT_FALSE(editor_->checked_chain().empty());

    editor_->save();
    ASSERT_EQ(stamp_list.size(), 1u);
    EXPECT_TRUE(saved_new_);
    EXPECT_EQ(book_->GetSelection(), 0);
    EXPECT_EQ(stamp_reports, 1);
    EXPECT_TRUE(report_had_certificate);
    const sigstampui& stamp = *stamp_list.front();
    EXPECT_TRUE(stamp.is_localsign && stamp.is_visible && !stamp.is_tsmode);
    EXPECT_EQ(stamp.access.cert_type, cert_type_pfx);

    // The settings file keeps the picture's bare name.
    const std::string settings = testsupport::read_file(wide_to_utf8(settings_path));
    EXPECT_NE(settings.find("<imgfname>" + copies[0] + "</imgfname>"), std::string::npos) << settings;

    // And the stamp signs (its time stamp from the test PKI's authority).
    timestamp_urls = {utf8_to_wide(pki->url("/tsa"))};
    const std::string src = testsupport::write_minimal_pdf(dir_.file("doc.pdf"));
    doc_pdfium doc;
    doc.load(utf8_to_wide(src));
    current_document = &doc;
    sign_task task;
    task.stamp = stamp_list.front().get();
    task.source = utf8_to_wide(src);
    task.output = utf8_to_wide(dir_.file("signed.pdf"));
    std::string outcome = "returned without a result";
    try {
        build_sign_params(task, stamp_placement{true, 50, 50, 170, 110});
    } catch (const std::exception& ex) {
        outcome = ex.what();
    }
    EXPECT_EQ(outcome, "Succeed");
    auto sig = testsupport::run_command("pdfsig -nocert " + testsupport::shell_quote(dir_.file("signed.pdf")));
    EXPECT_NE(sig.output.find("Signature is Valid"), std::string::npos) << sig.output;
    auto img = testsupport::run_command("pdfimages -list " + testsupport::shell_quote(dir_.file("signed.pdf")));
    EXPECT_NE(img.output.find("   60    30 "), std::string::npos) << img.output;
}

TEST_F(StampEditor, refuses_a_jpeg_picture_and_saves_nothing_without_a_png) {
    editor_->new_stamp(&slot_, "Approval");
    wxImage jpeg(40, 20);
    const std::string path = dir_.file("photo.png");  // a JPEG whatever its name says
    ASSERT_TRUE(jpeg.SaveFile(path, wxBITMAP_TYPE_JPEG));
    choose_picture(path);
    EXPECT_TRUE(editor_->current_draft().imgfname.empty());
    EXPECT_TRUE(configs_pngs().empty());

    picked_certificate pick = pfx_pick("leaf");
    next_pick = &pick;
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    editor_->save();
    EXPECT_EQ(slot_, nullptr);
    EXPECT_TRUE(stamp_list.empty());
    EXPECT_EQ(book_->GetSelection(), 1);

    // A cancelled dialog changes nothing; a PNG then lets it save.
    choose_picture("");
    EXPECT_TRUE(editor_->current_draft().imgfname.empty());
    choose_picture(write_png("ok.png"));
    editor_->save();
    EXPECT_EQ(stamp_list.size(), 1u);
}

TEST_F(StampEditor, empty_name_blinks_until_typed_and_invisible_needs_no_picture) {
    editor_->new_stamp(&slot_, "");
    editor_->save();
    EXPECT_TRUE(editor_->result_tip_label->IsShown());
    EXPECT_TRUE(editor_->stamp_name_tip_label->IsShown());
    editor_->stamp_name_text->SetValue("Quiet");
    EXPECT_FALSE(editor_->result_tip_label->IsShown());
    EXPECT_FALSE(editor_->stamp_name_tip_label->IsShown());

    picked_certificate pick = pfx_pick("leaf");
    next_pick = &pick;
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    editor_->radio(editor_->invisible_radio);
    EXPECT_FALSE(editor_->stamp_image_button->IsEnabled());
    editor_->save();
    ASSERT_EQ(stamp_list.size(), 1u);
    EXPECT_FALSE(stamp_list.front()->is_visible);
    EXPECT_TRUE(stamp_list.front()->imgfname.empty());
}

TEST_F(StampEditor, refuses_an_expired_certificate) {
    X509* cert = make_self_signed("Old Signer", -30, -1);
    trust_list_import_cert(cert);
    const std::string pem = dir_.file("old.pem");
    FILE* out = std::fopen(pem.c_str(), "w");
    ASSERT_NE(out, nullptr);
    PEM_write_X509(out, cert);
    std::fclose(out);
    picked_certificate pick;
    pick.pem = pem;
    fill_cert_info(cert, pick.entry.info);
    X509_free(cert);
    pick.entry.access.cert_type = cert_type_pfx;
    pick.entry.access.pfx.certfname = utf8_to_wide(pem);
    pick.entry.access.pfx.pfxfname = utf8_to_wide(pem);  // exists: the access check looks no further
    next_pick = &pick;

    editor_->new_stamp(&slot_, "Old");
    editor_->radio(editor_->invisible_radio);
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    EXPECT_TRUE(editor_->is_certificate_expired());
    EXPECT_EQ(editor_->certificate_status_label->flash_colour, wxColour(255, 0, 0));
    editor_->save();
    EXPECT_EQ(slot_, nullptr);
    EXPECT_TRUE(stamp_list.empty());

    // A valid certificate chosen afterwards replaces the verdict.
    picked_certificate good = pfx_pick("leaf");
    next_pick = &good;
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    EXPECT_FALSE(editor_->is_certificate_expired());
    editor_->save();
    EXPECT_EQ(stamp_list.size(), 1u);
}

TEST_F(StampEditor, server_stamp_checks) {
    struct server_case {
        const wchar_t* name;
        bool timestamp;
        const char* addr;
        const char* user;
        const char* pswd;
        bool passes;
        const wchar_t* message;  // the result line's text when refused
    };
    const server_case cases[] = {
        {L"My timestamp", true, "", "", "", true, nullptr},
        {L"a cloud stamp", true, "", "", "", false, L"Don't name Timestamp with \"cloud stamp\""},
        {L"\u6211\u7684\u65f6\u95f4\u6233", false, "https://c", "u", "p", false,
         L"Don't name Cloud stamp with \"timestamp\""},
        {L"Cloud", false, "https://c", "u", "", false, L"Please fill cloud signing infomation"},
        {L"Cloud", false, "https://c", "u", "p", true, nullptr},
    };
    for (const server_case& c : cases) {
        SCOPED_TRACE(wide_to_utf8(c.name));
        editor_->new_stamp(&slot_, c.name);
        editor_->click(editor_->cloud_signing_button);
        EXPECT_EQ(editor_->signing_book->GetSelection(), 1);
        if (c.timestamp) {
            editor_->radio(editor_->timestamp_radio);
            editor_->tsurl_combo->SetValue("");  // an empty box: the public service
        } else {
            editor_->radio(editor_->cloud_account_radio);
            editor_->cloud_address_text->SetValue(c.addr);
            editor_->cloud_user_text->SetValue(c.user);
            editor_->cloud_password_text->SetValue(c.pswd);
        }
        const size_t before = stamp_list.size();
        editor_->save();
        EXPECT_EQ(stamp_list.size(), before + (c.passes ? 1 : 0));
        if (c.message) {
            EXPECT_EQ(editor_probe::said(editor_->result_tip_label), wxGetTranslation(c.message));
        }
        if (c.passes && c.timestamp) {
            const sigstampui& s = *stamp_list.back();
            EXPECT_TRUE(s.is_tsmode);
            EXPECT_FALSE(s.is_localsign);
            EXPECT_FALSE(s.is_visible);
            EXPECT_EQ(s.tsurl, wide_to_utf8(setting_panel::default_timestamp_url));
        }
        if (c.passes && !c.timestamp) {
            EXPECT_EQ(stamp_list.back()->pswd, "p");
        }
        delete slot_;
        slot_ = nullptr;
    }
}

TEST_F(StampEditor, server_list_defaults_and_a_chosen_server_goes_first) {
    editor_->new_stamp(&slot_, "ts");
    EXPECT_EQ(timestamp_urls, std::vector<std::wstring>{setting_panel::default_timestamp_url});
    EXPECT_EQ(editor_->tsurl_combo->GetCount(), 1u);

    timestamp_urls = {L"http://a.example", L"http://b.example"};
    editor_->fill_server_list();
    editor_->tsurl_combo->SetSelection(1);
    editor_->click(editor_->tsurl_combo, wxEVT_COMBOBOX);
    EXPECT_EQ(timestamp_urls, (std::vector<std::wstring>{L"http://b.example", L"http://a.example"}));

    // An existing time-stamp stamp keeps its kind: the kind buttons do nothing.
    sigstampui* existing = new sigstampui;
    existing->name = L"Stamp";
    existing->is_localsign = false;
    existing->is_visible = false;
    existing->is_tsmode = true;
    existing->tsurl = "http://a.example";
    delete slot_;
    slot_ = existing;
    editor_->open_stamp(&slot_, "");
    EXPECT_EQ(editor_->signing_book->GetSelection(), 1);
    editor_->click(editor_->cloud_signing_button);
    editor_->save();
    EXPECT_FALSE(saved_new_);
}

TEST_F(StampEditor, check_results_stale_empty_and_failed) {
    editor_->new_stamp(&slot_, "x");
    auto post = [this](const wchar_t* tag, long generation, std::shared_ptr<cert_chain_ui> chain) {
        wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
        event.SetString(tag);
        event.SetExtraLong(generation);
        if (chain) event.SetPayload(chain);
        editor_->GetEventHandler()->ProcessEvent(event);
    };
    auto one_entry = [](int32_t status) {
        auto chain = std::make_shared<cert_chain_ui>(1);
        chain->front().status = status;
        chain->front().cert.not_after = "20991231235959Z";
        return chain;
    };
    const long now = long(editor_->check_generation);
    editor_->certificate_status_label->set_message(*wxBLACK, "verifying...");

    // A result started for an earlier certificate is dropped with its chain.
    std::weak_ptr<cert_chain_ui> stale_watch;
    {
        auto stale = one_entry(5);
        stale_watch = stale;
        post(L"Completed", now - 1, stale);
    }
    EXPECT_TRUE(stale_watch.expired());
    EXPECT_EQ(editor_->state_text(), "verifying...");
    EXPECT_TRUE(editor_->checked_chain().empty());

    post(L"Completed", now, std::make_shared<cert_chain_ui>());
    EXPECT_EQ(editor_->state_text(), wxGetTranslation(L"Failed to verify the certificate"));
    EXPECT_EQ(editor_->certificate_status_label->flash_colour, wxColour(255, 0, 0));

    post(L"Completed", now, one_entry(0));
    EXPECT_EQ(editor_->state_text(), certificate_status_text(0));
    EXPECT_EQ(editor_->checked_chain().size(), 1u);

    post(L"certaccess_failed", now, nullptr);
    EXPECT_EQ(editor_->state_text(), wxGetTranslation(L"Certificate is not in store") + ", " +
                                         wxGetTranslation(L"you can import it again"));

    // A certificate whose reference cannot be reached at check time.
    picked_certificate pick = pfx_pick("leaf");
    pick.entry.access.pfx.pfxfname = utf8_to_wide(dir_.file("missing.p12"));
    next_pick = &pick;
    editor_->click(editor_->select_certificate_button);
    ASSERT_TRUE(wait_checked());
    EXPECT_EQ(editor_->state_text(), wxGetTranslation(L"Certificate is not in store") + ", " +
                                         wxGetTranslation(L"you can import it again"));
    EXPECT_EQ(running_workers.load(), 0);
}

TEST_F(StampEditor, cancel_keeps_the_stamp_and_the_copied_picture) {
    std::vector<sigstampui*> kept;
    stamp_editor_calls().stamp_kept = [&kept](sigstampui* stamp) { kept.push_back(stamp); };
    // A new stamp: nothing reaches the signing panel, the copied picture stays.
    editor_->new_stamp(&slot_, "Draft");
    choose_picture(write_png("red.png"));
    editor_->click(editor_->cancel_button);
    EXPECT_EQ(book_->GetSelection(), 0);
    EXPECT_EQ(slot_, nullptr);
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(configs_pngs().size(), 1u);

    // An existing stamp edited and cancelled is unchanged and handed back.
    auto* existing = new sigstampui;
    existing->name = L"Kept";
    existing->is_visible = false;
    slot_ = existing;
    book_->SetSelection(1);
    editor_->open_stamp(&slot_, "");
    editor_->stamp_name_text->SetValue("Changed");
    editor_->click(editor_->cancel_button);
    EXPECT_EQ(existing->name, L"Kept");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0], existing);
    EXPECT_EQ(book_->GetSelection(), 0);
}

TEST_F(StampEditor, random_picture_names_differ) {
    const std::wstring a = random_picture_name(), b = random_picture_name();
    EXPECT_EQ(a.size(), 40u);
    EXPECT_NE(a, b);
}

// Screenshots of both pages, filled in, in English and Chinese.
TEST_F(StampEditor, gallery) {
    picked_certificate pick = pfx_pick("leaf");
    next_pick = &pick;
    const std::string png = write_png("red.png");
    auto shoot = [&](const std::string& language) {
        editor_->new_stamp(&slot_, "Approval");
        choose_picture(png);
        editor_->click(editor_->select_certificate_button);
        ASSERT_TRUE(wait_checked());
        editor_->SendSizeEvent();
        gui_test::settle(std::chrono::milliseconds(100));
        EXPECT_TRUE(seen_whole(editor_, editor_->select_certificate_button)) << language;
        EXPECT_TRUE(seen_whole(editor_, editor_->store_certificate_text)) << language;
        // One line, as tall as the other fields, however often the pane was resized.
        EXPECT_LE(editor_->store_certificate_text->GetSize().y, editor_->stamp_name_text->GetSize().y) << language;
        EXPECT_FALSE(gui_test::save_screenshot(editor_, "stamp_editor_local_" + language).empty());
        editor_->click(editor_->cloud_signing_button);
        editor_->radio(editor_->cloud_account_radio);
        editor_->SendSizeEvent();
        EXPECT_FALSE(gui_test::save_screenshot(editor_, "stamp_editor_cloud_" + language).empty());
        editor_->stamp_name_text->SetValue("");
        editor_->save();
        EXPECT_FALSE(gui_test::save_screenshot(editor_, "stamp_editor_empty_name_" + language).empty());
    };
    shoot("en");
    {
        gui_test::chinese_interface chinese;
        editor_->wait_certificate_check();
        frame_->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
        frame_ = new wxFrame(nullptr, wxID_ANY, "stamp", wxPoint(0, 0), pane_size());
        book_ = new wxSimplebook(frame_, wxID_ANY);
        book_->AddPage(new wxPanel(book_), "list");
        editor_ = new editor_probe(book_);
        book_->AddPage(editor_, "editor");
        book_->SetSelection(1);
        frame_->Show();
        shoot("zh");
        editor_->wait_certificate_check();
    }
}

}  // namespace
