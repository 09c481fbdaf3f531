// The main window: its pure rules (page box, zoom box, fitting), the tool
// bar's states, opening files of every kind, requests dropped while a load
// or a verification runs, trust changes, the keyboard, and a shutdown that
// waits for the counted workers but never hangs. Documents are a scripted
// double (load delay or failure, page count, results), so each case runs in
// a fixed time; one case opens a real signed PDF of the corpus.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <ctime>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/simplebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/intl.h>
#include <wx/translation.h>
#include <wx/uiaction.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/process_exit.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/x509ui.h"
#include "document/doc_base.h"
#include "document/doc_services.h"
#include "document/gl_texture.h"
#include "document/file_types.h"
#include "document/sig_result.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"
#include "ui/homepage.h"
#include "ui/infobar.h"
#include "ui/page_glcanvas.h"
#include "ui/sign_panel.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// ---------------------------------------------------------------- pure rules

TEST(frame_rules, page_box_reads_a_leading_number_and_clamps) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"12", 12},          {"abc", 0},       {"", 0},          {"0", 0},
        {"  7x", 7},         {"-3", -3},       {"9999", 9999},   {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_page_box(c.text), c.value) << c.text;
}

TEST(frame_rules, zoom_box_takes_digits_with_or_without_percent) {
    const struct {
        const char* text;
        bool accepted;
        int zoom;
    } cases[] = {
        {"150%", true, 150}, {"150", true, 150}, {"25", true, 25},     {"5%", true, 5},
        {"5", false, 0},     {"5 %", false, 0},  {"%", false, 0},      {"", false, 0},
        {"15a", false, 0},   {"1%%", false, 0},  {"99999999999%", true, INT_MAX},
    };
    for (const auto& c : cases) {
        int zoom = -1;
        EXPECT_EQ(parse_zoom_box(c.text, zoom), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(zoom, c.zoom) << c.text;
        }
    }
}

TEST(frame_rules, fit_width_and_height) {
    // A 500 x 1000 point page in a 1000 x 800 view.
    fit_result w = fit_to_width(1000, 800, 500, 1000);
    EXPECT_EQ(w.zoom, 200);
    EXPECT_EQ(w.page_width_px, 1000);
    EXPECT_EQ(w.page_height_px, 2000);
    EXPECT_EQ(w.h_offset, 0);
    EXPECT_EQ(w.v_offset, -600);
    fit_result h = fit_to_height(1000, 800, 500, 1000);
    EXPECT_EQ(h.zoom, 80);
    EXPECT_EQ(h.page_height_px, 800);
    EXPECT_EQ(h.page_width_px, 400);
    EXPECT_EQ(h.v_offset, 0);
    EXPECT_EQ(h.h_offset, 300);
    // Odd differences truncate toward zero.
    EXPECT_EQ(fit_to_height(1001, 800, 500, 1000).h_offset, 300);
    // No page yet, or a sliver: counted as one point, never a division by zero.
    EXPECT_EQ(fit_to_width(1000, 800, 0, 0).zoom, 100000);
    EXPECT_EQ(fit_to_width(1000, 800, 0.4f, 100).zoom, 100000);
    EXPECT_EQ(fit_to_height(1000, 800, 100, 0).zoom, 80000);
}

// ---------------------------------------------------------------- doubles

std::atomic<int> scripted_docs_alive{0};

// A document with a scripted load: a delay, a failure, a page count, and
// results set up by the test.
class scripted_doc : public doc_base {
public:
    scripted_doc(int pages, std::chrono::milliseconds delay, bool fail) : pages_(pages), delay_(delay), fail_(fail) {
        ++scripted_docs_alive;
    }
    ~scripted_doc() override {
        for (sig_result* r : topsigs) free_sig_result(r);
        topsigs.clear();
        --scripted_docs_alive;
    }
    void load(const std::wstring& path) override {
        path_ = path;
        std::this_thread::sleep_for(delay_);
        if (fail_) throw_ex_fmt("%s(), scripted load failure", "");
        page_count = pages_;
        loaded = true;
    }
    void close() override {}
    void page_size(int32_t, int32_t& width, int32_t& height) override {
        width = 600;
        height = 800;
    }
    // A solid light-blue page.
    void render(int32_t width, int32_t height, gl_texture* texture) override {
        std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = 200;
            rgba[i + 1] = 220;
            rgba[i + 2] = 255;
            rgba[i + 3] = 255;
        }
        gl_upload_texture(texture, rgba.data(), width, height);
    }
    std::wstring pdf_path() override { return path_; }

    // One signed field with the given field status and signer chain.
    void add_result(int32_t field_status, cert_chain_ui* chain) {
        records_.push_back(std::make_unique<sigcheck_record>());
        *records_.back() = sigcheck_record{};
        records_.back()->status = field_status;
        auto* r = new sig_result;
        r->record = records_.back().get();
        r->sig = new sig_status_cell;
        r->sig->status = field_status;
        r->signer_chain = chain;
        topsigs.push_back(r);
        signed_num = static_cast<int32_t>(topsigs.size());
    }

private:
    int pages_;
    std::chrono::milliseconds delay_;
    bool fail_;
    std::wstring path_;
    std::vector<std::unique_ptr<sigcheck_record>> records_;
};

// Counts modal dialogs and answers each with Cancel without showing it.
class modal_counter : public wxModalDialogHook {
public:
    modal_counter() { Register(); }
    ~modal_counter() override { Unregister(); }
    int count = 0;

protected:
    int Enter(wxDialog*) override {
        ++count;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

struct dialog_capture {
    int certificate_calls = 0;
    bool certificate_modal = false;
    size_t chain_size = 0;
    wxString certificate_title;
    int signature_calls = 0;
    std::string signature_type;
    wxString signature_title;
};

// Files made once for the whole suite.
class fixture_files {
public:
    static fixture_files& get() {
        static fixture_files files;
        return files;
    }
    fs::path dir;
    fs::path pdf, pdf2, cert, signature, junk, corpus_pdf;

private:
    fixture_files() {
        dir = fs::temp_directory_path() / ("velk_frame_test_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        pdf = dir / "scripted.pdf";
        pdf2 = dir / "second.PDF";
        junk = dir / "junk.asn";
        std::ofstream(pdf) << "%PDF-1.4 scripted";
        std::ofstream(pdf2) << "%PDF-1.4 scripted";
        std::ofstream(junk) << "this is neither a certificate nor a signature";
        cert = dir / "signer.cer";
        signature = dir / "detached.p7s";
        const std::string d = dir.string();
        const std::string cmd =
            "cd '" + d + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out signer.pem -days 30 "
            "-subj '/CN=Frame Test Signer' >/dev/null 2>&1 && openssl x509 -in signer.pem -outform DER -out signer.cer "
            "&& printf 'signed text' > data.txt.bin && openssl cms -sign -binary -in data.txt.bin -signer signer.pem "
            "-inkey key.pem -outform DER -out detached.p7s >/dev/null 2>&1";
        made = std::system(cmd.c_str()) == 0;
        // The corpus sits beside the worktrees' parent or beside the checkout.
        for (const fs::path& root : {fs::path(VELK_CORPUS_DIR), fs::path(VELK_SOURCE_DIR) / ".." / ".." / "shared" / "corpus"}) {
            corpus_pdf = root / "pyhanko" / "minimal-two-fields-signed-twice.pdf";
            if (fs::exists(corpus_pdf)) break;
        }
    }

public:
    bool made = false;
};

std::wstring wpath(const fs::path& p) { return p.wstring(); }

// The texts the info bar shows.
wxString bar_text(wxWindow* bar) {
    wxString text;
    for (wxWindow* child : bar->GetChildren()) {
        if (auto* label = dynamic_cast<wxStaticText*>(child)) text += label->GetLabel();
        text += bar_text(child);
    }
    return text;
}

void replace_document(doc_base* doc) {
    document_lock lock(document_mutex);
    delete current_document;
    current_document = doc;
}

class frame_test : public ::testing::Test {
protected:
    testsupport::scratch_dir data_;
    void SetUp() override {
        ASSERT_TRUE(fixture_files::get().made) << "openssl could not make the fixtures";
        // Settings and recent files go to a folder of the test's own.
        set_data_root(data_.path());
        set_fixed_colours();
        stop_workers = false;
        trust_list_ready = true;
        doc_loading = false;
        doc_verifying = false;
        is_rem_possize = false;
        dialog_calls() = dialog_call_table{};
        set_data_root(data_.path() + "/gone");
        dialog_calls().certificate_chain = [this](wxWindow*, cert_chain_ui* chain, bool, bool, const wxRect*,
                                                  dialog_show how, const wxString& title) {
            ++capture.certificate_calls;
            capture.certificate_modal = how == dialog_show::modal;
            capture.chain_size = chain->size();
            capture.certificate_title = title;
            return true;
        };
        dialog_calls().signature_file = [this](wxWindow*, sigdata_record* record, const wxString& title) {
            ++capture.signature_calls;
            capture.signature_type = record->type;
            capture.signature_title = title;
            free_sigdata_record(record);
        };
        // The scripted documents have no signatures to verify.
        saved_verify = doc_services().verify_open_document;
        doc_services().verify_open_document = nullptr;
        made_documents = 0;
        frame::document_maker = [this](const std::wstring&) -> doc_base* {
            ++made_documents;
            return new scripted_doc(next_pages, next_delay, next_fail);
        };
        f = new frame(wxPoint(0, 0), wxSize(1280, 800));
        f->Show();
        gui_test::settle(100ms);
    }

    void TearDown() override {
        // Let workers finish; a worker left waiting is stopped.
        if (!gui_test::run_until([] { return running_workers.load() == 0; }, 5s)) {
            stop_workers = true;
            gui_test::run_until([] { return running_workers.load() == 0; }, 5s);
        }
        gui_test::settle(50ms);
        f->Destroy();
        gui_test::settle(50ms);
        replace_document(nullptr);
        frame::document_maker = nullptr;
        doc_services().verify_open_document = saved_verify;
        dialog_calls() = dialog_call_table{};
        stop_workers = false;
        doc_loading = false;
        doc_verifying = false;
    }

    // Opens the scripted PDF and waits until its load has ended.
    void open_scripted(int pages, bool fail = false, const fs::path& path = fixture_files::get().pdf) {
        next_pages = pages;
        next_fail = fail;
        f->open_file(wpath(path), 0);
        ASSERT_TRUE(gui_test::run_until([this] { return !f->load_pending; }));
    }

    void wait_painted() {
        ASSERT_TRUE(gui_test::run_until([this] { return f->canvas()->painted.load(); }));
    }

    void send(wxWindow* target, wxEventType type) {
        wxCommandEvent event(type, target->GetId());
        event.SetEventObject(target);
        target->GetEventHandler()->ProcessEvent(event);
    }

    void key(int code, int modifiers) {
        wxKeyEvent event(wxEVT_CHAR_HOOK);
        event.m_keyCode = code;
        event.SetControlDown(modifiers & wxMOD_CONTROL);
        event.SetAltDown(modifiers & wxMOD_ALT);
        event.SetShiftDown(modifiers & wxMOD_SHIFT);
        f->on_char_hook(event);
    }

    frame* f = nullptr;
    decltype(document_services::verify_open_document) saved_verify = nullptr;
    dialog_capture capture;
    int made_documents = 0;
    int next_pages = 3;
    std::chrono::milliseconds next_delay{0};
    bool next_fail = false;
};

// ---------------------------------------------------------------- tool bar

TEST_F(frame_test, toolbar_truth_table) {
    const struct {
        bool home, path_set, loaded;
    } cases[] = {
        {true, false, false}, {true, true, true}, {false, false, false},
        {false, true, true},  {false, true, false}, {true, false, true},
    };
    for (const auto& c : cases) {
        auto* doc = new scripted_doc(3, 0ms, false);
        doc->loaded = c.loaded;
        replace_document(doc);
        f->document_path = c.path_set ? L"/tmp/a.pdf" : L"";
        f->update_toolbar(c.home);
        const std::string label = std::to_string(c.home) + std::to_string(c.path_set) + std::to_string(c.loaded);
        EXPECT_EQ(f->FindWindow(1003)->IsEnabled(), !c.home) << label;  // previous page
        EXPECT_EQ(f->FindWindow(1004)->IsEnabled(), !c.home) << label;  // next page
        for (int id : {1007, 1008, 1009, 1005, 1006, 1011, 1012, 1010})
            EXPECT_EQ(f->FindWindow(id)->IsEnabled(), !c.home) << label << " id " << id;
        EXPECT_EQ(f->page_box()->IsEnabled(), !c.home && c.loaded) << label;
        EXPECT_EQ(f->count_label()->IsEnabled(), !c.home && c.loaded) << label;
        EXPECT_EQ(f->FindWindow(1000)->IsShown(), !(c.home && c.path_set)) << label;  // home button
        EXPECT_EQ(f->FindWindow(1001)->IsShown(), c.home && c.path_set) << label;     // document-page button
    }
    f->document_path.clear();
}

TEST_F(frame_test, title_and_home_button) {
    f->SetTitle("a.pdf");
    EXPECT_EQ(f->GetTitle(), "a.pdf - Velkorant");
    f->SetTitle("");
    EXPECT_EQ(f->GetTitle(), "Velkorant");
    // Home page with nothing painted: the home button does nothing.
    f->show_home_page();
    send(f->FindWindow(1000), wxEVT_BUTTON);
    EXPECT_TRUE(f->home_page_shown());
    // With a painted document it returns to the content page, and back.
    open_scripted(3);
    wait_painted();
    f->show_home_page();
    send(f->FindWindow(1000), wxEVT_BUTTON);
    EXPECT_FALSE(f->home_page_shown());
    send(f->FindWindow(1000), wxEVT_BUTTON);
    EXPECT_TRUE(f->home_page_shown());
}

// ---------------------------------------------------------------- page and zoom boxes

TEST_F(frame_test, page_box_requests_the_clamped_page) {
    open_scripted(12);
    wait_painted();
    EXPECT_EQ(f->count_label()->GetLabel(), "/ 12");
    EXPECT_EQ(f->page_box()->GetValue(), "1");
    const struct {
        const char* text;
        int requested;
    } cases[] = {{"abc", 0}, {"0", 0}, {"9999", 11}, {"5", 4}, {"99999999999", 11}, {"-99999999999", 0}};
    for (const auto& c : cases) {
        f->canvas()->page = 3;
        f->canvas()->requested_page = -7;
        f->page_box()->ChangeValue(c.text);
        send(f->page_box(), wxEVT_TEXT_ENTER);
        EXPECT_EQ(f->canvas()->requested_page, c.requested) << c.text;
    }
    // The page already shown: nothing is requested.
    f->canvas()->requested_page = -7;
    f->page_box()->ChangeValue("4");
    send(f->page_box(), wxEVT_TEXT_ENTER);
    EXPECT_EQ(f->canvas()->requested_page, -7);
    // Previous and next through their accelerators (menu events on GTK).
    f->canvas()->page = 3;
    wxCommandEvent next(wxEVT_MENU, 1004);
    f->GetEventHandler()->ProcessEvent(next);
    EXPECT_EQ(f->canvas()->requested_page, 4);
    wxCommandEvent previous(wxEVT_MENU, 1003);
    f->GetEventHandler()->ProcessEvent(previous);
    EXPECT_EQ(f->canvas()->requested_page, 2);
    // On the home page Ctrl+P does nothing.
    f->show_home_page();
    f->canvas()->requested_page = -7;
    f->GetEventHandler()->ProcessEvent(previous);
    EXPECT_EQ(f->canvas()->requested_page, -7);
}

// Real key presses through the X server: the toolkit turns the accelerators
// into menu events, which reach the buttons' handlers.
TEST_F(frame_test, accelerators_arrive_from_the_keyboard) {
    open_scripted(12);
    wait_painted();
    f->Raise();
    f->canvas()->SetFocus();
    gui_test::settle(100ms);
    wxUIActionSimulator sim;
    f->canvas()->page = 3;
    sim.Char('n', wxMOD_CONTROL);
    EXPECT_TRUE(gui_test::run_until([this] { return f->canvas()->requested_page == 4; }, 2s));
    f->canvas()->painted_zoom = 100;
    f->canvas()->zoom = 100;
    sim.Char('=', wxMOD_CONTROL);
    EXPECT_TRUE(gui_test::run_until([this] { return f->canvas()->zoom == 115; }, 2s));
    sim.Char('h', wxMOD_CONTROL);
    EXPECT_TRUE(gui_test::run_until([this] { return f->home_page_shown(); }, 2s));
}

TEST_F(frame_test, one_page_document_only_rewrites_the_page_box) {
    open_scripted(1);
    wait_painted();
    f->page_box()->ChangeValue("7");
    f->canvas()->requested_page = -7;
    send(f->page_box(), wxEVT_TEXT_ENTER);
    EXPECT_EQ(f->page_box()->GetValue(), "1");
    send(f->FindWindow(1004), wxEVT_BUTTON);
    EXPECT_EQ(f->canvas()->requested_page, -7);
}

TEST_F(frame_test, zoom_box_table_and_zoom_keys) {
    open_scripted(3);
    wait_painted();
    const struct {
        const char* text;
        int zoom;
    } cases[] = {{"150%", 150}, {"150", 150}, {"5", 0}, {"5 %", 0}, {"%", 0}, {"75%", 75}};
    // The view never zooms below the page's fit; a text that is no zoom
    // (0 above) leaves the zoom as it was.
    f->canvas()->set_zoom(1);
    const int fit = f->canvas()->zoom;
    for (const auto& c : cases) {
        f->canvas()->zoom = 100;
        f->zoom_box()->SetValue(c.text);
        send(f->zoom_box(), wxEVT_COMBOBOX);
        EXPECT_EQ(f->canvas()->zoom, c.zoom == 0 ? 100 : std::max(c.zoom, fit)) << c.text;
    }
    // Ctrl+L reaches the zoom box as a selection; zoom in and out step 15 %.
    f->zoom_box()->SetValue("200%");
    wxCommandEvent ctrl_l(wxEVT_MENU, 1011);
    f->GetEventHandler()->ProcessEvent(ctrl_l);
    EXPECT_EQ(f->canvas()->zoom, 200);
    f->canvas()->painted_zoom = 100;
    wxCommandEvent zoom_in(wxEVT_MENU, 1005);
    f->GetEventHandler()->ProcessEvent(zoom_in);
    EXPECT_EQ(f->canvas()->zoom, 115);
    // Fit width on a view with no page size yet does not divide by zero.
    f->canvas()->page_box.x1 = f->canvas()->page_box.x0;
    f->canvas()->page_box.y1 = f->canvas()->page_box.y0;
    send(f->FindWindow(1008), wxEVT_BUTTON);
    send(f->FindWindow(1009), wxEVT_BUTTON);
}

// ---------------------------------------------------------------- opening by kind

TEST_F(frame_test, open_by_kind) {
    const fixture_files& files = fixture_files::get();
    // A missing document: its error stays in view.
    f->open_file(wpath(files.dir / "gone.pdf"), 0);
    EXPECT_TRUE(bar_text(f->info()).Contains("File is deleted or moved"));
    EXPECT_TRUE(f->info()->IsShown());
    EXPECT_FALSE(f->home_page_shown());
    // A missing file of another kind: also shown (the bar is not hidden).
    f->open_file(wpath(files.dir / "gone.xyz"), 0);
    EXPECT_TRUE(bar_text(f->info()).Contains("File is deleted or moved"));
    EXPECT_TRUE(f->info()->IsShown());
    // A certificate while a document is open: the document is closed and the
    // certificate dialog opens without modality; the bar is hidden.
    open_scripted(3);
    ASSERT_FALSE(f->document_path.empty());
    // Opening is refused while the document is verified: wait for its end.
    ASSERT_TRUE(gui_test::workers_idle());
    f->open_file(wpath(files.cert), 0);
    EXPECT_EQ(capture.certificate_calls, 1);
    EXPECT_FALSE(capture.certificate_modal);
    EXPECT_EQ(capture.certificate_title, "signer.cer");
    EXPECT_GE(capture.chain_size, 1u);
    EXPECT_EQ(current_document, nullptr);
    EXPECT_TRUE(f->document_path.empty());
    EXPECT_FALSE(f->info()->IsShown());
    EXPECT_EQ(f->GetTitle(), "signer.cer - Velkorant");
    // A standalone signature: the signature dialog.
    f->open_file(wpath(files.signature), 0);
    EXPECT_EQ(capture.signature_calls, 1);
    EXPECT_EQ(capture.signature_type, "dstn_pkcs7");
    EXPECT_EQ(capture.signature_title, "detached.p7s");
    // Anything else: the open error.
    f->open_file(wpath(files.junk), 0);
    EXPECT_TRUE(bar_text(f->info()).Contains("Open File Error. File type is unsupported, or file is damaged"));
    EXPECT_TRUE(f->info()->IsShown());
    // Extensions compare without regard to case.
    EXPECT_TRUE(is_pdf_file("report.PDF"));
    open_scripted(2, false, files.pdf2);
    EXPECT_EQ(made_documents, 2);
    EXPECT_EQ(f->document_path, wpath(files.pdf2));
}

TEST_F(frame_test, a_drop_opens_only_the_first_file) {
    const fixture_files& files = fixture_files::get();
    dndfiles drop(f);
    wxArrayString names;
    names.Add(files.cert.string());
    names.Add(files.cert.string());
    names.Add(files.signature.string());
    EXPECT_TRUE(drop.OnDropFiles(0, 0, names));
    EXPECT_EQ(capture.certificate_calls, 1);
    EXPECT_EQ(capture.signature_calls, 0);
}

// ---------------------------------------------------------------- dropped requests

TEST_F(frame_test, requests_while_loading_or_verifying_are_dropped) {
    const fixture_files& files = fixture_files::get();
    f->SetTitle("before");
    doc_loading = true;
    f->open_file(wpath(files.cert), 0);
    doc_loading = false;
    doc_verifying = true;
    f->open_file(wpath(files.cert), 0);
    {
        // The open button does not even show its dialog.
        modal_counter modals;
        send(f->FindWindow(1002), wxEVT_BUTTON);
        EXPECT_EQ(modals.count, 0);
    }
    doc_verifying = false;
    EXPECT_EQ(capture.certificate_calls, 0);
    EXPECT_EQ(f->GetTitle(), "before - Velkorant");
    {
        // Without a running job the open button shows the dialog.
        modal_counter modals;
        send(f->FindWindow(1002), wxEVT_BUTTON);
        EXPECT_EQ(modals.count, 1);
    }
}

TEST_F(frame_test, a_second_open_queued_behind_a_load_is_dropped) {
    const fixture_files& files = fixture_files::get();
    next_delay = 300ms;
    f->open_file(wpath(files.pdf), 0);
    doc_base* first = current_document;
    // The worker may not have claimed doc_loading yet: the window's own mark holds.
    f->open_file(wpath(files.pdf2), 0);
    EXPECT_EQ(made_documents, 1);
    EXPECT_EQ(current_document, first);
    ASSERT_TRUE(gui_test::run_until([this] { return !f->load_pending; }));
    EXPECT_EQ(f->document_path, wpath(files.pdf));
}

TEST_F(frame_test, a_failed_load_shows_the_error_and_is_freed_before_the_next) {
    const int alive_before = scripted_docs_alive;
    open_scripted(3, true);
    EXPECT_TRUE(bar_text(f->info()).Contains("Open File Error"));
    EXPECT_TRUE(f->document_path.empty());
    EXPECT_EQ(scripted_docs_alive, alive_before + 1);  // kept until the next load
    open_scripted(3, false);
    EXPECT_EQ(scripted_docs_alive, alive_before + 1);  // the failed one is gone
    EXPECT_FALSE(f->document_path.empty());
}

// ---------------------------------------------------------------- events and keys

TEST_F(frame_test, trust_change_marks_matching_chains) {
    x509ui signer;
    x509ui_from_file(wpath(fixture_files::get().cert), signer);
    open_scripted(3);
    wait_painted();
    auto* chain = new cert_chain_ui(1);
    (*chain)[0].status = 7;
    (*chain)[0].cert = signer;
    // The verification started by the opening has ended (the scripted
    // document has none to run).
    EXPECT_TRUE(gui_test::run_until([] { return running_workers.load() == 0; }));
    static_cast<scripted_doc*>(current_document)->add_result(0, chain);
    f->show_home_page();
    // During a verification the results are left to it and a further run is
    // queued behind it, since it may have read the trust list before the change.
    doc_verifying = true;
    wxThreadEvent early = wxt_thread_event(evt_addtrust, new x509ui(signer));
    f->on_thread_event(early);
    EXPECT_EQ((*chain)[0].status, 7);
    EXPECT_TRUE(gui_test::run_until([] { return running_workers.load() == 1; }));
    doc_verifying = false;
    EXPECT_TRUE(gui_test::run_until([] { return running_workers.load() == 0; }));
    gui_test::settle(std::chrono::milliseconds(50));
    wxThreadEvent add = wxt_thread_event(evt_addtrust, new x509ui(signer));
    f->on_thread_event(add);
    EXPECT_EQ((*chain)[0].status, 0);
    EXPECT_FALSE(f->info()->IsShown());  // on the home page the bar stays hidden
    wxThreadEvent del = wxt_thread_event(evt_deltrust, new x509ui(signer));
    f->on_thread_event(del);
    EXPECT_EQ((*chain)[0].status, 7);
    // Ignored events still free what they carry (checked by the leak checkers).
    f->canvas()->painted = false;
    wxThreadEvent ignored = wxt_thread_event(evt_addtrust, new x509ui(signer));
    f->on_thread_event(ignored);
    EXPECT_EQ((*chain)[0].status, 7);
    wxThreadEvent unknown = wxt_thread_event(evt_addcert, new x509ui(signer));
    f->on_thread_event(unknown);
}

TEST_F(frame_test, alt_c_opens_the_signer_chain_only_when_there_is_one) {
    x509ui signer;
    x509ui_from_file(wpath(fixture_files::get().cert), signer);
    open_scripted(3);
    auto* doc = static_cast<scripted_doc*>(current_document);
    ASSERT_TRUE(gui_test::workers_idle());
    // While a verification or a signing runs the key is refused, as every
    // click that opens a result dialog is.
    doc->add_result(0, new cert_chain_ui(1));
    doc->topsigs.front()->signer_chain->front().cert = signer;
    for (std::atomic<bool>* busy : {&doc_verifying, &doc_signing}) {
        *busy = true;
        key('C', wxMOD_ALT);
        *busy = false;
    }
    EXPECT_EQ(capture.certificate_calls, 0);
    for (sig_result* r : doc->topsigs) free_sig_result(r);
    doc->topsigs.clear();
    // First field with a format error: nothing.
    doc->add_result(2, new cert_chain_ui(1));
    key('C', wxMOD_ALT);
    EXPECT_EQ(capture.certificate_calls, 0);
    // A good field without a chain, or with an empty one: nothing either.
    for (sig_result* r : doc->topsigs) free_sig_result(r);
    doc->topsigs.clear();
    doc->add_result(0, nullptr);
    key('c', wxMOD_ALT);
    EXPECT_EQ(capture.certificate_calls, 0);
    doc->topsigs.front()->signer_chain = new cert_chain_ui;
    key('C', wxMOD_ALT);
    EXPECT_EQ(capture.certificate_calls, 0);
    // With a chain: the dialog, modal.
    doc->topsigs.front()->signer_chain->resize(1);
    doc->topsigs.front()->signer_chain->front().cert = signer;
    key('C', wxMOD_ALT);
    EXPECT_EQ(capture.certificate_calls, 1);
    EXPECT_TRUE(capture.certificate_modal);
    // On the home page Alt+C does nothing.
    f->show_home_page();
    key('C', wxMOD_ALT);
    EXPECT_EQ(capture.certificate_calls, 1);
}

TEST_F(frame_test, ctrl_tab_cycles_the_home_pages) {
    f->show_home_page();
    homepage* h = f->home();
    h->select_page(h->nav_buttons.back());  // About
    key(WXK_TAB, wxMOD_CONTROL);
    EXPECT_EQ(h->selected_button, h->nav_buttons.front());  // Recent
    key(WXK_TAB, wxMOD_CONTROL);
    EXPECT_EQ(h->selected_button, h->nav_buttons[1]);
    key(WXK_TAB, wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_EQ(h->selected_button, h->nav_buttons[1]);
}

// ---------------------------------------------------------------- shutdown

TEST_F(frame_test, close_waits_for_counted_workers_then_exits) {
    std::atomic<bool> worker_done{false};
    bool done_at_exit = false;
    int final_calls = 0;
    set_exit_handler([&] { done_at_exit = worker_done.load(); });
    set_final_exit([&] { ++final_calls; });
    std::thread([&worker_done] {
        counted_worker counted;
        std::this_thread::sleep_for(400ms);
        worker_done = true;
    }).detach();
    ASSERT_TRUE(gui_test::run_until([] { return running_workers.load() > 0; }));
    f->Close();
    EXPECT_TRUE(done_at_exit);
    EXPECT_EQ(final_calls, 1);
    EXPECT_TRUE(stop_workers.load());
    EXPECT_EQ(f->GetTitle(), "exiting - Velkorant");
    set_exit_handler(nullptr);
    set_final_exit(nullptr);
}

TEST_F(frame_test, close_during_a_waiting_verification_does_not_hang) {
    int final_calls = 0;
    set_final_exit([&] { ++final_calls; });
    // The verification waits for the trust list, which never comes.
    trust_list_ready = false;
    open_scripted(3);
    ASSERT_TRUE(gui_test::run_until([] { return running_workers.load() > 0; }));
    const auto start = std::chrono::steady_clock::now();
    f->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(running_workers.load(), 0);
    EXPECT_EQ(final_calls, 1);
    set_final_exit(nullptr);
}

// ---------------------------------------------------------------- a real document

// A data folder of the test's own, fixed colours, the PDF library with its
// fonts and the verification services: what a window needs to open and
// verify a document as the program does.
void prepare_verifying_window(const testsupport::scratch_dir& data) {
    set_data_root(data.path());
    set_fixed_colours();
    init_pdfium_with_fonts();
    stop_workers = false;
    trust_list_ready = true;
    install_verification_services();
}

// Opens a signed corpus PDF in a new main window, waits for its verification
// and saves the window as <name>.
void shoot_signed_pdf(const std::string& name) {
    const fs::path pdf = fixture_files::get().corpus_pdf;
    if (!fs::exists(pdf)) GTEST_SKIP() << "external corpus not found: " << pdf;
    testsupport::scratch_dir data;
    prepare_verifying_window(data);
    auto* f = new frame(wxPoint(0, 0), wxSize(1280, 800));
    f->Show();
    f->open_file(pdf.wstring(), 0);
    ASSERT_TRUE(gui_test::run_until([f] { return !f->load_pending; }, 10s));
    EXPECT_EQ(f->document_path, pdf.wstring());
    ASSERT_NE(current_document, nullptr);
    EXPECT_TRUE(current_document->loaded);
    // The verification ends and its results reach the window.
    ASSERT_TRUE(gui_test::run_until(
        [] { return current_document->results && running_workers.load() == 0 && !doc_verifying; }, 20s));
    gui_test::settle(300ms);
    EXPECT_EQ(current_document->topsigs.size(), 2u);
    EXPECT_EQ(f->count_label()->GetLabel(), "/ 1");
    EXPECT_EQ(f->GetTitle(), pdf.filename().string() + " - " + wxGetTranslation("Velkorant"));
    EXPECT_FALSE(gui_test::save_screenshot(f, name).empty());
    f->Destroy();
    gui_test::settle(50ms);
    replace_document(nullptr);
    set_data_root(data.path() + "/gone");
}

// ---------------------------------------------------------------- idle with a document open

// Runs the toolkit's own loop for `time`: it sleeps while nothing happens,
// as the program's loop does (a polling pump would cost CPU of its own).
void run_event_loop(std::chrono::milliseconds time) {
    wxGUIEventLoop loop;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.Exit(); });
    timer.StartOnce(static_cast<int>(time.count()));
    loop.Run();
}

double process_cpu_seconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// A window left alone with a document in view goes idle: after it has
// settled, no paints and almost no CPU. Multi-page documents used to repaint
// about a hundred times a second for as long as they were open.
TEST(frame_idle, a_shown_document_settles_to_no_paints_and_no_cpu) {
    testsupport::scratch_dir data;
    prepare_verifying_window(data);
    const std::string one = testsupport::write_minimal_pdf(data.file("one.pdf"), 1);
    const std::string two = data.file("two.pdf");
    ASSERT_EQ(std::system(("qpdf --empty --pages '" + one + "' '" + one + "' -- '" + two + "'").c_str()), 0);
    const std::string many = testsupport::write_minimal_pdf(data.file("many.pdf"), 300);
    const std::string text = data.file("long.txt");
    {
        std::ofstream out(text);
        for (int i = 0; i < 400; ++i) out << "Line " << i << " of a text that runs over several pages.\n";
    }
    const struct {
        std::string path;
        int pages;
    } cases[] = {{two, 2}, {many, 300}, {text, 0}};  // 0: several
    for (const auto& c : cases) {
        auto* f = new frame(wxPoint(0, 0), wxSize(1280, 800));
        f->Show();
        int paints = 0;
        f->canvas()->Bind(wxEVT_PAINT, [&paints](wxPaintEvent& e) {
            ++paints;
            e.Skip();
        });
        f->open_file(utf8_to_wide(c.path), 0);
        ASSERT_TRUE(gui_test::run_until([f] { return !f->load_pending; }, 10s)) << c.path;
        ASSERT_NE(current_document, nullptr);
        EXPECT_TRUE(current_document->loaded) << c.path;
        if (c.pages > 0)
            EXPECT_EQ(current_document->page_count, c.pages) << c.path;
        else
            EXPECT_GT(current_document->page_count, 1) << c.path;
        ASSERT_TRUE(gui_test::workers_idle(20s));
        ASSERT_TRUE(f->canvas()->painted.load()) << c.path;
        // Settling: the verdict reaches the window and the page is drawn.
        run_event_loop(2s);
        paints = 0;
        const double before = process_cpu_seconds();
        run_event_loop(2s);
        const double cpu = process_cpu_seconds() - before;
        EXPECT_LE(paints, 2) << c.path;
        EXPECT_LT(cpu, 0.1) << c.path << ": " << cpu << " s of CPU in 2 s";
        f->Destroy();
        gui_test::settle(50ms);
        replace_document(nullptr);
    }
    set_data_root(data.path() + "/gone");
}

// A PDF that needs a user password says so (in both languages); one
// encrypted with an owner password only opens.
TEST(frame_encrypted, a_user_password_is_named_and_an_owner_password_alone_opens) {
    testsupport::scratch_dir data;
    prepare_verifying_window(data);
    const std::string plain = testsupport::write_minimal_pdf(data.file("plain.pdf"), 1);
    const std::string locked = data.file("locked.pdf"), owner = data.file("owner.pdf");
    ASSERT_EQ(std::system(("qpdf --encrypt user owner 256 -- '" + plain + "' '" + locked + "'").c_str()), 0);
    ASSERT_EQ(std::system(("qpdf --encrypt '' owner 256 -- '" + plain + "' '" + owner + "'").c_str()), 0);
    auto open = [](frame* f, const std::string& path) {
        f->open_file(utf8_to_wide(path), 0);
        ASSERT_TRUE(gui_test::run_until([f] { return !f->load_pending; }, 10s)) << path;
        ASSERT_TRUE(gui_test::workers_idle(20s));
    };
    for (bool chinese : {false, true}) {
        std::unique_ptr<gui_test::chinese_interface> zh;
        if (chinese) zh = std::make_unique<gui_test::chinese_interface>();
        auto* f = new frame(wxPoint(0, 0), wxSize(1280, 800));
        f->Show();
        open(f, locked);
        ASSERT_NE(current_document, nullptr);
        EXPECT_FALSE(current_document->loaded);
        const wxString expected = chinese ? wxString::FromUTF8("打开文件错误。文档已加密，需要密码才能打开")
                                          : wxString("Open File Error. The document is encrypted and needs a password to open");
        EXPECT_TRUE(bar_text(f->info()).Contains(expected)) << bar_text(f->info());
        if (!chinese) {
            open(f, owner);
            ASSERT_NE(current_document, nullptr);
            EXPECT_TRUE(current_document->loaded);
            EXPECT_EQ(current_document->page_count, 1);
        }
        f->Destroy();
        gui_test::settle(50ms);
        replace_document(nullptr);
    }
    set_data_root(data.path() + "/gone");
}

// Run again at 200 % with the rest of the gallery.
TEST(gallery, main_window_with_signed_pdf) { shoot_signed_pdf("frame_signed_pdf"); }

TEST(gallery, main_window_with_signed_pdf_in_chinese) {
    gui_test::chinese_interface chinese;
    ASSERT_TRUE(chinese.loaded);
    shoot_signed_pdf("frame_signed_pdf_zh");
}

}  // namespace
