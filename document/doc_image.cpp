#include "document/doc_image.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include <cstdio>
#include <cstdlib>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "document/pdf_conversion.h"

doc_image::~doc_image() {
    loaded = false;
    page_count = 0;
}

void doc_image::load(const std::wstring& file) {
    path = file;
    wxLogNull quiet;  // the failure is reported by our own text
    // Read through our UTF-8 path (the toolkit's file-name conversion follows
    // the C locale outside a GUI application).
    unsigned char* bytes = nullptr;
    uint32_t size = 0;
    bool decoded = false;
    if (file2buffw(file, &bytes, &size)) {
        wxMemoryInputStream stream(bytes, size);
        decoded = image.LoadFile(stream, wxBITMAP_TYPE_ANY) && image.IsOk();
        std::free(bytes);
    }
    if (!decoded) throw_ex_fmt("%s(), image is not supported", "");
    page_count = 1;
    loaded = true;
}

void doc_image::close() {
    loaded = false;
    page_count = 0;
}

void doc_image::page_size(int32_t index, int32_t& width, int32_t& height) {
    if (image.IsOk()) {
        width = image.GetWidth();
        height = image.GetHeight();
    } else {
        width = 0;
        height = 0;
    }
}

void doc_image::render(int32_t width, int32_t height, gl_texture* texture) {
    wxImage scaled;
    if (image.IsOk() && width > 0 && height > 0) scaled = image.Scale(width, height, wxIMAGE_QUALITY_BILINEAR);
    if (!scaled.IsOk()) {
        diag_print("\n\n[ERROR] %s(), scale image failed [ERROR]\n", "");
        return;
    }
    unsigned char* rgba = image_to_rgba(scaled);
    if (!rgba) return;
    gl_upload_texture(texture, rgba, width, height);
    free(rgba);
}

std::wstring doc_image::pdf_path() {
    unsigned char* pixels = image_to_rgba(image);
    if (!pixels) throw_ex_fmt("%s(), image is not supported", "");
    const int w = image.GetWidth();
    const int h = image.GetHeight();
    // R, G, B, A -> B, G, R, A, the order the conversion takes.
    for (size_t p = 0; p < (size_t)w * (size_t)h; ++p) {
        unsigned char t = pixels[p * 4];
        pixels[p * 4] = pixels[p * 4 + 2];
        pixels[p * 4 + 2] = t;
    }
    try {
        converted_pdf = image_to_pdf(pixels, (uint32_t)w, (uint32_t)h, L"");
    } catch (...) {
        free(pixels);
        throw;
    }
    free(pixels);
    return converted_pdf;
}
