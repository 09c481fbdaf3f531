#include "document/file_types.h"

#include <wx/filename.h>

#include <initializer_list>
#include <string>

#include "document/pdf_layer.h"

namespace {
bool has_extension(const wxString& path, std::initializer_list<const char*> extensions) {
    wxString ext = wxFileName(path).GetExt();
    for (const char* e : extensions)
        if (ext.IsSameAs(e, false)) return true;
    return false;
}
}  // namespace

bool is_pdf_file(const wxString& path) { return has_extension(path, {"pdf"}); }
bool is_text_file(const wxString& path) { return has_extension(path, {"txt", "md"}); }
bool is_image_file(const wxString& path) { return has_extension(path, {"jpg", "png", "bmp"}); }
bool is_cert_file(const wxString& path) { return has_extension(path, {"cer", "crt", "pem"}); }
bool is_supported_document(const wxString& path) {
    return is_pdf_file(path) || is_text_file(path) || is_image_file(path);
}

namespace {
// The system font folder, kept for the life of the process (the library keeps
// a pointer to it).
std::string font_folder;
const char* font_paths[2] = {nullptr, nullptr};
}  // namespace

void init_pdfium_with_fonts() {
    font_folder = "/usr/share/fonts/";
    font_paths[0] = font_folder.c_str();
    font_paths[1] = nullptr;
    FPDF_LIBRARY_CONFIG config;
    config.version = 2;
    config.m_pUserFontPaths = font_paths;
    config.m_pIsolate = nullptr;
    config.m_v8EmbedderSlot = 0;
    FPDF_InitLibraryWithConfig(&config);
}
