#include "document/doc_pdfium.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/doc_services.h"

FPDF_FORMFILLINFO form_fill_info = {1};

const char* const kEncryptedDocumentText = "(), the pdf is encrypted with a password";

doc_pdfium::doc_pdfium() = default;

doc_pdfium::~doc_pdfium() { doc_pdfium::close(); }

void doc_pdfium::load(const std::wstring& file) {
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    path = file;
    // UTF-8 whatever the C locale is: a path in any script opens.
    pdf_doc = FPDF_LoadDocument(wide_to_utf8(file).c_str(), "");
    if (!pdf_doc) {
        unsigned long err = FPDF_GetLastError();
        if (err == FPDF_ERR_FORMAT) throw_ex_fmt("%s(), not a pdf file", "");
        if (err == FPDF_ERR_PASSWORD) throw exceptionex(kEncryptedDocumentText);
        throw_ex_fmt("%s(), err: %d", "", (int)err);
    }
    finish_load();
}

void doc_pdfium::finish_load() {
    page_count = FPDF_GetPageCount(pdf_doc);
    if (page_count < 0) page_count = 0;
    memset(&form_fill_info, 0, sizeof form_fill_info);
    form_fill_info.version = 1;
    form = FPDFDOC_InitFormFillEnvironment(pdf_doc, &form_fill_info);
    loaded = true;
}

void doc_pdfium::close_pdf() {
    if (!loaded) return;
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    if (form) FPDFDOC_ExitFormFillEnvironment(form);
    if (page) FPDF_ClosePage(page);
    if (pdf_doc) FPDF_CloseDocument(pdf_doc);
    form = nullptr;
    page = nullptr;
    pdf_doc = nullptr;
    page_count = 0;
    loaded = false;
}

void doc_pdfium::close() { close_pdf(); }

void doc_pdfium::page_size(int32_t index, int32_t& width, int32_t& height) {
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    width = 0;
    height = 0;
    if (page) {
        FPDF_ClosePage(page);
        page = nullptr;
    }
    if (!pdf_doc) return;
    page = FPDF_LoadPage(pdf_doc, index);
    if (!page) return;
    width = (int32_t)FPDF_GetPageWidthF(page);
    height = (int32_t)FPDF_GetPageHeightF(page);
}

void doc_pdfium::render(int32_t width, int32_t height, gl_texture* texture) {
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    if (!page || width <= 0 || height <= 0) return;
    FPDF_BITMAP bitmap = FPDFBitmap_Create(width, height, FPDFPage_HasTransparency(page) ? 1 : 0);
    if (!bitmap) return;
    // The stored colour carries alpha 0; the page background is always opaque.
    auto bg = doc_services().page_background_color;
    uint32_t color = (bg ? bg() : 0xFFFFFFFFu) | 0xFF000000u;
    FPDFBitmap_FillRect(bitmap, 0, 0, width, height, color);
    FPDF_RenderPageBitmap(bitmap, page, 0, 0, width, height, 0, FPDF_ANNOT);
    FPDF_FFLDraw(form, bitmap, page, 0, 0, width, height, 0, 0);

    // B, G, R, A -> R, G, B, A, in rows of exactly width*4 bytes.
    const auto* src = static_cast<const unsigned char*>(FPDFBitmap_GetBuffer(bitmap));
    const int stride = FPDFBitmap_GetStride(bitmap);
    std::vector<unsigned char> rgba((size_t)width * (size_t)height * 4);
    for (int32_t y = 0; y < height; ++y) {
        const unsigned char* row = src + (size_t)y * (size_t)stride;
        unsigned char* out = rgba.data() + (size_t)y * (size_t)width * 4;
        for (int32_t x = 0; x < width; ++x) {
            out[x * 4 + 0] = row[x * 4 + 2];
            out[x * 4 + 1] = row[x * 4 + 1];
            out[x * 4 + 2] = row[x * 4 + 0];
            out[x * 4 + 3] = row[x * 4 + 3];
        }
    }
    FPDFBitmap_Destroy(bitmap);
    gl_upload_texture(texture, rgba.data(), width, height);
}

int32_t doc_pdfium::rotation() {
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    if (!page) return -1;
    int r = FPDFPage_GetRotation(page);
    return r < 0 ? -1 : r * 90;
}

void doc_pdfium::collect_signatures(sigcheck_record*& records, int32_t& count) {
    document_services& s = doc_services();
    if (!s.verify_all_signatures) throw_ex_fmt("%s(), signature verification is not available", "");
    std::wstring doc_path = s.main_document_path ? s.main_document_path() : path;
    // The verification takes the library lock around each of its own calls.
    s.verify_all_signatures(pdf_doc, &records, doc_path, &count);
}

bool doc_pdfium::field_exists(const std::wstring& name) {
    auto fn = doc_services().field_name_exists;
    if (!fn) throw_ex_fmt("%s(), signature field names are not available", "");
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    return fn(pdf_doc, wide_to_utf8(name).c_str());
}

std::string doc_pdfium::new_field_name() {
    auto fn = doc_services().new_field_name;
    if (!fn) throw_ex_fmt("%s(), signature field names are not available", "");
    char name[256];
    memset(name, 0, sizeof name);
    {
        std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
        fn(pdf_doc, name);
    }
    name[sizeof name - 1] = 0;
    return name;
}

std::wstring doc_pdfium::pdf_path() { return path; }
