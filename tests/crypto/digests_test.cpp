#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string digest_hex(const char* name, const std::string& text) {
    unsigned char* out = nullptr;
    uint32_t len = 0;
    digest_by_name(reinterpret_cast<const unsigned char*>(text.data()),
                   static_cast<uint32_t>(text.size()), name, &out, &len);
    std::string hex;
    char b[3];
    for (uint32_t i = 0; i < len; ++i) {
        std::snprintf(b, sizeof b, "%02X", out[i]);
        hex += b;
    }
    std::free(out);
    return hex;
}

}  // namespace

TEST(Digests, ByNameKnownValues) {
    init_crypto();
    EXPECT_EQ(sha1_hex(reinterpret_cast<const unsigned char*>("abc"), 3),
              "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(digest_hex("sha1", "abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(digest_hex("sha256", "abc"),
              "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    EXPECT_EQ(digest_hex("sm3", "abc"),
              "66C7F0F462EEEDD9D1F2D46BDC10E4E24167C4875CF2F7A2297DA02B8F4BA8E0");
    EXPECT_EQ(digest_hex("sha384", "abc").size(), 96u);
    EXPECT_EQ(digest_hex("sha512", "abc").size(), 128u);

    unsigned char* out = nullptr;
    uint32_t len = 0;
    digest_by_name(reinterpret_cast<const unsigned char*>("abc"), 3, "unsupport", &out, &len);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(len, 0u);
    digest_data(reinterpret_cast<const unsigned char*>("abc"), 0, EVP_sha256(), &out, &len);
    EXPECT_EQ(out, nullptr);
    digest_data(nullptr, 3, EVP_sha256(), &out, &len);
    EXPECT_EQ(out, nullptr);
    digest_data(reinterpret_cast<const unsigned char*>("abc"), 3, nullptr, &out, &len);
    EXPECT_EQ(out, nullptr);
}

TEST(Digests, AlgorithmNamesAndKinds) {
    init_crypto();
    struct row {
        int alg, digest;
        const char* name;
    };
    const row names[] = {
        {6, 64, "sha1WithRSA"},       {6, 672, "sha256WithRSA"},  {6, 673, "sha384WithRSA"},
        {6, 674, "sha512WithRSA"},    {6, 0, "sigalg-unsupported"}, {65, 0, "sha1WithRSA"},
        {115, 672, "sha1WithRSA"},    {668, 0, "sha256WithRSA"},  {669, 0, "sha384WithRSA"},
        {670, 0, "sha512WithRSA"},    {416, 0, "sha1WithECDSA"},  {794, 0, "sha256WithECDSA"},
        {795, 0, "sha384WithECDSA"},  {796, 0, "sha512WithECDSA"}, {408, 1143, "sm3WithECDSA"},
        {408, 672, "sigalg-unsupported"}, {1172, 1143, "sm3WithSM2"}, {1250, 1204, "sm3WithSM2"},
        {1250, 0, "sigalg-unsupported"}, {1172, 1251, "hmac-sm3WithSM2"}, {1204, 0, "sm3WithSM2"},
        {1250, 672, "sigalg-unsupported"}, {999, 672, "sigalg-unsupported"},
    };
    for (const auto& r : names)
        EXPECT_STREQ(signature_alg_name(r.alg, r.digest), r.name) << r.alg << "," << r.digest;

    EXPECT_STREQ(digest_alg_name(nid_hmac_sm3), "hmacWithSM3");
    EXPECT_EQ(digest_alg_name(64), digest_name_sha1);
    EXPECT_EQ(digest_alg_name(1204), digest_name_sm3);
    EXPECT_EQ(digest_alg_name(1143), digest_name_sm3);
    EXPECT_EQ(digest_alg_name(674), digest_name_sha512);
    EXPECT_EQ(digest_alg_name(0), digest_name_unsupport);

    EXPECT_STREQ(digest_name_from_alg_text("SHA512WITHRSA"), "sha512");
    EXPECT_STREQ(digest_name_from_alg_text("hmac-sm3WithSM2"), "sm3");
    EXPECT_STREQ(digest_name_from_alg_text("sha384WithECDSA"), "sha384");
    EXPECT_STREQ(digest_name_from_alg_text("sha256WithRSA"), "sha256");
    EXPECT_STREQ(digest_name_from_alg_text("1250"), "unsupport");

    const int digest_kinds[][2] = {{64, 1}, {672, 2}, {673, 3}, {674, 4}, {1143, 5}, {1204, 0}, {0, 0}};
    for (const auto& k : digest_kinds) EXPECT_EQ(digest_kind_of(k[0]), k[1]) << k[0];
    const int sig_kinds[][2] = {{65, 1}, {115, 1}, {668, 2}, {669, 3}, {670, 4}, {416, 5}, {794, 6},
                                {795, 7}, {796, 8}, {1172, 9}, {1250, 9}, {1204, 9}, {6, 10}, {408, 10}};
    for (const auto& k : sig_kinds) EXPECT_EQ(signature_kind_of(k[0]), k[1]) << k[0];
}

TEST(Digests, FindLastBytes) {
    const std::string buf = "xx/Contents<00>yy/Contents<00>zz";
    auto find = [&](const std::string& hay, const std::string& pat) {
        return find_last_bytes(reinterpret_cast<const unsigned char*>(hay.data()), hay.size(),
                               reinterpret_cast<const unsigned char*>(pat.data()), pat.size());
    };
    EXPECT_EQ(find(buf, "/Contents<"), 17);
    EXPECT_EQ(find(buf, "xx"), 0);
    EXPECT_EQ(find(buf, "zz"), static_cast<int64_t>(buf.size() - 2));
    EXPECT_EQ(find(buf, "/ByteRange["), -1);
    EXPECT_EQ(find("ab", "abc"), -1);
    EXPECT_EQ(find(buf, ""), -1);
}

TEST(Digests, CryptoErrorDataTextPeeksEarliest) {
    ERR_clear_error();
    EXPECT_EQ(crypto_error_data_text(), "");
    ERR_raise_data(ERR_LIB_PKCS7, PKCS7_R_SIGNATURE_FAILURE, "first %d", 1);
    ERR_raise_data(ERR_LIB_PKCS7, PKCS7_R_DIGEST_FAILURE, "second");
    EXPECT_EQ(crypto_error_data_text(), "first 1");
    EXPECT_EQ(crypto_error_data_text(), "first 1");  // left in the queue
    ERR_clear_error();
    ERR_raise(ERR_LIB_PKCS7, PKCS7_R_SIGNATURE_FAILURE);
    EXPECT_EQ(crypto_error_data_text(), "");
    ERR_clear_error();
}

class FirstSigner : public gm_test::shared_dir_suite<FirstSigner> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        ok = dir->run(
            "printf 'signed content' > data.txt && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout k.pem -out c.pem -days 30 "
            "-subj /CN=First -sha256 && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout k2.pem -out other.pem -days 30 "
            "-subj /CN=Other && "
            // Signed attributes with a fixed UTCTime signing time comes from cms.
            "openssl cms -sign -binary -in data.txt -signer c.pem -inkey k.pem -outform DER "
            "-out attrs.p7s && "
            "openssl cms -sign -binary -noattr -in data.txt -signer c.pem -inkey k.pem "
            "-outform DER -out noattr.p7s && "
            "openssl cms -sign -binary -nocerts -in data.txt -signer c.pem -inkey k.pem "
            "-outform DER -out nocerts.p7s && "
            "openssl crl2pkcs7 -nocrl -certfile c.pem -outform DER -out bundle.p7c && "
            "openssl dgst -sha256 -binary data.txt > data.sha256");
    }
    static PKCS7* load(const std::string& name) {
        auto der = dir->read(name);
        return parse_pkcs7_der(der.data(), static_cast<uint32_t>(der.size()));
    }
};

TEST_F(FirstSigner, SignerCertificateAndDigest) {
    ASSERT_TRUE(ok) << dir->log();
    const std::string sha256 = [] {
        auto b = dir->read("data.sha256");
        std::string h;
        char x[3];
        for (auto c : b) {
            std::snprintf(x, sizeof x, "%02X", c);
            h += x;
        }
        return h;
    }();

    PKCS7* p7 = load("attrs.p7s");
    ASSERT_NE(p7, nullptr);
    X509* signer = nullptr;
    STACK_OF(X509)* certs = nullptr;
    EXPECT_EQ(pkcs7_signer_cert(p7, &signer, &certs), 0);
    ASSERT_NE(signer, nullptr);
    EXPECT_EQ(sk_X509_num(certs), 1);
    EXPECT_EQ(x509_certid(signer).size(), 40u);
    EXPECT_EQ(pkcs7_signature_hash_hex(p7), sha256);

    // The certificate id is the SHA-1 of the DER, as openssl prints it.
    ASSERT_TRUE(dir->run("openssl x509 -in c.pem -noout -fingerprint -sha1 > fp.txt"));
    std::string fp = dir->read_text("fp.txt");
    std::string expected;
    for (char c : fp.substr(fp.find('=') + 1))
        if (std::isxdigit(static_cast<unsigned char>(c))) expected += c;
    EXPECT_EQ(x509_certid(signer), expected);

    unsigned char* der = nullptr;
    uint32_t len = 0;
    EXPECT_EQ(pkcs7_attribute_der(p7, true, "1.2.840.113549.1.9.4", &der, &len), 0);
    ASSERT_NE(der, nullptr);
    EXPECT_EQ(der[0], 0x04);  // OCTET STRING
    EXPECT_EQ(len, 34u);
    std::free(der);
    EXPECT_EQ(pkcs7_attribute_der(p7, false, "1.2.840.113549.1.9.16.2.14", &der, &len), 1);
    EXPECT_EQ(der, nullptr);

    // Round trip through DER.
    unsigned char* out = nullptr;
    uint32_t out_len = 0;
    EXPECT_NE(pkcs7_to_der(p7, &out, &out_len), nullptr);
    EXPECT_EQ(dir->read("attrs.p7s"), std::vector<unsigned char>(out, out + out_len));
    std::free(out);
    PKCS7_free(p7);

    // Without signed attributes the digest comes out of the RSA signature.
    p7 = load("noattr.p7s");
    ASSERT_NE(p7, nullptr);
    EXPECT_EQ(pkcs7_signature_hash_hex(p7), sha256);
    std::string t;
    EXPECT_EQ(pkcs7_signing_time(p7, &t), 1);
    PKCS7_free(p7);

    // Signer certificate missing: status 0, no certificate, no digest recovery.
    p7 = load("nocerts.p7s");
    ASSERT_NE(p7, nullptr);
    EXPECT_EQ(pkcs7_signer_cert(p7, &signer, &certs), 0);
    EXPECT_EQ(signer, nullptr);
    PKCS7_free(p7);

    // A certificates-only bundle has no signer.
    p7 = load("bundle.p7c");
    ASSERT_NE(p7, nullptr);
    EXPECT_EQ(pkcs7_signer_cert(p7, &signer, &certs), 1);
    EXPECT_EQ(pkcs7_signature_hash_hex(p7), "");
    PKCS7_free(p7);

    EXPECT_EQ(pkcs7_signer_cert(nullptr, &signer, &certs), 1);
    EXPECT_EQ(parse_pkcs7_der(reinterpret_cast<const unsigned char*>("junk"), 4), nullptr);
}

TEST_F(FirstSigner, SigningTimeIsLocalAndTokenTimeWins) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* p7 = load("attrs.p7s");
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);

    // Replace the signing time by a known instant and read it in two zones.
    ASN1_UTCTIME* when = ASN1_UTCTIME_new();
    ASSERT_TRUE(ASN1_UTCTIME_set_string(when, "240315123456Z"));
    ASSERT_TRUE(PKCS7_add_signed_attribute(si, NID_pkcs9_signingTime, V_ASN1_UTCTIME, when));

    const char* old_tz = std::getenv("TZ");
    std::string saved = old_tz ? old_tz : "";
    std::string t;
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(pkcs7_signing_time(p7, &t), 0);
    EXPECT_EQ(t, "2024-03-15 12:34:56");
    setenv("TZ", "Asia/Kolkata", 1);  // half-hour offset
    tzset();
    EXPECT_EQ(pkcs7_signing_time(p7, &t), 0);
    EXPECT_EQ(t, "2024-03-15 18:04:56");

    // An embedded token without a UTCTime signing time: status 1 even though
    // the outer signature has one.
    PKCS7* token = load("noattr.p7s");
    ASSERT_NE(token, nullptr);
    unsigned char* token_der = nullptr;
    int n = i2d_PKCS7(token, &token_der);
    ASSERT_GT(n, 0);
    ASN1_STRING* seq = ASN1_STRING_new();
    ASN1_STRING_set(seq, token_der, n);
    OPENSSL_free(token_der);
    ASSERT_TRUE(PKCS7_add_attribute(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, seq));
    EXPECT_EQ(pkcs7_signing_time(p7, &t), 1);

    // A token with one: its time is the answer.
    PKCS7_SIGNER_INFO* tsi = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(token), 0);
    ASN1_UTCTIME* token_time = ASN1_UTCTIME_new();
    ASSERT_TRUE(ASN1_UTCTIME_set_string(token_time, "991231235959Z"));
    ASSERT_TRUE(PKCS7_add_signed_attribute(tsi, NID_pkcs9_signingTime, V_ASN1_UTCTIME, token_time));
    token_der = nullptr;
    n = i2d_PKCS7(token, &token_der);
    seq = ASN1_STRING_new();
    ASN1_STRING_set(seq, token_der, n);
    OPENSSL_free(token_der);
    ASSERT_TRUE(PKCS7_add_attribute(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, seq));
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(pkcs7_signing_time(p7, &t), 0);
    EXPECT_EQ(t, "1999-12-31 23:59:59");

    if (old_tz) setenv("TZ", saved.c_str(), 1); else unsetenv("TZ");
    tzset();
    PKCS7_free(token);
    PKCS7_free(p7);
}
