#include "document/gl_texture.h"

#include <wx/image.h>

#include <cstdlib>
#include <mutex>

namespace {
std::mutex uploader_lock;
texture_uploader& current_uploader() {
    static texture_uploader uploader;
    return uploader;
}
}  // namespace

void set_texture_uploader(texture_uploader uploader) {
    std::lock_guard<std::mutex> guard(uploader_lock);
    current_uploader() = std::move(uploader);
}

void gl_upload_texture(gl_texture* texture, const unsigned char* rgba, int width, int height) {
    texture_uploader uploader;
    {
        std::lock_guard<std::mutex> guard(uploader_lock);
        uploader = current_uploader();
    }
    if (uploader) {
        uploader(texture, rgba, width, height);
        return;
    }
    if (texture) {
        texture->width = width;
        texture->height = height;
    }
}

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
