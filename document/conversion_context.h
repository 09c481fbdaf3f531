#pragma once
// The MuPDF context the conversions to PDF run in on the calling thread.
extern "C" {
#include <mupdf/fitz.h>
}

fz_context* conversion_context();
