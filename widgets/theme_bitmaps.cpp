#include "widgets/theme_bitmaps.h"

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

void theme_bitmap_button(wxAnyButton* button, const wxColour& background) {
    const wxBitmap normal = button->GetBitmap();
    if (!normal.IsOk()) return;
    const wxImage image = normal.ConvertToImage();
    if (image.HasAlpha()) {
        const wxColour accent(0, 122, 204);
        button->SetBitmap(wxBitmap(recoloured_image(image, is_dark_theme ? *wxWHITE : *wxBLACK), -1), wxLEFT);
        button->SetBitmapFocus(wxBitmap(recoloured_image(image, accent), -1));
        button->SetBitmapCurrent(wxBitmap(recoloured_image(image, accent), -1));
        button->SetBitmapPressed(wxBitmap(recoloured_image(image, accent), -1));
        button->SetBitmapDisabled(wxBitmap(recoloured_image(image, wxColour(225, 225, 225)), -1));
    }
    button->SetBackgroundColour(background);
}
