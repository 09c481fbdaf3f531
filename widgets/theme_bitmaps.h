#pragma once
// Recolouring of one-colour icons for the light and dark themes.
#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/anybutton.h>

// Every pixel that is not fully transparent becomes white (dark theme) or
// black (light theme), keeping its alpha. Icons without alpha stay as they are.
void recolour_bitmap_for_theme(wxBitmap& bitmap);

// Gives the button theme-coloured state pictures made from its normal one
// and the background colour. Works on labelled buttons with a picture too.
void theme_bitmap_button(wxAnyButton* button, const wxColour& background);
// The same from the picture and its doubled form: the toolkit draws the
// doubled one where a logical pixel is two device pixels.
void theme_bitmap_button(wxAnyButton* button, const wxColour& background, const wxBitmap& normal,
                         const wxBitmap& doubled);

// A list row's or a label's picture from its two sizes: the toolkit draws the
// doubled one where a logical pixel is two device pixels (GDK_SCALE=2); where
// the program enlarges its windows itself, the doubled one is the picture.
wxBitmapBundle scaled_picture(const wxBitmap& normal, const wxBitmap& doubled);

// The image with every pixel of non-zero alpha painted in one colour.
wxImage recoloured_image(const wxImage& image, const wxColour& colour);
