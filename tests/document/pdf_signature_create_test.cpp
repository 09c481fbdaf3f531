// Creating a signature field and saving it incrementally, judged by qpdf,
// mutool, cmp and the layer's own getters.
#include <gtest/gtest.h>

#include <regex>

#include "document/pdf_layer.h"
#include "support/test_support.h"
#include "tests/document/pdf_test_util.h"

using namespace testsupport;

namespace {

const char kMarkerHex[] = "<56656C6B6F72616E74436F6E74656E74506F73";

struct field_request {
    std::string name = "Signature1";
    std::string reason = "Approved";
    std::string location = "Shenzhen";
    std::string contact = "me@example.com";
    std::string time = "D:20240102030405+08'00'";
    FS_RECTF rect{100, 200, 180, 150};  // left, top, right, bottom
    int pic_w = 4, pic_h = 3;
    bool picture = true;
    int certify = 0, lock = 0, permission = 0, timestamp_only = 0;
    int contents_size = 2048;
};

struct save_writer : FPDF_FILEWRITE {
    std::string data;
    save_writer() {
        version = 1;
        WriteBlock = [](FPDF_FILEWRITE* self, const void* p, unsigned long n) -> int {
            static_cast<save_writer*>(self)->data.append(static_cast<const char*>(p), n);
            return 1;
        };
    }
};

// Creates the field on page 0 of `src` and saves incrementally to `out`.
// Returns false when the creation fails.
bool create_and_save(const std::string& src, const std::string& out, const field_request& rq) {
    FPDF_DOCUMENT doc = FPDF_LoadDocument(src.c_str(), "");
    if (!doc) return false;
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    std::vector<unsigned char> pixels(static_cast<size_t>(std::max(rq.pic_w, 0)) * std::max(rq.pic_h, 0) * 4 + 4);
    for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
        pixels[i] = 0;        // B
        pixels[i + 1] = 0;    // G
        pixels[i + 2] = 255;  // R
        pixels[i + 3] = 255;  // A
    }
    FPDF_ANNOTATION annot = FPDFPage_CreateSignatureField(
        page, rq.name.c_str(), rq.reason.c_str(), rq.location.c_str(), rq.contact.c_str(), rq.time.c_str(),
        &rq.rect, rq.picture ? pixels.data() : nullptr, rq.pic_w, rq.pic_h, rq.certify, rq.lock, rq.permission,
        rq.timestamp_only, rq.contents_size);
    bool ok = annot != nullptr;
    FPDFPage_CloseAnnot(annot);
    FPDF_ClosePage(page);
    if (ok) {
        save_writer w;
        ok = FPDF_SaveAsCopy(doc, &w, FPDF_INCREMENTAL);
        write_file(out, w.data);
    }
    FPDF_CloseDocument(doc);
    return ok;
}

std::string show(const std::string& file, const std::string& what) {
    return run_command("mutool show " + shell_quote(file) + " " + what).output;
}

// The object number of "/Key N 0 R" in a shown object, -1 when absent.
int ref_of(const std::string& shown, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(shown, m, std::regex("/" + key + R"(\s+(\d+) 0 R)"))) return -1;
    return std::stoi(m[1]);
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The last field of the form (the new one) as mutool shows it; its number in *num.
std::string new_field(const std::string& file, int* num) {
    std::string fields = show(file, "trailer/Root/AcroForm/Fields");
    std::smatch m;
    std::string last;
    std::regex ref_re(R"((\d+) 0 R)");
    for (std::sregex_iterator it(fields.begin(), fields.end(), ref_re), end; it != end; ++it)
        last = (*it)[1];
    *num = last.empty() ? -1 : std::stoi(last);
    return last.empty() ? "" : show(file, last);
}

// Checks shared by every created field: the saved file is sound, the source
// is its unchanged prefix, the placeholders have the forms the signing flow
// relies on.
void expect_sound_incremental_save(const std::string& src, const std::string& out, int contents_size) {
    auto check = run_command("qpdf --check " + shell_quote(out));
    EXPECT_EQ(check.status, 0) << check.output;
    auto cmp = run_command("cmp -n $(stat -c %s " + shell_quote(src) + ") " + shell_quote(src) + " " +
                           shell_quote(out));
    EXPECT_EQ(cmp.status, 0) << cmp.output;
    std::string bytes = read_file(out);
    size_t p = bytes.rfind(kMarkerHex);
    ASSERT_NE(p, std::string::npos);
    size_t close = bytes.find('>', p);
    EXPECT_EQ(close - p - 1, static_cast<size_t>(contents_size) * 2) << "hex digits of /Contents";
    EXPECT_EQ(bytes.find_first_not_of('0', p + 39), close) << "zero bytes after the marker";
    EXPECT_TRUE(has(bytes, "/ByteRange[1000000000 1000000000 1000000000 1000000000]"));
    EXPECT_EQ(bytes.compare(bytes.size() - 6, 6, "%%EOF\n"), 0);
}

}  // namespace

TEST(SignatureCreate, CertifyAndLockMatrix) {
    struct {
        int certify, lock, permission;
        bool reference, locked;
    } cases[] = {
        {0, 0, 0, false, false},
        {0, 1, 2, false, true},  // not certifying: no /Reference whatever the permission
        {0, 0, 2, false, false},
        {1, 0, 2, true, false},
        {1, 1, 1, true, false},  // a certifying signature never gets /Lock
        {1, 1, 3, true, false},
        {1, 0, 0, false, false},  // no valid permission: no certification entries
        {2, 1, 2, false, false},  // certify other than 0 or 1: neither
    };
    scratch_dir dir;
    std::string src = write_minimal_pdf(dir.file("minimal.pdf"));
    for (const auto& c : cases) {
        SCOPED_TRACE("certify " + std::to_string(c.certify) + " lock " + std::to_string(c.lock) + " P " +
                     std::to_string(c.permission));
        field_request rq;
        rq.certify = c.certify;
        rq.lock = c.lock;
        rq.permission = c.permission;
        std::string out = dir.file("out.pdf");
        ASSERT_TRUE(create_and_save(src, out, rq));
        expect_sound_incremental_save(src, out, rq.contents_size);

        int field_num = -1;
        std::string field = new_field(out, &field_num);
        EXPECT_TRUE(has(field, "/FT /Sig"));
        EXPECT_TRUE(has(field, "/T (Signature1)"));
        EXPECT_TRUE(has(field, "/F 132"));
        EXPECT_TRUE(has(field, "/Type /Annot"));
        EXPECT_TRUE(has(field, "/Subtype /Widget"));
        EXPECT_TRUE(has(field, "/Rect [ 100 150 180 200 ]")) << field;
        EXPECT_EQ(has(field, "/Lock"), c.locked);
        EXPECT_GT(ref_of(field, "P"), 0);
        std::string sig = show(out, std::to_string(ref_of(field, "V")));
        for (const char* part : {"/Type /Sig", "/Filter /Adobe.PPKLite", "/SubFilter /adbe.pkcs7.detached",
                                 "/Reason (Approved)", "/Location (Shenzhen)", "/ContactInfo (me@example.com)",
                                 "/M (D:20240102030405+08'00')", "/Prop_Build", "/Name (Velkorant Software)"})
            EXPECT_TRUE(has(sig, part)) << part << "\n" << sig;
        EXPECT_EQ(has(sig, "/Reference"), c.reference) << sig;
        std::string perms = show(out, "trailer/Root/Perms");
        EXPECT_EQ(has(perms, "/DocMDP " + std::to_string(ref_of(field, "V")) + " 0 R"), c.reference) << perms;
        if (c.reference) {
            EXPECT_TRUE(has(sig, "/TransformMethod /DocMDP"));
            EXPECT_TRUE(has(sig, "/P " + std::to_string(c.permission)));
            EXPECT_TRUE(has(sig, "/Type /SigRef"));
            EXPECT_TRUE(has(sig, "/V 1.2"));
        }
        if (c.locked) {
            std::string lock = show(out, std::to_string(ref_of(field, "Lock")));
            EXPECT_TRUE(has(lock, "/Action /All"));
            EXPECT_TRUE(has(lock, "/P 1"));
            EXPECT_TRUE(has(lock, "/Type /SigFieldLock"));
        }
        std::string form = show(out, "trailer/Root/AcroForm");
        EXPECT_TRUE(has(form, "/SigFlags 3"));
        std::string page = show(out, std::to_string(ref_of(field, "P")));
        EXPECT_TRUE(has(page, std::to_string(field_num) + " 0 R")) << "page /Annots holds the field";

        // The getters read it all back.
        FPDF_DOCUMENT doc = FPDF_LoadDocument(out.c_str(), "");
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(FPDF_GetSignatureCount(doc), 1);
        FPDF_SIGNATURE s = FPDF_GetSignatureObject(doc, 0);
        EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetFieldName, s), "Signature1");
        EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetReason, s), "Approved");
        EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetLocation, s), "Shenzhen");
        EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetContactInfo, s), "me@example.com");
        EXPECT_EQ(pdftest::read_bytes(FPDFSignatureObj_GetTime, s), "D:20240102030405+08'00'");
        EXPECT_EQ(pdftest::read_bytes(FPDFSignatureObj_GetSubFilter, s), "adbe.pkcs7.detached");
        EXPECT_EQ(pdftest::read_bytes(FPDFSignatureObj_GetFilter, s), "Adobe.PPKLite");
        EXPECT_EQ(FPDFSignatureObj_IsLocked(s), c.locked ? 1 : 0);
        EXPECT_EQ(FPDFSignatureObj_GetDocMDPPermission(s), c.reference ? static_cast<unsigned>(c.permission) : 0u);
        EXPECT_EQ(FPDFSignatureObj_GetPageIndex(doc, s), 0);
        EXPECT_EQ(FPDFSignatureObj_GetPageRotation(s), 0);
        FS_RECTF r;
        FPDFSignatureObj_GetRect(s, &r);
        EXPECT_FLOAT_EQ(r.left, 100);
        EXPECT_FLOAT_EQ(r.top, 200);
        EXPECT_FLOAT_EQ(r.right, 180);
        EXPECT_FLOAT_EQ(r.bottom, 150);
        std::vector<char> contents(FPDFSignatureObj_GetContents(s, nullptr, 0));
        ASSERT_EQ(contents.size(), 2048u);
        FPDFSignatureObj_GetContents(s, contents.data(), 2048);
        EXPECT_EQ(std::string(contents.data(), 19), "VelkorantContentPos");
        int br[4];
        ASSERT_EQ(FPDFSignatureObj_GetByteRange(s, br, 4), 4);
        for (int v : br) EXPECT_EQ(v, 1000000000);
        FPDF_CloseDocument(doc);
    }
}

TEST(SignatureCreate, VisibleAppearanceLayers) {
    scratch_dir dir;
    std::string src = write_minimal_pdf(dir.file("minimal.pdf"), 1, 300, 144), out = dir.file("out.pdf");
    field_request rq;
    rq.rect = FS_RECTF{100.5f, 120.9f, 290.7f, 60};  // W 190.2, H 60.9 on a 300 x 144 page
    rq.pic_w = 40;
    rq.pic_h = 12;
    ASSERT_TRUE(create_and_save(src, out, rq));
    expect_sound_incremental_save(src, out, rq.contents_size);
    int num = -1;
    std::string field = new_field(out, &num);
    int ap = -1;
    {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(field, m, std::regex(R"(/AP <<\s*/N (\d+) 0 R)"))) << field;
        ap = std::stoi(m[1]);
    }
    std::string dr_frm;
    {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(field, m, std::regex(R"(/DR <<\s*/XObject <<\s*/FRM (\d+) 0 R)"))) << field;
        dr_frm = m[1];
    }
    auto stream_of = [&](int n) { return run_command("mutool show -b " + shell_quote(out) + " " + std::to_string(n)).output; };
    std::string ap_dict = show(out, std::to_string(ap));
    EXPECT_EQ(stream_of(ap), "q 1 0 0 1 0 0 cm /FRM Do Q\n");
    EXPECT_TRUE(has(ap_dict, "/FormType 1")) << ap_dict;
    EXPECT_TRUE(has(ap_dict, "/Subtype /Form"));
    EXPECT_TRUE(has(ap_dict, "/Matrix [ 1 0 0 1 0 0 ]"));
    // Reals are written as MuPDF writes floats.
    EXPECT_TRUE(std::regex_search(ap_dict, std::regex(R"(/BBox \[ 0 0 190\.2\d* 60\.(9|89)\d* \])"))) << ap_dict;
    int frm = ref_of(ap_dict, "FRM");
    EXPECT_EQ(std::to_string(frm), dr_frm);
    std::string frm_dict = show(out, std::to_string(frm));
    EXPECT_EQ(stream_of(frm), "q 1 0 0 1 0 0 cm /n0 Do Q\nq 1 0 0 1 0 0 cm /n2 Do Q\n");
    EXPECT_TRUE(has(frm_dict, "/FormType 1"));
    int n0 = ref_of(frm_dict, "n0"), n2 = ref_of(frm_dict, "n2");
    EXPECT_EQ(stream_of(n0), "% DSBlank\n");
    std::string n0_dict = show(out, std::to_string(n0));
    EXPECT_TRUE(has(n0_dict, "/BBox [ 0 0 100 100 ]"));
    EXPECT_TRUE(has(n0_dict, "/FormType 1"));
    std::string n2_dict = show(out, std::to_string(n2));
    EXPECT_FALSE(has(n2_dict, "/FormType"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(n2_dict, m, std::regex(R"(/img(\d+) (\d+) 0 R)"))) << n2_dict;
    EXPECT_EQ(m[1], m[2]) << "the resource name carries the image's object number";
    EXPECT_EQ(stream_of(n2), "q 190 0 0 60 0 0 cm /img" + m[1].str() + " Do Q\n");
    std::string image = show(out, m[2]);
    for (const char* part : {"/Subtype /Image", "/Width 40", "/Height 12", "/SMask"})
        EXPECT_TRUE(has(image, part)) << part << "\n" << image;
    // The four layers were made in order, before the signature dictionary.
    EXPECT_LT(n0, n2);
    EXPECT_LT(n2, frm);
    EXPECT_LT(frm, ap);
    EXPECT_LT(ap, ref_of(field, "V"));

    // The stamp shows: the red picture covers the widget's rectangle.
    FPDF_DOCUMENT doc = FPDF_LoadDocument(out.c_str(), "");
    ASSERT_NE(doc, nullptr);
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    int w = static_cast<int>(FPDF_GetPageWidthF(page)), h = static_cast<int>(FPDF_GetPageHeightF(page));
    FPDF_BITMAP bmp = FPDFBitmap_Create(w, h, 0);
    FPDFBitmap_FillRect(bmp, 0, 0, w, h, 0xFFFFFFFF);
    FPDF_RenderPageBitmap(bmp, page, 0, 0, w, h, 0, FPDF_ANNOT);
    ASSERT_TRUE(w == 300 && h == 144);
    auto* px = static_cast<const unsigned char*>(FPDFBitmap_GetBuffer(bmp)) + (static_cast<size_t>(h - 90) * w + 195) * 4;
    EXPECT_LT(px[0], 30);
    EXPECT_GT(px[2], 220) << "red at the centre of the stamp";
    FPDFBitmap_Destroy(bmp);
    FPDF_ClosePage(page);
    FPDF_CloseDocument(doc);
}

TEST(SignatureCreate, InvisibleFieldsAndFailures) {
    scratch_dir dir;
    std::string src = write_minimal_pdf(dir.file("minimal.pdf")), out = dir.file("out.pdf");
    struct {
        const char* what;
        int pic_w, pic_h;
        FS_RECTF rect;
        bool picture;
    } invisible[] = {
        {"no picture", 4, 3, {10, 20, 30, 10}, false},
        {"zero picture width", 0, 3, {10, 20, 30, 10}, true},
        {"zero rectangle height", 4, 3, {10, 20, 30, 20}, true},
        {"zero rectangle width", 4, 3, {10, 20, 10, 10}, true},
    };
    for (const auto& c : invisible) {
        SCOPED_TRACE(c.what);
        field_request rq;
        rq.pic_w = c.pic_w;
        rq.pic_h = c.pic_h;
        rq.rect = c.rect;
        rq.picture = c.picture;
        rq.reason = "";
        rq.time = "";
        rq.timestamp_only = 1;
        ASSERT_TRUE(create_and_save(src, out, rq));
        expect_sound_incremental_save(src, out, rq.contents_size);
        int num = -1;
        std::string field = new_field(out, &num);
        EXPECT_FALSE(has(field, "/AP"));
        EXPECT_FALSE(has(field, "/DR"));
        EXPECT_TRUE(has(field, "/Rect"));
        std::string sig = show(out, std::to_string(ref_of(field, "V")));
        EXPECT_FALSE(has(sig, "/Reason")) << "an empty reason is not written";
        EXPECT_FALSE(has(sig, "/M ")) << "an empty time is not written";
        EXPECT_TRUE(has(sig, "/SubFilter /ETSI.RFC3161"));
        EXPECT_FALSE(has(read_file(out), "DSBlank"));
    }

    // Failures give no handle.
    field_request negative;
    negative.pic_w = -4;
    EXPECT_FALSE(create_and_save(src, out, negative)) << "negative picture width";
    FPDF_DOCUMENT doc = FPDF_LoadDocument(src.c_str(), "");
    FPDF_PAGE page = FPDF_LoadPage(doc, 0);
    FS_RECTF rect{0, 10, 10, 0};
    EXPECT_EQ(FPDFPage_CreateSignatureField(page, "A", "", "", "", nullptr, &rect, nullptr, 0, 0, 0, 0, 0, 0, 2048),
              nullptr)
        << "null signing time";
    EXPECT_EQ(FPDFPage_CreateSignatureField(page, nullptr, "", "", "", "", &rect, nullptr, 0, 0, 0, 0, 0, 0, 2048),
              nullptr)
        << "null field name";
    // MuPDF writes short strings as literals, where the marker could not be
    // found: sizes below 29 bytes are refused.
    EXPECT_EQ(FPDFPage_CreateSignatureField(page, "A", "", "", "", "", &rect, nullptr, 0, 0, 0, 0, 0, 0, 28), nullptr);
    EXPECT_EQ(FPDFPage_CreateSignatureField(nullptr, "A", "", "", "", "", &rect, nullptr, 0, 0, 0, 0, 0, 0, 2048),
              nullptr);
    {
        FPDF_ANNOTATION a =
            FPDFPage_CreateSignatureField(page, "A", "", "", "", "", &rect, nullptr, 0, 0, 0, 0, 0, 0, 29);
        EXPECT_NE(a, nullptr) << "29 bytes are written as hex";
        FPDFPage_CloseAnnot(a);
    }
    FPDF_ClosePage(page);
    FPDF_CloseDocument(doc);
}

TEST(SignatureCreate, SmallestContentsAreHexInTheFile) {
    scratch_dir dir;
    std::string src = write_minimal_pdf(dir.file("minimal.pdf")), out = dir.file("out.pdf");
    field_request rq;
    rq.contents_size = 29;
    ASSERT_TRUE(create_and_save(src, out, rq));
    expect_sound_incremental_save(src, out, 29);
}

TEST(SignatureCreate, CropBoxRoundTripAndUnicodeTexts) {
    scratch_dir dir;
    std::string src = dir.file("crop.pdf"), out = dir.file("out.pdf");
    write_file(src, pdftest::build_pdf({
                        "<< /Type /Catalog /Pages 2 0 R >>",
                        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 400] /CropBox [10 20 390 380] >>",
                    }));
    field_request rq;
    rq.rect = FS_RECTF{0, 100, 50, 50};
    rq.name = "签名1";
    rq.reason = "同意 – ok";
    ASSERT_TRUE(create_and_save(src, out, rq));
    expect_sound_incremental_save(src, out, rq.contents_size);
    int num = -1;
    std::string field = new_field(out, &num);
    EXPECT_TRUE(has(field, "/Rect [ 10 70 60 120 ]")) << field;

    // A rectangle equal to the crop box is written unchanged.
    field_request whole;
    whole.rect = FS_RECTF{10, 380, 390, 20};
    whole.picture = false;
    std::string out2 = dir.file("out2.pdf");
    ASSERT_TRUE(create_and_save(out, out2, whole));
    expect_sound_incremental_save(out, out2, whole.contents_size);
    EXPECT_TRUE(has(new_field(out2, &num), "/Rect [ 10 20 390 380 ]"));

    FPDF_DOCUMENT doc = FPDF_LoadDocument(out2.c_str(), "");
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(FPDF_GetSignatureCount(doc), 2);
    FPDF_SIGNATURE s = FPDF_GetSignatureObject(doc, 0);
    FS_RECTF r;
    FPDFSignatureObj_GetRect(s, &r);
    EXPECT_FLOAT_EQ(r.left, 0);
    EXPECT_FLOAT_EQ(r.top, 100);
    EXPECT_FLOAT_EQ(r.right, 50);
    EXPECT_FLOAT_EQ(r.bottom, 50);
    EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetFieldName, s), "签名1");
    EXPECT_EQ(pdftest::read_utf16(FPDFSignatureObj_GetReason, s), "同意 – ok");
    FPDFSignatureObj_GetRect(FPDF_GetSignatureObject(doc, 1), &r);
    EXPECT_FLOAT_EQ(r.left, 10);
    EXPECT_FLOAT_EQ(r.bottom, 20);
    FPDF_CloseDocument(doc);
}

TEST(SignatureCreate, SignedCorpusFileKeepsItsSignatures) {
    REQUIRE_CORPUS();
    scratch_dir dir;
    std::string src = corpus_dir() + "/pyhanko/minimal-two-fields-signed-twice.pdf", out = dir.file("out.pdf");
    field_request rq;
    rq.name = "Signature9";
    ASSERT_TRUE(create_and_save(src, out, rq));
    expect_sound_incremental_save(src, out, rq.contents_size);
    auto r = run_command("pdfsig -nocert -no-ocsp " + shell_quote(out));
    EXPECT_TRUE(has(r.output, "Signature #3")) << r.output;
    size_t valid = 0;
    for (size_t p = r.output.find("Signature is Valid"); p != std::string::npos;
         p = r.output.find("Signature is Valid", p + 1))
        ++valid;
    EXPECT_EQ(valid, 2u) << r.output;
}
