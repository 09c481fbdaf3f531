#include "forms/theme_standin.h"

__attribute__((weak)) bool is_dark_theme = false;
__attribute__((weak)) std::uint32_t theme_canvas_colour = 0x969696;
__attribute__((weak)) int screen_scale_percent = 100;
__attribute__((weak)) wxColour theme_control_colour(248, 248, 248);
