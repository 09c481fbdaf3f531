#include "document/stamp_image.h"

#include "app/exceptionex.h"
#include "app/file_buffers.h"

#include <cstdint>
#include <cstdlib>
#include <lodepng.h>
#include <string>
#include <utility>

void swap_red_blue(unsigned char* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < count; ++i) std::swap(pixels[4 * i], pixels[4 * i + 2]);
}

void load_stamp_image(const char* utf8_path, unsigned char** pixels, int* width, int* height) {
    throw_if_null(pixels);
    throw_if_null(width);
    throw_if_null(height);
    *pixels = nullptr;
    *width = 0;
    *height = 0;

    unsigned char* file = nullptr;
    uint32_t file_size = 0;
    // A UTF-8 path already is the file system's byte form of the name.
    if (!utf8_path || !file2buff(utf8_path, &file, &file_size) || file_size == 0) {
        std::free(file);
        throw_ex_fmt("%s", kUndefinedText);
    }
    unsigned char* rgba = nullptr;
    unsigned w = 0, h = 0;
    unsigned error = lodepng_decode32(&rgba, &w, &h, file, file_size);
    std::free(file);
    if (error == 0 && (w > INT32_MAX || h > INT32_MAX)) {
        std::free(rgba);
        throw_ex_fmt("Failed to load image : %s", "image too large");
    }
    if (error != 0) {
        std::free(rgba);
        throw_ex_fmt("Failed to load image : %s", lodepng_error_text(error));
    }
    swap_red_blue(rgba, static_cast<int>(w), static_cast<int>(h));
    *pixels = rgba;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    throw_succeed();
}
