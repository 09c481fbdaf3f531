// Signing PDFs end to end against a loopback PKI (TSA and OCSP responder),
// judged by pdfsig, mutool, qpdf and the openssl command line.
#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/pfx.h"
#include "crypto/revocation_archive.h"
#include "crypto/trust_list.h"
#include "document/doc_pdfium.h"
#include "document/pdf_layer.h"
#include "document/pdf_save.h"
#include "document/pdf_sign.h"
#include "document/sigcheck.h"
#include "document/sign_operation.h"
#include "document/signing_suite.h"
#include "support/pki_fixture.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <lodepng.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using testsupport::read_file;
using testsupport::run_command;
using testsupport::shell_quote;

namespace {

class pdf_signing : public signing_suite {
protected:
    void SetUp() override {
        signing_suite::SetUp();
        if (HasFatalFailure()) return;
        sign_placeholder_override = 0;
    }

    std::string f(const std::string& name) const { return dir.file(name); }
    testsupport::scratch_dir dir;
};

sign_params invisible_params() {
    sign_params p;
    std::memset(&p, 0, sizeof p);
    set_param_text(p.reason, "Approved");
    set_param_text(p.location, "Lab");
    set_param_text(p.signing_time, pdf_signing_time_text(std::time(nullptr)));
    p.permission = 1;
    return p;
}


template <typename F>
std::string outcome(F call) {
    try {
        call();
    } catch (const std::exception& ex) {
        return ex.what();
    }
    return "returned without a result";
}

std::string sign_pfx_file(const std::string& src, const std::string& dst, const std::string& pfx,
                          const sign_params& p, const char* tsurl = nullptr) {
    return outcome([&] { sign_with_pfx(utf8_to_wide(src), pfx.c_str(), "pw", tsurl, utf8_to_wide(dst), &p); });
}

std::string pdfsig(const std::string& path) { return run_command("pdfsig -nocert " + shell_quote(path)).output; }

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Judges shared by every signed file: valid for pdfsig, unchanged for
// mutool, sound for qpdf, and the source an unchanged prefix.
void expect_sound_signature(const std::string& src, const std::string& out, bool total = true) {
    std::string sig = pdfsig(out);
    EXPECT_NE(sig.find("Signature is Valid"), std::string::npos) << sig;
    if (total) {
        EXPECT_NE(sig.find("Total document signed"), std::string::npos) << sig;
    }
    auto mu = run_command("mutool sign -v " + shell_quote(out));
    EXPECT_NE(mu.output.find("The document is unchanged since signing."), std::string::npos) << mu.output;
    auto q = run_command("qpdf --check " + shell_quote(out));
    EXPECT_EQ(q.status, 0) << q.output;
    const std::string a = read_file(src), b = read_file(out);
    ASSERT_GT(b.size(), a.size());
    EXPECT_EQ(b.compare(0, a.size(), a), 0) << "the source is not an unchanged prefix";
    EXPECT_EQ(b.substr(b.size() - 6), "%%EOF\n");
}

// The last signature of the file: its /Contents bytes (DER, padding cut),
// byte range, and the bytes that range covers.
struct last_signature {
    std::string der;
    std::vector<int> range;
    std::string covered;
    unsigned permission = 0;
    int locked = 0;
    size_t hex_digits = 0;
};

last_signature read_last_signature(const std::string& path) {
    last_signature s;
    FPDF_DOCUMENT doc = FPDF_LoadDocument(path.c_str(), nullptr);
    if (!doc) return s;
    int n = FPDF_GetSignatureCount(doc);
    FPDF_SIGNATURE sig = n > 0 ? FPDF_GetSignatureObject(doc, n - 1) : nullptr;
    if (sig) {
        unsigned long len = FPDFSignatureObj_GetContents(sig, nullptr, 0);
        std::string raw(len, '\0');
        FPDFSignatureObj_GetContents(sig, &raw[0], len);
        s.hex_digits = 2 * len;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(raw.data());
        PKCS7* p7 = d2i_PKCS7(nullptr, &p, static_cast<long>(len));
        if (p7) {
            s.der = raw.substr(0, p - reinterpret_cast<const unsigned char*>(raw.data()));
            PKCS7_free(p7);
        }
        int br[4] = {0};
        if (FPDFSignatureObj_GetByteRange(sig, br, 4) == 4) {
            s.range.assign(br, br + 4);
            const std::string file = read_file(path);
            s.covered = file.substr(br[0], br[1]) + file.substr(br[2], br[3]);
        }
        s.permission = FPDFSignatureObj_GetDocMDPPermission(sig);
        s.locked = FPDFSignatureObj_IsLocked(sig);
    }
    FPDF_CloseDocument(doc);
    return s;
}

PKCS7_SIGNER_INFO* first_signer(PKCS7* p7) { return sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0); }

PKCS7* decode(const std::string& der) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(der.data());
    return d2i_PKCS7(nullptr, &p, static_cast<long>(der.size()));
}

std::string write_stamp_png(const std::string& path, unsigned w = 60, unsigned h = 30) {
    std::vector<unsigned char> rgba(w * h * 4);
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            unsigned char* px = &rgba[(y * w + x) * 4];
            px[0] = x < w / 2 ? 220 : 20;  // left half red, right half blue
            px[1] = 20;
            px[2] = x < w / 2 ? 20 : 220;
            px[3] = 255;
        }
    lodepng_encode32_file(path.c_str(), rgba.data(), w, h);
    return path;
}

TEST_F(pdf_signing, rsa_and_ec_pfx_signatures_pass_every_judge) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    for (const char* pfx : {"leaf.p12", "ec.p12"}) {
        SCOPED_TRACE(pfx);
        const std::string out = f(std::string("signed-") + pfx + ".pdf");
        sign_params p = invisible_params();
        ASSERT_EQ(sign_pfx_file(src, out, pki->f(pfx), p), "Succeed");
        expect_sound_signature(src, out);
        last_signature s = read_last_signature(out);
        EXPECT_EQ(s.hex_digits, 8192u) << "a CA-issued certificate gets 4096 bytes";
        EXPECT_EQ(sign_attempts_of_last_signing(), 1);
        testsupport::write_file(f("sig.der"), s.der);
        testsupport::write_file(f("covered.bin"), s.covered);
        auto cms = run_command("openssl cms -verify -binary -inform DER -in " + shell_quote(f("sig.der")) +
                               " -content " + shell_quote(f("covered.bin")) + " -CAfile " +
                               shell_quote(pki->f("root.pem")) + " -purpose any -out /dev/null 2>&1");
        EXPECT_EQ(cms.status, 0) << cms.output;
    }
}

TEST_F(pdf_signing, time_stamp_token_and_revocation_data_are_embedded) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string out = f("ltv.pdf");
    sign_params p = invisible_params();
    p.add_revocation = 1;
    const std::string tsa = pki->url("/tsa");
    ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), p, tsa.c_str()), "Succeed");
    expect_sound_signature(src, out);
    last_signature s = read_last_signature(out);
    EXPECT_EQ(s.hex_digits, 8192u + 14524u);

    PKCS7* p7 = decode(s.der);
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    ASN1_TYPE* token = PKCS7_get_attribute(si, NID_id_smime_aa_timeStampToken);
    ASSERT_NE(token, nullptr);
    testsupport::write_file(f("ts.token"), std::string(reinterpret_cast<char*>(token->value.sequence->data),
                                                       token->value.sequence->length));
    testsupport::write_file(f("ts.sigval"),
                            std::string(reinterpret_cast<char*>(si->enc_digest->data), si->enc_digest->length));
    auto ts = run_command("cd " + shell_quote(pki->dir()) + " && openssl ts -verify -token_in -in " +
                          shell_quote(f("ts.token")) + " -data " + shell_quote(f("ts.sigval")) +
                          " -CAfile root.pem -untrusted tsa.pem 2>&1");
    EXPECT_EQ(ts.status, 0) << ts.output;

    // The revocation attribute holds one good OCSP answer per chain link.
    ASN1_TYPE* rev = PKCS7_get_signed_attribute(si, pdf_revocation_attribute_nid());
    ASSERT_NE(rev, nullptr);
    ASSERT_EQ(rev->type, V_ASN1_SEQUENCE);
    const unsigned char* q = rev->value.sequence->data;
    pdf_revocation_archive* archive = d2i_pdf_revocation_archive(nullptr, &q, rev->value.sequence->length);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(sk_OCSP_RESPONSE_num(archive->ocsps), 2);
    for (int i = 0; i < sk_OCSP_RESPONSE_num(archive->ocsps); ++i)
        EXPECT_EQ(OCSP_response_status(sk_OCSP_RESPONSE_value(archive->ocsps, i)), OCSP_RESPONSE_STATUS_SUCCESSFUL);
    pdf_revocation_archive_free(archive);
    PKCS7_free(p7);
}

TEST_F(pdf_signing, document_time_stamp_covers_the_signed_ranges) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"), 2);
    const std::string out = f("dts.pdf");
    sign_params p = invisible_params();
    p.timestamp_only = 1;
    const std::string tsa = pki->url("/tsa");
    ASSERT_EQ(outcome([&] { sign_doc_timestamp(utf8_to_wide(src), tsa.c_str(), utf8_to_wide(out), &p); }),
              "Succeed");
    EXPECT_NE(read_file(out).find("/ETSI.RFC3161"), std::string::npos);
    auto q = run_command("qpdf --check " + shell_quote(out));
    EXPECT_EQ(q.status, 0) << q.output;
    last_signature s = read_last_signature(out);
    ASSERT_FALSE(s.der.empty());
    EXPECT_EQ(s.hex_digits, 8192u);
    testsupport::write_file(f("dts.token"), s.der);
    testsupport::write_file(f("dts.data"), s.covered);
    auto ts = run_command("cd " + shell_quote(pki->dir()) + " && openssl ts -verify -token_in -in " +
                          shell_quote(f("dts.token")) + " -data " + shell_quote(f("dts.data")) +
                          " -CAfile root.pem -untrusted tsa.pem 2>&1");
    EXPECT_EQ(ts.status, 0) << ts.output;
    // No URL: nothing to write, and no file.
    EXPECT_EQ(outcome([&] { sign_doc_timestamp(utf8_to_wide(src), nullptr, utf8_to_wide(f("none.pdf")), &p); }),
              "result sig hex string is null");
    EXPECT_FALSE(testsupport::file_exists(f("none.pdf")));
}

TEST_F(pdf_signing, sm2_signature_verifies_with_openssl_dgst_and_distid) {
    X509* made = nullptr;
    ASSERT_EQ(make_self_signed_pfx("/CN=Velk SM2 Signer", pfx_key_sm2, pfx_digest_sm3, {}, "pw",
                                   utf8_to_wide(f("sm2.p12")), &made),
              0);
    FILE* fp = std::fopen(f("sm2.pem").c_str(), "w");
    PEM_write_X509(fp, made);
    std::fclose(fp);
    X509_free(made);
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string out = f("sm2.pdf");
    ASSERT_EQ(sign_pfx_file(src, out, f("sm2.p12"), invisible_params()), "Succeed");
    last_signature s = read_last_signature(out);
    EXPECT_EQ(s.hex_digits, 4096u) << "a self-signed certificate gets 2048 bytes";
    PKCS7* p7 = decode(s.der);
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    unsigned char* attrs = nullptr;
    int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &attrs, ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    ASSERT_GT(alen, 0);
    testsupport::write_file(f("sm2.attrs"), std::string(reinterpret_cast<char*>(attrs), alen));
    OPENSSL_free(attrs);
    testsupport::write_file(f("sm2.sigval"),
                            std::string(reinterpret_cast<char*>(si->enc_digest->data), si->enc_digest->length));
    testsupport::write_file(f("sm2.data"), s.covered);
    ASN1_OCTET_STRING* md = PKCS7_digest_from_attributes(si->auth_attr);
    ASSERT_NE(md, nullptr);
    std::string md_hex;
    for (int i = 0; i < md->length; ++i) {
        char b[3];
        std::snprintf(b, sizeof b, "%02x", md->data[i]);
        md_hex += b;
    }
    PKCS7_free(p7);
    auto digest = run_command("cd " + shell_quote(dir.path()) + " && openssl dgst -sm3 -r sm2.data");
    EXPECT_EQ(digest.output.substr(0, 64), md_hex) << "the message digest covers the byte ranges";
    auto verify = run_command("cd " + shell_quote(dir.path()) +
                              " && openssl x509 -in sm2.pem -pubkey -noout > sm2.pub"
                              " && openssl dgst -sm3 -verify sm2.pub -sigopt distid:1234567812345678"
                              " -signature sm2.sigval sm2.attrs 2>&1");
    EXPECT_NE(verify.output.find("Verified OK"), std::string::npos) << verify.output;
}

TEST_F(pdf_signing, lock_and_certification_are_written_and_read_back) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    struct row {
        int certify, lock, permission;
        unsigned want_permission;
        int want_locked;
    };
    for (const row& r : {row{1, 0, 1, 1, 0}, row{1, 0, 2, 2, 0}, row{1, 1, 3, 3, 0}, row{0, 1, 2, 0, 1}}) {
        SCOPED_TRACE(std::to_string(r.certify) + "/" + std::to_string(r.lock) + "/" + std::to_string(r.permission));
        sign_params p = invisible_params();
        p.certify = r.certify;
        p.lock = r.lock;
        p.permission = r.permission;
        const std::string out = f("c" + std::to_string(r.permission) + std::to_string(r.lock) + ".pdf");
        ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), p), "Succeed");
        expect_sound_signature(src, out);
        last_signature s = read_last_signature(out);
        EXPECT_EQ(s.permission, r.want_permission);
        EXPECT_EQ(s.locked, r.want_locked);
        const std::string bytes = read_file(out);
        EXPECT_EQ(bytes.find("/DocMDP") != std::string::npos, r.certify == 1);
        if (r.certify) {
            std::string sig = pdfsig(out);
            EXPECT_NE(sig.find("Signature is Valid"), std::string::npos);
        }
    }
}

TEST_F(pdf_signing, second_signature_keeps_the_first_valid_and_names_follow) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string once = f("once.pdf"), twice = f("twice.pdf");
    sign_params p = invisible_params();
    ASSERT_EQ(sign_pfx_file(src, once, pki->f("leaf.p12"), p), "Succeed");
    ASSERT_EQ(sign_pfx_file(once, twice, pki->f("ec.p12"), p), "Succeed");
    expect_sound_signature(once, twice);
    std::string sig = pdfsig(twice);
    EXPECT_EQ(count_of(sig, "Signature is Valid"), 2) << sig;
    EXPECT_NE(sig.find("Signature1"), std::string::npos);
    EXPECT_NE(sig.find("Signature2"), std::string::npos);

    // Names: the next unused number; a taken name is refused.
    FPDF_DOCUMENT doc = FPDF_LoadDocument(twice.c_str(), nullptr);
    ASSERT_NE(doc, nullptr);
    char name[256] = {0};
    new_field_name(doc, name);
    EXPECT_STREQ(name, "Signature3");
    EXPECT_TRUE(field_name_exists(doc, "Signature2"));
    EXPECT_FALSE(field_name_exists(doc, "Signature4"));
    FPDF_CloseDocument(doc);
    set_param_text(p.field_name, "Signature12");
    ASSERT_EQ(sign_pfx_file(twice, f("three.pdf"), pki->f("leaf.p12"), p), "Succeed");
    doc = FPDF_LoadDocument(f("three.pdf").c_str(), nullptr);
    new_field_name(doc, name);
    EXPECT_STREQ(name, "Signature13");
    FPDF_CloseDocument(doc);
    EXPECT_EQ(sign_pfx_file(f("three.pdf"), f("four.pdf"), pki->f("leaf.p12"), p), "signature field name exist");
    EXPECT_FALSE(testsupport::file_exists(f("four.pdf")));
}

TEST_F(pdf_signing, small_placeholder_is_retried_with_the_signature_size) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string out = f("retry.pdf");
    sign_placeholder_override = 1000;
    ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), invisible_params()), "Succeed");
    EXPECT_EQ(sign_attempts_of_last_signing(), 2);
    expect_sound_signature(src, out);
    last_signature s = read_last_signature(out);
    EXPECT_EQ(s.hex_digits, 2 * s.der.size() + 8) << "the second placeholder is the signature's hex length + 8";
    // The /ByteRange keeps the placeholder's width, padded with spaces.
    std::smatch m;
    const std::string bytes = read_file(out);
    ASSERT_TRUE(std::regex_search(bytes, m, std::regex("/ByteRange\\[0 \\d+ \\d+ \\d+\\] *")));
    EXPECT_EQ(m.str().size(), 55u);
}

TEST_F(pdf_signing, visible_signatures_on_a_multi_page_pdf_and_the_corpus_minimal_pdf) {
    const std::string png = write_stamp_png(f("stamp.png"));
    const std::string src = testsupport::write_minimal_pdf(f("three.pdf"), 3, 400, 300);
    sign_params p = invisible_params();
    p.page = 1;
    p.x0 = 100;
    p.y0 = 100;
    p.x1 = 220;
    p.y1 = 160;
    set_param_text(p.picture, png);
    const std::string out = f("visible.pdf");
    ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), p), "Succeed");
    expect_sound_signature(src, out);
    auto r = run_command("pdftoppm -png -r 72 -f 2 -l 2 " + shell_quote(out) + " " + shell_quote(f("page")));
    ASSERT_EQ(r.status, 0) << r.output;
    // Page 2 shows the stamp at (100..220, 140..200 from the top): red left, blue right.
    unsigned char* img = nullptr;
    unsigned w = 0, h = 0;
    std::string rendered = f("page-2.png");
    ASSERT_EQ(lodepng_decode32_file(&img, &w, &h, rendered.c_str()), 0u);
    auto px = [&](unsigned x, unsigned y) { return img + (y * w + x) * 4; };
    EXPECT_GT(px(130, 170)[0], 180);
    EXPECT_LT(px(130, 170)[2], 80);
    EXPECT_GT(px(190, 170)[2], 180);
    EXPECT_GT(px(30, 30)[0], 200);  // white paper elsewhere
    std::free(img);
    if (const char* keep = std::getenv("VELK_KEEP_RENDER")) run_command("cp " + shell_quote(rendered) + " " + keep);

    if (!testsupport::corpus_available()) return;
    const std::string minimal = testsupport::corpus_dir() + "/pyhanko/minimal.pdf";
    if (!testsupport::file_exists(minimal)) return;
    p.page = 0;
    ASSERT_EQ(sign_pfx_file(minimal, f("minimal-signed.pdf"), pki->f("leaf.p12"), p), "Succeed");
    expect_sound_signature(minimal, f("minimal-signed.pdf"));
}

TEST_F(pdf_signing, failures_leave_no_output_and_never_touch_the_source) {
    // Tests of the save buffer itself may leave bytes in it; this one checks what signing leaves.
    process_save_buffer().reset();
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string before = read_file(src);
    sign_params p = invisible_params();
    const std::string out = f("out.pdf");
    EXPECT_NE(sign_pfx_file(f("missing.pdf"), out, pki->f("leaf.p12"), p).find("copy src to mid file failed"),
              std::string::npos);
    EXPECT_EQ(outcome([&] { sign_with_pfx(L"", "x", "pw", nullptr, L"", &p); }), "src/dst/param : null");
    EXPECT_EQ(outcome([&] { sign_with_pfx(utf8_to_wide(src), "x", "pw", nullptr, utf8_to_wide(out), nullptr); }),
              "src/dst/param : null");
    // A wrong password opens no key.
    EXPECT_NE(outcome([&] {
                  sign_with_pfx(utf8_to_wide(src), pki->f("leaf.p12").c_str(), "wrong", nullptr, utf8_to_wide(out),
                                &p);
              }),
              "Succeed");
    // A signer that fails leaves no document in the process-wide save buffer.
    EXPECT_EQ(process_save_buffer().size(), 0u);
    EXPECT_FALSE(process_save_buffer().pinned());
    // An output folder that does not exist.
    EXPECT_EQ(sign_pfx_file(src, f("no/such/dir/out.pdf"), pki->f("leaf.p12"), p),
              "buff2filew() failed, may dstpath is inaccessible,  file: " + f("no/such/dir/out.pdf"));
    // A damaged file (its cross-reference table is wrong, MuPDF repairs it).
    std::string damaged = before;
    damaged.replace(damaged.rfind("startxref\n") + 10, 1, "9");
    testsupport::write_file(f("damaged.pdf"), damaged);
    EXPECT_NE(sign_pfx_file(f("damaged.pdf"), out, pki->f("leaf.p12"), p).find("repaired"), std::string::npos);
    EXPECT_EQ(process_save_buffer().size(), 0u);
    EXPECT_FALSE(process_save_buffer().pinned());
    // Over 1 GiB (a sparse file) fails before anything is read.
    run_command("truncate -s 1073741825 " + shell_quote(f("huge.pdf")));
    EXPECT_EQ(sign_pfx_file(f("huge.pdf"), out, pki->f("leaf.p12"), p),
              "the size of pdf to be signed is limited less than 1G Bytes");
    EXPECT_FALSE(testsupport::file_exists(out));
    EXPECT_EQ(read_file(src), before);

    // Signing onto the source path replaces it whole, with the source as prefix.
    const std::string inplace = f("inplace.pdf");
    testsupport::write_file(inplace, before);
    ASSERT_EQ(sign_pfx_file(inplace, inplace, pki->f("leaf.p12"), p), "Succeed");
    testsupport::write_file(f("orig.pdf"), before);
    expect_sound_signature(f("orig.pdf"), inplace);
}

// The names in a folder, to see that nothing was left behind.
std::vector<std::string> names_in(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

ino_t inode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A disk that fills up while signing: the source stays whole, no output
// appears and nothing is left beside it, and the error names the cause.
// Each row fails at another step: the copy of the source, the update.
TEST_F(pdf_signing, a_full_disk_leaves_the_source_whole_and_no_output) {
    const std::string outside = testsupport::write_large_pdf(f("outside.pdf"), 3);
    const std::string outside_bytes = read_file(outside);
    struct row {
        const char* name;
        bool in_place;
        long long spare;  // free bytes left once the source is there (-1: the copy and one block)
    };
    for (const row& r :
         {row{"copy", false, 64 * 1024}, row{"copy_in_place", true, 4096}, row{"update_in_place", true, -1}}) {
        SCOPED_TRACE(r.name);
        const std::string disk = f(r.name);
        testsupport::scratch_mount mount(disk, "size=8m");
        if (!mount.mounted()) GTEST_SKIP() << "no small file system can be mounted here (needs root)";
        std::string src = outside, out = disk + "/out.pdf";
        if (r.in_place) {
            src = out = disk + "/doc.pdf";
            testsupport::write_file(src, outside_bytes);
        }
        // The update needs more than the one block left after the copy.
        const unsigned long long copy = (outside_bytes.size() + 4095) / 4096 * 4096;
        ASSERT_TRUE(testsupport::leave_free_space(disk, "filler", r.spare < 0 ? copy + 4096 : r.spare));
        const std::vector<std::string> before = names_in(disk);
        const ino_t inode = inode_of(src);
        const std::string text = sign_pfx_file(src, out, pki->f("leaf.p12"), invisible_params());
        EXPECT_EQ(text, "buff2filew() failed, no space left on the disk,  file: " + out);
        EXPECT_EQ(translate_error_message(text), L"No space left on the disk, free some space or choose another folder");
        EXPECT_EQ(names_in(disk), before) << "no output and no temporary file";
        EXPECT_EQ(read_file(src), outside_bytes);
        EXPECT_EQ(inode_of(src), inode);
    }
}

TEST_F(pdf_signing, a_folder_that_cannot_be_written_is_named) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string folder = f("read-only");
    // Root writes anywhere a file system lets it: a read-only one stops it.
    std::unique_ptr<testsupport::scratch_mount> mount;
    if (::geteuid() == 0) {
        mount = std::make_unique<testsupport::scratch_mount>(folder, "ro,size=1m");
        if (!mount->mounted()) GTEST_SKIP() << "no read-only file system can be mounted here";
    } else {
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    }
    const std::string out = folder + "/out.pdf";
    const std::string text = sign_pfx_file(src, out, pki->f("leaf.p12"), invisible_params());
    EXPECT_EQ(text, "buff2filew() failed, the folder is not writable,  file: " + out);
    EXPECT_EQ(translate_error_message(text), L"The folder cannot be written, choose another folder");
    EXPECT_TRUE(names_in(folder).empty());
    if (!mount) std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

// A large document is signed from and to files, judged by the independent
// tools; the source is an exact prefix of the output.
TEST_F(pdf_signing, a_100_mb_document_is_signed_and_judged) {
    const std::string src = testsupport::write_large_pdf(f("big.pdf"), 100);
    const std::string out = f("big-signed.pdf");
    ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), invisible_params()), "Succeed");
    const std::string sig = pdfsig(out);
    EXPECT_NE(sig.find("Signature is Valid"), std::string::npos) << sig;
    EXPECT_NE(sig.find("Total document signed"), std::string::npos) << sig;
    auto q = run_command("qpdf --check " + shell_quote(out));
    EXPECT_EQ(q.status, 0) << q.output;
    const auto source_size = std::filesystem::file_size(src);
    ASSERT_GT(std::filesystem::file_size(out), source_size);
    EXPECT_EQ(run_command("cmp -n " + std::to_string(source_size) + " " + shell_quote(src) + " " + shell_quote(out))
                  .status,
              0)
        << "the source is not an unchanged prefix";

    // The signature and the bytes it covers, cut out of the file by its /ByteRange.
    FPDF_DOCUMENT doc = FPDF_LoadDocument(out.c_str(), nullptr);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(FPDF_GetSignatureCount(doc), 1);
    FPDF_SIGNATURE field = FPDF_GetSignatureObject(doc, 0);
    std::string contents(FPDFSignatureObj_GetContents(field, nullptr, 0), '\0');
    FPDFSignatureObj_GetContents(field, &contents[0], static_cast<unsigned long>(contents.size()));
    int br[4] = {0};
    ASSERT_EQ(FPDFSignatureObj_GetByteRange(field, br, 4), 4);
    FPDF_CloseDocument(doc);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(contents.data());
    PKCS7* p7 = d2i_PKCS7(nullptr, &p, static_cast<long>(contents.size()));
    ASSERT_NE(p7, nullptr);
    PKCS7_free(p7);
    testsupport::write_file(f("big.der"), contents.substr(0, p - reinterpret_cast<const unsigned char*>(contents.data())));
    const auto cut = run_command("head -c " + std::to_string(br[1]) + " " + shell_quote(out) + " > " +
                                 shell_quote(f("big.covered")) + " && tail -c +" + std::to_string(br[2] + 1) + " " +
                                 shell_quote(out) + " >> " + shell_quote(f("big.covered")));
    ASSERT_EQ(cut.status, 0) << cut.output;
    auto cms = run_command("openssl cms -verify -binary -inform DER -in " + shell_quote(f("big.der")) + " -content " +
                           shell_quote(f("big.covered")) + " -CAfile " + shell_quote(pki->f("root.pem")) +
                           " -purpose any -out /dev/null 2>&1");
    EXPECT_EQ(cms.status, 0) << cms.output;
}

TEST_F(pdf_signing, byte_ranges_outside_the_saved_bytes_are_refused) {
    const unsigned char saved[] = "0123456789";
    unsigned char* data = nullptr;
    std::size_t length = 0;
    const int64_t good[4] = {0, 3, 7, 3};
    ASSERT_TRUE(concat_byte_ranges(good, saved, 10, &data, &length));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), length), "012789");
    std::free(data);
    for (auto bad : {std::vector<int64_t>{1, 3, 7, 3}, {0, 3, 7, 4}, {0, -1, 7, 3}, {0, 8, 7, 3},
                     {0, 3, INT64_MAX, 3}}) {
        const int64_t r[4] = {bad[0], bad[1], bad[2], bad[3]};
        EXPECT_FALSE(concat_byte_ranges(r, saved, 10, &data, &length));
    }
}

TEST(pdf_signing_time, carries_the_real_utc_offset) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    struct row {
        const char* tz;
        const char* suffix;
    };
    // 2024-01-15 12:00:00 UTC.
    const std::time_t when = 1705320000;
    for (const row& r : {row{"UTC0", "+00'00'"}, row{"EST5", "-05'00'"}, row{"IST-5:30", "+05'30'"},
                         row{"NST3:30", "-03'30'"}}) {
        setenv("TZ", r.tz, 1);
        tzset();
        const std::string text = pdf_signing_time_text(when);
        EXPECT_EQ(text.size(), 23u) << text;
        EXPECT_EQ(text.substr(16), r.suffix) << text;
        EXPECT_EQ(text.substr(0, 10), "D:20240115") << text;
    }
    setenv("TZ", "IST-5:30", 1);
    tzset();
    EXPECT_EQ(pdf_signing_time_text(when), "D:20240115173000+05'30'");
    if (old) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
}

TEST(sign_params_fields, refuse_values_that_do_not_fit) {
    sign_params p;
    std::memset(&p, 0, sizeof p);
    EXPECT_TRUE(set_param_text(p.field_name, std::string(255, 'a')));
    EXPECT_FALSE(set_param_text(p.field_name, std::string(256, 'a')));
    EXPECT_EQ(p.field_name[0], 0);
    EXPECT_TRUE(set_param_text(p.reason, std::string(1023, 'r')));
    EXPECT_FALSE(set_param_text(p.reason, std::string(1024, 'r')));
}

}  // namespace

namespace {

struct verified {
    int32_t status = -99;
    std::string type;
    int32_t ltv = 0, locked = 0, certified = 0, permission = 0;
    int count = 0;
};

// Our own verifier over the last field of the file.
verified verify_last(const std::string& path) {
    verified v;
    FPDF_DOCUMENT doc = FPDF_LoadDocument(path.c_str(), nullptr);
    if (!doc) return v;
    sigcheck_record* records = nullptr;
    int32_t count = 0;
    verify_all_signatures(doc, &records, utf8_to_wide(path), &count);
    v.count = count;
    if (count > 0) {
        const sigcheck_record& r = records[count - 1];
        v.status = r.status;
        v.type = r.type;
        v.ltv = r.ltv_enabled;
        v.locked = r.locked;
        v.certified = r.certified;
        v.permission = r.permission;
    }
    free_sigcheck_records(&records, &count);
    FPDF_CloseDocument(doc);
    return v;
}

TEST_F(pdf_signing, our_verifier_reads_back_what_was_signed) {
    const std::string src = testsupport::write_minimal_pdf(f("src.pdf"));
    const std::string tsa = pki->url("/tsa");

    sign_params ltv = invisible_params();
    ltv.add_revocation = 1;
    ASSERT_EQ(sign_pfx_file(src, f("ltv.pdf"), pki->f("leaf.p12"), ltv, tsa.c_str()), "Succeed");
    verified v = verify_last(f("ltv.pdf"));
    EXPECT_EQ(v.status, sigerr_okay);
    EXPECT_EQ(v.type, "dstn_pkcs7");
    EXPECT_EQ(v.ltv, 1) << "the revocation data of the chain makes it LTV-enabled";

    sign_params plain = invisible_params();
    ASSERT_EQ(sign_pfx_file(src, f("plain.pdf"), pki->f("ec.p12"), plain), "Succeed");
    v = verify_last(f("plain.pdf"));
    EXPECT_EQ(v.status, sigerr_okay);
    EXPECT_EQ(v.ltv, 0);

    for (int perm = 1; perm <= 3; ++perm) {
        sign_params c = invisible_params();
        c.certify = 1;
        c.permission = perm;
        const std::string out = f("cert" + std::to_string(perm) + ".pdf");
        ASSERT_EQ(sign_pfx_file(src, out, pki->f("leaf.p12"), c), "Succeed");
        v = verify_last(out);
        EXPECT_EQ(v.status, sigerr_okay);
        EXPECT_EQ(v.certified, 1);
        EXPECT_EQ(v.permission, perm);
        EXPECT_EQ(v.locked, 0);
    }
    sign_params l = invisible_params();
    l.lock = 1;
    ASSERT_EQ(sign_pfx_file(src, f("locked.pdf"), pki->f("leaf.p12"), l), "Succeed");
    v = verify_last(f("locked.pdf"));
    EXPECT_EQ(v.locked, 1);
    EXPECT_EQ(v.certified, 0);

    // A second signature over the first: both verify.
    ASSERT_EQ(sign_pfx_file(f("plain.pdf"), f("twice.pdf"), pki->f("leaf.p12"), plain), "Succeed");
    FPDF_DOCUMENT doc = FPDF_LoadDocument(f("twice.pdf").c_str(), nullptr);
    ASSERT_NE(doc, nullptr);
    sigcheck_record* records = nullptr;
    int32_t count = 0;
    verify_all_signatures(doc, &records, utf8_to_wide(f("twice.pdf")), &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(records[0].status, sigerr_okay);
    EXPECT_EQ(records[1].status, sigerr_okay);
    free_sigcheck_records(&records, &count);
    FPDF_CloseDocument(doc);

    // A document time stamp and an SM2 signature.
    sign_params ts = invisible_params();
    ts.timestamp_only = 1;
    ASSERT_EQ(outcome([&] { sign_doc_timestamp(utf8_to_wide(src), tsa.c_str(), utf8_to_wide(f("dts.pdf")), &ts); }),
              "Succeed");
    v = verify_last(f("dts.pdf"));
    EXPECT_EQ(v.status, sigerr_okay);
    EXPECT_EQ(v.type, "dstn_rfc3161ts");
    ASSERT_EQ(make_self_signed_pfx("/CN=Velk SM2 Round Trip", pfx_key_sm2, pfx_digest_sm3, {}, "pw",
                                   utf8_to_wide(f("sm2.p12")), nullptr),
              0);
    ASSERT_EQ(sign_pfx_file(src, f("sm2.pdf"), f("sm2.p12"), invisible_params()), "Succeed");
    v = verify_last(f("sm2.pdf"));
    EXPECT_EQ(v.status, sigerr_okay);
}

}  // namespace
