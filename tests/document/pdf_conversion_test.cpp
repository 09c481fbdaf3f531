// Text and pictures turned into PDF, judged by poppler's tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <regex>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/doc_test_util.h"
#include "document/doc_pdfium.h"
#include "document/pdf_conversion.h"
#include "document/pdf_save_document.h"

using doctest::quote;
using doctest::run;

namespace {

struct word_box {
    double x_min, y_min, x_max, y_max;
    std::string text;
    int page;
};

// Words with their boxes as pdftotext -bbox sees them (y grows downwards).
std::vector<word_box> words_of(const std::string& pdf) {
    std::string html = run("pdftotext -bbox " + quote(pdf) + " - 2>/dev/null");
    std::vector<word_box> words;
    int page = 0;
    std::regex word_re(R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re");
    size_t pos = 0;
    while (pos < html.size()) {
        size_t next_page = html.find("<page ", pos);
        size_t next_word = html.find("<word ", pos);
        if (next_word == std::string::npos) break;
        if (next_page != std::string::npos && next_page < next_word) {
            ++page;
            pos = next_page + 1;
            continue;
        }
        size_t end = html.find("</word>", next_word);
        std::smatch m;
        std::string item = html.substr(next_word, end + 7 - next_word);
        if (std::regex_match(item, m, word_re))
            words.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5], page});
        pos = end + 1;
    }
    return words;
}

// True when the PDF baseline y (from the bottom of a 1000-point page) lies
// inside the word's box.
bool on_baseline(const word_box& w, double y) {
    double from_top = 1000.0 - y;
    return w.y_min < from_top && from_top <= w.y_max + 0.5;
}

int page_count_of(const std::string& pdf) {
    std::string info = run("pdfinfo " + quote(pdf) + " 2>/dev/null");
    std::smatch m;
    if (!std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))"))) return -1;
    return std::stoi(m[1]);
}

class TextToPdf : public ::testing::Test {
protected:
    doctest::temp_dir dir;

    // Lays the text out in a style and saves the document for the judges.
    std::string convert(const std::wstring& text, int style = 1, const text_layout* custom = nullptr) {
        text_layout layout;
        fill_text_layout(layout, kTextFontPath, style);
        if (custom) layout = *custom;
        FPDF_DOCUMENT doc = text_to_pdf(layout, text);
        std::string path = dir.file("t" + std::to_string(counter++) + ".pdf");
        save_pdf(utf8_to_wide(path), doc, false);
        FPDF_CloseDocument(doc);
        return path;
    }
    int counter = 0;
};

}  // namespace

TEST(TextLayout, StylesAndDerivedValues) {
    struct row { int style; uint32_t d, s, mx, my, lh, usable, lines; };
    const row rows[] = {
        {1, 15, 15, 46, 66, 22, 608, 39},
        {2, 13, 20, 53, 76, 30, 594, 28},
        {3, 10, 25, 70, 100, 37, 560, 21},
        {7, 15, 15, 46, 66, 22, 608, 39},
        {0, 15, 15, 46, 66, 22, 608, 39},
    };
    for (const row& r : rows) {
        text_layout layout;
        fill_text_layout(layout, "font.ttf", r.style);
        EXPECT_EQ(layout.page_width, 700u);
        EXPECT_EQ(layout.page_height, 1000u);
        EXPECT_EQ(layout.margin_divisor, r.d) << r.style;
        EXPECT_EQ(layout.font_size, r.s) << r.style;
        text_metrics m = compute_text_metrics(layout);
        EXPECT_EQ(m.mx, r.mx);
        EXPECT_EQ(m.my, r.my);
        EXPECT_EQ(m.lh, r.lh);
        EXPECT_EQ(m.usable_width, r.usable);
        EXPECT_EQ(m.lines_per_page, r.lines);
    }
}

TEST(TextLayout, LineCharReplacements) {
    std::wstring b;
    append_line_char(b, L'\t');
    append_line_char(b, 0x2002);
    append_line_char(b, 0x000C);
    append_line_char(b, L'x');
    EXPECT_EQ(b, L"      x");
}

TEST_F(TextToPdf, OneEmbeddedCidTrueTypeFontAndTextBack) {
    std::string pdf = convert(L"abc");
    std::string fonts = run("pdffonts " + quote(pdf));
    // Two header lines, then exactly one font line.
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < fonts.size()) {
        size_t nl = fonts.find('\n', start);
        lines.push_back(fonts.substr(start, nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    ASSERT_EQ(lines.size(), 3u) << fonts;
    EXPECT_NE(lines[2].find("CID TrueType"), std::string::npos) << fonts;
    EXPECT_NE(lines[2].find("Identity-H"), std::string::npos) << fonts;
    EXPECT_NE(lines[2].find(" yes "), std::string::npos) << fonts;  // embedded

    EXPECT_EQ(page_count_of(pdf), 1);
    auto words = words_of(pdf);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].text, "abc");
    EXPECT_NEAR(words[0].x_min, 46.0, 0.5);
    EXPECT_TRUE(on_baseline(words[0], 934));
    int status = 0;
    run("qpdf --check " + quote(pdf) + " >/dev/null 2>&1", &status);
    EXPECT_EQ(status, 0);
}

TEST_F(TextToPdf, LineEndsAndEmptyLines) {
    for (const wchar_t* text : {L"a\r\nb", L"a\nb", L"a\rb"}) {
        auto words = words_of(convert(text));
        ASSERT_EQ(words.size(), 2u);
        EXPECT_EQ(words[0].text, "a");
        EXPECT_EQ(words[1].text, "b");
        EXPECT_TRUE(on_baseline(words[0], 934));
        EXPECT_TRUE(on_baseline(words[1], 912));
    }
    auto words = words_of(convert(L"\n\nx"));
    ASSERT_EQ(words.size(), 1u);
    EXPECT_TRUE(on_baseline(words[0], 890));
    // Style 3: margins 70/100, line height 37.
    words = words_of(convert(L"p\nq", 3));
    ASSERT_EQ(words.size(), 2u);
    EXPECT_NEAR(words[0].x_min, 70.0, 0.5);
    EXPECT_TRUE(on_baseline(words[0], 900));
    EXPECT_TRUE(on_baseline(words[1], 863));
}

TEST_F(TextToPdf, FortyLinesGiveTwoPages) {
    std::wstring text;
    for (int n = 1; n <= 40; ++n) text += L"line" + std::to_wstring(n) + L"\n";
    std::string pdf = convert(text);
    EXPECT_EQ(page_count_of(pdf), 2);
    auto words = words_of(pdf);
    ASSERT_EQ(words.size(), 40u);
    EXPECT_EQ(words[38].text, "line39");
    EXPECT_EQ(words[38].page, 1);
    EXPECT_TRUE(on_baseline(words[38], 934 - 38 * 22));
    EXPECT_EQ(words[39].text, "line40");
    EXPECT_EQ(words[39].page, 2);
    EXPECT_TRUE(on_baseline(words[39], 934));
}

TEST_F(TextToPdf, EmptyTextGivesOneEmptyPage) {
    std::string pdf = convert(L"");
    EXPECT_EQ(page_count_of(pdf), 1);
    EXPECT_TRUE(words_of(pdf).empty());
}

TEST_F(TextToPdf, CjkTextWrapsAtTheRightMargin) {
    // Each CJK glyph of the font is one em (15 points): 40 fit in 608 points.
    std::wstring text(100, L'\u4e2d');
    std::string plain = run("pdftotext -layout " + quote(convert(text)) + " - 2>/dev/null");
    std::string utf8 = wide_to_mb(text);
    std::string one(utf8.substr(0, 3));
    std::vector<size_t> counts;
    size_t start = 0;
    while (start < plain.size()) {
        size_t nl = plain.find('\n', start);
        std::string line = plain.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        size_t c = 0;
        for (size_t p = line.find(one); p != std::string::npos; p = line.find(one, p + 3)) ++c;
        if (c) counts.push_back(c);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    EXPECT_EQ(counts, (std::vector<size_t>{40, 40, 20}));
}

TEST_F(TextToPdf, TextComesBackWhole) {
    std::wstring text = L"Velkorant \u7b7e\u540d \u6587\u6863\nsecond line\tend";
    std::string plain = run("pdftotext " + quote(convert(text)) + " - 2>/dev/null");
    EXPECT_NE(plain.find(wide_to_mb(L"Velkorant \u7b7e\u540d \u6587\u6863")), std::string::npos) << plain;
    EXPECT_NE(plain.find("second line"), std::string::npos) << plain;
}

TEST_F(TextToPdf, CharacterWiderThanTheLineStandsAlone) {
    // Usable width 26 points against a 40-point glyph: it can never fit.
    text_layout layout;
    fill_text_layout(layout, kTextFontPath, 1);
    layout.page_width = 30;
    layout.font_size = 40;
    std::string pdf = convert(L"\u4e2d\u6587x", 1, &layout);
    std::string plain = run("pdftotext " + quote(pdf) + " - 2>/dev/null");
    EXPECT_NE(plain.find(wide_to_mb(L"\u4e2d")), std::string::npos);
    EXPECT_NE(plain.find(wide_to_mb(L"\u6587")), std::string::npos);
    auto words = words_of(pdf);
    ASSERT_GE(words.size(), 2u);
    EXPECT_GT(words[1].y_min, words[0].y_min);  // on separate lines
}

TEST_F(TextToPdf, MissingFontsGiveEmptyPages) {
    text_layout layout;
    fill_text_layout(layout, dir.file("no-such-font.ttf"), 1);
    layout.latin_font_path = dir.file("no-such-latin-font.ttf");
    std::string pdf = convert(L"abc\ndef", 1, &layout);
    EXPECT_EQ(page_count_of(pdf), 1);
    EXPECT_TRUE(words_of(pdf).empty());
}

// Every character comes back, whichever font draws it: text extracted by
// MuPDF's own tool equals the text laid out (no tabs: they become spaces).
TEST_F(TextToPdf, EveryCharacterIsKeptWithAFontChosenPerCharacter) {
    const std::wstring latin = L"\u00e4 \u00f6 \u00c4 \u00d6 \u00dc \u00df \u00e7 \u00f1 \u2013 \u20ac";
    // All of Latin-1 but the soft hyphen (invisible by design), a line of
    // 48 characters each.
    std::wstring all_latin1;
    for (wchar_t c = 0xA1; c <= 0xFF; ++c) {
        if (c != 0xAD) all_latin1 += c;
        if (c == 0xCF) all_latin1 += L'\n';
    }
    const std::wstring text = latin + L"\n\u4e2d\u6587\u7b7e\u540d: " + latin + L" \u3002\uff01\n" + all_latin1 +
                              L"\nPlain ASCII 0123 ~!@#$%^&*()_+{}|:\"<>?\n\u00ab\u201cQuotes\u201d\u00bb \u2018x\u2019";
    const std::string pdf = convert(text);
    EXPECT_EQ(doctest::extracted_text(pdf), wide_to_utf8(text) + "\n");
    // Two fonts, each embedded once.
    const std::string fonts = run("pdffonts " + quote(pdf));
    EXPECT_NE(fonts.find("DejaVu Sans"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("CID TrueType"), std::string::npos) << fonts;
    EXPECT_EQ(std::count(fonts.begin(), fonts.end(), '\n'), 4) << fonts;
}

// A character no font has is drawn as a visible replacement, never dropped;
// without the CJK font its characters are replaced the same way.
TEST_F(TextToPdf, CharactersNoFontHasAreReplacedVisibly) {
    EXPECT_EQ(doctest::extracted_text(convert(L"a\U0010FFFDb\u0001c")), "a\uFFFDb\uFFFDc\n");
    text_layout layout;
    fill_text_layout(layout, dir.file("no-such-font.ttf"), 1);
    EXPECT_EQ(doctest::extracted_text(convert(L"x \u4e2d\u00e4", 1, &layout)), "x \uFFFD\u00e4\n");
}

// A long text is laid out for seconds: its stop flag ends the layout early
// (set before it starts, or while it runs), and the text and the library
// are usable afterwards.
TEST_F(TextToPdf, StopFlagEndsALongLayout) {
    std::wstring text;
    const std::wstring line = L"A line of a long text laid out as many pages.\n";
    text.reserve(line.size() * 200000);
    for (int i = 0; i < 200000; ++i) text += line;
    text_layout layout;
    fill_text_layout(layout, kTextFontPath, 1);
    std::atomic<bool> stop{true};
    layout.stop = &stop;
    for (bool before : {true, false}) {
        stop = before;
        std::thread stopper;
        if (!before)
            stopper = std::thread([&stop] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                stop = true;
            });
        try {
            FPDF_CloseDocument(text_to_pdf(layout, text));
            ADD_FAILURE() << "the layout ended without looking at the stop flag, before " << before;
        } catch (const std::exception& ex) {
            EXPECT_STREQ(ex.what(), "(), stopped") << before;
        }
        if (stopper.joinable()) stopper.join();
    }
    layout.stop = nullptr;
    EXPECT_EQ(page_count_of(convert(L"after the stop", 1, &layout)), 1);
}

TEST(ImageToPdf, PicturesKeepTheirSize) {
    doctest::temp_dir dir;
    struct size { uint32_t w, h; };
    for (size sz : {size{1, 1}, size{37, 21}}) {
        std::vector<unsigned char> bgra(sz.w * sz.h * 4, 0);
        for (size_t p = 0; p < (size_t)sz.w * sz.h; ++p) {
            bgra[p * 4 + 0] = 255;  // blue
            bgra[p * 4 + 3] = 255;
        }
        std::wstring path = image_to_pdf(bgra.data(), sz.w, sz.h, L"");
        std::string pdf = wide_to_mb(path);
        std::string list = run("pdfimages -list " + quote(pdf) + " 2>/dev/null");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(list, m, std::regex(R"(\n\s*1\s+0\s+image\s+(\d+)\s+(\d+)\s+rgb)"))) << list;
        EXPECT_EQ(std::stoul(m[1]), sz.w);
        EXPECT_EQ(std::stoul(m[2]), sz.h);
        std::string info = run("pdfinfo " + quote(pdf));
        EXPECT_NE(info.find("Page size:       " + std::to_string(sz.w) + " x " + std::to_string(sz.h) + " pts"),
                  std::string::npos) << info;
        // The colour comes out blue, not red.
        std::string ppm = dir.file("page");
        run("pdftoppm -r 72 -singlefile " + quote(pdf) + " " + quote(ppm));
        std::string bytes = doctest::read_bytes(ppm + ".ppm");
        ASSERT_GE(bytes.size(), 3u);
        std::string px = bytes.substr(bytes.size() - 3);
        EXPECT_EQ((unsigned char)px[0], 0);
        EXPECT_EQ((unsigned char)px[2], 255);
        remove(pdf.c_str());
    }
}

TEST(ImageToPdf, EveryCallWritesANewFileAndTransparencyIsKept) {
    std::vector<unsigned char> bgra = {0, 0, 255, 128, 0, 255, 0, 255};  // half-transparent red, green
    std::wstring a = image_to_pdf(bgra.data(), 2, 1, L"");
    std::wstring b = image_to_pdf(bgra.data(), 2, 1, L"");
    EXPECT_NE(a, b);
    std::string list = run("pdfimages -list " + quote(wide_to_mb(b)) + " 2>/dev/null");
    EXPECT_NE(list.find("smask"), std::string::npos) << list;
    // The colour samples are stored unpremultiplied: the red stays full red.
    doctest::temp_dir dir;
    run("pdfimages -png " + quote(wide_to_mb(b)) + " " + quote(dir.file("img")));
    std::string ppm = run("convert " + quote(dir.file("img-000.png")) + " -depth 8 rgb:- 2>/dev/null");
    ASSERT_EQ(ppm.size(), 6u);
    EXPECT_EQ((unsigned char)ppm[0], 255);
    EXPECT_EQ((unsigned char)ppm[1], 0);
    EXPECT_EQ((unsigned char)ppm[4], 255);
    remove(wide_to_mb(a).c_str());
    remove(wide_to_mb(b).c_str());
}
