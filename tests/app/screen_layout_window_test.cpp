// Placement and scaling on real top-level windows. They need a display, so
// they run in a child process of their own (the toolkit's GUI start-up
// cannot share a process with the console-only tests) and are skipped when
// there is no display.
#include "app/screen_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/init.h>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "check failed: %s\n", what);
    return 1;
}

int window_checks() {
    int argc = 1;
    char name[] = "test_app";
    char* argv[] = {name, nullptr};
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) return fail("toolkit start-up");
    int bad = 0;

    const wxRect area = wxDisplay(0u).GetClientArea();
    auto* frame = new wxFrame(nullptr, wxID_ANY, "placement");
    wxPoint pos(0, 0);
    wxSize size(0, 0);
    place_main_window(frame, pos, size);
    const wxRect expected = main_window_placement(area, wxPoint(0, 0), wxSize(0, 0));
    if (size.x != expected.width) bad |= fail("width of a first start");
    if (pos.x != expected.x) bad |= fail("x of a first start");

    // A remembered window partly off the right edge is pulled back onto the area.
    pos = wxPoint(area.GetRight() - 100, area.y + 10);
    size = wxSize(600, 400);
    place_main_window(frame, pos, size);
    if (pos.x != area.x + area.width - 600 || size != wxSize(600, 400)) bad |= fail("remembered placement");
    // A position on no display still uses a display.
    pos = wxPoint(-30000, -30000);
    size = wxSize(600, 400);
    place_main_window(frame, pos, size);
    if (!wxRect(wxDisplay(0u).GetGeometry()).Contains(pos)) bad |= fail("position on no display");
    frame->Destroy();

    auto* dialog = new wxDialog(nullptr, wxID_ANY, "scaled", wxDefaultPosition, wxSize(500, 400));
    const wxSize before = dialog->GetSize();
    scale_dialog(dialog, 100);
    if (dialog->GetSize() != before) bad |= fail("no enlargement at 100");
    scale_dialog(dialog, 250);
    // What the toolkit scales itself (GDK_SCALE) is left out of the enlargement.
    const int left_to_do = static_cast<int>(250 / dialog->GetContentScaleFactor() + 0.5);
    if (dialog->GetSize() != scaled_dialog_size(before, left_to_do)) bad |= fail("enlargement at 250");
    const double toolkit = dialog->GetContentScaleFactor();
    if (dpi_scale_percent(dialog) != scale_percent_for_dpi(static_cast<int>(dialog->GetDPI().x / toolkit + 0.5)))
        bad |= fail("scale of the window");
    // At GDK_SCALE=2 the toolkit doubles every logical pixel itself: the
    // program's own percentage must not double the window parts again.
    if (toolkit > 1.5 && dialog->GetDPI().x >= 190 && dpi_scale_percent(dialog) != 100)
        bad |= fail("toolkit scale counted twice");
    dialog->Destroy();

    std::fflush(stderr);
    std::_Exit(bad);
}

}  // namespace

TEST(WindowPlacementOnScreen, FrameAndDialog) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(window_checks(), ::testing::ExitedWithCode(0), "");
}

TEST(WindowPlacementOnScreen, FrameAndDialogAtToolkitScale2) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child process re-runs this binary and starts the toolkit with the
    // environment it inherits.
    const char* before = std::getenv("GDK_SCALE");
    const std::string saved = before ? before : "";
    setenv("GDK_SCALE", "2", 1);
    EXPECT_EXIT(window_checks(), ::testing::ExitedWithCode(0), "");
    if (before)
        setenv("GDK_SCALE", saved.c_str(), 1);
    else
        unsetenv("GDK_SCALE");
}
