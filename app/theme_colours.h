#pragma once
// The process-wide colour set: a light and a dark theme, plus fixed accents.
#include <wx/colour.h>

#include <cstdint>

// True when the dark colour set is in use.
extern bool is_dark_theme;

// Theme colours, set by apply_theme_colours from is_dark_theme.
extern wxColour theme_text_colour;     // foreground of texts
extern wxColour theme_window_colour;   // window background, picture buttons
extern wxColour theme_panel_colour;    // panel background
extern wxColour theme_hover_colour;    // hovered sidebar and list rows
extern wxColour theme_dialog_colour;   // dialogs, signing and stamp panels
extern wxColour theme_bar_colour;      // main window bars, pane toggle bars
extern wxColour theme_control_colour;  // text and list controls
// The page view's surround: an integer laid out 0x00BBGGRR (red in the lowest byte).
extern std::uint32_t theme_canvas_colour;

// Fixed colours, the same in both themes (set by set_default_settings).
extern wxColour accent_colour;
extern wxColour info_colour;
extern wxColour button_colour;
extern wxColour ok_colour;
extern wxColour error_colour;
extern wxColour warning_colour;

// Sets the eight theme colours to the light or the dark set.
void apply_theme_colours();
// Sets the six fixed colours.
void set_fixed_colours();
// Whether the desktop's own theme is dark (the "system" choice).
bool system_theme_is_dark();

// The channels of a 0x00BBGGRR colour integer such as theme_canvas_colour.
inline unsigned char colour_red(std::uint32_t c) { return c & 0xff; }
inline unsigned char colour_green(std::uint32_t c) { return (c >> 8) & 0xff; }
inline unsigned char colour_blue(std::uint32_t c) { return (c >> 16) & 0xff; }
