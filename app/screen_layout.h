#pragma once
// Screen scale, dialog enlargement and the main window's placement.
#include <cstdint>

#include <wx/gdicmn.h>

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
// screen_scale_percent and enlarges itself by it.
void scale_dialog_to_screen(wxWindow* dialog);

// Where the main window goes in the work area `area`, given the remembered
// position and size (a width or height of 0 or less: nothing remembered).
wxRect main_window_placement(const wxRect& area, const wxPoint& position, const wxSize& size);

// Places the main window on the work area of its display (the primary one
// when it is on none) and returns the new position and size in the in-out
// arguments.
void place_main_window(wxWindow* window, wxPoint& position, wxSize& size);
