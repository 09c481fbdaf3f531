#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include <openssl/bio.h>
#include <openssl/x509v3.h>

#include "app/text_utils.h"
#include "cert_fixtures.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/local_time.h"
#include "crypto/pfx.h"
#include "crypto/x509ui.h"

using certfix::openssl;
using testsupport::run_command;
using testsupport::scratch_dir;

namespace {

struct loaded_pfx {
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    ~loaded_pfx() {
        X509_free(cert);
        sk_X509_pop_free(chain, X509_free);
        EVP_PKEY_free(key);
    }
};

class Pfx : public ::testing::Test {
protected:
    void SetUp() override { init_crypto(); }
    scratch_dir dir_;
};

// Checks every property a made certificate must have, then the PFX with the tools.
void check_made(const scratch_dir& dir, unsigned key_type, unsigned digest_kind, const char* sig_alg,
                const char* key_text) {
    SCOPED_TRACE(sig_alg);
    const std::string path = dir.file("made.p12");
    X509* made = nullptr;
    const time_t before = std::time(nullptr);
    ASSERT_EQ(make_self_signed_pfx("/CN=Made \\/ Test/O=Velk", key_type, digest_kind, {NID_client_auth}, "pw1",
                                   utf8_to_wide(path), &made),
              0);
    ASSERT_NE(made, nullptr);

    loaded_pfx pfx;
    load_pfx(path.c_str(), "pw1", &pfx.cert, &pfx.chain, &pfx.key);
    ASSERT_NE(pfx.cert, nullptr);
    ASSERT_NE(pfx.key, nullptr);
    EXPECT_EQ(sk_X509_num(pfx.chain), 1);
    EXPECT_EQ(X509_cmp(pfx.cert, made), 0);
    EXPECT_EQ(X509_check_private_key(pfx.cert, pfx.key), 1);
    EXPECT_TRUE(pfx_is_self_signed(path.c_str(), "pw1"));

    x509ui ui;
    build_x509ui(made, ui);
    EXPECT_EQ(ui.version, "V3");
    EXPECT_EQ(ui.sig_alg, sig_alg);
    EXPECT_EQ(ui.key_text, key_text);
    EXPECT_EQ(ui.subject_dn, L"O = Velk\nCN = Made / Test");
    EXPECT_EQ(ui.issuer_dn, ui.subject_dn);
    EXPECT_EQ(ui.key_usage, "Digital Signature, Non Repudiation, Data Encipherment");
    EXPECT_EQ(ui.ext_key_usages, (std::vector<int32_t>{eku_client_auth}));
    EXPECT_EQ(ui.basic_constraints, "Subject Type=End Entity\r\nPath Length Constraint=None");
    EXPECT_FALSE(ui.subject_key_id.empty());
    EXPECT_EQ(ui.authority_key_id, ui.subject_key_id);

    // Extensions in their order, with their criticality.
    const int expected[][2] = {{NID_key_usage, 1}, {NID_ext_key_usage, 1}, {NID_basic_constraints, 1},
                               {NID_subject_key_identifier, 0}, {NID_authority_key_identifier, 0}};
    ASSERT_EQ(X509_get_ext_count(made), 5);
    for (int i = 0; i < 5; ++i) {
        X509_EXTENSION* ext = X509_get_ext(made, i);
        EXPECT_EQ(OBJ_obj2nid(X509_EXTENSION_get_object(ext)), expected[i][0]) << i;
        EXPECT_EQ(X509_EXTENSION_get_critical(ext), expected[i][1]) << i;
    }
    // Positive serial of at most 20 bytes; 360 days of validity from now.
    const ASN1_INTEGER* serial = X509_get0_serialNumber(made);
    EXPECT_EQ(serial->type, V_ASN1_INTEGER);
    EXPECT_LE(ASN1_STRING_length(serial), 20);
    int error = 0;
    const int64_t not_before = asn1_time_to_epoch(X509_get0_notBefore(made), &error);
    const int64_t not_after = asn1_time_to_epoch(X509_get0_notAfter(made), &error);
    EXPECT_EQ(error, 0);
    EXPECT_GE(not_before, before - 1);
    EXPECT_EQ(not_after - not_before, 360 * 86400);

    // Usable for signing by this program: not a CA, clientAuth, not expired.
    EXPECT_FALSE(is_ca_certificate(made));
    EXPECT_TRUE(cert_has_eku(made, "1.3.6.1.5.5.7.3.2"));
    EXPECT_FALSE(cert_expired_checked(made));
    X509_free(made);

    // The command line opens the PFX and accepts the certificate as its own trust anchor.
    const std::string info = openssl("pkcs12 -info -in " + path + " -passin pass:pw1 -nodes 2>&1");
    EXPECT_NE(info.find("BEGIN CERTIFICATE"), std::string::npos) << info;
    EXPECT_NE(info.find("BEGIN PRIVATE KEY"), std::string::npos) << info;
    openssl("pkcs12 -in " + path + " -passin pass:pw1 -nokeys -out " + dir.file("made.pem"));
    const std::string vfyopt = key_type == pfx_key_sm2 ? "-vfyopt distid:1234567812345678 " : "";
    const std::string verified =
        openssl("verify " + vfyopt + "-CAfile " + dir.file("made.pem") + " " + dir.file("made.pem") + " 2>&1");
    EXPECT_NE(verified.find(": OK"), std::string::npos) << verified;
    auto wrong = run_command("openssl pkcs12 -info -in " + path + " -passin pass:nope -nokeys 2>&1");
    EXPECT_NE(wrong.status, 0);
}

TEST_F(Pfx, MakesRsaCertificate) { check_made(dir_, pfx_key_rsa, pfx_digest_sha256, "sha256WithRSA", "RSA (2048 Bits)"); }
TEST_F(Pfx, MakesEcCertificate) { check_made(dir_, pfx_key_ecc, pfx_digest_sha256, "sha256WithECDSA", "ECC (384 Bits)"); }

TEST_F(Pfx, MakesSm2Certificate) {
    check_made(dir_, pfx_key_sm2, pfx_digest_sm3, "sm3WithSM2", "SM2 (256 Bits)");
    // The certificate's own signature, checked by the SM2 tools with and
    // without the GM identifier.
    X509* cert = load_certificate_file(dir_.file("made.pem").c_str());
    ASSERT_NE(cert, nullptr);
    unsigned char* tbs = nullptr;
    const int tbs_length = i2d_re_X509_tbs(cert, &tbs);
    ASSERT_GT(tbs_length, 0);
    testsupport::write_file(dir_.file("tbs"), std::string(reinterpret_cast<char*>(tbs), tbs_length));
    OPENSSL_free(tbs);
    const ASN1_BIT_STRING* signature = nullptr;
    X509_get0_signature(&signature, nullptr, cert);
    testsupport::write_file(dir_.file("cert.sig"), std::string(reinterpret_cast<const char*>(signature->data),
                                                                signature->length));
    X509_free(cert);
    openssl("x509 -in " + dir_.file("made.pem") + " -pubkey -noout -out " + dir_.file("pub.pem"));
    const std::string good = openssl("dgst -sm3 -verify " + dir_.file("pub.pem") +
                                     " -sigopt distid:1234567812345678 -signature " + dir_.file("cert.sig") + " " +
                                     dir_.file("tbs"));
    EXPECT_NE(good.find("Verified OK"), std::string::npos) << good;
    auto plain = run_command("openssl dgst -sm3 -verify " + dir_.file("pub.pem") + " -signature " +
                             dir_.file("cert.sig") + " " + dir_.file("tbs") + " 2>&1");
    EXPECT_NE(plain.status, 0) << plain.output;

    // The key signs with the GM identifier as the SM2 tools expect.
    openssl("pkcs12 -in " + dir_.file("made.p12") + " -passin pass:pw1 -nocerts -nodes -out " + dir_.file("k.pem"));
    testsupport::write_file(dir_.file("data"), "hello");
    openssl("dgst -sm3 -sign " + dir_.file("k.pem") + " -sigopt distid:1234567812345678 -out " + dir_.file("sig") +
            " " + dir_.file("data"));
    const std::string ok = openssl("dgst -sm3 -verify " + dir_.file("pub.pem") +
                                   " -sigopt distid:1234567812345678 -signature " + dir_.file("sig") + " " +
                                   dir_.file("data"));
    EXPECT_NE(ok.find("Verified OK"), std::string::npos);
}

TEST_F(Pfx, MakeFailures) {
    X509* cert = nullptr;
    const std::wstring out = utf8_to_wide(dir_.file("x.p12"));
    EXPECT_EQ(make_self_signed_pfx("/CN=x", pfx_key_rsa, 9, {}, "pw", out, &cert), 1);      // digest kind
    EXPECT_EQ(make_self_signed_pfx("/CN=x", 7, pfx_digest_sha256, {}, "pw", out, &cert), 1);  // key type
    EXPECT_EQ(make_self_signed_pfx("CN=x", pfx_key_rsa, pfx_digest_sha256, {}, "pw", out, &cert), 1);  // subject
    EXPECT_EQ(cert, nullptr);
    EXPECT_FALSE(testsupport::file_exists(dir_.file("x.p12")));
    // A folder that does not exist: the certificate still comes out.
    EXPECT_EQ(make_self_signed_pfx("/CN=x", pfx_key_ecc, pfx_digest_sha256, {}, "pw",
                                   utf8_to_wide(dir_.file("no/such/x.p12")), &cert),
              1);
    EXPECT_NE(cert, nullptr);
    X509_free(cert);
}

TEST_F(Pfx, LoadsChainsAndRefusesWrongInput) {
    certfix::make_self_signed(dir_, "leaf", "/CN=Leaf");
    certfix::make_self_signed(dir_, "ca1", "/CN=CA1");
    certfix::make_self_signed(dir_, "ca2", "/CN=CA2");
    testsupport::write_file(dir_.file("cas.pem"), testsupport::read_file(dir_.file("ca1.pem")) +
                                                      testsupport::read_file(dir_.file("ca2.pem")));
    openssl("pkcs12 -export -in " + dir_.file("leaf.pem") + " -inkey " + dir_.file("leaf.key") + " -certfile " +
            dir_.file("cas.pem") + " -passout pass:pw -out " + dir_.file("three.p12"));
    {
        loaded_pfx pfx;
        load_pfx(dir_.file("three.p12").c_str(), "pw", &pfx.cert, &pfx.chain, &pfx.key);
        ASSERT_EQ(sk_X509_num(pfx.chain), 3);
        EXPECT_EQ(sk_X509_value(pfx.chain, 0), pfx.cert);
        EXPECT_EQ(certfix::subject_line(pfx.cert), "/CN=Leaf");
    }
    {
        loaded_pfx pfx;
        load_pfx(dir_.file("three.p12").c_str(), "wrong", &pfx.cert, &pfx.chain, &pfx.key);
        EXPECT_TRUE(!pfx.cert && !pfx.chain && !pfx.key);
        load_pfx(dir_.file("leaf.pem").c_str(), "pw", &pfx.cert, &pfx.chain, &pfx.key);
        EXPECT_TRUE(!pfx.cert && !pfx.chain && !pfx.key);
        load_pfx(dir_.file("missing.p12").c_str(), "pw", &pfx.cert, &pfx.chain, &pfx.key);
        EXPECT_TRUE(!pfx.cert && !pfx.chain && !pfx.key);
    }
    {
        // An out-parameter already in use: all three are cleared, nothing is opened.
        X509* held = load_certificate_file(dir_.file("leaf.pem").c_str());
        X509* cert = held;
        STACK_OF(X509)* chain = nullptr;
        EVP_PKEY* key = nullptr;
        load_pfx(dir_.file("three.p12").c_str(), "pw", &cert, &chain, &key);
        EXPECT_TRUE(!cert && !chain && !key);
        X509_free(held);
    }
    EXPECT_THROW(pfx_is_self_signed(dir_.file("three.p12").c_str(), "wrong"), std::exception);
}

std::string parsed(const std::string& text) {
    BIO* err = BIO_new(BIO_s_mem());
    X509_NAME* name = parse_subject_name(text, err);
    std::string result = "(fail)";
    if (name) {
        char buffer[256];
        X509_NAME_oneline(name, buffer, sizeof buffer);
        result = buffer;
        X509_NAME_free(name);
    }
    BIO_free(err);
    return result;
}

TEST(SubjectName, Parser) {
    struct { const char* text; const char* result; } cases[] = {
        {"/CN=Name", "/CN=Name"},
        {"/C=CN/O=Org/CN=Name", "/C=CN/O=Org/CN=Name"},
        {"/CN=a\\/b", "/CN=a\\/b"},  // one-line form escapes the slash
        {"/CN=a\\=b", "/CN=a=b"},
        {"/bogusType=x/CN=Kept", "/CN=Kept"},
        {"/CN=", ""},
        {"/commonName=Long/2.5.4.10=Dotted", "/CN=Long/O=Dotted"},
        {"CN=NoSlash", "(fail)"},
        {"/CN", "(fail)"},
        {"/CN=trailing\\", "(fail)"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.result) << c.text;
    // Values are UTF-8.
    EXPECT_EQ(parsed("/CN=\xE4\xB8\xAD\xE6\x96\x87"), "/CN=\\xE4\\xB8\\xAD\\xE6\\x96\\x87");
}

TEST(SmAlgorithmName, Cases) {
    EXPECT_TRUE(names_sm_algorithm("sm3WithSM2"));
    EXPECT_TRUE(names_sm_algorithm("SM2-with-SM3"));
    EXPECT_FALSE(names_sm_algorithm("sha256WithRSAEncryption"));
    EXPECT_FALSE(names_sm_algorithm("SM3"));
}

}  // namespace
