// Pictures of the GUI toolkit as texture pixels. Kept apart from the upload
// seam so that code needing only the seam (rendering, verification tools)
// does not pull in the toolkit's image library.
#include "document/gl_texture.h"

#include <wx/image.h>

#include <cstdlib>

unsigned char* image_to_rgba(const wxImage& image) {
    if (!image.IsOk() || image.GetWidth() <= 0 || image.GetHeight() <= 0) return nullptr;
    const size_t count = (size_t)image.GetWidth() * (size_t)image.GetHeight();
    auto* out = static_cast<unsigned char*>(malloc(count * 4));
    if (!out) return nullptr;
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
    for (size_t p = 0; p < count; ++p) {
        out[p * 4 + 0] = rgb[p * 3 + 0];
        out[p * 4 + 1] = rgb[p * 3 + 1];
        out[p * 4 + 2] = rgb[p * 3 + 2];
        out[p * 4 + 3] = alpha ? alpha[p] : 255;
    }
    return out;
}
