#pragma once
// Which kind of document a file is, by its extension (any case).
#include <wx/string.h>

bool is_pdf_file(const wxString& path);
bool is_text_file(const wxString& path);
bool is_image_file(const wxString& path);
bool is_cert_file(const wxString& path);
bool is_supported_document(const wxString& path);

// Starts the PDF library with the system's font folder; once, before any
// document is opened.
void init_pdfium_with_fonts();
