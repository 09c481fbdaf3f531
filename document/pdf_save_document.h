#pragma once
// Saves a PDF-layer document: with an empty path into the process-wide save
// buffer, otherwise straight to that file (through a temporary file beside
// it, renamed onto it once complete), never through memory.
// Raises exceptionex "failed to save pdf file: %d" on failure, followed by
// the cause when a write failed for a reason the user can act on.
#include "document/pdf_layer.h"

#include <string>

void save_pdf(const std::wstring& path, FPDF_DOCUMENT doc, bool incremental);

// Appends the incremental update of `doc` to the file open read-write as `fd`
// (read back by the library as it writes), which holds the
// bytes the document was opened from: the update goes behind them. Returns 0,
// or an error code with the layer's error text set; *write_error (may be null)
// receives the errno of a write that failed, 0 when none did.
int append_update_to_file(FPDF_DOCUMENT doc, int fd, int* write_error);
