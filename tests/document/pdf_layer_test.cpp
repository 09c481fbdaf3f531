// The PDF layer: opening, rendering, saving and reading signatures, judged
// against the corpus and against pdfsig, qpdf and mutool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <thread>

#include "document/pdf_layer.h"
#include "document/pdf_layer_mupdf.h"
#include "support/test_support.h"
#include "tests/document/pdf_test_util.h"

namespace fs = std::filesystem;
using namespace testsupport;
using pdftest::build_pdf;
using pdftest::stream_obj;

namespace {

std::vector<std::string> corpus_pdfs() {
    std::vector<std::string> files;
    for (const char* dir : {"pyhanko", "dss"})
        for (auto& e : fs::directory_iterator(corpus_dir() + "/" + dir))
            if (e.path().extension() == ".pdf") files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

const char* password_for(const std::string& path) {
    return path.find("aes256") != std::string::npos ? "usersecret" : "";
}

// Counts the pixels that differ from the first one.
size_t non_uniform_pixels(FPDF_BITMAP bmp) {
    auto* p = static_cast<const uint32_t*>(FPDFBitmap_GetBuffer(bmp));
    size_t n = static_cast<size_t>(FPDFBitmap_GetWidth(bmp)) * FPDFBitmap_GetHeight(bmp), diff = 0;
    for (size_t i = 1; i < n; ++i) diff += p[i] != p[0];
    return diff;
}

FPDF_BITMAP render_first_page(FPDF_DOCUMENT doc, int w, int h, FPDF_DWORD background) {
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    if (!page) return nullptr;
    FPDF_BITMAP bmp = FPDFBitmap_Create(w, h, FPDFPage_HasTransparency(page));
    FPDFBitmap_FillRect(bmp, 0, 0, w, h, background);
    FPDF_RenderPageBitmap(bmp, page, 0, 0, w, h, 0, FPDF_ANNOT);
    FPDF_ClosePage(page);
    return bmp;
}

}  // namespace

TEST(PdfLayer, EveryCorpusPdfOpensAndRendersSomething) {
    REQUIRE_CORPUS();
    auto files = corpus_pdfs();
    ASSERT_GE(files.size(), 14u);
    for (const auto& f : files) {
        SCOPED_TRACE(f);
        FPDF_DOCUMENT doc = FPDF_LoadDocument(f.c_str(), password_for(f));
        ASSERT_NE(doc, nullptr) << FPDF_GetLastErrorText();
        EXPECT_GE(FPDF_GetPageCount(doc), 1);
        FPDF_PAGE page = FPDF_LoadPage(doc, 0);
        ASSERT_NE(page, nullptr);
        EXPECT_GT(FPDF_GetPageWidthF(page), 0);
        EXPECT_GT(FPDF_GetPageHeightF(page), 0);
        FPDF_ClosePage(page);
        FPDF_BITMAP bmp = render_first_page(doc, 200, 260, 0xFFFFFFFF);
        ASSERT_NE(bmp, nullptr);
        EXPECT_GT(non_uniform_pixels(bmp), 20u) << "blank render";
        FPDFBitmap_Destroy(bmp);
        FPDF_CloseDocument(doc);
    }
}

TEST(PdfLayer, LoadErrors) {
    scratch_dir dir;
    EXPECT_EQ(FPDF_LoadDocument(dir.file("missing.pdf").c_str(), ""), nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_FILE);

    write_file(dir.file("text.pdf"), "this is plain text, not a PDF\n");
    EXPECT_EQ(FPDF_LoadDocument(dir.file("text.pdf").c_str(), ""), nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_FORMAT);

    // A user password: the empty password must not open it.
    std::string src = write_minimal_pdf(dir.file("minimal.pdf"));
    auto r = run_command("qpdf --encrypt secret owner 256 -- " + shell_quote(src) + " " +
                         shell_quote(dir.file("locked.pdf")));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(FPDF_LoadDocument(dir.file("locked.pdf").c_str(), ""), nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_PASSWORD);
    EXPECT_EQ(FPDF_LoadDocument(dir.file("locked.pdf").c_str(), "wrong"), nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_PASSWORD);
    FPDF_DOCUMENT doc = FPDF_LoadDocument(dir.file("locked.pdf").c_str(), "secret");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_SUCCESS);
    EXPECT_EQ(FPDF_GetPageCount(doc), 1);
    FPDF_CloseDocument(doc);

    // Encrypted with an owner password only: it opens without a password.
    r = run_command("qpdf --encrypt '' owner 256 -- " + shell_quote(src) + " " + shell_quote(dir.file("owner.pdf")));
    ASSERT_EQ(r.status, 0) << r.output;
    doc = FPDF_LoadDocument(dir.file("owner.pdf").c_str(), "");
    ASSERT_NE(doc, nullptr) << FPDF_GetLastErrorText();
    EXPECT_EQ(FPDF_GetPageCount(doc), 1);
    FPDF_CloseDocument(doc);

    // From memory, the same bytes open the same way.
    std::string bytes = read_file(src);
    doc = FPDF_LoadMemDocument(bytes.data(), static_cast<int>(bytes.size()), nullptr);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(FPDF_LoadPage(doc, 1), nullptr);
    EXPECT_EQ(FPDF_GetLastError(), FPDF_ERR_PAGE);
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, RenderBackgroundIsOpaqueAndPageFillsTheBitmap) {
    // A page with a black square in its lower-left quarter.
    std::string pdf = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>",
        stream_obj("", "0 0 0 rg 0 0 100 50 re f"),
    });
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument(pdf.data(), static_cast<int>(pdf.size()), "");
    ASSERT_NE(doc, nullptr);
    // The stored background colour has alpha 0: the result is still opaque.
    FPDF_BITMAP bmp = render_first_page(doc, 200, 100, 0x00336699);
    ASSERT_NE(bmp, nullptr);
    auto* px = static_cast<const unsigned char*>(FPDFBitmap_GetBuffer(bmp));
    auto at = [&](int x, int y) { return px + (static_cast<size_t>(y) * 200 + x) * 4; };
    for (int i = 0; i < 200 * 100; ++i) ASSERT_EQ(px[i * 4 + 3], 255) << "pixel " << i;
    // Upper right: background in B, G, R order; lower left: black.
    EXPECT_EQ(at(150, 20)[0], 0x99);
    EXPECT_EQ(at(150, 20)[1], 0x66);
    EXPECT_EQ(at(150, 20)[2], 0x33);
    EXPECT_EQ(at(20, 80)[0], 0);
    EXPECT_EQ(at(20, 80)[2], 0);
    FPDFBitmap_Destroy(bmp);

    // Rotated a quarter turn, the square lands in the upper-left quarter.
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    bmp = FPDFBitmap_Create(100, 200, 0);
    FPDFBitmap_FillRect(bmp, 0, 0, 100, 200, 0xFFFFFFFF);
    FPDF_RenderPageBitmap(bmp, page, 0, 0, 100, 200, 1, 0);
    px = static_cast<const unsigned char*>(FPDFBitmap_GetBuffer(bmp));
    EXPECT_EQ(px[(20 * 100 + 20) * 4], 0);
    EXPECT_EQ(px[(150 * 100 + 80) * 4], 255);
    FPDFBitmap_Destroy(bmp);
    FPDF_ClosePage(page);
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, PageRotationIsInherited) {
    std::string pdf = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Rotate 90 /MediaBox [0 0 200 100] >>",
        "<< /Type /Page /Parent 2 0 R >>",
        "<< /Type /Page /Parent 2 0 R /Rotate -90 >>",
    });
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument(pdf.data(), static_cast<int>(pdf.size()), "");
    ASSERT_NE(doc, nullptr);
    FPDF_PAGE p0 = FPDF_LoadPage(doc, 0), p1 = FPDF_LoadPage(doc, 1);
    EXPECT_EQ(FPDFPage_GetRotation(p0), 1);
    EXPECT_EQ(FPDFPage_GetRotation(p1), 3);
    // The displayed size is the turned one.
    EXPECT_FLOAT_EQ(FPDF_GetPageWidthF(p0), 100);
    EXPECT_FLOAT_EQ(FPDF_GetPageHeightF(p0), 200);
    FPDF_ClosePage(p0);
    FPDF_ClosePage(p1);
    FPDF_CloseDocument(doc);
}

namespace {

struct string_writer : FPDF_FILEWRITE {
    std::string data;
    string_writer() {
        version = 1;
        WriteBlock = [](FPDF_FILEWRITE* self, const void* p, unsigned long n) -> int {
            static_cast<string_writer*>(self)->data.append(static_cast<const char*>(p), n);
            return 1;
        };
    }
};

}  // namespace

TEST(PdfLayer, SavingFullAndIncremental) {
    scratch_dir dir;
    std::string src = write_minimal_pdf(dir.file("minimal.pdf"));
    std::string bytes = read_file(src);
    FPDF_DOCUMENT doc = FPDF_LoadDocument(src.c_str(), "");
    ASSERT_NE(doc, nullptr);
    string_writer full, inc;
    ASSERT_TRUE(FPDF_SaveAsCopy(doc, &full, FPDF_NO_INCREMENTAL));
    ASSERT_TRUE(FPDF_SaveAsCopy(doc, &inc, FPDF_INCREMENTAL));
    FPDF_CloseDocument(doc);
    write_file(dir.file("full.pdf"), full.data);
    auto r = run_command("qpdf --check " + shell_quote(dir.file("full.pdf")));
    EXPECT_EQ(r.status, 0) << r.output;
    // Nothing changed: the incremental save is the source itself, or the
    // source followed by an update.
    ASSERT_GE(inc.data.size(), bytes.size());
    EXPECT_EQ(inc.data.compare(0, bytes.size(), bytes), 0);
}

// A document reads its file as it needs it, through the file it opened: a
// rename that replaces the file on disk (signing in place) leaves it intact,
// and its incremental save still starts with the bytes it was opened from.
TEST(PdfLayer, OpenFileSurvivesReplacementByRename) {
    scratch_dir dir;
    const std::string path = dir.file("open.pdf");
    std::string original = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Rotate 90 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] >>",
    });
    write_file(path, original);
    FPDF_DOCUMENT doc = FPDF_LoadDocument(path.c_str(), "");
    ASSERT_NE(doc, nullptr);
    write_file(dir.file("other.pdf"), build_pdf({
                                          "<< /Type /Catalog /Pages 2 0 R >>",
                                          "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                          "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 50 50] >>",
                                      }));
    ASSERT_EQ(std::rename(dir.file("other.pdf").c_str(), path.c_str()), 0);

    EXPECT_EQ(FPDF_GetPageCount(doc), 2);
    FPDF_PAGE page = FPDF_LoadPage(doc, 1);
    ASSERT_NE(page, nullptr);
    EXPECT_FLOAT_EQ(FPDF_GetPageWidthF(page), 300);
    FPDF_ClosePage(page);
    page = FPDF_LoadPage(doc, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(FPDFPage_GetRotation(page), 1);
    FPDF_ClosePage(page);
    string_writer inc;
    ASSERT_TRUE(FPDF_SaveAsCopy(doc, &inc, FPDF_INCREMENTAL));
    ASSERT_GE(inc.data.size(), original.size());
    EXPECT_EQ(inc.data.compare(0, original.size(), original), 0);
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, RepairedFileIsNotSavedIncrementally) {
    std::string pdf = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>",
    });
    // Break the cross-reference offset.
    size_t at = pdf.rfind("startxref\n") + 10;
    pdf.replace(at, pdf.find('\n', at) - at, "12");
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument(pdf.data(), static_cast<int>(pdf.size()), "");
    ASSERT_NE(doc, nullptr);
    string_writer w;
    EXPECT_FALSE(FPDF_SaveAsCopy(doc, &w, FPDF_INCREMENTAL));
    EXPECT_NE(std::string(FPDF_GetLastErrorText()).find("repaired"), std::string::npos);
    EXPECT_TRUE(w.data.empty());
    // A full save still works.
    EXPECT_TRUE(FPDF_SaveAsCopy(doc, &w, FPDF_NO_INCREMENTAL));
    FPDF_CloseDocument(doc);
}

// Two documents open side by side whose pages name alike fonts written
// inline: rendering one leaves the other's tables as they were. (MuPDF 1.21
// compares such keys of its shared store by looking up the object numbers of
// the one document in the tables of the other, writing past their end.)
TEST(PdfLayer, DocumentsOpenSideBySideKeepTheirTables) {
    auto page_after = [](int fillers) {
        std::vector<std::string> objs = {
            "<< /Type /Catalog /Pages 2 0 R >>",
            "<< /Type /Pages /Kids [" + std::to_string(fillers + 4) + " 0 R] /Count 1 >>",
            stream_obj("", "BT /F1 40 Tf 10 30 Td (Hello) Tj ET"),
        };
        for (int i = 0; i < fillers; ++i) objs.push_back("<< /Filler " + std::to_string(i) + " >>");
        objs.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 3 0 R /Resources "
                       "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> >>");
        return build_pdf(objs);
    };
    const std::string small = page_after(0), large = page_after(60);
    FPDF_DOCUMENT a = FPDF_LoadMemDocument(small.data(), static_cast<int>(small.size()), "");
    FPDF_DOCUMENT b = FPDF_LoadMemDocument(large.data(), static_cast<int>(large.size()), "");
    ASSERT_TRUE(a && b);
    auto xref_len = [](FPDF_DOCUMENT doc) {
        PDF_LAYER_GUARD;
        return pdf_xref_len(pdf_layer_context(), pdf_layer_document(doc));
    };
    const int small_len = xref_len(a), large_len = xref_len(b);
    for (FPDF_DOCUMENT doc : {a, b, a, b}) {
        FPDF_BITMAP bmp = render_first_page(doc, 200, 100, 0xFFFFFFFF);
        EXPECT_GT(non_uniform_pixels(bmp), 0u);
        FPDFBitmap_Destroy(bmp);
    }
    EXPECT_EQ(xref_len(a), small_len);
    EXPECT_EQ(xref_len(b), large_len);
    FPDF_CloseDocument(b);
    FPDF_CloseDocument(a);
}

TEST(PdfLayer, ThreadsOpenAndRenderAtTheSameTime) {
    scratch_dir dir;
    auto files = corpus_available() ? corpus_pdfs() : std::vector<std::string>{};
    for (int i = 0; files.size() < 12; ++i)
        files.push_back(write_minimal_pdf(dir.file("m" + std::to_string(i) + ".pdf"), 1 + i % 3));
    std::vector<std::thread> threads;
    std::vector<int> ok(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            int good = 0;
            for (size_t i = t; i < files.size(); i += 2) {
                FPDF_DOCUMENT doc = FPDF_LoadDocument(files[i].c_str(), password_for(files[i]));
                if (!doc) continue;
                FPDF_BITMAP bmp = render_first_page(doc, 100, 130, 0xFFFFFFFF);
                good += bmp && non_uniform_pixels(bmp) > 0;
                FPDFBitmap_Destroy(bmp);
                FPDF_GetSignatureCount(doc);
                FPDF_CloseDocument(doc);
            }
            ok[t] = good;
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(ok[t], static_cast<int>((files.size() - t + 1) / 2)) << t;
}

// ---- signatures of the corpus, against pdfsig --------------------------------------

namespace {

struct pdfsig_entry {
    std::string type;
    std::vector<long long> ranges;
};

std::vector<pdfsig_entry> pdfsig_of(const std::string& path) {
    auto r = run_command("pdfsig -nocert -no-ocsp " + shell_quote(path));
    std::vector<pdfsig_entry> out;
    std::istringstream in(r.output);
    std::string line;
    std::regex type_re(R"(Signature Type: (\S+))"), range_re(R"(\[(\d+) - (\d+)\])");
    while (std::getline(in, line)) {
        std::smatch m;
        if (line.find("Signature #") == 0) out.emplace_back();
        if (out.empty()) continue;
        if (std::regex_search(line, m, type_re)) out.back().type = m[1];
        if (line.find("Signed Ranges") != std::string::npos) {
            for (std::sregex_iterator it(line.begin(), line.end(), range_re), end; it != end; ++it) {
                long long a = std::stoll((*it)[1]), b = std::stoll((*it)[2]);
                out.back().ranges.push_back(a);
                out.back().ranges.push_back(b - a);
            }
        }
    }
    return out;
}

}  // namespace

TEST(PdfLayer, CorpusSignaturesReadAsPdfsigSays) {
    REQUIRE_CORPUS();
    int checked = 0;
    for (const auto& f : corpus_pdfs()) {
        SCOPED_TRACE(f);
        auto expected = pdfsig_of(f);
        FPDF_DOCUMENT doc = FPDF_LoadDocument(f.c_str(), password_for(f));
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(FPDF_GetSignatureCount(doc), static_cast<int>(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            FPDF_SIGNATURE sig = FPDF_GetSignatureObject(doc, static_cast<int>(i));
            ASSERT_NE(sig, nullptr);
            std::string sub = pdftest::read_bytes(FPDFSignatureObj_GetSubFilter, sig);
            // pdfsig names the document time stamps "unknown".
            EXPECT_EQ(sub, expected[i].type == "unknown" ? "ETSI.RFC3161" : expected[i].type);
            EXPECT_EQ(pdftest::read_bytes(FPDFSignatureObj_GetFilter, sig).rfind("Adobe.PPK", 0), 0u);
            int n = FPDFSignatureObj_GetByteRange(sig, nullptr, 0);
            ASSERT_EQ(n, 4);
            int br[4];
            ASSERT_EQ(FPDFSignatureObj_GetByteRange(sig, br, 4), 4);
            EXPECT_EQ(std::vector<long long>(br, br + 4), expected[i].ranges);
            // /Contents fills the gap between the ranges as hex: 2 digits a byte and "<>".
            unsigned long clen = FPDFSignatureObj_GetContents(sig, nullptr, 0);
            EXPECT_EQ(static_cast<long long>(clen) * 2 + 2, static_cast<long long>(br[2]) - br[1]);
            std::vector<unsigned char> contents(clen);
            EXPECT_EQ(FPDFSignatureObj_GetContents(sig, contents.data(), clen), clen);
            EXPECT_EQ(contents[0], 0x30) << "a DER SEQUENCE";
            // A too short buffer is left alone but the length is still told.
            char small[2] = {'x', 'x'};
            EXPECT_EQ(FPDFSignatureObj_GetSubFilter(sig, small, 2), sub.size() + 1);
            EXPECT_EQ(small[0], 'x');
            EXPECT_GE(FPDFSignatureObj_GetPageIndex(doc, sig), 0);
            ++checked;
        }
        FPDF_CloseDocument(doc);
    }
    EXPECT_GE(checked, 15);
}

TEST(PdfLayer, CertifiedCorpusPdfHasItsDocMdpPermission) {
    REQUIRE_CORPUS();
    std::string f = corpus_dir() + "/pyhanko/certified-with-indirect-refs-in-dir.pdf";
    auto r = run_command("mutool show " + shell_quote(f) + " trailer/Root/Perms/DocMDP/Reference/1/TransformParams/P");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.output, m, std::regex(R"(^(\d))"))) << r.output;
    FPDF_DOCUMENT doc = FPDF_LoadDocument(f.c_str(), "");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(FPDFSignatureObj_GetDocMDPPermission(FPDF_GetSignatureObject(doc, 0)),
              static_cast<unsigned>(std::stoi(m[1])));
    FPDF_CloseDocument(doc);
    // A plain signature has none.
    f = corpus_dir() + "/pyhanko/sig-no-signed-attrs.pdf";
    doc = FPDF_LoadDocument(f.c_str(), "");
    EXPECT_EQ(FPDFSignatureObj_GetDocMDPPermission(FPDF_GetSignatureObject(doc, 0)), 0u);
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, CorpusVriEntriesHoldNoOcspAsMutoolShows) {
    REQUIRE_CORPUS();
    // test-with-vri.pdf has three /VRI entries with CRLs only; pades-ltv.pdf
    // keeps its OCSP responses in /DSS /OCSPs without /VRI.
    std::string f = corpus_dir() + "/dss/test-with-vri.pdf";
    auto r = run_command("mutool show " + shell_quote(f) + " trailer/Root/DSS/VRI");
    std::regex key_re(R"(/([0-9A-F]{40}))");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(r.output.begin(), r.output.end(), key_re), end; it != end; ++it)
        keys.push_back((*it)[1]);
    ASSERT_EQ(keys.size(), 3u) << r.output;
    FPDF_DOCUMENT doc = FPDF_LoadDocument(f.c_str(), "");
    ASSERT_NE(doc, nullptr);
    for (const auto& k : keys) {
        auto shown = run_command("mutool show " + shell_quote(f) + " trailer/Root/DSS/VRI/" + k);
        int expected = shown.output.find("/OCSP") == std::string::npos ? 0 : -1;
        EXPECT_EQ(FPDF_GetVRIOCSPCount(doc, k.c_str()), expected) << k;
    }
    char buf[16];
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, keys[0].c_str(), 0, buf, sizeof buf), 0u);
    FPDF_CloseDocument(doc);

    f = corpus_dir() + "/dss/pades-ltv.pdf";
    doc = FPDF_LoadDocument(f.c_str(), "");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(FPDF_GetVRIOCSPCount(doc, "4035D3F8303D51E5768DA9F47811C4B91AF19C0D"), 0);
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, VriOcspResponsesAndBufferRules) {
    const std::string key = "0123456789ABCDEF0123456789ABCDEF01234567";
    std::string small(300, 'a'), big(5000, 'b');
    std::string pdf = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R /DSS << /VRI << /" + key + " << /OCSP [4 0 R 5 0 R 6 0 R 7 0 R] >> >> >> >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>",
        stream_obj("", small),
        stream_obj("", big),
        stream_obj("", ""),
        "(not a stream)",
    });
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument(pdf.data(), static_cast<int>(pdf.size()), "");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(FPDF_GetVRIOCSPCount(doc, key.c_str()), 4);
    EXPECT_EQ(FPDF_GetVRIOCSPCount(doc, "FFFF"), 0);
    std::vector<char> buf(4096);
    ASSERT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 0, buf.data(), 4096), 300u);
    EXPECT_EQ(std::string(buf.data(), 300), small);
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 1, buf.data(), 4096), 0u) << "5000 bytes do not fit 4096";
    buf.resize(5000);
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 1, buf.data(), 5000), 5000u);
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 2, buf.data(), 5000), 0u) << "empty";
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 3, buf.data(), 5000), 0u) << "not a stream";
    EXPECT_EQ(FPDF_GetVRIOCSP(doc, key.c_str(), 4, buf.data(), 5000), 0u) << "out of range";
    FPDF_CloseDocument(doc);
}

TEST(PdfLayer, HandMadeFieldsReadSafely) {
    // Field 5: no /P, on page 2 (index 1) whose /Rotate is inherited and
    // whose crop box starts at (10, 20); hostile /ByteRange values.
    // Field 6: nested under a parent field that gives /FT, with a /Cert array.
    std::string pdf = build_pdf({
        "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R 7 0 R] >> >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Rotate 270 /MediaBox [0 0 300 300] >>",
        "<< /Type /Page /Parent 2 0 R /Annots [6 0 R] >>",
        "<< /Type /Page /Parent 2 0 R /CropBox [10 20 290 290] /Annots [5 0 R] >>",
        "<< /FT /Sig /T (Plain) /Type /Annot /Subtype /Widget /Rect [10 70 60 120] "
        "/V << /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /ByteRange [0 -5 10 4294967296] "
        "/Contents <3082> /Reason (Fine) /M (D:20240101120000Z) >> /Lock << /Type /SigFieldLock /P 2 >> >>",
        "<< /Parent 7 0 R /T (Kid) /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R "
        "/V << /Cert [(one) (two) (three)] /ByteRange [0 1.5 3 4] /Reference [<< /TransformMethod /DocMDP >>] >> "
        "/Lock << /P 1 >> >>",
        "<< /FT /Sig /T (Parent) /Kids [6 0 R] >>",
    });
    FPDF_DOCUMENT doc = FPDF_LoadMemDocument(pdf.data(), static_cast<int>(pdf.size()), "");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(FPDF_GetSignatureCount(doc), 2);
    FPDF_SIGNATURE plain = FPDF_GetSignatureObject(doc, 0), kid = FPDF_GetSignatureObject(doc, 1);
    EXPECT_EQ(FPDF_GetSignatureObject(doc, 2), nullptr);

    EXPECT_EQ(FPDFSignatureObj_GetByteRange(plain, nullptr, 0), 0) << "negative and too large values";
    EXPECT_EQ(FPDFSignatureObj_GetByteRange(kid, nullptr, 0), 0) << "a real number";
    EXPECT_EQ(FPDFSignatureObj_GetPageIndex(doc, plain), 1);
    EXPECT_EQ(FPDFSignatureObj_GetPageRotation(plain), 270);
    FS_RECTF rc;
    FPDFSignatureObj_GetRect(plain, &rc);
    EXPECT_FLOAT_EQ(rc.left, 0);
    EXPECT_FLOAT_EQ(rc.bottom, 50);
    EXPECT_FLOAT_EQ(rc.right, 50);
    EXPECT_FLOAT_EQ(rc.top, 100);
    EXPECT_EQ(FPDFSignatureObj_IsLocked(plain), 0);
    EXPECT_EQ(FPDFSignatureObj_IsLocked(kid), 1);
    EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetReason, plain), "Fine");
    EXPECT_EQ(pdftest::read_bytes(FPDFSignatureObj_GetTime, plain), "D:20240101120000Z");
    EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetFieldName, kid), "Kid");
    EXPECT_EQ(FPDFSignatureObj_GetLocation(plain, nullptr, 0), 0u);
    EXPECT_EQ(FPDFSignatureObj_GetDocMDPPermission(kid), 2u) << "an absent /P means 2";
    EXPECT_EQ(FPDFSignatureObj_GetPageIndex(doc, kid), 0);

    EXPECT_EQ(FPDFSignatureObj_GetCertCount(plain), 0);
    EXPECT_EQ(FPDFSignatureObj_GetCertCount(kid), 3);
    unsigned char* cert = nullptr;
    ASSERT_EQ(FPDFSignatureObj_GetCert(kid, 1, &cert), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(cert), 3), "two");
    std::free(cert);
    EXPECT_EQ(FPDFSignatureObj_GetCert(kid, 3, &cert), 0u);
    EXPECT_EQ(cert, nullptr);
    FPDF_CloseDocument(doc);
}

// C++ code run inside fz_try through as_mupdf_error: an allocation failure
// reaches the fz_catch as a MuPDF memory error, and MuPDF's error stack stays
// balanced (more rounds than it has slots, then a plain error still lands in
// its own catch).
TEST(PdfLayer, CxxAllocationFailureInsideFzTryBecomesMupdfError) {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    ASSERT_NE(ctx, nullptr);
    volatile int caught = 0;
    for (int i = 0; i < 1000; ++i) {
        fz_try(ctx) { as_mupdf_error(ctx, [] { throw std::bad_alloc(); }); }
        fz_catch(ctx) {
            if (fz_caught(ctx) == FZ_ERROR_MEMORY && std::strcmp(fz_caught_message(ctx), "out of memory") == 0)
                caught = caught + 1;
        }
    }
    EXPECT_EQ(caught, 1000);
    volatile bool reached = false;
    fz_try(ctx) { fz_throw(ctx, FZ_ERROR_GENERIC, "plain"); }
    fz_catch(ctx) { reached = true; }
    EXPECT_TRUE(reached);
}
