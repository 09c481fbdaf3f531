#pragma once
// A PDF document, opened through the PDF layer.
#include "document/doc_base.h"
#include "document/pdf_layer.h"

// The one form-fill information record shared by every document's form
// environment; reset (cleared, version 1) each time a document is opened.
extern FPDF_FORMFILLINFO form_fill_info;

class doc_pdfium : public doc_base {
public:
    doc_pdfium();
    ~doc_pdfium() override;

    void load(const std::wstring& path) override;
    void close() override;
    void page_size(int32_t index, int32_t& width, int32_t& height) override;
    void render(int32_t width, int32_t height, gl_texture* texture) override;
    int32_t rotation() override;
    void collect_signatures(sigcheck_record*& records, int32_t& count) override;
    bool field_exists(const std::wstring& name) override;
    std::string new_field_name() override;
    std::wstring pdf_path() override;

    // Threads (see doc_base.h): `path`, `pdf_doc` and `form` are written by
    // the load worker before it stores `loaded`, and by close() on the main
    // thread; after that they are only read. `page` is the page last
    // measured and belongs to whoever holds pdf_library_lock (the main
    // thread's paint, the verify worker's field reading): every use of the
    // PDF handles is made under that lock.
    std::wstring path;
    FPDF_DOCUMENT pdf_doc = nullptr;
    FPDF_PAGE page = nullptr;
    FPDF_FORMHANDLE form = nullptr;

protected:
    // Steps shared with text documents once `pdf_doc` is set: page count,
    // form environment, and last the loaded flag, which publishes them.
    void finish_load();
    void close_pdf();
};

// Saves the whole document (not incrementally) to `path`. Throws exceptionex.

