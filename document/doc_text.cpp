#include "document/doc_text.h"

#include "document/pdf_save_document.h"

#include <sys/stat.h>

#include <cstdio>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "app/worker_flags.h"
#include "document/doc_services.h"
#include "platform/private_temp.h"

doc_text::~doc_text() { doc_text::close(); }

void doc_text::set_text_layout(const std::string& font_path, int style) { fill_text_layout(layout, font_path, style); }

void doc_text::load(const std::wstring& file) {
    text_path = file;
    // A long text takes seconds to read and lay out: shutdown must not wait for it.
    std::wstring text = read_text_file(file, [] { return stop_workers.load(std::memory_order_relaxed); });
    layout.stop = &stop_workers;
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    pdf_doc = text_to_pdf(layout, text);
    finish_load();
}

void doc_text::close() {
    close_pdf();
    if (!temp_pdf.empty()) {
        std::string narrow = wide_to_utf8(temp_pdf);
        struct stat st;
        if (stat(narrow.c_str(), &st) == 0) remove(narrow.c_str());
    }
}

void doc_text::render(int32_t width, int32_t height, gl_texture* texture) { doc_pdfium::render(width, height, texture); }

std::wstring doc_text::pdf_path() {
    if (!pdf_doc) throw_ex_fmt("%s(), no document", "");
    std::string target = platform::make_private_temp_file("", ".pdf");
    temp_pdf = utf8_to_wide(target);
    save_pdf(temp_pdf, pdf_doc, false);
    return temp_pdf;
}
