#pragma once
// Stand-in for the theme and screen-scale values of the settings store until
// the application core provides them. The definitions are weak, so the real
// ones replace them without a link clash; the types are the same.
#include <cstdint>

#include <wx/colour.h>

extern bool is_dark_theme;                  // the dark colour set is in use
extern std::uint32_t theme_canvas_colour;   // 0x00BBGGRR: page-view surround, frame background
extern int screen_scale_percent;            // 100 at 96 DPI; 199 and more takes doubled pictures
extern wxColour theme_control_colour;      // background of text and list controls

// The colour of theme_canvas_colour-style integers.
inline unsigned char colour_red(std::uint32_t c) { return c & 0xff; }
inline unsigned char colour_green(std::uint32_t c) { return (c >> 8) & 0xff; }
inline unsigned char colour_blue(std::uint32_t c) { return (c >> 16) & 0xff; }
