#include "gui/gui_harness.h"
#include "ui/install_window_parts.h"
#include "app/ui_language.h"
#include <clocale>
#include <wx/translation.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "app/worker_flags.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/scrolwin.h>
#include <wx/stdpaths.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

namespace gui_test {
namespace {

int asserts_seen = 0;

void assert_to_failure(const wxString& file, int line, const wxString& func, const wxString& cond,
                       const wxString& msg) {
    ++asserts_seen;
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assert in " << func.utf8_str().data() << ": " << cond.utf8_str().data() << " "
        << msg.utf8_str().data();
}

class test_app : public wxApp {
public:
    bool OnInit() override { return true; }
};

class wx_environment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char arg0[] = "test_gui";
        static char* argv[] = {arg0, nullptr};
        wxApp::SetInstance(new test_app);
        ASSERT_TRUE(wxEntryStart(argc, argv)) << "no display: run under xvfb-run";
        ASSERT_TRUE(wxTheApp->CallOnInit());
        wxInitAllImageHandlers();
        // The main window's form builds this program's windows, as at start-up.
        install_window_parts();
        // The light theme, as start-up sets it on a light desktop.
        is_dark_theme = false;
        apply_theme_colours();
        set_fixed_colours();
        wxSetAssertHandler(assert_to_failure);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        // An active loop, so that Yield, timers and modal-dialog hooks work
        // without running the application's main loop.
        loop = new wxGUIEventLoop;
        wxEventLoopBase::SetActive(loop);
    }
    // wx stays up until the process ends: the picture accessors hold bitmaps
    // in function statics that outlive the tests.
    wxGUIEventLoop* loop = nullptr;
};

::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new wx_environment);

}  // namespace

int assert_count() { return asserts_seen; }

bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return done();
        wxTheApp->ProcessPendingEvents();
        wxYield();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool workers_idle(std::chrono::milliseconds timeout) {
    return run_until([] { return running_workers.load() == 0 && !doc_verifying; }, timeout);
}

int modal_result(wxDialog* dialog, const std::function<void()>& act) {
    wxTimer guard;
    guard.Bind(wxEVT_TIMER, [dialog](wxTimerEvent&) {
        if (dialog->IsModal()) dialog->EndModal(no_answer);
    });
    dialog->CallAfter([&] {
        act();
        guard.StartOnce(300);
    });
    return dialog->ShowModal();
}

void settle(std::chrono::milliseconds time) {
    const auto until = std::chrono::steady_clock::now() + time;
    run_until([&] { return std::chrono::steady_clock::now() > until; }, time + std::chrono::seconds(1));
}

void post_and_run(wxWindow* target, const wxEvent& event) {
    bool delivered = false;
    wxEvent* copy = event.Clone();
    target->GetEventHandler()->QueueEvent(copy);
    target->GetEventHandler()->CallAfter([&] { delivered = true; });
    run_until([&] { return delivered; });
}

std::string gallery_dir() {
    if (const char* dir = std::getenv("VELK_GALLERY_DIR")) return dir;
    wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    exe.RemoveLastDir();
    exe.AppendDir("gallery");
    return exe.GetPath().utf8_string();
}

std::string scale_suffix() {
    wxTopLevelWindow probe(nullptr, wxID_ANY, "");
    const double f = probe.GetContentScaleFactor();
    return std::to_string(static_cast<int>(f * 100 + 0.5));
}

std::string save_screenshot(wxWindow* window, const std::string& name) {
    wxWindow* top = wxGetTopLevelParent(window);
    top->Show();
    top->Raise();
    run_until([&] { return window->IsShownOnScreen(); });
    top->Refresh();
    settle(std::chrono::milliseconds(400));
    window->Update();
    // Under Xvfb wxScreenDC reads logical pixels (half the picture at 200 %)
    // and may return what was on screen before the last page switch, so the
    // device pixels are read from the X server with ImageMagick's import;
    // wxScreenDC remains the fallback.
    const double scale = window->GetContentScaleFactor();
    const wxRect logical = window->GetScreenRect();
    wxFileName::Mkdir(wxString::FromUTF8(gallery_dir()), 0755, wxPATH_MKDIR_FULL);
    const std::string path = gallery_dir() + "/" + name + "_" + scale_suffix() + ".png";
    {
        const wxRect r(wxRound(logical.x * scale), wxRound(logical.y * scale), wxRound(logical.width * scale),
                       wxRound(logical.height * scale));
        const wxString crop = wxString::Format("%dx%d+%d+%d", r.width, r.height, r.x, r.y);
        const char* argv[] = {"import", "-window", "root", "-crop", crop.c_str(), path.c_str(), nullptr};
        wxArrayString out, err;
        if (wxExecute(const_cast<char**>(argv), wxEXEC_SYNC | wxEXEC_NODISABLE) == 0) return path;
    }
    wxScreenDC screen;
    wxBitmap shot(logical.GetSize());
    {
        wxMemoryDC memory(shot);
        memory.Blit(0, 0, logical.width, logical.height, &screen, logical.x, logical.y);
    }
    shot.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
    return path;
}
namespace {

std::string describe(wxWindow* w) {
    return wxString(w->GetClassInfo()->GetClassName()).utf8_string() + " \"" + w->GetName().utf8_string() + "\"";
}

void check_children(wxWindow* parent, std::vector<std::string>& faults) {
    // A scrolled window's children may reach past its client area, as far
    // as its virtual size: that part is shown by scrolling.
    const bool scrolls = dynamic_cast<wxScrollHelperBase*>(parent) != nullptr;
    const wxSize client = scrolls ? parent->GetVirtualSize() : parent->GetClientSize();
    std::vector<wxWindow*> shown;
    for (wxWindow* child : parent->GetChildren()) {
        if (child->IsTopLevel() || !child->IsShown()) continue;
        shown.push_back(child);
        const wxRect r = child->GetRect();
        if (r.x < 0 || r.y < 0 || r.GetRight() >= client.x || r.GetBottom() >= client.y)
            faults.push_back(describe(child) + " lies outside " + describe(parent));
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (shown[i]->GetRect().Intersects(shown[j]->GetRect()))
                faults.push_back(describe(shown[i]) + " overlaps " + describe(shown[j]));
    for (wxWindow* child : shown) check_children(child, faults);
}

}  // namespace

std::vector<std::string> windows_off_the_screen() {
    auto text_of = [](const wxRect& r) {
        return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
               std::to_string(r.height);
    };
    std::vector<std::string> faults;
    for (wxWindow* w : wxTopLevelWindows) {
        if (!w->IsShown()) continue;
        const wxRect area = display_client_area(w);
        const wxRect r = w->GetScreenRect();
        if (!area.Contains(r))
            faults.push_back("\"" + w->GetLabel().utf8_string() + "\" at " + text_of(r) + " outside the work area " +
                             text_of(area));
    }
    return faults;
}

std::vector<std::string> layout_faults(wxWindow* root) {
    std::vector<std::string> faults;
    check_children(root, faults);
    return faults;
}

chinese_interface::chinese_interface() : locale(std::make_unique<wxLocale>()) {
    set_ui_language_setting("中文");
    // The machine need not have a zh_CN locale: the catalogue loads all the same.
    loaded = setup_ui_language(*locale);
}

chinese_interface::~chinese_interface() {
    locale.reset();
    if (wxTranslations::Get()) wxTranslations::Set(nullptr);
    set_ui_language_setting("oslang");
    std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace gui_test
