// The signing panel: the stamp list it loads from the settings, the options it
// shows for a document and a stamp, the checks of Start Sign in their order,
// the proposed output name, the guards around a running signing, and whole
// signings of a real PDF (new file, in place, time-stamp server down, a
// certified document) checked with pdfsig and qpdf.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>

#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/testing.h>
#include <wx/radiobut.h>
#include <wx/simplebook.h>

#include "app/data_dirs.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "document/doc_services.h"
#include "document/file_types.h"
#include "document/pdf_sign.h"
#include "document/sig_result.h"
#include "document/sigcheck.h"
#include "gui/fake_document.h"
#include "gui/gui_harness.h"
#include "support/pki_fixture.h"
#include "support/test_support.h"
#include "ui/dialog_calls.h"
#include "ui/expandbar.h"
#include "ui/frame.h"
#include "ui/page_glcanvas.h"
#include "ui/sign_panel.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const wxColour notice(255, 128, 61);

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void replace_document(doc_base* doc) {
    document_lock lock(document_mutex);
    delete current_document;
    current_document = doc;
}

// The PKI with its time-stamp server, made once per process.
testsupport::test_pki& pki() {
    static testsupport::test_pki p;
    return p;
}

std::unique_ptr<sigstampui> pfx_stamp(const std::wstring& name, bool visible, const std::wstring& picture) {
    auto s = std::make_unique<sigstampui>();
    s->name = name;
    s->is_visible = visible;
    s->imgfname = picture;
    s->access.cert_type = cert_type_pfx;
    s->access.pfx.certfname = utf8_to_wide(pki().f("leaf.pem"));
    s->access.pfx.pfxfname = utf8_to_wide(pki().f("leaf.p12"));
    s->access.pfx.pswd = "pw";
    s->info.subject = L"Leaf Signer";
    s->info.issuer = L"Velk Test Intermediate";
    s->info.expired = "2099-01-01 00:00:00";
    s->info.sn = "0A";
    s->reason = L"approval";
    return s;
}

std::unique_ptr<sigstampui> ts_stamp(const std::string& url) {
    auto s = std::make_unique<sigstampui>();
    s->name = L"My time stamp";
    s->is_localsign = false;
    s->is_visible = false;
    s->is_tsmode = true;
    s->tsurl = url;
    return s;
}

class sign_panel_test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pki().ok()) << pki().setup_log();
        set_data_root(scratch.file("home"));
        set_fixed_colours();
        stop_workers = false;
        trust_list_ready = true;
        doc_loading = doc_verifying = false;
        doc_signing = false;
        is_certify = false;
        is_lock = false;
        certifyperms = 3;
        is_ltv = false;
        stamp_list.clear();
        picture = scratch.file("stamp.png");
        wxImage image(120, 60);
        image.SetRGB(wxRect(0, 0, 120, 60), 200, 20, 20);
        ASSERT_TRUE(image.SaveFile(wxString::FromUTF8(picture), wxBITMAP_TYPE_PNG));
        saved_verify = doc_services().verify_open_document;
    }

    void TearDown() override {
        if (!gui_test::run_until([] { return running_workers.load() == 0; }, 20s)) {
            stop_workers = true;
            gui_test::run_until([] { return running_workers.load() == 0; }, 5s);
        }
        gui_test::settle(50ms);
        if (f) f->Destroy();
        gui_test::settle(50ms);
        replace_document(nullptr);
        frame::document_maker = nullptr;
        doc_services().verify_open_document = saved_verify;
        stamp_list.clear();
        stop_workers = false;
        doc_signing = false;
        timestamp_urls.clear();
    }

    // A main window with the stamps in the settings' list.
    void make_frame() {
        f = new frame(wxPoint(0, 0), wxSize(1280, 900));
        f->Show();
        gui_test::settle(100ms);
        panel = f->signer();
        ASSERT_EQ(panel, the_sign_panel);
        f->right_bar()->set_expanded(true);
    }

    // Opens a scripted document (no verification) and waits for it.
    fake_document* open_fake() {
        fake_path = scratch.file("fake.pdf");
        std::ofstream(fake_path) << "%PDF-1.4 scripted";
        doc_services().verify_open_document = nullptr;
        frame::document_maker = [](const std::wstring&) -> doc_base* { return new fake_document(); };
        f->open_file(utf8_to_wide(fake_path), 0);
        EXPECT_TRUE(gui_test::run_until([this] { return !f->load_pending && running_workers.load() == 0; }));
        EXPECT_TRUE(gui_test::run_until([] { return page_canvas->painted.load(); }));
        return static_cast<fake_document*>(current_document);
    }

    int row_of(const std::wstring& name) const {
        for (auto& [id, row] : panel->stamp_rows)
            if (row.stamp->name == name) return id;
        return 0;
    }

    void select(const std::wstring& name) {
        panel->selected_id = row_of(name);
        ASSERT_NE(panel->selected_id, 0);
        panel->select_stamp(true);
    }

    // Start Sign through the panel's own handler.
    void start() {
        wxCommandEvent event(wxEVT_BUTTON, panel->start_button()->GetId());
        panel->on_start_sign(event);
    }

    wxString message() const { return panel->message_line()->saved_label; }

    testsupport::scratch_dir scratch;
    std::string picture, fake_path;
    frame* f = nullptr;
    sign_panel* panel = nullptr;
    decltype(document_services::verify_open_document) saved_verify = nullptr;
};

// ---------------------------------------------------------------- pure rules

TEST(sign_panel_rules, default_output_name) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"/docs/a.pdf", L"/docs/a - signed"},
        {L"/docs/a - signed.pdf", L"/docs/a - signed"},
        {L"/docs/a.b.pdf", L"/docs/a.b - signed"},
        {L"/docs.v2/readme", L"/docs.v2/readme - signed"},
        {L"/docs/pic.png", L"/docs/pic - signed"},
    };
    for (const auto& c : cases) EXPECT_EQ(default_output_name(c.path, true), c.name) << c.path;
    EXPECT_EQ(default_output_name(L"/docs/a.pdf", false), L"/docs/a - signed");
}

// ---------------------------------------------------------------- the stamp list

TEST_F(sign_panel_test, empty_list_gets_the_default_time_stamp_stamp) {
    make_frame();
    ASSERT_EQ(panel->stamp_rows.size(), 1u);
    const sigstampui& s = *panel->stamp_rows.begin()->second.stamp;
    EXPECT_TRUE(s.is_tsmode);
    EXPECT_FALSE(s.is_localsign);
    EXPECT_FALSE(s.tsurl.empty());
    EXPECT_EQ(s.name, L"Default documet timestamp");
    ASSERT_EQ(stamp_list.size(), 1u);
    EXPECT_TRUE(stamp_list[0]->is_tsmode);
}

TEST_F(sign_panel_test, loading_drops_unusable_stamps_and_keeps_a_time_stamp_stamp) {
    stamp_list.push_back(pfx_stamp(L"kept", true, utf8_to_wide(picture)));
    stamp_list.push_back(pfx_stamp(L"no picture", true, utf8_to_wide(scratch.file("gone.png"))));
    stamp_list.push_back(pfx_stamp(L"invisible kept", false, L""));
    auto missing_pfx = pfx_stamp(L"no pfx", false, L"");
    missing_pfx->access.pfx.pfxfname = utf8_to_wide(scratch.file("gone.p12"));
    stamp_list.push_back(std::move(missing_pfx));
    auto no_serial = pfx_stamp(L"no serial", false, L"");
    no_serial->info.sn.clear();
    stamp_list.push_back(std::move(no_serial));
    stamp_list.push_back(pfx_stamp(L"", false, L""));
    stamp_list.push_back(ts_stamp(""));
    auto cloud = std::make_unique<sigstampui>();
    cloud->name = L"cloud";
    cloud->is_localsign = false;
    cloud->addr = "http://127.0.0.1:1/";
    cloud->user = "u";
    stamp_list.push_back(std::move(cloud));
    stamp_list.push_back(ts_stamp(pki().url("/tsa")));
    make_frame();
    std::vector<std::wstring> names;
    for (auto& [id, row] : panel->stamp_rows) names.push_back(row.stamp->name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"kept", L"invisible kept", L"My time stamp"}));
    ASSERT_EQ(stamp_list.size(), 3u);
}

// A click on the panel's own margin above the stamp list or from the top of
// "Start Sign" down closes the right pane; one between them does not.
TEST_F(sign_panel_test, a_click_above_the_list_or_below_start_sign_closes_the_pane) {
    make_frame();
    wxWindow* body = panel->start_button()->GetParent();
    ASSERT_EQ(panel->stamp_list_window()->GetParent(), body);
    const int list_top = panel->stamp_list_window()->GetPosition().y;
    const int start_top = panel->start_button()->GetPosition().y;
    ASSERT_LT(list_top + 4, start_top);
    auto still_open_after_click_at = [&](int y) {
        f->right_bar()->set_expanded(true);
        wxMouseEvent down(wxEVT_LEFT_DOWN);
        down.SetPosition(wxPoint(3, y));
        down.SetEventObject(body);
        body->GetEventHandler()->ProcessEvent(down);
        return is_expand_right;
    };
    EXPECT_FALSE(still_open_after_click_at(list_top - 2));
    EXPECT_TRUE(still_open_after_click_at(list_top + 2));
    EXPECT_TRUE(still_open_after_click_at(start_top - 2));
    EXPECT_FALSE(still_open_after_click_at(start_top + 2));
}

TEST_F(sign_panel_test, a_new_stamp_always_gets_its_row_and_removal_deletes_the_picture) {
    stamp_list.push_back(ts_stamp(pki().url("/tsa")));
    make_frame();
    ASSERT_EQ(panel->stamp_rows.size(), 1u);
    // Equal but for the server: not the same stamp.
    auto other = ts_stamp("http://127.0.0.1:2/tsa");
    EXPECT_FALSE(panel->find_stamp(other.get()));
    // A stamp equal in every field still gets its own row.
    auto* copy = new sigstampui(*panel->stamp_rows.begin()->second.stamp);
    panel->stamp_saved(copy);
    EXPECT_EQ(panel->stamp_rows.size(), 2u);
    EXPECT_EQ(stamp_list.size(), 2u);

    const std::string pic2 = scratch.file("second.png");
    fs::copy_file(picture, pic2);
    panel->stamp_saved(pfx_stamp(L"with picture", true, utf8_to_wide(pic2)).release());
    ASSERT_TRUE(panel->has_selection);
    wxCommandEvent event(wxEVT_BUTTON);
    panel->on_remove_stamp(event);
    EXPECT_FALSE(panel->has_selection);
    EXPECT_FALSE(fs::exists(pic2));
    EXPECT_EQ(stamp_list.size(), 2u);
    EXPECT_EQ(row_of(L"with picture"), 0);

    // Add opens the stamp editor with an empty slot; a stamp saved into the
    // slot joins the list.
    auto* book = dynamic_cast<wxSimplebook*>(panel->GetParent());
    ASSERT_NE(book, nullptr);
    wxCommandEvent add(wxEVT_BUTTON);
    panel->on_add_stamp(add);
    EXPECT_EQ(book->GetSelection(), 1);
    EXPECT_EQ(panel->new_stamp_slot, nullptr);
    panel->new_stamp_slot = ts_stamp("http://127.0.0.1:3/tsa").release();
    panel->stamp_saved(panel->new_stamp_slot);
    EXPECT_EQ(panel->stamp_rows.size(), 3u);
    EXPECT_TRUE(panel->has_selection);
    book->SetSelection(0);
}

// ---------------------------------------------------------------- options

TEST_F(sign_panel_test, options_follow_the_document_and_the_stamp) {
    stamp_list.push_back(pfx_stamp(L"pfx", false, L""));
    stamp_list.push_back(ts_stamp(pki().url("/tsa")));
    make_frame();
    fake_document* doc = open_fake();
    ASSERT_NE(doc, nullptr);
    using spec = fake_document::signature_spec;
    spec plain;
    spec certified_p1;
    certified_p1.certified = 1;
    certified_p1.permission = 1;
    spec certified_p2 = certified_p1;
    certified_p2.permission = 2;
    spec locked;
    locked.locked = 1;
    const struct {
        const char* what;
        std::vector<spec> signatures;
        const wchar_t* stamp;
        bool certify_setting;
        bool modes, permission, lock, locked_message;
    } cases[] = {
        {"unsigned, certify", {}, L"pfx", true, true, true, false, false},
        {"unsigned, sign", {}, L"pfx", false, true, false, true, false},
        {"signed", {plain}, L"pfx", true, false, false, true, false},
        {"certified P2", {certified_p2}, L"pfx", true, false, false, true, false},
        {"certified P1", {certified_p1}, L"pfx", true, false, false, false, true},
        {"locked field", {locked}, L"pfx", false, false, false, false, true},
        {"time stamp stamp", {}, L"My time stamp", true, false, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        doc->set_signatures(c.signatures);
        is_certify = c.certify_setting;
        select(c.stamp);
        EXPECT_EQ(panel->modes_shown(), c.modes);
        EXPECT_EQ(panel->permission_shown(), c.permission);
        EXPECT_EQ(panel->lock_check()->IsShown(), c.lock);
        EXPECT_EQ(panel->start_button()->IsEnabled(), !c.locked_message);
        if (c.locked_message) {
            EXPECT_EQ(message(), "Document is locked, Not Allow signing");
        }
        if (c.modes) {
            EXPECT_EQ(panel->certify_radio()->GetValue(), c.certify_setting);
        }
        panel->select_stamp(false);
        EXPECT_FALSE(panel->modes_shown());
        EXPECT_FALSE(panel->lock_check()->IsShown());
        EXPECT_FALSE(panel->start_button()->IsEnabled());
    }
}

// ---------------------------------------------------------------- Start Sign checks

TEST_F(sign_panel_test, start_checks_in_order) {
    stamp_list.push_back(pfx_stamp(L"pfx", false, L""));
    make_frame();
    open_fake();
    auto base = [&] { return pfx_stamp(L"pfx", true, utf8_to_wide(picture)); };
    const struct {
        const char* what;
        std::function<void(sigstampui&)> change;
        const char* thrown;
        const char* shown;
    } cases[] = {
        {"good", [](sigstampui&) {}, nullptr, nullptr},
        {"time stamp without url", [](sigstampui& s) { s = *ts_stamp(""); }, "Failed", "Timestamp url is empty"},
        {"time stamp", [](sigstampui& s) { s = *ts_stamp("http://127.0.0.1:1/"); }, nullptr, nullptr},
        {"cloud", [](sigstampui& s) { s.is_localsign = false; }, "Invalid param", "Cloud account is wrong"},
        {"picture missing before expiry",
         [&](sigstampui& s) {
             s.imgfname = utf8_to_wide(scratch.file("gone.png"));
             s.info.expired = "2000-01-01 00:00:00";
         },
         "Failed", "The image of the stamp is missing, please change it"},
        {"expired before pfx", [&](sigstampui& s) {
             s.info.expired = "2000-01-01 00:00:00";
             s.access.pfx.pfxfname = utf8_to_wide(scratch.file("gone.p12"));
         },
         "Failed", "Stamp's certificate is expired"},
        {"pfx missing", [&](sigstampui& s) { s.access.pfx.pfxfname = utf8_to_wide(scratch.file("gone.p12")); },
         "Failed", "The certificate of the stamp is invalid, please change it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto s = base();
        c.change(*s);
        panel->message_line()->saved_label.clear();
        std::string thrown;
        try {
            panel->check_stamp(*s);
        } catch (const std::exception& ex) {
            thrown = ex.what();
        }
        EXPECT_EQ(thrown, c.thrown ? c.thrown : "");
        EXPECT_EQ(message(), c.shown ? wxString(c.shown) : wxString());
        if (c.shown) {
            EXPECT_EQ(panel->message_line()->flash_colour, notice);
        }
    }

    // A stored password that no longer opens the PFX asks for it.
    auto wrong = pfx_stamp(L"wrong password", false, L"");
    wrong->access.pfx.pswd = "nope";
    panel->stamp_saved(wrong.release());
    ASSERT_TRUE(panel->password_field()->IsShown());
    auto s = pfx_stamp(L"wrong password", false, L"");
    s->access.pfx.pswd = "nope";
    panel->password_field()->ChangeValue("still wrong");
    EXPECT_THROW(panel->check_stamp(*s), std::exception);
    EXPECT_EQ(message(), "Wrong password, please input it again");
    panel->password_field()->ChangeValue("pw");
    EXPECT_NO_THROW(panel->check_stamp(*s));
    EXPECT_EQ(s->access.pfx.pswd, "pw");
}

TEST_F(sign_panel_test, start_refusals_leave_the_panel_idle) {
    stamp_list.push_back(pfx_stamp(L"visible", true, utf8_to_wide(picture)));
    stamp_list.push_back(pfx_stamp(L"invisible", false, L""));
    make_frame();
    // No document: nothing happens (no dialog, no message).
    start();
    EXPECT_FALSE(panel->message_line()->IsShown());
    EXPECT_FALSE(doc_signing);

    fake_document* doc = open_fake();
    // Showing the signing pane selected the stamp: let it go.
    panel->select_stamp(false);
    start();
    EXPECT_EQ(message(), "Please select a stamp first, then Execute Signing");
    select(L"visible");
    page_canvas->clear_stamp();
    start();
    EXPECT_EQ(message(), "Please drag a rectangle on page, then Execute Signing");
    EXPECT_EQ(panel->task_stamp, nullptr);

    // The save dialog cancelled: idle, nothing written, no message.
    select(L"invisible");
    panel->message_line()->saved_label.clear();
    wxTEST_DIALOG(start(), wxExpectModal<wxFileDialog>(wxString(), wxID_CANCEL));
    EXPECT_FALSE(doc_signing);
    EXPECT_EQ(panel->task_stamp, nullptr);
    EXPECT_TRUE(panel->start_button()->IsEnabled());
    EXPECT_EQ(panel->start_button()->GetLabel(), "Start Sign");

    // While a load runs, Start Sign does nothing; while a verification runs
    // it says why it waits.
    for (std::atomic<bool>* busy : {&doc_loading, &doc_verifying}) {
        *busy = true;
        panel->message_line()->saved_label.clear();
        start();
        EXPECT_EQ(message(), busy == &doc_verifying ? wxString("Verifying document, please sign after it ends")
                                                    : wxString());
        EXPECT_FALSE(doc_signing);
        *busy = false;
    }

    // A locked document refuses every signing.
    fake_document::signature_spec locked;
    locked.locked = 1;
    doc->set_signatures({locked});
    start();
    EXPECT_EQ(message(), "Document is locked");
}

TEST_F(sign_panel_test, a_running_signing_holds_the_document_and_start_sign) {
    stamp_list.push_back(pfx_stamp(L"invisible", false, L""));
    make_frame();
    open_fake();
    select(L"invisible");
    ASSERT_TRUE(panel->start_button()->IsEnabled());
    doc_signing = true;
    // A verification end mid-signing does not enable Start Sign again.
    panel->on_verify_end();
    EXPECT_FALSE(panel->start_button()->IsEnabled());
    // Opening and closing a document wait for the signing.
    const std::string other = scratch.file("other.pdf");
    std::ofstream(other) << "%PDF-1.4 scripted";
    doc_base* before = current_document;
    f->open_file(utf8_to_wide(other), 0);
    f->close_document();
    EXPECT_EQ(current_document, before);
    EXPECT_EQ(f->document_path, utf8_to_wide(fake_path));
    EXPECT_FALSE(f->load_pending);
    // A stamp is not removed under the worker.
    const std::size_t rows = panel->stamp_rows.size();
    panel->remove_stamp(panel->selected_id);
    EXPECT_EQ(panel->stamp_rows.size(), rows);
    doc_signing = false;
    panel->on_verify_end();
    EXPECT_TRUE(panel->start_button()->IsEnabled());
}

// ---------------------------------------------------------------- real signings

// A one-page PDF: the corpus's minimal.pdf when present, else one made here.
std::string source_pdf(testsupport::scratch_dir& scratch) {
    const std::string copy = scratch.file("minimal.pdf");
    if (testsupport::corpus_available())
        fs::copy_file(testsupport::corpus_dir() + "/pyhanko/minimal.pdf", copy);
    else
        testsupport::write_minimal_pdf(copy, 1, 595, 842);
    return copy;
}

class real_signing_test : public sign_panel_test {
protected:
    void SetUp() override {
        sign_panel_test::SetUp();
        init_pdfium_with_fonts();
        install_verification_services();
        register_pdf_signing();
        frame::document_maker = nullptr;
        is_timestamp = true;
        timestamp_urls = {utf8_to_wide(pki().url("/tsa"))};
        stamp_list.push_back(pfx_stamp(L"Velk visible", true, utf8_to_wide(picture)));
        make_frame();
        source = source_pdf(scratch);
        original = read_all(source);
    }

    void open(const std::string& path) {
        f->open_file(utf8_to_wide(path), 0);
        ASSERT_TRUE(gui_test::run_until([this] { return !f->load_pending; }, 10s));
        ASSERT_TRUE(gui_test::run_until(
            [] { return running_workers.load() == 0 && !doc_verifying && page_canvas->painted.load(); }, 20s));
        gui_test::settle(200ms);
    }

    // Selects the stamp and drags a rectangle in the middle of the page.
    void place_stamp() {
        select(L"Velk visible");
        const gl_rect& page = page_canvas->page_view_rect;
        const float cx = (page.x0 + page.x1) / 2, cy = (page.y0 + page.y1) / 2;
        page_canvas->stamp_rect = gl_rect{cx - 60, cy - 30, cx + 60, cy + 30};
    }

    // Start Sign with the save dialog answered, then the result and the reopening.
    void sign_to(const std::string& output) {
        wxTEST_DIALOG(start(), wxExpectModal<wxFileDialog>(wxString::FromUTF8(output)));
        ASSERT_TRUE(gui_test::run_until([] { return !doc_signing.load(); }, 30s));
        ASSERT_TRUE(gui_test::run_until(
            [this] { return !f->load_pending && running_workers.load() == 0 && !doc_verifying; }, 20s));
        gui_test::settle(300ms);
    }

    void expect_signed(const std::string& output) {
        EXPECT_EQ(message(), "Sign completed");
        EXPECT_EQ(panel->message_line()->flash_colour, wxColour(13, 147, 45));
        EXPECT_EQ(f->document_path, utf8_to_wide(output));
        ASSERT_NE(current_document, nullptr);
        ASSERT_EQ(current_document->topsigs.size(), 1u);
        EXPECT_EQ(current_document->topsigs[0]->sig->status, 0);
        const std::string out = testsupport::run_command("pdfsig " + output).output;
        EXPECT_NE(out.find("Signature is Valid"), std::string::npos) << out;
        EXPECT_NE(out.find("Total document signed"), std::string::npos) << out;
        EXPECT_EQ(testsupport::run_command("qpdf --check " + output).status, 0);
        const std::string signed_bytes = read_all(output);
        EXPECT_EQ(signed_bytes.compare(0, original.size(), original), 0) << "the source is not a prefix";
        // No temporary file is left beside the output.
        for (const auto& e : fs::directory_iterator(fs::path(output).parent_path()))
            EXPECT_EQ(e.path().string().find(".tmp.pdf"), std::string::npos) << e.path();
    }

    std::string source, original;
};

TEST_F(real_signing_test, visible_pfx_stamp_signs_into_a_new_file) {
    open(source);
    place_stamp();
    const std::string output = scratch.file("out");  // ".pdf" is added
    // A new document gets the usual mode, less the umask, not a private one.
    const mode_t mask = ::umask(027);
    sign_to(output);
    ::umask(mask);
    expect_signed(output + ".pdf");
    EXPECT_EQ(read_all(source), original);
    EXPECT_EQ(fs::status(output + ".pdf").permissions(), fs::perms(0640));
    fs::create_directories(gui_test::gallery_dir());
    EXPECT_EQ(testsupport::run_command("pdftoppm -r 60 -png -singlefile " + output + ".pdf " +
                                       gui_test::gallery_dir() + "/signed_page")
                  .status,
              0);
}

TEST_F(real_signing_test, signing_in_place_replaces_the_source) {
    fs::permissions(source, fs::perms(0664));
    open(source);
    place_stamp();
    sign_to(source);
    expect_signed(source);
    EXPECT_EQ(fs::status(source).permissions(), fs::perms(0664)) << "the replaced file's mode is kept";
}

TEST_F(real_signing_test, time_stamp_server_down_gives_a_red_error_and_no_file) {
    timestamp_urls = {utf8_to_wide("http://127.0.0.1:" + std::to_string(pki().dead_port()) + "/tsa")};
    open(source);
    place_stamp();
    const std::string output = scratch.file("never.pdf");
    sign_to(output);
    EXPECT_EQ(panel->message_line()->flash_colour, wxColour(255, 0, 0));
    EXPECT_EQ(message(), "Failed to add timestamp, try again, or check URL");
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(read_all(source), original);
    EXPECT_TRUE(panel->start_button()->IsEnabled());
    EXPECT_EQ(f->document_path, utf8_to_wide(source));
}

TEST_F(real_signing_test, a_document_certified_with_permission_1_is_locked) {
    open(source);
    // Certify with "No changes allowed".
    is_certify = true;
    place_stamp();
    ASSERT_TRUE(panel->modes_shown());
    panel->permission_choice->SetSelection(0);
    const std::string output = scratch.file("certified.pdf");
    sign_to(output);
    ASSERT_EQ(message(), "Sign completed");
    ASSERT_EQ(current_document->topsigs.size(), 1u);
    select(L"Velk visible");
    EXPECT_EQ(message(), "Document is locked, Not Allow signing");
    EXPECT_FALSE(panel->start_button()->IsEnabled());
    start();
    EXPECT_EQ(message(), "Document is locked");
    EXPECT_FALSE(doc_signing);
}

// The panel beside a document with a stamp placed, in English and Chinese;
// run again at 200 % with the rest of the gallery.
TEST_F(real_signing_test, gallery) {
    open(source);
    place_stamp();
    page_canvas->Refresh(false);
    EXPECT_FALSE(gui_test::save_screenshot(f, "sign_panel").empty());
    f->Destroy();
    gui_test::settle(50ms);
    {
        gui_test::chinese_interface zh;
        ASSERT_TRUE(zh.loaded);
        stamp_list.clear();
        stamp_list.push_back(pfx_stamp(L"Velk visible", true, utf8_to_wide(picture)));
        make_frame();
        open(source);
        place_stamp();
        page_canvas->Refresh(false);
        EXPECT_FALSE(gui_test::save_screenshot(f, "sign_panel_zh").empty());
        f->Destroy();
        f = nullptr;
        gui_test::settle(50ms);
        replace_document(nullptr);
    }
}

}  // namespace
