#include "widgets/theme_bitmaps.h"

#include <vector>

#include <wx/bmpbndl.h>
#include <wx/image.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"

wxImage recoloured_image(const wxImage& source, const wxColour& colour) {
    wxImage image = source.Copy();
    if (!image.IsOk() || !image.HasAlpha()) return image;
    const int n = image.GetWidth() * image.GetHeight();
    unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.GetAlpha();
    for (int i = 0; i < n; ++i) {
        if (alpha[i] == 0) continue;
        rgb[3 * i] = colour.Red();
        rgb[3 * i + 1] = colour.Green();
        rgb[3 * i + 2] = colour.Blue();
    }
    return image;
}

void recolour_bitmap_for_theme(wxBitmap& bitmap) {
    if (!bitmap.IsOk()) return;
    wxImage image = bitmap.ConvertToImage();
    if (!image.HasAlpha()) return;
    bitmap = wxBitmap(recoloured_image(image, is_dark_theme ? *wxWHITE : *wxBLACK), -1);
}

wxBitmapBundle scaled_picture(const wxBitmap& normal, const wxBitmap& doubled) {
    if (screen_scale_percent >= 199) return wxBitmapBundle::FromBitmap(doubled);
    return wxBitmapBundle::FromBitmaps(normal, doubled);
}

namespace {

// The pictures recoloured, as one bundle of their sizes.
wxBitmapBundle recoloured_bundle(const std::vector<wxImage>& images, const wxColour& colour) {
    wxVector<wxBitmap> bitmaps;
    for (const wxImage& image : images) bitmaps.push_back(wxBitmap(recoloured_image(image, colour), -1));
    return wxBitmapBundle::FromBitmaps(bitmaps);
}

}  // namespace

void theme_bitmap_button(wxAnyButton* button, const wxColour& background) {
    theme_bitmap_button(button, background, button->GetBitmap(), wxNullBitmap);
}

void theme_bitmap_button(wxAnyButton* button, const wxColour& background, const wxBitmap& normal,
                         const wxBitmap& doubled) {
    if (!normal.IsOk()) return;
    std::vector<wxImage> images{normal.ConvertToImage()};
    if (doubled.IsOk()) images.push_back(doubled.ConvertToImage());
    if (images.front().HasAlpha()) {
        const wxColour accent(0, 122, 204);
        button->SetBitmap(recoloured_bundle(images, is_dark_theme ? *wxWHITE : *wxBLACK), wxLEFT);
        button->SetBitmapFocus(recoloured_bundle(images, accent));
        button->SetBitmapCurrent(recoloured_bundle(images, accent));
        button->SetBitmapPressed(recoloured_bundle(images, accent));
        button->SetBitmapDisabled(recoloured_bundle(images, wxColour(225, 225, 225)));
    }
    button->SetBackgroundColour(background);
}
