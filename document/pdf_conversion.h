#pragma once
// Turning plain text and pictures into PDF documents, so that they can be
// shown, verified and signed like any PDF.
#include <atomic>
#include <cstdint>
#include <string>

#include "document/pdf_layer_mupdf.h"

// Page and font settings of the text layout (all sizes in points).
struct text_layout {
    uint32_t page_width = 0;
    uint32_t page_height = 0;
    uint32_t margin_divisor = 0;
    std::string font_path;        // the CJK font: a TrueType font file (not a collection)
    std::string latin_font_path;  // the font of every other character (full Latin-1, the Euro sign, ...)
    uint32_t font_size = 0;
    // When set, the layout looks at it every few thousand characters and
    // ends with "%s(), stopped" once it is true (a long text at shutdown).
    const std::atomic<bool>* stop = nullptr;
};

// The fonts text documents are set in, chosen per character: a TrueType font
// with CJK glyphs for CJK text, and a Latin one for the rest. A character
// neither has is drawn as U+FFFD (or "?"), never dropped.
extern const char* const kTextFontPath;
extern const char* const kLatinTextFontPath;

// Fills `layout` for one of the three text styles (any other number is style
// 1); the Latin font is kLatinTextFontPath.
void fill_text_layout(text_layout& layout, const std::string& font_path, int style);

// Values derived from a layout.
struct text_metrics {
    uint32_t mx = 0;              // left margin
    uint32_t my = 0;              // top margin
    uint32_t lh = 0;              // line height
    uint32_t usable_width = 0;
    uint32_t lines_per_page = 0;
};
text_metrics compute_text_metrics(const text_layout& layout);

// One font of a document being built: the glyph source, and the document's
// font object once a line has used it (fonts no line uses are not embedded).
struct text_font {
    fz_font* font = nullptr;
    pdf_obj* font_ref = nullptr;  // indirect reference to the Type0 font
    const char* resource = "";    // its name in the page resources
};

// The fonts of a text document.
struct text_fonts {
    text_font cjk{nullptr, nullptr, "F1"};
    text_font latin{nullptr, nullptr, "F2"};
};

// The content of one page being built.
struct text_page {
    fz_buffer* contents = nullptr;
};

// Loads the font file (read once per process, then reused for every path) as
// the glyph source of `out`. Returns false, without a message, when there is
// no such file; throws exceptionex "%s(), load font failed, %s" when the font
// data is refused. The font enters a document (an embedded CID TrueType font
// with Identity-H encoding) when a line first uses it.
bool load_text_font(fz_context* ctx, const std::string& font_path, text_font& out);
void drop_text_font(fz_context* ctx, text_font& font);

// The font and glyph a character is drawn with: the CJK font first for CJK
// characters, the Latin font first for the rest, then the other one, then
// U+FFFD or "?" in either. `font` is null when no font is loaded.
struct text_glyph {
    text_font* font = nullptr;
    int gid = 0;
};
text_glyph choose_text_glyph(fz_context* ctx, text_fonts& fonts, wchar_t c);

// Advance width of `c` at size `s` (0 when there is no font).
float text_char_width(fz_context* ctx, text_fonts& fonts, uint32_t s, wchar_t c);

// Appends one text line (black, opaque) at (x, y) to the page content,
// switching fonts where the characters need it.
void add_text_line(fz_context* ctx, pdf_document* doc, text_page& page, text_fonts& fonts, uint32_t s,
                   uint32_t x, uint32_t y, const std::wstring& text);

// Appends `c` to a line buffer: tab -> four spaces, en space or form feed -> one space.
void append_line_char(std::wstring& buffer, wchar_t c);

// Lays `text` out as new pages of `doc`. Throws exceptionex on failure and
// when the layout's stop flag ends it.
void lay_out_text_document(fz_context* ctx, pdf_document* doc, const text_layout& layout, const std::wstring& text);

// The layout of `text` as a new document owned by the caller. Throws exceptionex.
FPDF_DOCUMENT text_to_pdf(const text_layout& layout, const std::wstring& text);

// Writes a one-page PDF of exactly width x height points holding the picture.
// `pixels` are width*height BGRA pixels. An empty `path` means a new temporary
// file. Returns the path written. Throws exceptionex on failure.
std::wstring image_to_pdf(const unsigned char* pixels, uint32_t width, uint32_t height, const std::wstring& path);
