#include "app/theme_colours.h"

#include "platform/system_theme.h"

bool is_dark_theme = false;

wxColour theme_text_colour;
wxColour theme_window_colour;
wxColour theme_panel_colour;
wxColour theme_hover_colour;
wxColour theme_dialog_colour;
wxColour theme_bar_colour;
wxColour theme_control_colour;
std::uint32_t theme_canvas_colour = 0;

wxColour accent_colour;
wxColour info_colour;
wxColour button_colour;
wxColour ok_colour;
wxColour error_colour;
wxColour warning_colour;

void apply_theme_colours() {
    if (is_dark_theme) {
        theme_text_colour = wxColour(200, 200, 200);
        theme_window_colour = wxColour(45, 45, 48);
        theme_panel_colour = wxColour(51, 51, 55);
        theme_hover_colour = wxColour(63, 63, 64);
        theme_dialog_colour = wxColour(37, 37, 38);
        theme_bar_colour = wxColour(51, 51, 51);
        theme_control_colour = wxColour(47, 47, 47);
        theme_canvas_colour = 0x1E1E1E;
    } else {
        theme_text_colour = wxColour(0, 0, 0);
        theme_window_colour = wxColour(255, 255, 255);
        theme_panel_colour = wxColour(238, 235, 235);
        theme_hover_colour = wxColour(201, 222, 245);
        theme_dialog_colour = wxColour(245, 245, 245);
        theme_bar_colour = wxColour(230, 231, 232);
        theme_control_colour = wxColour(248, 248, 248);
        theme_canvas_colour = 0x969696;
    }
}

void set_fixed_colours() {
    accent_colour = wxColour(0, 122, 204);
    info_colour = wxColour(188, 220, 246);
    button_colour = wxColour(216, 216, 216);
    ok_colour = wxColour(13, 147, 45);
    error_colour = wxColour(175, 32, 49);
    warning_colour = wxColour(255, 128, 61);
}

bool system_theme_is_dark() { return platform::system_uses_dark_theme(); }
