// Reading and verifying the signatures of PDFs signed at test time (openssl
// cms, ts and dgst), the long-term-validation check over /DSS OCSP
// responses, the result operations, and the external corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include "app/data_dirs.h"
#include "app/encoding.h"
#include "app/text_utils.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/local_time.h"
#include "crypto/trust_list.h"
#include "document/doc_base.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "document/sig_result.h"
#include "support/verification_scratch.h"
#include "tests/document/signed_pdf_fixture.h"

using namespace testsupport;

namespace {

struct sigdata_report {
    std::string type;
    int32_t status;
};
std::vector<sigdata_report> sigdata_reports;
int verify_reports = 0;

class VerifySignatures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new verification_scratch;
        trust_list_file = app_data_dir() + "trustlist+.json";
        p = new sigfix::pki;
        if (p->ok) trust_file("ca.pem");
        saved_services = doc_services();
        saved_sigdata_hook = report_sigdata_hook;
        saved_verify_results_hook = report_verify_results_hook;
        install_verification_services();
        report_sigdata_hook = [](const char* type, int32_t status, const unsigned char*, uint32_t) {
            sigdata_reports.push_back({type, status});
        };
        report_verify_results_hook = [](const sig_results&) { ++verify_reports; };
        source = write_minimal_pdf(data->file("source.pdf"));
    }
    static void TearDownTestSuite() {
        // What this suite installed is taken back: later suites may expect
        // the services unwired.
        doc_services() = saved_services;
        report_sigdata_hook = saved_sigdata_hook;
        report_verify_results_hook = saved_verify_results_hook;
        delete p;
        p = nullptr;
        trust_list_file.clear();
        delete data;
        data = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(p->ok) << p->log;
        sigdata_reports.clear();
        verify_reports = 0;
    }

    static void trust_file(const std::string& name) {
        X509* cert = load_certificate_file(p->f(name).c_str());
        trust_list_import_cert(cert);
        X509_free(cert);
    }

    // Loads and verifies the PDF as the verify worker does.
    static std::unique_ptr<doc_pdfium> verify_bytes(const std::string& pdf, const std::string& name) {
        return data->verify_bytes(pdf, name);
    }
    static std::unique_ptr<doc_pdfium> verify_path(const std::string& path) {
        return verification_scratch::verify_path(path);
    }

    static std::string base_pdf() { return read_file(source); }
    static sigfix::signer_fn cms(const std::string& name, const std::string& extra = "-certfile ca.pem") {
        return [name, extra](const std::string& d) { return sigfix::cms_sign(*p, name, d, extra); };
    }
    static std::string now_pdf_time() {
        char buf[32];
        time_t t = time(nullptr);
        strftime(buf, sizeof buf, "D:%Y%m%d%H%M%SZ", gmtime(&t));
        return buf;
    }

    static verification_scratch* data;
    static sigfix::pki* p;
    static std::string source;
    static inline document_services saved_services;
    static inline decltype(report_sigdata_hook) saved_sigdata_hook = nullptr;
    static inline decltype(report_verify_results_hook) saved_verify_results_hook = nullptr;
};
verification_scratch* VerifySignatures::data = nullptr;
sigfix::pki* VerifySignatures::p = nullptr;
std::string VerifySignatures::source;

int32_t chain_status(const cert_chain_ui* chain) { return chain && !chain->empty() ? chain->front().status : -100; }

TEST_F(VerifySignatures, RsaAndEcSignaturesVerifyWithTheirChains) {
    for (const char* signer : {"rsa", "ec"}) {
        SCOPED_TRACE(signer);
        verify_reports = 0;
        std::string pdf = sigfix::sign_pdf(base_pdf(), {}, cms(signer));
        ASSERT_FALSE(pdf.empty()) << p->log;
        auto doc = verify_bytes(pdf, std::string(signer) + ".pdf");
        ASSERT_EQ(doc->swis_num, 1);
        const sigcheck_record& r = doc->swis[0];
        EXPECT_STREQ(r.type, "dstn_pkcs7");
        EXPECT_EQ(r.status, sigerr_okay);
        EXPECT_STREQ(r.field_name, "Signature1");
        EXPECT_STREQ(r.reason, "Approved");
        EXPECT_STREQ(r.mtime, "D:20240102030405+08'00'");
        EXPECT_EQ(r.page_index, 0);
        EXPECT_FLOAT_EQ(r.rect[1], 150);
        EXPECT_FLOAT_EQ(r.rect[3], 200);
        EXPECT_EQ(r.ltv_enabled, 0) << "no revocation data";
        ASSERT_EQ(doc->topsigs.size(), 1u);
        EXPECT_EQ(doc->signed_num, 1);
        sig_result* x = doc->topsigs[0];
        ASSERT_NE(x->sig->data, nullptr);
        // The signingTime attribute is the signer's own clock.
        EXPECT_EQ(x->sig->status, sigerr_sigtime_local);
        ASSERT_NE(x->signer_chain, nullptr);
        ASSERT_EQ(x->signer_chain->size(), 2u);
        EXPECT_EQ(chain_status(x->signer_chain), certerr_okay);
        EXPECT_EQ(x->signer_chain->back().cert.subject_cn, L"Velkorant Test Root");
        EXPECT_TRUE(x->check_valid());
        EXPECT_EQ(verify_reports, 1);
        EXPECT_TRUE(sigdata_reports.empty());

        // pdfsig agrees the signature is valid.
        auto judge = run_command("pdfsig -nocert -no-ocsp " + shell_quote(data->file(std::string(signer) + ".pdf")));
        EXPECT_NE(judge.output.find("Signature is Valid"), std::string::npos) << judge.output;

        // One changed byte inside the signed ranges.
        std::size_t at = pdf.find("(Page 1)");
        ASSERT_NE(at, std::string::npos);
        pdf[at + 6] = '7';
        auto bad = verify_bytes(pdf, std::string(signer) + "-tampered.pdf");
        EXPECT_EQ(bad->swis[0].status, sigerr_modified);
        EXPECT_FALSE(bad->topsigs[0]->check_valid());
    }
}

TEST_F(VerifySignatures, Base64ContentsVerifyAndAChangeIsNonStandard) {
    sigfix::signer_fn b64 = [](const std::string& d) {
        return base64_encode(sigfix::cms_sign(*p, "rsa", d, "-certfile ca.pem"));
    };
    sigfix::field_options o;
    o.contents_size = 12000;
    std::string pdf = sigfix::sign_pdf(base_pdf(), o, b64);
    ASSERT_FALSE(pdf.empty()) << p->log;
    auto doc = verify_bytes(pdf, "b64.pdf");
    EXPECT_EQ(doc->swis[0].status, sigerr_okay);
    EXPECT_EQ(doc->topsigs[0]->sig->status, sigerr_sigtime_local);
    pdf[pdf.find("(Page 1)") + 6] = '7';
    auto bad = verify_bytes(pdf, "b64-tampered.pdf");
    EXPECT_EQ(bad->swis[0].status, sigerr_sigcalc_nonstd);
}

TEST_F(VerifySignatures, PreparedFieldsAwaitASignatureAndAreNotCounted) {
    sigfix::field_options prepared;
    prepared.name = "Prepared";
    std::string pdf = sigfix::add_field(base_pdf(), [&] {
        auto o = prepared;
        o.prepared_only = true;
        return o;
    }());
    ASSERT_FALSE(pdf.empty());
    auto only = verify_bytes(pdf, "prepared.pdf");
    ASSERT_EQ(only->swis_num, 1);
    EXPECT_EQ(only->swis[0].status, sigerr_tosign);
    EXPECT_EQ(only->signed_num, 0);
    EXPECT_TRUE(only->topsigs.empty());

    sigfix::field_options second;
    second.name = "Signature2";
    pdf = sigfix::sign_pdf(pdf, second, cms("rsa"));
    sigfix::field_options third;
    third.name = "Signature3";
    pdf = sigfix::sign_pdf(pdf, third, cms("ec"));
    ASSERT_FALSE(pdf.empty()) << p->log;
    auto doc = verify_bytes(pdf, "prepared-signed-signed.pdf");
    ASSERT_EQ(doc->swis_num, 3);
    EXPECT_EQ(doc->swis[0].status, sigerr_tosign);
    EXPECT_EQ(doc->swis[1].status, sigerr_okay);
    EXPECT_EQ(doc->swis[2].status, sigerr_okay);
    EXPECT_EQ(doc->signed_num, 2);
    ASSERT_EQ(doc->topsigs.size(), 2u);
    EXPECT_STREQ(doc->topsigs[0]->record->field_name, "Signature2");

    // The same prepared field with a zero-width rectangle keeps its own verdict.
    auto flat = prepared;
    flat.prepared_only = true;
    flat.rect = FS_RECTF{100, 200, 100, 150};
    auto kept = verify_bytes(sigfix::add_field(base_pdf(), flat), "prepared-flat.pdf");
    EXPECT_NE(kept->swis[0].status, sigerr_tosign);
    EXPECT_EQ(kept->signed_num, 1);
}

TEST_F(VerifySignatures, DocumentTimeStamp) {
    sigfix::field_options o;
    o.timestamp_only = 1;
    std::string pdf = sigfix::sign_pdf(base_pdf(), o, [](const std::string& d) { return sigfix::ts_token(*p, d); });
    ASSERT_FALSE(pdf.empty()) << p->log;
    auto doc = verify_bytes(pdf, "doc-ts.pdf");
    const sigcheck_record& r = doc->swis[0];
    EXPECT_STREQ(r.type, "dstn_rfc3161ts");
    EXPECT_EQ(r.status, sigerr_okay);
    sig_result* x = doc->topsigs[0];
    EXPECT_EQ(x->sig->status, sigerr_okay) << "a time stamp's own time is not local";
    EXPECT_EQ(chain_status(x->signer_chain), certerr_okay);
    EXPECT_TRUE(x->check_valid());
    std::string t;
    bool from_ts = false;
    x->signing_time(t, from_ts);
    EXPECT_TRUE(from_ts);
    EXPECT_EQ(t.size(), 19u);

    pdf[pdf.find("(Page 1)") + 6] = '7';
    EXPECT_EQ(verify_bytes(pdf, "doc-ts-tampered.pdf")->swis[0].status, sigerr_invalid);
}

TEST_F(VerifySignatures, Pkcs1RsaSha1) {
    sigfix::field_options o;
    o.subfilter = "adbe.x509.rsa_sha1";
    o.time = now_pdf_time();
    o.certs = {sigfix::cert_der(*p, "rsa"), sigfix::cert_der(*p, "ca")};
    auto pkcs1 = [](const std::string& d) { return sigfix::pkcs1_sha1_value(*p, "rsa", d); };
    std::string pdf = sigfix::sign_pdf(base_pdf(), o, pkcs1);
    ASSERT_FALSE(pdf.empty()) << p->log;
    auto doc = verify_bytes(pdf, "pkcs1.pdf");
    const sigcheck_record& r = doc->swis[0];
    EXPECT_STREQ(r.type, "dstn_pkcs1");
    EXPECT_EQ(r.status, sigerr_okay);
    sig_result* x = doc->topsigs[0];
    EXPECT_EQ(x->sig->status, sigerr_sigtime_local) << "the time comes from /M";
    ASSERT_NE(x->sig->data, nullptr);
    EXPECT_EQ(x->sig->data->type, "dstn_pkcs1");
    EXPECT_EQ(chain_status(x->signer_chain), certerr_okay);
    EXPECT_EQ(x->signer_chain->front().cert.subject_cn, L"RSA Signer");

    pdf[pdf.find("(Page 1)") + 6] = '7';
    EXPECT_EQ(verify_bytes(pdf, "pkcs1-tampered.pdf")->swis[0].status, sigerr_modified);

    o.certs.clear();
    auto no_cert = verify_bytes(sigfix::sign_pdf(base_pdf(), o, pkcs1), "pkcs1-nocert.pdf");
    EXPECT_EQ(no_cert->swis[0].status, sigerr_no_certificate);
    ASSERT_EQ(sigdata_reports.size(), 1u);
    EXPECT_EQ(sigdata_reports[0].status, sigerr_no_certificate);
}

TEST_F(VerifySignatures, UnsupportedAndMalformedSignaturesKeepTheirOwnStatus) {
    // [unsupported filter, zero-filled contents, ranges past the end, good]
    sigfix::field_options a;
    a.name = "Unsupported";
    a.subfilter = "adbe.pkcs7.sha1";
    std::string pdf = sigfix::sign_pdf(base_pdf(), a, cms("rsa"));
    sigfix::field_options b;
    b.name = "Zeros";
    pdf = sigfix::sign_pdf(pdf, b, [](const std::string&) { return std::string(1, '\0'); });
    sigfix::field_options c;
    c.name = "OutOfFile";
    pdf = sigfix::sign_pdf(pdf, c, cms("rsa"));
    ASSERT_FALSE(pdf.empty()) << p->log;
    {
        // Make the second range of the last field reach past the end.
        std::size_t br = pdf.rfind("/ByteRange");
        std::size_t close = pdf.find(']', br);
        std::size_t last = pdf.find_last_not_of(' ', close - 1);
        std::size_t start = pdf.rfind(' ', last) + 1;
        std::string big = "9999999999";
        std::string region = pdf.substr(start, close - start);
        ASSERT_GE(region.size(), big.size()) << "room for a larger value";
        big.append(region.size() - big.size(), ' ');
        pdf.replace(start, region.size(), big);
    }
    sigfix::field_options d;
    d.name = "Good";
    pdf = sigfix::sign_pdf(pdf, d, cms("ec"));
    ASSERT_FALSE(pdf.empty()) << p->log;
    auto doc = verify_bytes(pdf, "mixed.pdf");
    ASSERT_EQ(doc->swis_num, 4);
    EXPECT_STREQ(doc->swis[0].type, "adbe.pkcs7.sha1 - Adobe.PPKLite");
    EXPECT_EQ(doc->swis[0].status, sigerr_notsup_type);
    EXPECT_EQ(doc->swis[1].status, sigerr_sigdata);
    EXPECT_EQ(doc->swis[2].status, sigerr_invalid) << "ranges outside the file";
    EXPECT_EQ(doc->swis[3].status, sigerr_okay);
    EXPECT_EQ(doc->topsigs.size(), 4u);
    EXPECT_TRUE(doc->topsigs[3]->check_valid());
    ASSERT_EQ(sigdata_reports.size(), 2u);
    EXPECT_EQ(sigdata_reports[0].type, "adbe.pkcs7.sha1 - Adobe.PPKLite");
    EXPECT_EQ(sigdata_reports[1].status, sigerr_sigdata);
}

TEST_F(VerifySignatures, ByteRangesMustCoverAllButTheContentsString) {
    // A file: 10 bytes, the contents string "<ABCD>" (6 bytes), 8 bytes.
    std::string file = "0123456789<ABCD>abcdefgh";
    std::string path = data->file("ranges.bin");
    write_file(path, file);
    const unsigned char raw[] = {0xAB, 0xCD};
    const int64_t big = INT64_MAX;
    struct range_case {
        std::vector<int64_t> ranges;
        int expected;
        const char* what;
    } cases[] = {
        {{0, 10, 16, 8}, byterange_read, "exact"},
        {{0, 10, 16, 5}, byterange_read, "the second range need not reach the end"},
        {{0, 10}, byterange_no_data, "fewer than four values"},
        {{0, 10, 16, 8, 24, 0}, byterange_unsound, "more than two ranges"},
        {{1, 9, 16, 8}, byterange_unsound, "first range not at 0"},
        {{0, -10, 16, 8}, byterange_unsound, "negative length"},
        {{0, 10, 16, 9}, byterange_unsound, "past the end"},
        {{0, 10, 16, big}, byterange_unsound, "overflowing sum"},
        {{0, 10, big, 8}, byterange_unsound, "offset beyond the file"},
        {{0, 16, 10, 8}, byterange_unsound, "overlap"},
        {{0, 11, 16, 8}, byterange_unsound, "a gap that is not the whole string"},
        {{0, 10, 15, 9}, byterange_unsound, "a gap without its closing bracket"},
    };
    for (const auto& c : cases) {
        unsigned char* out = nullptr;
        uint32_t len = 0;
        int result = read_byterange_data(c.ranges, raw, 2, &out, utf8_to_wide(path), &len);
        EXPECT_EQ(result, c.expected) << c.what;
        if (result == byterange_read) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out), len),
                      file.substr(0, 10) + file.substr(16, c.ranges[3]))
                << c.what;
        }
        std::free(out);
    }
    const unsigned char other[] = {0xAB, 0xCE};
    unsigned char* out = nullptr;
    uint32_t len = 0;
    EXPECT_EQ(read_byterange_data({0, 10, 16, 8}, other, 2, &out, utf8_to_wide(path), &len), byterange_unsound)
        << "the gap must be this field's own contents";
    EXPECT_THROW(read_byterange_data({0, 10, 16, 8}, raw, 2, &out, utf8_to_wide(data->file("missing.pdf")), &len),
                 std::exception);
}

TEST_F(VerifySignatures, ASignatureDictionaryMustOwnTheContentsItsRangesLeaveOut) {
    std::string signed_pdf = sigfix::sign_pdf(base_pdf(), {}, cms("rsa"));
    ASSERT_FALSE(signed_pdf.empty()) << p->log;
    {
        auto doc = verify_bytes(signed_pdf, "original.pdf");
        ASSERT_EQ(doc->swis_num, 1);
        EXPECT_EQ(doc->swis[0].status, sigerr_okay);
    }
    // A later update adds a field whose dictionary copies the signature's
    // /Contents and /ByteRange under its own reason, place and time.
    struct copy_case {
        bool drop_original;
        bool direct_value;
        const char* what;
    } cases[] = {
        {false, false, "both fields in the form"},
        {true, false, "the signed field dropped from the form"},
        {true, true, "the copy written inside its field's object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string forged = sigfix::add_copied_signature(signed_pdf, 0, c.drop_original, c.direct_value);
        ASSERT_FALSE(forged.empty());
        auto doc = verify_bytes(forged, "copied.pdf");
        const int copied = c.drop_original ? 0 : 1;
        ASSERT_EQ(doc->swis_num, copied + 1);
        if (!c.drop_original) {
            EXPECT_EQ(doc->swis[0].status, sigerr_okay) << "the real signature stays valid";
        }
        const sigcheck_record& r = doc->swis[copied];
        EXPECT_STREQ(r.field_name, "Copied");
        EXPECT_STREQ(r.reason, "Forged reason");
        EXPECT_EQ(r.status, sigerr_invalid);
        ASSERT_EQ(doc->topsigs.size(), static_cast<std::size_t>(copied + 1));
        EXPECT_FALSE(doc->topsigs[copied]->check_valid());
    }

    // A dictionary written inside its field's object is no fault in itself.
    sigfix::field_options direct;
    direct.direct_value = true;
    std::string inline_pdf = sigfix::sign_pdf(base_pdf(), direct, cms("ec"));
    ASSERT_FALSE(inline_pdf.empty()) << p->log;
    auto doc = verify_bytes(inline_pdf, "inline.pdf");
    ASSERT_EQ(doc->swis_num, 1);
    EXPECT_EQ(doc->swis[0].status, sigerr_okay);
    auto judge = run_command("pdfsig -nocert -no-ocsp " + shell_quote(data->file("inline.pdf")));
    EXPECT_NE(judge.output.find("Signature is Valid"), std::string::npos) << judge.output;
}

// Two test authorities made with one name and two keys, each with a signer
// that names no issuer key; A's signature carries its authority, B's only
// its signer, and B's authority is trusted. Every order of verifying them,
// in one process and after the trust list is read back from disk, gives
// each document the verdict it gets alone.
TEST_F(VerifySignatures, AuthoritiesWithOneNameDoNotChangeEachOthersVerdicts) {
    const char* bare_signer =
        "printf 'basicConstraints=CA:FALSE\\nkeyUsage=critical,digitalSignature\\n"
        "subjectKeyIdentifier=none\\nauthorityKeyIdentifier=none\\n' > bare.ext && "
        "openssl req -new -newkey rsa:2048 -nodes -keyout bare.key -out bare.csr -subj '/CN=Bare Signer' "
        "2>/dev/null && openssl x509 -req -in bare.csr -CA ca.pem -CAkey ca.key -set_serial 5001 -days 90 "
        "-extfile bare.ext -out bare.pem 2>/dev/null";
    sigfix::pki first, second;
    ASSERT_TRUE(first.ok && first.sh(bare_signer)) << first.log;
    ASSERT_TRUE(second.ok && second.sh(bare_signer)) << second.log;
    // The list is kept in id order: A's authority comes first, so that a
    // lookup by name alone meets it before B's.
    auto root_id = [](sigfix::pki& k) {
        X509* c = load_certificate_file(k.f("ca.pem").c_str());
        std::string id = c ? x509_certid(c) : "";
        X509_free(c);
        return id;
    };
    const bool in_order = root_id(first) < root_id(second);
    sigfix::pki& a = in_order ? first : second;
    sigfix::pki& b = in_order ? second : first;
    std::string pdf_a = sigfix::sign_pdf(base_pdf(), {}, [&a](const std::string& d) {
        return sigfix::cms_sign(a, "bare", d, "-certfile ca.pem");
    });
    std::string pdf_b =
        sigfix::sign_pdf(base_pdf(), {}, [&b](const std::string& d) { return sigfix::cms_sign(b, "bare", d); });
    ASSERT_FALSE(pdf_a.empty() || pdf_b.empty()) << a.log << b.log;
    const std::string path_a = data->file("authority-a.pdf"), path_b = data->file("authority-b.pdf");
    write_file(path_a, pdf_a);
    write_file(path_b, pdf_b);

    std::map<std::string, trust_cert_info> saved;
    {
        trust_list_lock lock(trust_list_mutex);
        saved = trust_list;
    }
    X509* root_b = load_certificate_file(b.f("ca.pem").c_str());
    ASSERT_NE(root_b, nullptr);
    trust_list_import_cert(root_b);
    X509_free(root_b);
    std::map<std::string, trust_cert_info> baseline;
    {
        trust_list_lock lock(trust_list_mutex);
        baseline = trust_list;
    }
    auto restore = [](const std::map<std::string, trust_cert_info>& list) {
        trust_list_lock lock(trust_list_mutex);
        trust_list = list;
    };
    auto verdict = [](const std::string& path) {
        auto doc = verify_path(path);
        if (doc->topsigs.size() != 1) return std::string("no result");
        sig_result* x = doc->topsigs[0];
        return std::string(sigerr_name(x->record->status)) + " " + sigerr_name(x->sig->status) + " " +
               certerr_name(chain_status(x->signer_chain)) + " chain " +
               std::to_string(x->signer_chain ? x->signer_chain->size() : 0) + " valid " +
               std::to_string(x->check_valid());
    };

    restore(baseline);
    const std::string alone_a = verdict(path_a);
    restore(baseline);
    const std::string alone_b = verdict(path_b);
    EXPECT_EQ(alone_a, "sigerr_okay sigerr_sigtime_local certerr_not_trusted chain 2 valid 0");
    EXPECT_EQ(alone_b, "sigerr_okay sigerr_sigtime_local certerr_okay chain 2 valid 1");

    restore(baseline);
    EXPECT_EQ(verdict(path_a), alone_a);
    EXPECT_EQ(verdict(path_b), alone_b) << "after A, whose authority has B's name";
    restore(baseline);
    EXPECT_EQ(verdict(path_b), alone_b);
    EXPECT_EQ(verdict(path_a), alone_a);

    // A restart: the list and its certcache copies read back from disk.
    save_trust_list();
    restore({});
    ASSERT_GT(load_trust_list(app_data_dir()), 0);
    EXPECT_EQ(verdict(path_b), alone_b);
    EXPECT_EQ(verdict(path_a), alone_a);

    restore(saved);
    save_trust_list();
}

TEST_F(VerifySignatures, LongTermValidationFromDssOcspResponses) {
    std::string signed_pdf = sigfix::sign_pdf(base_pdf(), {}, cms("rsa"));
    ASSERT_FALSE(signed_pdf.empty()) << p->log;
    std::string key = sigfix::vri_key_of(signed_pdf, 0);
    ASSERT_EQ(key.size(), 40u);
    std::string good = sigfix::ocsp_response(*p, "rsa");
    ASSERT_FALSE(good.empty()) << p->log;

    auto with_dss = verify_bytes(sigfix::add_vri_ocsps(signed_pdf, key, {good}), "ltv.pdf");
    EXPECT_EQ(with_dss->swis[0].status, sigerr_okay);
    EXPECT_EQ(with_dss->swis[0].ltv_enabled, 1);

    // A response for another certificate, an empty stream and an oversized
    // one: not enabled, and the verification still ends normally.
    std::string other = sigfix::ocsp_response(*p, "ec");
    EXPECT_EQ(verify_bytes(sigfix::add_vri_ocsps(signed_pdf, key, {other}), "ltv-other.pdf")->swis[0].ltv_enabled, 0);
    auto empty = verify_bytes(sigfix::add_vri_ocsps(signed_pdf, key, {""}), "ltv-empty.pdf");
    EXPECT_EQ(empty->swis[0].ltv_enabled, 0);
    EXPECT_EQ(empty->topsigs.size(), 1u);
    std::string huge(kMaxVriOcspBytes + 1, '\x30');
    EXPECT_EQ(verify_bytes(sigfix::add_vri_ocsps(signed_pdf, key, {good, huge}), "ltv-huge.pdf")->swis[0].ltv_enabled,
              0);
    // Only the issuer or a responder it delegated may answer for the signer:
    // a response signed by the time-stamp authority (issued by the root, but
    // not for OCSP), or by a responder of the right name and usage that
    // another CA issued, proves nothing.
    for (const char* responder : {"ocsp", "tsa", "rogue", "self"}) {
        SCOPED_TRACE(responder);
        std::string answer = sigfix::ocsp_response(*p, "rsa", 30, responder);
        ASSERT_FALSE(answer.empty()) << p->log;
        EXPECT_EQ(verify_bytes(sigfix::add_vri_ocsps(signed_pdf, key, {answer}), "ltv-responder.pdf")
                      ->swis[0]
                      .ltv_enabled,
                  std::string(responder) == "ocsp" ? 1 : 0);
    }
    // A key of another signature does not count.
    EXPECT_EQ(verify_bytes(sigfix::add_vri_ocsps(signed_pdf, std::string(40, 'A'), {good}), "ltv-key.pdf")
                  ->swis[0]
                  .ltv_enabled,
              0);

    // Two signatures: only the one with revocation data is enabled.
    sigfix::field_options second;
    second.name = "Signature2";
    std::string two = sigfix::sign_pdf(sigfix::add_vri_ocsps(signed_pdf, key, {good}), second, cms("ec"));
    auto both = verify_bytes(two, "ltv-two.pdf");
    ASSERT_EQ(both->swis_num, 2);
    EXPECT_EQ(both->swis[0].ltv_enabled, 1);
    EXPECT_EQ(both->swis[1].ltv_enabled, 0);

    // A self-signed signer (a chain of one) is never enabled.
    std::string self = sigfix::sign_pdf(base_pdf(), {}, cms("self", ""));
    auto self_doc = verify_bytes(sigfix::add_vri_ocsps(self, sigfix::vri_key_of(self, 0), {good}), "ltv-self.pdf");
    EXPECT_EQ(self_doc->swis[0].ltv_enabled, 0);
    EXPECT_EQ(chain_status(self_doc->topsigs[0]->signer_chain), certerr_not_trusted);
    EXPECT_FALSE(self_doc->topsigs[0]->check_valid());
}

TEST(SigerrNames, EveryCodeHasItsNameAndOthersAreUnknown) {
    EXPECT_STREQ(sigerr_name(-1), "sigerr_unknown");
    EXPECT_STREQ(sigerr_name(0), "sigerr_okay");
    EXPECT_STREQ(sigerr_name(4), "sigerr_modified");
    EXPECT_STREQ(sigerr_name(13), "sigerr_sigtime_local");
    EXPECT_STREQ(sigerr_name(16), "sigerr_tosign");
    EXPECT_STREQ(sigerr_name(17), "sigerr_unknown");
    EXPECT_STREQ(sigerr_name(-2), "sigerr_unknown");
}

// A certificate valid from now + from_days to now + to_days.
x509ui make_cert_ui(long from_days, long to_days, const char* cn) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* x = X509_new();
    X509_set_version(x, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x), 7);
    X509_gmtime_adj(X509_getm_notBefore(x), from_days * 86400);
    X509_gmtime_adj(X509_getm_notAfter(x), to_days * 86400);
    X509_NAME* name = X509_get_subject_name(x);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(cn), -1, -1, 0);
    X509_set_issuer_name(x, name);
    X509_set_pubkey(x, key);
    X509_sign(x, key, EVP_sha256());
    x509ui ui;
    build_x509ui(x, ui);
    X509_free(x);
    EVP_PKEY_free(key);
    return ui;
}

TEST(SigningTime, VerdictsFromTimeStampOwnClockAndCertificate) {
    init_crypto();
    x509ui valid = make_cert_ui(-10, 10, "Valid");
    x509ui expired = make_cert_ui(-10, -1, "Expired");
    sigcheck_record r{};
    r.status = sigerr_okay;
    sigdata_record s;
    s.type = "dstn_pkcs7";
    s.sign_time = now_local_text();
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_sigtime_local);
    s.sign_time = "2001-01-01 00:00:00";
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_sigtime_illegal);
    // A time stamp's time counts; an empty one makes the own time count as stamped.
    sigdata_record ts;
    ts.sign_time = now_local_text();
    s.ts = &ts;
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_okay);
    ts.sign_time.clear();
    s.sign_time = now_local_text();
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_okay);
    s.ts = nullptr;
    // No time at all: the certificate's expiry decides.
    s.sign_time.clear();
    EXPECT_EQ(check_signing_time(r, s, expired), sigerr_expired);
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_okay);
    x509ui broken;
    EXPECT_THROW(check_signing_time(r, s, broken), std::exception);
    // /M stands in for a missing time.
    char m[32];
    time_t now = time(nullptr);
    strftime(m, sizeof m, "D:%Y%m%d%H%M%SZ", gmtime(&now));
    std::strcpy(r.mtime, m);
    EXPECT_EQ(check_signing_time(r, s, valid), sigerr_sigtime_local);
}

// A chain left broken for want of its issuer cannot be repaired by marking
// entries: the caller must know that trusting that issuer calls for a new
// verification.
TEST(SigResult, ChainCompletedByItsMissingIssuer) {
    init_crypto();
    x509ui leaf = make_cert_ui(-1, 10, "Leaf"), root = make_cert_ui(-1, 10, "Root"), other = make_cert_ui(-1, 10, "Other");
    leaf.issuer_dn = root.subject_dn;
    sig_result x;
    EXPECT_FALSE(x.chain_completed_by(root)) << "no chain";
    cert_chain_ui broken{{certerr_build_chain, leaf}};
    x.signer_chain = &broken;
    EXPECT_TRUE(x.chain_completed_by(root));
    EXPECT_FALSE(x.chain_completed_by(other)) << "not the chain's issuer";
    broken.front().status = certerr_okay;
    EXPECT_FALSE(x.chain_completed_by(root)) << "the chain is fine already";
    cert_chain_ui whole{{certerr_not_trusted, leaf}, {certerr_not_trusted, root}};
    x.signer_chain = nullptr;
    x.ts_chain = &whole;
    EXPECT_FALSE(x.chain_completed_by(root)) << "the chain holds it: marking is enough";
    x.ts_chain = nullptr;
}

TEST(SigResult, TrustChangesAndTheFinalVerdict) {
    init_crypto();
    x509ui leaf = make_cert_ui(-1, 10, "Leaf"), root = make_cert_ui(-1, 10, "Root"), other = make_cert_ui(-1, 10, "Other");
    auto* x = new sig_result;
    sigcheck_record r{};
    x->record = &r;
    x->sig = new sig_status_cell{sigerr_sigtime_local, new sigdata_record};
    x->signer_chain = new cert_chain_ui{{certerr_not_trusted, leaf}, {certerr_not_trusted, root}};
    x->ts_chain = new cert_chain_ui{{certerr_not_trusted, other}};
    EXPECT_FALSE(x->check_valid());
    x->set_cert_trust(root, true);
    EXPECT_EQ((*x->signer_chain)[0].status, certerr_okay);
    EXPECT_EQ((*x->signer_chain)[1].status, certerr_okay);
    EXPECT_EQ((*x->ts_chain)[0].status, certerr_not_trusted) << "a chain without the certificate is unchanged";
    EXPECT_TRUE(x->check_valid());
    x->set_cert_trust(root, false);
    EXPECT_EQ((*x->signer_chain)[0].status, certerr_not_trusted);

    // A seal signature whose seal chain has since become trusted.
    x->set_cert_trust(root, true);
    x->sig->status = sigerr_sealcert_invalid;
    x->sig->data->seal = new sigdata_record;
    x->seal = new sig_status_cell{sigerr_sigtime_local, x->sig->data->seal};
    x->seal_chain = new cert_chain_ui{{certerr_okay, other}};
    EXPECT_TRUE(x->check_valid());
    EXPECT_EQ(x->sig->status, sigerr_okay);
    x->seal->status = sigerr_invalid;
    EXPECT_FALSE(x->check_valid());
    EXPECT_EQ(x->sig->status, sigerr_sealsig_invalid);
    x->seal->status = sigerr_okay;
    x->sig->status = sigerr_okay;
    (*x->seal_chain)[0].status = certerr_expired;
    EXPECT_FALSE(x->check_valid());
    EXPECT_EQ(x->sig->status, sigerr_sealcert_invalid);

    // No seal data: signing_time falls back to /M.
    std::strcpy(r.mtime, "D:20240102030405Z");
    std::string t;
    bool from_ts = true;
    x->signing_time(t, from_ts);
    EXPECT_FALSE(from_ts);
    EXPECT_EQ(t.substr(0, 4), "2024");
    free_sig_result(x);
}

TEST_F(VerifySignatures, CorpusVerifiesAndAgreesWithPoppler) {
    REQUIRE_CORPUS();
    const std::string corpus = corpus_dir();
    for (const char* ca : {"ca-root.cert.pem", "ca-interm.cert.pem", "ca-tsa.cert.pem"}) {
        X509* cert = load_certificate_file((corpus + "/pyhanko/" + ca).c_str());
        ASSERT_NE(cert, nullptr) << ca;
        trust_list_import_cert(cert);
        X509_free(cert);
    }
    for (const char* folder : {"pyhanko", "dss"}) {
        std::vector<std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(corpus + "/" + folder))
            if (e.path().extension() == ".pdf") files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            SCOPED_TRACE(file);
            std::unique_ptr<doc_pdfium> doc;
            try {
                doc = verify_path(file);
            } catch (const std::exception& ex) {
                // Only opening may fail: the AES-256 file needs a password.
                std::printf("%s: not opened (%s)\n", std::filesystem::path(file).filename().c_str(), ex.what());
                EXPECT_NE(file.find("aes256"), std::string::npos) << ex.what();
                continue;
            }
            std::string poppler = run_command("pdfsig -nocert -no-ocsp " + shell_quote(file)).output;
            std::vector<bool> poppler_valid;
            for (std::size_t at = 0; (at = poppler.find("Signature Validation: ", at)) != std::string::npos; ++at)
                poppler_valid.push_back(poppler.compare(at + 22, 18, "Signature is Valid") == 0);
            std::printf("%s: %d field(s)\n", std::filesystem::path(file).filename().c_str(), doc->swis_num);
            for (int32_t i = 0; i < doc->swis_num; ++i) {
                const sigcheck_record& r = doc->swis[i];
                const sig_result* x = nullptr;
                for (const sig_result* y : doc->topsigs)
                    if (y->record == &r) x = y;
                bool valid = x && const_cast<sig_result*>(x)->check_valid();
                std::printf("  #%d %-16s record %-22s result %-22s chain %-22s ltv %d valid %d poppler %s\n", i + 1,
                            r.type, sigerr_name(r.status), x ? sigerr_name(x->sig->status) : "-",
                            x ? certerr_name(chain_status(x->signer_chain)) : "-", r.ltv_enabled, valid ? 1 : 0,
                            i < static_cast<int32_t>(poppler_valid.size()) ? (poppler_valid[i] ? "valid" : "not valid")
                                                                           : "-");
                // What poppler finds valid verifies here too, except the
                // adbe.pkcs7.sha1 form this program does not support.
                if (i < static_cast<int32_t>(poppler_valid.size()) && poppler_valid[i] &&
                    std::strncmp(r.type, "adbe.pkcs7.sha1 - ", 18) != 0) {
                    EXPECT_TRUE(r.status == sigerr_okay || r.status == sigerr_sigtime_local)
                        << "field " << i + 1 << ": " << sigerr_name(r.status);
                }
                // Signed twice, or signed, stamped and given validation data:
                // what came later is permitted, so every signature and the
                // document time stamp (whose token lists its root first)
                // keep their verdicts.
                if (file.find("signed-twice") != std::string::npos || file.find("pades-lta") != std::string::npos) {
                    ASSERT_NE(x, nullptr);
                    EXPECT_TRUE(x->sig->status == sigerr_okay || x->sig->status == sigerr_sigtime_local)
                        << "field " << i + 1 << ": " << sigerr_name(x->sig->status) << " " << x->later.first_refused;
                }
            }
        }
    }
}

}  // namespace
