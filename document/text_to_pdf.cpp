// Text documents laid out as PDF pages: fixed page size, margins and line
// height from the layout, one text object per line, lines broken at line ends
// and wrapped at the right margin.
//
// The content streams are written by hand with embedded CID TrueType fonts
// (Identity-H, glyph ids as codes), one per font used, so no fallback fonts
// creep in: the CJK font for CJK characters, a Latin font for the rest.
#include "document/pdf_conversion.h"
#include "document/mupdf_owned.h"
#include "document/pdf_layer_mupdf.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "app/exceptionex.h"

const char* const kTextFontPath = "/usr/share/fonts/truetype/arphic-gbsn00lp/gbsn00lp.ttf";
const char* const kLatinTextFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void fill_text_layout(text_layout& layout, const std::string& font_path, int style) {
    layout.page_width = 700;
    layout.page_height = 1000;
    layout.font_path = font_path;
    layout.latin_font_path = kLatinTextFontPath;
    switch (style) {
    case 2:
        layout.margin_divisor = 13;
        layout.font_size = 20;
        break;
    case 3:
        layout.margin_divisor = 10;
        layout.font_size = 25;
        break;
    default:
        layout.margin_divisor = 15;
        layout.font_size = 15;
        break;
    }
}

text_metrics compute_text_metrics(const text_layout& layout) {
    text_metrics m;
    uint32_t d = layout.margin_divisor ? layout.margin_divisor : 15;
    m.mx = layout.page_width / d;
    m.my = layout.page_height / d;
    m.lh = layout.font_size + layout.font_size / 2;
    m.usable_width = layout.page_width > 2 * m.mx ? layout.page_width - 2 * m.mx : 0;
    uint32_t usable_height = layout.page_height > 2 * m.my ? layout.page_height - 2 * m.my : 0;
    m.lines_per_page = m.lh ? usable_height / m.lh : 0;
    // A page always holds at least one line, else the layout would never advance.
    if (m.lines_per_page == 0) m.lines_per_page = 1;
    return m;
}

namespace {

// Each font file's bytes, read once and kept for the life of the process.
std::mutex font_cache_lock;
std::map<std::string, std::unique_ptr<const std::vector<unsigned char>>>* font_cache = nullptr;

const std::vector<unsigned char>* cached_font_bytes(const std::string& path) {
    std::lock_guard<std::mutex> guard(font_cache_lock);
    if (!font_cache) font_cache = new std::map<std::string, std::unique_ptr<const std::vector<unsigned char>>>();
    auto found = font_cache->find(path);
    if (found != font_cache->end()) return found->second.get();
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    auto bytes = std::make_unique<const std::vector<unsigned char>>(std::istreambuf_iterator<char>(in),
                                                                    std::istreambuf_iterator<char>());
    if (bytes->empty()) return nullptr;
    return font_cache->emplace(path, std::move(bytes)).first->second.get();
}

bool file_exists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Scripts written with the CJK font: Hangul Jamo, and everything from the
// CJK radicals on (ideographs, kana, CJK punctuation, full-width forms, the
// supplementary ideographs); fonts are still tried in turn when it lacks one.
bool prefers_cjk_font(wchar_t c) {
    const auto u = static_cast<uint32_t>(c);
    return (u >= 0x1100 && u <= 0x11FF) || (u >= 0x2E80 && u <= 0xD7FF) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFFEF) || u >= 0x20000;
}

// The glyph of `c` in `font`, 0 when it has none. MuPDF errors propagate.
int glyph_of(fz_context* ctx, const text_font& font, wchar_t c) {
    return font.font ? fz_encode_character(ctx, font.font, static_cast<int>(c)) : 0;
}

// Embeds the font in the document at its first use.
void use_font(fz_context* ctx, pdf_document* doc, text_font& font) {
    if (!font.font_ref) font.font_ref = pdf_add_cid_font(ctx, doc, font.font);
}

}  // namespace

bool load_text_font(fz_context* ctx, const std::string& font_path, text_font& out) {
    out.font = nullptr;
    out.font_ref = nullptr;
    if (!ctx || !file_exists(font_path)) return false;
    const std::vector<unsigned char>* bytes = cached_font_bytes(font_path);
    if (!bytes) return false;

    fz_buffer* buf = nullptr;
    fz_font* font = nullptr;
    volatile bool failed = false;
    char message[256] = "";
    fz_var(buf);
    fz_var(font);
    fz_try(ctx) {
        buf = fz_new_buffer_from_shared_data(ctx, bytes->data(), bytes->size());
        font = fz_new_font_from_buffer(ctx, nullptr, buf, 0, 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, buf);
    }
    fz_catch(ctx) {
        failed = true;
        snprintf(message, sizeof message, "%s", fz_caught_message(ctx));
        fz_drop_font(ctx, font);
        font = nullptr;
    }
    if (failed) throw_ex_fmt("%s(), load font failed, %s", "", message);
    out.font = font;
    return true;
}

void drop_text_font(fz_context* ctx, text_font& font) {
    if (font.font_ref) pdf_drop_obj(ctx, font.font_ref);
    if (font.font) fz_drop_font(ctx, font.font);
    font.font = nullptr;
    font.font_ref = nullptr;
}

text_glyph choose_text_glyph(fz_context* ctx, text_fonts& fonts, wchar_t c) {
    text_font* order[2] = {&fonts.latin, &fonts.cjk};
    if (prefers_cjk_font(c)) std::swap(order[0], order[1]);
    for (text_font* f : order)
        if (int gid = glyph_of(ctx, *f, c)) return {f, gid};
    // No font has it: a visible replacement, never a gap.
    for (wchar_t replacement : {wchar_t(0xFFFD), wchar_t('?')})
        for (text_font* f : {&fonts.latin, &fonts.cjk})
            if (int gid = glyph_of(ctx, *f, replacement)) return {f, gid};
    for (text_font* f : order)
        if (f->font) return {f, 0};
    return {};
}

float text_char_width(fz_context* ctx, text_fonts& fonts, uint32_t s, wchar_t c) {
    volatile float width = 0.0f;
    fz_try(ctx) {
        const text_glyph g = choose_text_glyph(ctx, fonts, c);
        if (g.font) width = fz_advance_glyph(ctx, g.font->font, g.gid, 0) * (float)s;
    }
    fz_catch(ctx) {
        width = 0.0f;
    }
    return width;
}

void append_line_char(std::wstring& buffer, wchar_t c) {
    if (c == L'\t')
        buffer.append(L"    ");
    else if (c == 0x2002 || c == 0x000C)
        buffer.push_back(L' ');
    else
        buffer.push_back(c);
}

void add_text_line(fz_context* ctx, pdf_document* doc, text_page& page, text_fonts& fonts, uint32_t s,
                   uint32_t x, uint32_t y, const std::wstring& text) {
    // Without a font no text object can be made.
    if ((!fonts.cjk.font && !fonts.latin.font) || !page.contents) return;
    fz_try(ctx) {
        fz_append_printf(ctx, page.contents, "BT\n0 0 0 rg\n1 0 0 1 %u %u Tm\n", x, y);
        // One run a font: each Tj goes on from where the one before ended.
        const text_font* current = nullptr;
        for (wchar_t c : text) {
            const text_glyph g = choose_text_glyph(ctx, fonts, c);
            if (!g.font) continue;
            if (g.font != current) {
                if (current) fz_append_string(ctx, page.contents, "> Tj\n");
                use_font(ctx, doc, *g.font);
                fz_append_printf(ctx, page.contents, "/%s %u Tf\n<", g.font->resource, s);
                current = g.font;
            }
            char hex[8];
            snprintf(hex, sizeof hex, "%04X", (unsigned)(g.gid & 0xFFFF));
            fz_append_string(ctx, page.contents, hex);
        }
        if (current) fz_append_string(ctx, page.contents, "> Tj\n");
        fz_append_string(ctx, page.contents, "ET\n");
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

namespace {

// The MuPDF error text of a layout ended by its stop flag.
const char kStoppedText[] = "stopped";

// Makes the finished page part of the document.
void finish_page(fz_context* ctx, pdf_document* doc, const text_layout& layout, const text_fonts& fonts,
                 text_page& page) {
    pdf_obj* resources = nullptr;
    pdf_obj* page_obj = nullptr;
    fz_var(resources);
    fz_var(page_obj);
    fz_try(ctx) {
        resources = pdf_new_dict(ctx, doc, 1);
        // The fonts lines have used so far.
        if (fonts.cjk.font_ref || fonts.latin.font_ref) {
            pdf_obj* dict = pdf_dict_put_dict(ctx, resources, PDF_NAME(Font), 2);
            for (const text_font* f : {&fonts.cjk, &fonts.latin})
                if (f->font_ref) pdf_dict_puts(ctx, dict, f->resource, f->font_ref);
        }
        fz_rect box = fz_make_rect(0, 0, (float)layout.page_width, (float)layout.page_height);
        page_obj = pdf_add_page(ctx, doc, box, 0, resources, page.contents);
        pdf_insert_page(ctx, doc, -1, page_obj);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, page_obj);
        pdf_drop_obj(ctx, resources);
        fz_drop_buffer(ctx, page.contents);
        page.contents = nullptr;
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
}

void new_page(fz_context* ctx, text_page& page) {
    page.contents = fz_new_buffer(ctx, 1024);
}

// The layout itself. A MuPDF error (or the stop flag) ends it with false and
// the error's text in `message`: it never leaves by longjmp, which would skip
// the line buffer's destructor.
bool lay_out_text(fz_context* ctx, pdf_document* doc, const text_layout& layout, text_fonts& f,
                  const std::wstring& text, char (&message)[256]) {
    const text_metrics m = compute_text_metrics(layout);
    const uint32_t s = layout.font_size;
    const std::atomic<bool>* const stop = layout.stop;
    uint32_t since_check = 0;
    text_page page;
    // C++ objects live outside the fz_try block: a MuPDF error unwinds by
    // longjmp. The buffer grows inside it only through as_mupdf_error.
    std::wstring buffer;
    fz_var(page);
    fz_try(ctx) {
        new_page(ctx, page);
        uint32_t i = 0;
        uint32_t w = 0;
        const size_t length = text.size();
        size_t k = 0;
        while (k < length) {
            // A few thousand characters take a few milliseconds.
            if (stop && ++since_check >= 4096) {
                since_check = 0;
                if (stop->load(std::memory_order_relaxed)) fz_throw(ctx, FZ_ERROR_GENERIC, "%s", kStoppedText);
            }
            wchar_t c = text[k];
            bool last = (k + 1 == length);
            if (i >= m.lines_per_page) {
                finish_page(ctx, doc, layout, f, page);
                new_page(ctx, page);
                i = 0;
            }
            if (!last && c == L'\r' && text[k + 1] == L'\n') {
                ++k;
                c = L'\n';
                last = (k + 1 == length);
            }
            if (c == L'\r' || c == L'\n') {
                if (!buffer.empty()) {
                    add_text_line(ctx, doc, page, f, s, m.mx, layout.page_height - i * m.lh - m.my, buffer);
                    buffer.clear();
                }
                w = 0;
                ++i;
                ++k;
                continue;
            }
            float sw = text_char_width(ctx, f, s, L' ');
            float cw;
            if (c == L'\t')
                cw = 4 * sw;
            else if (c == 0x2002)
                cw = 2 * sw;
            else
                cw = text_char_width(ctx, f, s, c);
            bool fits = (double)w + (double)cw <= (double)m.usable_width;
            if (fits && !last) {
                w = (uint32_t)(w + cw);
                as_mupdf_error(ctx, [&] { append_line_char(buffer, c); });
                ++k;
                continue;
            }
            if (fits && last) {
                as_mupdf_error(ctx, [&] { buffer.push_back(c); });
                add_text_line(ctx, doc, page, f, s, m.mx, layout.page_height - i * m.lh - m.my, buffer);
                buffer.clear();
                break;
            }
            if (buffer.empty()) {
                // Wider than the whole usable width: it would never fit on a
                // fresh line either, so it stands alone on this one.
                as_mupdf_error(ctx, [&] {
                    if (last)
                        buffer.push_back(c);
                    else
                        append_line_char(buffer, c);
                });
                add_text_line(ctx, doc, page, f, s, m.mx, layout.page_height - i * m.lh - m.my, buffer);
                buffer.clear();
                w = 0;
                ++i;
                ++k;
                continue;
            }
            add_text_line(ctx, doc, page, f, s, m.mx, layout.page_height - i * m.lh - m.my, buffer);
            buffer.clear();
            w = 0;
            ++i;
            // The same character starts the next line.
        }
        finish_page(ctx, doc, layout, f, page);
    }
    fz_catch(ctx) {
        fz_drop_buffer(ctx, page.contents);
        page.contents = nullptr;
        snprintf(message, sizeof message, "%s", fz_caught_message(ctx));
        return false;
    }
    return true;
}

}  // namespace

void lay_out_text_document(fz_context* ctx, pdf_document* doc, const text_layout& layout, const std::wstring& text) {
    text_fonts f;
    char message[256] = "";
    try {
        load_text_font(ctx, layout.font_path, f.cjk);
        load_text_font(ctx, layout.latin_font_path, f.latin);
    } catch (...) {
        drop_text_font(ctx, f.cjk);
        throw;
    }
    const bool failed = !lay_out_text(ctx, doc, layout, f, text, message);
    drop_text_font(ctx, f.cjk);
    drop_text_font(ctx, f.latin);
    if (failed && std::strcmp(message, kStoppedText) == 0) throw_ex_fmt("%s(), stopped", "");
    if (failed) throw_ex_fmt("%s(), text layout failed, %s", "", message);
}

FPDF_DOCUMENT text_to_pdf(const text_layout& layout, const std::wstring& text) {
    PDF_LAYER_GUARD;
    owned<fpdf_document_t__> doc(FPDF_CreateNewDocument());
    if (!doc) throw_ex_fmt("%s(), %s", "", FPDF_GetLastErrorText());
    lay_out_text_document(pdf_layer_context(), pdf_layer_document(doc.get()), layout, text);
    return doc.release();
}
