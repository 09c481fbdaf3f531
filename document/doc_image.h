#pragma once
// A picture (jpg, png, bmp): shown as one page, turned into a one-page PDF
// when it is to be signed.
#include <wx/image.h>

#include "document/doc_base.h"

class doc_image : public doc_base {
public:
    doc_image() = default;
    ~doc_image() override;

    void load(const std::wstring& path) override;
    void close() override;
    void page_size(int32_t index, int32_t& width, int32_t& height) override;
    void render(int32_t width, int32_t height, gl_texture* texture) override;
    // A new temporary PDF on every call.
    std::wstring pdf_path() override;

    // Threads (see doc_base.h): `path` and `image` are written by the load
    // worker before it stores `loaded`, then read by the main thread's paint;
    // `converted_pdf` belongs to the sign worker (pdf_path), which runs while
    // the main thread leaves the document alone.
    std::wstring path;
    std::wstring converted_pdf;
    wxImage image;
};
