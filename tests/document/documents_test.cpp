// The document classes: opening, measuring, rendering and closing PDF, text
// and picture documents, and the file-type tests.
#include <gtest/gtest.h>
#include <wx/image.h>

#include <glob.h>
#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/doc_image.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "document/doc_test_util.h"
#include "document/doc_text.h"
#include "document/file_types.h"
#include "document/pdf_conversion.h"
#include "support/test_support.h"

using doctest::quote;
using doctest::run;

namespace {

// Captures what a document hands to the page view.
struct captured_upload {
    std::vector<unsigned char> rgba;
    int width = 0;
    int height = 0;
    int calls = 0;
};

class Documents : public ::testing::Test {
protected:
    doctest::temp_dir dir;
    captured_upload upload;

    void SetUp() override {
        static bool handlers = [] {
            wxInitAllImageHandlers();
            return true;
        }();
        (void)handlers;
        set_texture_uploader([this](gl_texture* t, const unsigned char* rgba, int w, int h) {
            upload.rgba.assign(rgba, rgba + (size_t)w * h * 4);
            upload.width = w;
            upload.height = h;
            ++upload.calls;
            t->width = w;
            t->height = h;
        });
    }
    void TearDown() override {
        set_texture_uploader(nullptr);
        doc_services().page_background_color = nullptr;
    }

    // A one-page PDF made by mutool from a content stream.
    std::string make_pdf(const std::string& name, const std::string& content, int w = 200, int h = 100,
                         int rotate = 0) {
        std::string src = dir.file(name + ".txt");
        std::string text = "%%MediaBox 0 0 " + std::to_string(w) + " " + std::to_string(h) + "\n";
        if (rotate) text += "%%Rotate " + std::to_string(rotate) + "\n";
        doctest::write_bytes(src, text + content);
        std::string pdf = dir.file(name + ".pdf");
        int status = -1;
        run("mutool create -o " + quote(pdf) + " " + quote(src) + " 2>&1", &status);
        EXPECT_EQ(status, 0);
        return pdf;
    }

    std::string load_error(doc_base& doc, const std::string& path) {
        try {
            doc.load(mb_to_wide(path));
        } catch (const std::exception& e) {
            return e.what();
        }
        return "loaded";
    }

    const unsigned char* pixel(int x, int y) { return &upload.rgba[((size_t)y * upload.width + x) * 4]; }
};

}  // namespace

TEST(FileTypes, ByExtensionInAnyCase) {
    struct row { const char* path; bool pdf, text, image, cert, supported; };
    const row rows[] = {
        {"/a/b.pdf", true, false, false, false, true},
        {"/a/B.PDF", true, false, false, false, true},
        {"x.Pdf", true, false, false, false, true},
        {"notes.txt", false, true, false, false, true},
        {"README.md", false, true, false, false, true},
        {"report.pdf.txt", false, true, false, false, true},
        {"photo.JPG", false, false, true, false, true},
        {"p.png", false, false, true, false, true},
        {"p.bmp", false, false, true, false, true},
        {"p.jpeg", false, false, false, false, false},
        {"ca.cer", false, false, false, true, false},
        {"ca.CRT", false, false, false, true, false},
        {"ca.pem", false, false, false, true, false},
        {"noextension", false, false, false, false, false},
        {"/dir.pdf/file", false, false, false, false, false},
        {"sig.asn", false, false, false, false, false},
    };
    for (const row& r : rows) {
        wxString p(r.path);
        EXPECT_EQ(is_pdf_file(p), r.pdf) << r.path;
        EXPECT_EQ(is_text_file(p), r.text) << r.path;
        EXPECT_EQ(is_image_file(p), r.image) << r.path;
        EXPECT_EQ(is_cert_file(p), r.cert) << r.path;
        EXPECT_EQ(is_supported_document(p), r.supported) << r.path;
    }
}

TEST_F(Documents, ReadTextFileEncodings) {
    const std::wstring expected = L"Zeichen \u7b7e\u540d \U0001F600";
    const std::string utf8 = "Zeichen \xe7\xad\xbe\xe5\x90\x8d \xf0\x9f\x98\x80";
    std::string le = "\xff\xfe", be = "\xfe\xff";
    for (wchar_t c : expected) {
        std::vector<unsigned> units;
        if (c > 0xFFFF) {
            units = {0xD800u + (((unsigned)c - 0x10000) >> 10), 0xDC00u + (((unsigned)c - 0x10000) & 0x3FF)};
        } else {
            units = {(unsigned)c};
        }
        for (unsigned u : units) {
            le += (char)(u & 0xFF);
            le += (char)(u >> 8);
            be += (char)(u >> 8);
            be += (char)(u & 0xFF);
        }
    }
    struct row { const char* name; std::string bytes; std::wstring text; };
    const row rows[] = {
        {"utf8", utf8, expected},
        {"utf8bom", "\xef\xbb\xbf" + utf8, expected},
        {"utf16le", le, expected},
        {"utf16be", be, expected},
        {"empty", "", L""},
        {"bom8", "\xef\xbb\xbf", L""},
        {"bomle", "\xff\xfe", L""},
        {"bombe", "\xfe\xff", L""},
        {"onebyte", "A", L"A"},
        {"crlf", "a\r\nb", L"a\r\nb"},
        {"stops at zero", std::string("ab\0cd", 5), L"ab"},
        // Not UTF-8: GB 18030, two- and four-byte characters alike.
        {"gbk", "\xc7\xa9\xc3\xfb", L"\u7b7e\u540d"},
        {"gb18030", "Zeichen \xc7\xa9\xc3\xfb \x94\x39\xfc\x36 \x81\x30\x8a\x31\xa2\xe3",
         L"Zeichen \u7b7e\u540d \U0001F600 \u00e4\u20ac"},
    };
    for (const row& r : rows) {
        std::string path = dir.file("t.txt");
        doctest::write_bytes(path, r.bytes);
        EXPECT_EQ(read_text_file(mb_to_wide(path)), r.text) << r.name;
    }
    EXPECT_EQ(read_text_file(mb_to_wide(dir.file("missing.txt"))), L"");
    // Bytes that are neither UTF-8 nor GB 18030 (a cut-off character, a
    // byte GB 18030 never uses, GB 18030 after a UTF-8 mark): the text does
    // not open.
    for (const std::string& bytes : {std::string("ab\xc7"), std::string("a\xff" "b"), std::string("\x81\x30\x8a"),
                                    std::string("\xef\xbb\xbf\xc7\xa9\xc3\xfb")}) {
        std::string bad = dir.file("bad.txt");
        doctest::write_bytes(bad, bytes);
        EXPECT_THROW(read_text_file(mb_to_wide(bad)), std::range_error) << bytes;
        doc_text doc;
        doc.set_text_layout(kTextFontPath, 1);
        EXPECT_NE(load_error(doc, bad), "loaded");
        EXPECT_FALSE(doc.loaded);
    }
}

// Reading and decoding a long text look at the stop question as they go, in
// every encoding: asked once a megabyte while reading, a stop asked for
// after the read ends the decoding too.
TEST_F(Documents, ReadTextFileStopsWhileDecoding) {
    const std::string line = "A line of text \xc7\xa9\xc3\xfb.\n";  // GB 18030, not UTF-8
    std::string gb;
    while (gb.size() < (size_t(7) << 19)) gb += line;  // 3.5 MB: four looks while reading
    std::string ascii(gb.size(), 'a'), le = "\xff\xfe", be = "\xfe\xff";
    le.append(gb.size(), 'a');
    be.append(gb.size(), 'b');
    for (const std::string* bytes : {&ascii, &le, &be, &gb}) {
        const std::string path = dir.file("long.txt");
        doctest::write_bytes(path, *bytes);
        EXPECT_GT(read_text_file(mb_to_wide(path)).size(), size_t(1) << 20);
        int looks = 0;
        try {
            read_text_file(mb_to_wide(path), [&looks] { return ++looks > 5; });
            ADD_FAILURE() << "decoding never looked at the stop question, " << bytes->substr(0, 2);
        } catch (const std::exception& ex) {
            EXPECT_STREQ(ex.what(), "(), stopped");
        }
        EXPECT_EQ(looks, 6);
    }
}

TEST_F(Documents, PdfLoadErrors) {
    std::string plain = make_pdf("plain", "0 0 1 rg 10 10 50 50 re f\n");
    std::string locked = dir.file("locked.pdf");
    int status = -1;
    run("qpdf --encrypt user owner 256 -- " + quote(plain) + " " + quote(locked) + " 2>&1", &status);
    ASSERT_EQ(status, 0);
    doc_pdfium a;
    EXPECT_EQ(load_error(a, locked), kEncryptedDocumentText);
    EXPECT_FALSE(a.loaded);
    EXPECT_EQ(a.page_count, 0);

    std::string fake = dir.file("fake.pdf");
    doctest::write_bytes(fake, "this is plain text, not a PDF at all\n");
    doc_pdfium b;
    EXPECT_EQ(load_error(b, fake), "(), not a pdf file");
    EXPECT_FALSE(b.loaded);

    doc_pdfium c;
    EXPECT_EQ(load_error(c, dir.file("missing.pdf")), "(), err: 2");

    // Only an owner password: opens.
    std::string owner_only = dir.file("owner.pdf");
    run("qpdf --encrypt '' owner 256 -- " + quote(plain) + " " + quote(owner_only) + " 2>&1", &status);
    doc_pdfium d;
    EXPECT_EQ(load_error(d, owner_only), "loaded");
    EXPECT_EQ(d.page_count, 1);
    // A name outside ASCII reaches the file system as UTF-8 whatever the locale.
    std::string named = dir.file("Pr\xC3\xBC" "fung-\xE6\x96\x87\xE6\xA1\xA3.pdf");
    doctest::write_bytes(named, doctest::read_bytes(plain));
    doc_pdfium e;
    EXPECT_NO_THROW(e.load(utf8_to_wide(named)));
    EXPECT_TRUE(e.loaded);
}

TEST_F(Documents, PdfRenderSizeRotationAndOpaqueBackground) {
    // Left half blue, right half untouched; a /Rotate 90 page as the second file.
    std::string pdf = make_pdf("page", "0 0 1 rg 0 0 100 100 re f\n");
    doc_pdfium doc;
    ASSERT_EQ(load_error(doc, pdf), "loaded");
    EXPECT_EQ(doc.page_count, 1);
    EXPECT_EQ(doc.rotation(), -1);  // no page yet
    int32_t w = -1, h = -1;
    doc.page_size(0, w, h);
    EXPECT_EQ(w, 200);
    EXPECT_EQ(h, 100);
    EXPECT_EQ(doc.rotation(), 0);

    // The stored colour has alpha 0; the page must still come out opaque.
    doc_services().page_background_color = [] { return 0x0000FF00u; };  // green, alpha 0
    gl_texture tex;
    doc.render(300, 150, &tex);
    ASSERT_EQ(upload.calls, 1);
    EXPECT_EQ(upload.width, 300);
    EXPECT_EQ(upload.height, 150);
    EXPECT_EQ(tex.width, 300);
    EXPECT_EQ(tex.height, 150);
    for (size_t p = 0; p < upload.rgba.size(); p += 4) ASSERT_EQ(upload.rgba[p + 3], 255) << p / 4;
    const unsigned char* left = pixel(20, 75);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(left[2], 255);  // blue, in RGBA order
    const unsigned char* right = pixel(280, 75);
    EXPECT_EQ(right[0], 0);
    EXPECT_EQ(right[1], 255);
    EXPECT_EQ(right[2], 0);

    doc.page_size(5, w, h);  // no such page
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(doc.rotation(), -1);
    doc.render(10, 10, &tex);  // nothing to draw
    EXPECT_EQ(upload.calls, 1);

    std::string turned = make_pdf("turned", "0 0 1 rg 0 0 100 100 re f\n", 200, 100, 90);
    doc_pdfium rdoc;
    ASSERT_EQ(load_error(rdoc, turned), "loaded");
    rdoc.page_size(0, w, h);
    EXPECT_EQ(rdoc.rotation(), 90);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 200);
}

TEST_F(Documents, TransparentPageStillRendersOpaque) {
    // A picture with a soft mask makes a page with transparency.
    std::vector<unsigned char> bgra = {0, 0, 255, 0, 0, 0, 255, 128};
    std::string pdf = wide_to_mb(image_to_pdf(bgra.data(), 2, 1, L""));
    doc_pdfium doc;
    ASSERT_EQ(load_error(doc, pdf), "loaded");
    int32_t w, h;
    doc.page_size(0, w, h);
    gl_texture tex;
    doc.render(40, 20, &tex);
    ASSERT_EQ(upload.calls, 1);
    for (size_t p = 0; p < upload.rgba.size(); p += 4) ASSERT_EQ(upload.rgba[p + 3], 255);
    // The fully transparent half shows the (white) background.
    EXPECT_EQ(pixel(5, 10)[1], 255);
    remove(pdf.c_str());
}

TEST_F(Documents, CloseIsIdempotent) {
    doc_pdfium never_loaded;
    never_loaded.close();
    never_loaded.close();
    std::string pdf = make_pdf("c", "");
    doc_pdfium doc;
    ASSERT_EQ(load_error(doc, pdf), "loaded");
    int32_t w, h;
    doc.page_size(0, w, h);
    doc.close();
    EXPECT_FALSE(doc.loaded);
    EXPECT_EQ(doc.page_count, 0);
    EXPECT_EQ(doc.pdf_doc, nullptr);
    EXPECT_EQ(doc.page, nullptr);
    EXPECT_EQ(doc.rotation(), -1);
    doc.close();
    // Usable for another load.
    EXPECT_EQ(load_error(doc, pdf), "loaded");
    EXPECT_EQ(doc.pdf_path(), mb_to_wide(pdf));
}

TEST_F(Documents, CorpusPdfsOpenAndRender) {
    REQUIRE_CORPUS();
    glob_t g;
    std::string pattern = testsupport::corpus_dir() + "/pyhanko/*.pdf";
    ASSERT_EQ(glob(pattern.c_str(), 0, nullptr, &g), 0);
    ASSERT_GT(g.gl_pathc, 0u);
    size_t locked = 0;
    for (size_t i = 0; i < g.gl_pathc; ++i) {
        std::string path = g.gl_pathv[i];
        doc_pdfium doc;
        // A file that needs a user password gives the password error instead
        // (qpdf --requires-password exits 0 for those).
        int needs_password = -1;
        run("qpdf --requires-password " + quote(path) + " 2>&1", &needs_password);
        if (needs_password == 0) {
            EXPECT_EQ(load_error(doc, path), kEncryptedDocumentText) << path;
            ++locked;
            continue;
        }
        ASSERT_EQ(load_error(doc, path), "loaded") << path;
        EXPECT_GE(doc.page_count, 1) << path;
        for (int32_t p = 0; p < doc.page_count; ++p) {
            int32_t w = 0, h = 0;
            doc.page_size(p, w, h);
            ASSERT_GT(w, 0) << path;
            ASSERT_GT(h, 0) << path;
            int before = upload.calls;
            gl_texture tex;
            doc.render(w / 2, h / 2, &tex);
            EXPECT_EQ(upload.calls, before + 1) << path;
            EXPECT_EQ(upload.width, w / 2);
            // Something is drawn on a white page: not every pixel is white.
            bool ink = false;
            for (size_t k = 0; k < upload.rgba.size() && !ink; k += 4)
                ink = upload.rgba[k] < 128 || upload.rgba[k + 1] < 128 || upload.rgba[k + 2] < 128;
            EXPECT_TRUE(ink) << path << " page " << p;
        }
    }
    EXPECT_LT(locked, g.gl_pathc / 2);
    globfree(&g);
}

TEST_F(Documents, TextDocumentLoadsRendersAndSaves) {
    std::string path = dir.file("notes.txt");
    std::string text;
    for (int n = 1; n <= 40; ++n) text += "line " + std::to_string(n) + "\r\n";
    doctest::write_bytes(path, "\xef\xbb\xbf" + text);
    std::string pdf;
    {
        doc_text doc;
        doc.set_text_layout(kTextFontPath, 1);
        EXPECT_EQ(doc.layout.font_size, 15u);
        ASSERT_EQ(load_error(doc, path), "loaded");
        EXPECT_EQ(doc.page_count, 2);
        EXPECT_TRUE(doc.path.empty());
        EXPECT_EQ(doc.text_path, mb_to_wide(path));
        int32_t w, h;
        doc.page_size(1, w, h);
        EXPECT_EQ(w, 700);
        EXPECT_EQ(h, 1000);
        gl_texture tex;
        doc.render(70, 100, &tex);
        EXPECT_EQ(upload.calls, 1);
        pdf = wide_to_mb(doc.pdf_path());
        std::string plain = run("pdftotext " + quote(pdf) + " - 2>/dev/null");
        EXPECT_NE(plain.find("line 40"), std::string::npos);
        int status = -1;
        run("qpdf --check " + quote(pdf) + " >/dev/null 2>&1", &status);
        EXPECT_EQ(status, 0);
        doc.close();
        struct stat st;
        EXPECT_NE(stat(pdf.c_str(), &st), 0) << "temporary PDF left behind";
    }
    // Empty file and a file holding only a byte-order mark: one blank page.
    for (std::string bytes : {std::string(), std::string("\xff\xfe")}) {
        doctest::write_bytes(path, bytes);
        doc_text doc;
        doc.set_text_layout(kTextFontPath, 9);
        EXPECT_EQ(doc.layout.margin_divisor, 15u);
        ASSERT_EQ(load_error(doc, path), "loaded");
        EXPECT_EQ(doc.page_count, 1);
    }
}

// A text document with Latin-1, the Euro sign and Chinese in one file, as
// UTF-8 and as GB 18030: the PDF made of it holds every character.
TEST_F(Documents, TextDocumentKeepsEveryCharacter) {
    const std::string text =
        "\u00e4 \u00f6 \u00c4 \u00d6 \u00dc \u00df \u00e7 \u00f1 \u2013 \u20ac\n"
        "\u7b7e\u540d\u6587\u6863 \u00a9 \u00bd \u00ff \u00e9t\u00e9 \u20ac 100\n";
    const std::string gb18030 =
        "\x81\x30\x8a\x31 \x81\x30\x8b\x32 \x81\x30\x87\x32 \x81\x30\x89\x30 \x81\x30\x89\x35 "
        "\x81\x30\x89\x38 \x81\x30\x8a\x34 \x81\x30\x8a\x39 \xa8\x43 \xa2\xe3\n"
        "\xc7\xa9\xc3\xfb\xce\xc4\xb5\xb5 \x81\x30\x84\x38 \x81\x30\x86\x35 \x81\x30\x8b\x37 "
        "\xa8\xa6t\xa8\xa6 \xa2\xe3 100\n";
    for (const auto& [name, bytes] : {std::pair("utf8", text), std::pair("gb18030", gb18030)}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(std::string(name) + ".txt");
        doctest::write_bytes(path, bytes);
        doc_text doc;
        doc.set_text_layout(kTextFontPath, 1);
        ASSERT_EQ(load_error(doc, path), "loaded");
        const std::string pdf = wide_to_mb(doc.pdf_path());
        EXPECT_EQ(doctest::extracted_text(pdf), text);
    }
}

// File names reach the file system as UTF-8 whatever the C locale is: a PDF,
// a text and a picture in a folder with a Chinese name open under "C" (as in a
// program that never called setlocale) and under a UTF-8 locale.
TEST_F(Documents, ChineseFolderAndFileNamesOpenUnderAnyLocale) {
    const testsupport::locale_restorer restore;
    for (const char* locale : {"C", "C.UTF-8"}) {
        SCOPED_TRACE(locale);
        ASSERT_NE(setlocale(LC_ALL, locale), nullptr);
        const std::string folder = dir.file(std::string("文档 ") + locale);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        const std::string pdf = folder + "/合同.pdf";
        ASSERT_EQ(rename(make_pdf("plain", "0 0 1 rg 10 10 50 50 re f\n").c_str(), pdf.c_str()), 0);
        const std::string txt = folder + "/说明.txt";
        doctest::write_bytes(txt, "line 1\r\n");
        const std::string png = folder + "/印章.png";
        int status = -1;
        run("convert -size 30x20 xc:red " + quote(png), &status);
        ASSERT_EQ(status, 0);

        doc_pdfium a;
        EXPECT_NO_THROW(a.load(utf8_to_wide(pdf)));
        EXPECT_EQ(a.page_count, 1);
        doc_text b;
        b.set_text_layout(kTextFontPath, 1);
        EXPECT_NO_THROW(b.load(utf8_to_wide(txt)));
        EXPECT_EQ(b.page_count, 1);
        doc_image c;
        EXPECT_NO_THROW(c.load(utf8_to_wide(png)));
        int32_t w = 0, h = 0;
        c.page_size(0, w, h);
        EXPECT_EQ(w, 30);
    }
}

TEST_F(Documents, ImageDocument) {
    std::string png = dir.file("pic.png");
    int status = -1;
    run("convert -size 30x20 xc:red " + quote(png), &status);
    ASSERT_EQ(status, 0);
    doc_image doc;
    int32_t w = -1, h = -1;
    doc.page_size(0, w, h);
    EXPECT_EQ(w, 0);
    ASSERT_EQ(load_error(doc, png), "loaded");
    EXPECT_EQ(doc.page_count, 1);
    EXPECT_EQ(doc.rotation(), 0);
    EXPECT_EQ(doc.new_field_name(), "Signature 1");
    EXPECT_FALSE(doc.field_exists(L"Signature1"));
    doc.page_size(3, w, h);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 20);
    gl_texture tex;
    doc.render(60, 40, &tex);
    ASSERT_EQ(upload.calls, 1);
    EXPECT_EQ(upload.width, 60);
    const unsigned char* p = pixel(30, 20);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[3], 255);

    std::string first = wide_to_mb(doc.pdf_path());
    std::string second = wide_to_mb(doc.pdf_path());
    EXPECT_NE(first, second);
    EXPECT_EQ(wide_to_mb(doc.converted_pdf), second);
    std::string list = run("pdfimages -list " + quote(second));
    EXPECT_NE(list.find("   30    20  rgb"), std::string::npos) << list;
    // Red stays red through the channel swaps.
    run("pdftoppm -r 72 -singlefile " + quote(second) + " " + quote(dir.file("img")));
    std::string ppm = doctest::read_bytes(dir.file("img.ppm"));
    ASSERT_GE(ppm.size(), 3u);
    EXPECT_EQ((unsigned char)ppm[ppm.size() - 3], 255);
    EXPECT_EQ((unsigned char)ppm[ppm.size() - 1], 0);
    remove(first.c_str());
    remove(second.c_str());
    doc.close();
    doc.close();
    EXPECT_FALSE(doc.loaded);

    std::string bad = dir.file("bad.png");
    doctest::write_bytes(bad, "not a picture");
    doc_image broken;
    EXPECT_EQ(load_error(broken, bad), "(), image is not supported");
    EXPECT_FALSE(broken.loaded);
}

TEST_F(Documents, SigningAndVerificationFailUntilWired) {
    // Other suites of this executable wire the services; this one needs them unwired.
    const document_services saved = doc_services();
    doc_services().verify_all_signatures = nullptr;
    doc_services().sign_with_pfx = nullptr;
    doc_services().sign_with_syscert = nullptr;
    doc_services().sign_doc_timestamp = nullptr;
    struct put_back {
        const document_services& services;
        ~put_back() { doc_services() = services; }
    } put_back_at_end{saved};
    doc_pdfium doc;
    auto text_of = [](auto fn) -> std::string {
        try {
            fn();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no failure";
    };
    EXPECT_EQ(text_of([&] { doc.sign_with_cloud(L"a", "h", "u", "p", L"b", nullptr); }), "(), not impl yet");
    EXPECT_NE(text_of([&] { doc.sign_with_pfx(L"a", "p.pfx", "pw", nullptr, L"b", nullptr); }).find("not available"),
              std::string::npos);
    EXPECT_NE(text_of([&] { doc.sign_with_syscert(L"a", "MY", L"i", L"s", "01", nullptr, L"b", nullptr); })
                  .find("not available"),
              std::string::npos);
    EXPECT_NE(text_of([&] { doc.sign_doc_timestamp(L"a", "http://127.0.0.1/", L"b", nullptr); }).find("not available"),
              std::string::npos);
    sigcheck_record* records = nullptr;
    int32_t count = 0;
    EXPECT_NE(text_of([&] { doc.collect_signatures(records, count); }).find("not available"), std::string::npos);
}
