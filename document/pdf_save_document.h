#pragma once
// Saves a PDF-layer document into the process-wide save buffer and, when the
// path is not empty, writes the finished output to that file once.
// Raises exceptionex "failed to save pdf file: %d" on failure.
#include "document/pdf_layer.h"

#include <string>

void save_pdf(const std::wstring& path, FPDF_DOCUMENT doc, bool incremental);
// An incremental save, memory only, of a document opened with
// FPDF_LoadSharedMemDocument over the bytes the process-wide save buffer
// holds (pdf_save_buffer::load_file): the update is appended behind them.
void save_pdf_in_place(FPDF_DOCUMENT doc);
