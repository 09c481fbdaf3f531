#pragma once
// A plain-text file, laid out as a PDF in memory when it is opened so that it
// renders, verifies and signs like a PDF.
#include <atomic>
#include <functional>

#include "document/doc_pdfium.h"
#include "document/pdf_conversion.h"

class doc_text : public doc_pdfium {
public:
    doc_text() = default;
    ~doc_text() override;

    // Page and font settings for a style number (1 to 3; others as 1).
    void set_text_layout(const std::string& font_path, int style);

    void load(const std::wstring& path) override;
    void close() override;
    void render(int32_t width, int32_t height, gl_texture* texture) override;
    std::wstring pdf_path() override;

    // Threads (see doc_base.h): `layout` is set by the main thread before the
    // load worker starts; `text_path` is written by the load worker before it
    // stores `loaded` and only read afterwards; `temp_pdf` belongs to the sign
    // worker (pdf_path), which runs while the main thread leaves the document alone.
    std::wstring text_path;
    std::wstring temp_pdf;
    text_layout layout;
};

// The whole text file decoded: UTF-16 LE or BE by byte-order mark, else UTF-8
// (with or without its mark), else GB 18030, up to the first zero character.
// An unreadable file gives the empty text; bytes that are none of these throw
// std::range_error. With `stopped`, asked at least every megabyte of reading
// and decoding, a read for which it answers true ends with exceptionex
// "(), stopped".
std::wstring read_text_file(const std::wstring& path, const std::function<bool()>& stopped = {});
