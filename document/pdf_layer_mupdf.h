// The MuPDF side of the PDF layer, for code in document/ that builds PDFs with
// MuPDF directly (conversions to PDF) and for the layer's own sources.
// Rule for every user: no C++ exception may be thrown inside fz_try, and no
// object with a destructor may live inside one (MuPDF unwinds with longjmp).
#pragma once

#include "document/pdf_layer.h"

#include <cstdio>
#include <new>
#include <stdexcept>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

// The calling thread's MuPDF context (cloned from the process's base context
// on first use, dropped when the thread ends).
fz_context* pdf_layer_context();

struct fpdf_document_t__ {
    pdf_document* pdf = nullptr;
    fz_buffer* source = nullptr;  // the bytes the document was opened from, when opened from memory
    fz_stream* file = nullptr;    // the open file, when opened from a path (MuPDF reads it as needed)
    FILE* fp = nullptr;           // what `file` reads; closed after it
    int64_t file_size = 0;        // its size when it was opened
    bool repaired = false;        // MuPDF had to rebuild the cross-reference table
};

struct fpdf_page_t__ {
    FPDF_DOCUMENT doc = nullptr;
    pdf_page* page = nullptr;
    int index = -1;
};

// A new, empty PDF document (no pages).
FPDF_DOCUMENT FPDF_CreateNewDocument();
// A document read from `file` as it needs it (the handle takes the stream
// over, also on failure); null with the layer's error set when it does not open.
FPDF_DOCUMENT pdf_layer_load_stream(fz_stream* file, const char* password);
// Drops a MuPDF document and makes the shared resource store forget it.
// Every document is dropped through here, never by pdf_drop_document alone.
// Takes the library lock.
void pdf_layer_drop_document(fz_context* ctx, pdf_document* doc);
// Readies the shared resource store for work on `doc` that loads fonts,
// images, colour spaces and the like (loading pages, rendering, saving): the
// store is emptied first when it may hold another document's objects. Under
// the library lock, before such work on a document.
void pdf_layer_use_document(fz_context* ctx, pdf_document* doc);
// The MuPDF objects behind the handles (owned by the handles).
pdf_document* pdf_layer_document(FPDF_DOCUMENT doc);
pdf_page* pdf_layer_page(FPDF_PAGE page);
// The handle of a signature field object, and back.
inline FPDF_SIGNATURE pdf_layer_signature(pdf_obj* field) { return reinterpret_cast<FPDF_SIGNATURE>(field); }
inline pdf_obj* pdf_layer_field(FPDF_SIGNATURE sig) { return reinterpret_cast<pdf_obj*>(sig); }

// The bytes a document was opened from: from memory, or its open file (the
// file as it was opened, even when a rename has replaced it on disk since).
// A new document has none.
bool pdf_layer_has_source(FPDF_DOCUMENT doc);
size_t pdf_layer_source_size(FPDF_DOCUMENT doc);
// Copies source bytes [offset, offset + n); false when they cannot all be
// read. Takes the library lock.
bool pdf_layer_read_source(FPDF_DOCUMENT doc, size_t offset, void* out, size_t n);

// Runs `op`, C++ code that can throw (growing a container), inside fz_try,
// which no C++ exception may cross: running out of memory there becomes a
// MuPDF error, thrown once the C++ handler has ended.
template <typename Op>
void as_mupdf_error(fz_context* ctx, Op&& op) {
    bool failed = false;
    try {
        op();
    } catch (const std::bad_alloc&) {
        failed = true;
    } catch (const std::length_error&) {
        failed = true;
    }
    if (failed) fz_throw(ctx, FZ_ERROR_MEMORY, "out of memory");
}

// Sets the calling thread's last error (code and text).
void pdf_layer_set_error(unsigned long code, const char* text);

// Taken at the top of every layer function and by code that calls MuPDF itself.
#define PDF_LAYER_GUARD std::lock_guard<std::recursive_mutex> pdf_layer_guard_{pdf_library_lock()}
