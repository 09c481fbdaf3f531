#pragma once
// Screen scale, dialog enlargement and the main window's placement.
#include <cstdint>

#include <wx/gdicmn.h>

class wxTopLevelWindow;
class wxWindow;

// The current screen scale in percent (100 on a 96-DPI screen). At 199 or
// more windows use the double-resolution pictures.
extern std::int32_t screen_scale_percent;

// dpi × 100 / 96, taken up to the next integer (96 → 100, 110 → 115).
int scale_percent_for_dpi(int dpi);

// The scale of the screen the window is on, beyond the scale the toolkit
// applies to logical pixels itself (100 at GDK_SCALE=2 on a 192-DPI screen).
int dpi_scale_percent(const wxWindow* window);

// The size a dialog of `size` gets at `percent` (unchanged at 100 or less).
wxSize scaled_dialog_size(const wxSize& size, int percent);

// Enlarges a dialog by `percent` (nothing at 100 or less) and lays it out;
// a scale the toolkit applies itself (GDK_SCALE) is not applied twice.
void scale_dialog(wxWindow* dialog, int percent);

// What a dialog does when it is built: stores the scale of its screen in
// screen_scale_percent, enlarges itself by it and keeps itself inside the
// work area of its display (keep_on_screen).
void scale_dialog_to_screen(wxWindow* dialog);

// The work area (the display less task bars and panels) of the display that
// shows the window, of the primary display when it is on none.
wxRect display_client_area(const wxWindow* window);

// `rect` shrunk to `area` where it is larger and moved into it.
wxRect rect_inside(const wxRect& rect, const wxRect& area);

// Keeps a top-level window inside the work area of its display: a window
// whose content needs more room than the area gets its content put into a
// scrolled window (once), then the window is shrunk to the area where it is
// larger and moved into it.
void fit_to_screen(wxTopLevelWindow* window);

// fit_to_screen now and whenever the window is shown (after its opener has
// placed it).
void keep_on_screen(wxTopLevelWindow* window);

// Puts everything `window` shows (its children, laid out by its sizer) into
// one scrolled window that fills it, and returns that window.
wxWindow* scroll_content(wxWindow* window);

// The window that scroll_content put a window's content into, or null.
wxWindow* fitted_scroller(const wxWindow* window);

// Where the main window goes in the work area `area`, given the remembered
// position and size (a width or height of 0 or less: nothing remembered).
wxRect main_window_placement(const wxRect& area, const wxPoint& position, const wxSize& size);

// Places the main window on the work area of its display (the primary one
// when it is on none) and returns the new position and size in the in-out
// arguments.
void place_main_window(wxWindow* window, wxPoint& position, wxSize& size);
