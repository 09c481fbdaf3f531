#include "document/gl_texture.h"

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
