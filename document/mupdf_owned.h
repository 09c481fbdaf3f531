#pragma once
// Owners for the PDF layer's handles and for MuPDF objects, for code outside
// fz_try blocks. Never keep one alive across a MuPDF call inside fz_try: a
// MuPDF error unwinds by longjmp, which skips destructors.
//
//   owned<fpdf_document_t__> doc(FPDF_CreateNewDocument());   FPDF_CloseDocument
//   mupdf_owned<pdf_document> pdf(ctx, pdf_create_document(ctx));   pdf_layer_drop_document
#include "document/pdf_layer.h"
#include "document/pdf_layer_mupdf.h"
#include "platform/owned.h"

VELK_OWNED_FREE(fpdf_document_t__, FPDF_CloseDocument(p));
VELK_OWNED_FREE(fpdf_page_t__, FPDF_ClosePage(p));

// How each MuPDF type is dropped (MuPDF's drop functions never throw).
template <class T>
struct mupdf_drop;
template <>
struct mupdf_drop<pdf_document> {
    static void drop(fz_context* ctx, pdf_document* p) { pdf_layer_drop_document(ctx, p); }
};
template <>
struct mupdf_drop<pdf_obj> {
    static void drop(fz_context* ctx, pdf_obj* p) { pdf_drop_obj(ctx, p); }
};
template <>
struct mupdf_drop<fz_buffer> {
    static void drop(fz_context* ctx, fz_buffer* p) { fz_drop_buffer(ctx, p); }
};

// One MuPDF object with the context that drops it; move-only.
template <class T>
class mupdf_owned {
public:
    explicit mupdf_owned(fz_context* ctx, T* p = nullptr) : ctx_(ctx), p_(p) {}
    ~mupdf_owned() { reset(); }
    mupdf_owned(mupdf_owned&& other) noexcept : ctx_(other.ctx_), p_(other.release()) {}
    mupdf_owned(const mupdf_owned&) = delete;
    mupdf_owned& operator=(const mupdf_owned&) = delete;

    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(T* p = nullptr) {
        if (p_) mupdf_drop<T>::drop(ctx_, p_);
        p_ = p;
    }

private:
    fz_context* ctx_;
    T* p_;
};
