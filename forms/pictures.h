#pragma once
// The pictures of the user interface. Each accessor decodes its embedded
// image file on the first call and returns the same bitmap ever after; a
// picture that fails to decode stays an invalid bitmap and is not retried.
#include <cstddef>

#include <wx/bitmap.h>

#define VELK_PICTURE(name, type, width, height) wxBitmap& name();
#include "forms/picture_list.inc"
#undef VELK_PICTURE

// The tool bar's "Sign" picture, its word in the interface's language (read
// at every call): normal or hover, 56 x 28 or doubled.
wxBitmap& sign_panel_picture(bool hover, bool doubled);

// The information bar's busy indicator: a whole animated GIF file.
struct picture_file {
    const unsigned char* data;
    std::size_t size;
};
picture_file busy_animation();
