#include "forms/pictures.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "app/ui_language.h"
#include "platform/resources.h"

namespace {

const platform::embedded_resource* picture_resource(const char* name, const char* type) {
    return platform::find_resource(name, type);
}

const void* picture_data(const char* name, const char* type) {
    static const unsigned char none = 0;
    const platform::embedded_resource* r = picture_resource(name, type);
    return r ? static_cast<const void*>(r->data) : static_cast<const void*>(&none);
}

std::size_t picture_size(const char* name, const char* type) {
    const platform::embedded_resource* r = picture_resource(name, type);
    return r ? r->size : 0;
}

// A picture that does not decode stays invalid, silently: the caller sees an
// invalid bitmap, as the toolkit would give for a missing file.
wxImage decode_picture(wxInputStream& stream, wxBitmapType type) {
    wxLogNull quiet;
    if (stream.GetLength() <= 0) return wxImage();
    return wxImage(stream, type, -1);
}

wxBitmap bitmap_of(const wxImage& image) { return image.IsOk() ? wxBitmap(image, -1) : wxBitmap(); }

}  // namespace

// Three function statics per picture, each built once (thread-safe): a
// stream over the embedded bytes (no copy), the decoded image, the bitmap.
#define VELK_PICTURE(name, type, width, height)                                          \
    wxBitmap& name() {                                                                   \
        static wxMemoryInputStream stream(picture_data(#name, #type), picture_size(#name, #type)); \
        static wxImage image(decode_picture(stream, wxBITMAP_TYPE_##type));               \
        static wxBitmap bitmap(bitmap_of(image));                                        \
        return bitmap;                                                                   \
    }
#include "forms/picture_list.inc"
#undef VELK_PICTURE

picture_file busy_animation() {
    const platform::embedded_resource* r = picture_resource("busy_animation", "GIF");
    if (!r) return {nullptr, 0};
    return {r->data, r->size};
}

wxBitmap& sign_panel_picture(bool hover, bool doubled) {
    if (is_chinese_ui()) {
        if (doubled) return hover ? bitmap_sign_panel_cn_hover_112x56() : bitmap_sign_panel_cn_112x56();
        return hover ? bitmap_sign_panel_cn_hover_56x28() : bitmap_sign_panel_cn_56x28();
    }
    if (doubled) return hover ? bitmap_sign_panel_hover_112x56() : bitmap_sign_panel_112x56();
    return hover ? bitmap_sign_panel_hover_56x28() : bitmap_sign_panel_56x28();
}
