#pragma once
// The GUI test harness: wx is started once per test process (a GoogleTest
// environment), wx asserts become test failures, run_until pumps the event
// loop, and save_screenshot writes a window's pixels to the gallery folder.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <memory>

#include <wx/dialog.h>
#include <wx/intl.h>
#include <wx/window.h>

namespace gui_test {

// Pumps the event loop until the predicate holds or the time is up; returns
// the predicate's last value.
bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Pumps the event loop until no worker thread runs and no verification is
// under way; returns whether that happened in time.
bool workers_idle(std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Runs the dialog modally, lets act() run inside its loop and returns the
// result; a dialog that act() does not end is ended with no_answer.
constexpr int no_answer = -77;
int modal_result(wxDialog* dialog, const std::function<void()>& act);

// Lets pending events, idle handlers and repaints run for a short while.
void settle(std::chrono::milliseconds time = std::chrono::milliseconds(200));

// Posts an event to a window's handler and lets the loop deliver it.
void post_and_run(wxWindow* target, const wxEvent& event);

// Number of wx asserts raised since the harness started (each also fails
// the running test).
int assert_count();

// The folder the gallery is written to (build/gallery by default,
// VELK_GALLERY_DIR overrides) and the scale suffix of this run ("100", "200").
std::string gallery_dir();
std::string scale_suffix();

// Shows the window's top-level parent, waits until it is drawn, and saves
// the window's screen area as <gallery>/<name>_<scale>.png. Returns the path.
std::string save_screenshot(wxWindow* window, const std::string& name);

// Geometry faults among the shown descendants of a window: a child that
// reaches outside its parent's client area, or two overlapping siblings.
std::vector<std::string> layout_faults(wxWindow* root);

// Shown top-level windows that reach outside the work area of their
// display, one line each (title, rectangle, area).
std::vector<std::string> windows_off_the_screen();

// The Chinese interface as start-up sets it up, for the life of the object;
// undone afterwards so that the other tests of the process see English forms.
class chinese_interface {
public:
    chinese_interface();
    ~chinese_interface();
    std::unique_ptr<wxLocale> locale;
    bool loaded = false;
};

}  // namespace gui_test
