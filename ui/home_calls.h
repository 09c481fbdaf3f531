#pragma once
// What the home page and its pages ask of windows they do not own: the main
// window (opening a file, its open dialog, whether the home page is in view)
// and the dialogs of the layers above (version check, agreement, feedback).
// The main window and the program fill the table at start-up; an empty entry
// does nothing, so the pages can be built and driven on their own.
#include <functional>

#include <wx/string.h>

class wxWindow;

struct home_call_table {
    std::function<void(const wxString& path)> open_file;
    std::function<void()> show_open_dialog;
    // True while the main window shows the home page (not a document).
    std::function<bool()> home_page_in_view;
    // The dialogs of the about page, each shown modally over `parent`.
    std::function<void(wxWindow* parent)> check_update;
    std::function<void(wxWindow* parent)> show_agreement;
    std::function<void(wxWindow* parent)> show_feedback;
    // Sets the program itself as the command to run at exit and asks the
    // main window to close (the settings page's Restart).
    std::function<void()> restart;
};

home_call_table& home_calls();
