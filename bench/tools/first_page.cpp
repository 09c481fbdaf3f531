// Opens a PDF and renders its first page at 96 DPI into the RGBA buffer the
// page view's texture is made from, as the program does between the open
// and the first paint. Driven by first_page_bench.py beside `mutool draw`.
//
// usage: bench_first_page FILE.pdf
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/text_utils.h"
#include "document/doc_pdfium.h"
#include "document/gl_texture.h"
#include "document/pdf_layer.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE.pdf\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    FPDF_InitLibrary();
    // The texture's pixels: count them and take a checksum so nothing is optimised away.
    uint64_t sum = 0;
    int got_w = 0, got_h = 0;
    set_texture_uploader([&](gl_texture* t, const unsigned char* rgba, int w, int h) {
        got_w = w;
        got_h = h;
        for (size_t i = 0; i < (size_t)w * h * 4; i += 4096) sum += rgba[i];
        if (t) {
            t->width = w;
            t->height = h;
        }
    });
    doc_pdfium doc;
    try {
        doc.load(utf8_to_wide(argv[1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "open failed: %s\n", e.what());
        return 1;
    }
    int32_t w = 0, h = 0;
    doc.page_size(0, w, h);
    gl_texture texture;
    doc.render(w * 96 / 72, h * 96 / 72, &texture);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("pages %d first %dx%d rendered %dx%d in %.1f ms (checksum %llu)\n", doc.page_count.load(), w, h, got_w,
                got_h, ms, (unsigned long long)sum);
    return got_w > 0 ? 0 : 1;
}
