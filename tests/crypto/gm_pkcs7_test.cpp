#include "app/encoding.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>

namespace {

// Replaces the outer content type of a DER ContentInfo by gm-signedData,
// independently of the code under test: new SEQUENCE { OID, [0] ... }.
std::vector<unsigned char> relabel_gm_signed(const std::vector<unsigned char>& der) {
    const unsigned char* p = der.data();
    long len = 0;
    int tag = 0, cls = 0;
    int r = ASN1_get_object(&p, &len, &tag, &cls, static_cast<long>(der.size()));
    if ((r & 0x80) != 0 || r == 0x21) return {};
    const unsigned char* oid_start = p;
    long oid_len = 0;
    r = ASN1_get_object(&p, &oid_len, &tag, &cls, len);
    if (tag != V_ASN1_OBJECT) return {};
    p += oid_len;
    std::vector<unsigned char> rest(p, oid_start + len);
    static const unsigned char gm_oid[] = {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55,
                                           0x06, 0x01, 0x04, 0x02, 0x02};
    std::vector<unsigned char> body(gm_oid, gm_oid + sizeof gm_oid);
    body.insert(body.end(), rest.begin(), rest.end());
    std::vector<unsigned char> out(8);
    unsigned char* q = out.data();
    ASN1_put_object(&q, 1, static_cast<int>(body.size()), V_ASN1_SEQUENCE, V_ASN1_UNIVERSAL);
    out.resize(static_cast<std::size_t>(q - out.data()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool contains(const std::vector<unsigned char>& hay, const std::vector<unsigned char>& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

using gm_test::load_cert;
using gm_test::load_key;

// Verifies the signature (no chain) with the stock library.
bool stock_verify(PKCS7* p7, const std::string& content) {
    BIO* in = content.empty() ? nullptr : BIO_new_mem_buf(content.data(), static_cast<int>(content.size()));
    int r = PKCS7_verify(p7, nullptr, nullptr, in, nullptr, PKCS7_NOVERIFY | PKCS7_BINARY);
    BIO_free(in);
    ERR_clear_error();
    return r == 1;
}

}  // namespace

TEST(GmPkcs7, RelabelledSignedDataDecodesFindsSignerAndVerifies) {
    init_crypto();
    gm_test::scratch_dir dir;
    ASSERT_TRUE(dir.run(
        "printf 'GM content' > data.txt && "
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout k.pem -out c.pem -days 30 -subj /CN=GM && "
        "openssl cms -sign -binary -nodetach -in data.txt -signer c.pem -inkey k.pem -outform DER "
        "-out attached.p7s && "
        "openssl smime -sign -binary -in data.txt -signer c.pem -inkey k.pem -outform DER "
        "-out detached.p7s"))
        << dir.log();

    for (const char* name : {"attached.p7s", "detached.p7s"}) {
        SCOPED_TRACE(name);
        const bool detached = std::strcmp(name, "detached.p7s") == 0;
        std::vector<unsigned char> gm = relabel_gm_signed(dir.read(name));
        ASSERT_FALSE(gm.empty());

        // The stock decoder cannot use it...
        const unsigned char* p = gm.data();
        PKCS7* stock = d2i_PKCS7(nullptr, &p, static_cast<long>(gm.size()));
        ASSERT_NE(stock, nullptr);
        EXPECT_EQ(OBJ_obj2nid(stock->type), 1249);
        EXPECT_EQ(PKCS7_get_signer_info(stock), nullptr);
        PKCS7_free(stock);
        ERR_clear_error();

        // ...ours gives an ordinary SignedData.
        bool was_gm = false;
        PKCS7* p7 = parse_pkcs7_der(gm.data(), static_cast<uint32_t>(gm.size()), &was_gm);
        ASSERT_NE(p7, nullptr);
        EXPECT_TRUE(was_gm);
        X509* signer = nullptr;
        STACK_OF(X509)* certs = nullptr;
        EXPECT_EQ(pkcs7_signer_cert(p7, &signer, &certs), 0);
        ASSERT_NE(signer, nullptr);
        STACK_OF(X509)* signers = PKCS7_get0_signers(p7, nullptr, 0);
        EXPECT_EQ(sk_X509_num(signers), 1);
        sk_X509_free(signers);
        EXPECT_TRUE(stock_verify(p7, detached ? "GM content" : ""));
        EXPECT_FALSE(stock_verify(p7, detached ? "GM c0ntent" : "x")) << "wrong content verified";

        // Encoding back: plain gives the original bytes; the GM form (which
        // also labels the data content gm-data) reads back to the same.
        std::vector<unsigned char> again = gm_i2d_pkcs7(p7, true);
        PKCS7* back = gm_d2i_pkcs7(again.data(), static_cast<long>(again.size()), &was_gm);
        ASSERT_NE(back, nullptr);
        EXPECT_TRUE(was_gm);
        EXPECT_EQ(gm_i2d_pkcs7(back, true), again);
        EXPECT_EQ(gm_i2d_pkcs7(back, false), dir.read(name));
        PKCS7_free(back);
        EXPECT_EQ(gm_i2d_pkcs7(p7, false), dir.read(name));
        PKCS7_free(p7);
    }
}

TEST(GmPkcs7, GmDataInnerContentRoundTrip) {
    init_crypto();
    gm_test::scratch_dir dir;
    ASSERT_TRUE(dir.run(
        "printf 'inner' > data.txt && "
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout k.pem "
        "-out c.pem -days 30 -subj /CN=GMEC && "
        "openssl cms -sign -binary -nodetach -in data.txt -signer c.pem -inkey k.pem -outform DER "
        "-out s.p7s"))
        << dir.log();
    auto der = dir.read("s.p7s");
    PKCS7* p7 = parse_pkcs7_der(der.data(), static_cast<uint32_t>(der.size()));
    ASSERT_NE(p7, nullptr);
    std::vector<unsigned char> gm = gm_i2d_pkcs7(p7, true);
    PKCS7_free(p7);
    const std::vector<unsigned char> gm_data_oid = {0x06, 0x0A, 0x2A, 0x81, 0x1C, 0xCF, 0x55,
                                                    0x06, 0x01, 0x04, 0x02, 0x01};
    const std::vector<unsigned char> data_oid = {0x06, 0x09, 0x2A, 0x86, 0x48, 0x86,
                                                 0xF7, 0x0D, 0x01, 0x07, 0x01};
    EXPECT_TRUE(contains(gm, gm_data_oid));

    bool was_gm = false;
    p7 = gm_d2i_pkcs7(gm.data(), static_cast<long>(gm.size()), &was_gm);
    ASSERT_NE(p7, nullptr);
    EXPECT_TRUE(was_gm);
    ASSERT_TRUE(PKCS7_type_is_data(p7->d.sign->contents));
    ASN1_OCTET_STRING* os = p7->d.sign->contents->d.data;
    ASSERT_NE(os, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(os->data), os->length), "inner");
    EXPECT_TRUE(stock_verify(p7, ""));
    EXPECT_EQ(gm_i2d_pkcs7(p7, true), gm);
    PKCS7_free(p7);

    // A plain data PKCS#7 relabelled gm-data and read back.
    PKCS7* data = PKCS7_new();
    ASSERT_TRUE(PKCS7_set_type(data, NID_pkcs7_data));
    ASN1_OCTET_STRING_set(data->d.data, reinterpret_cast<const unsigned char*>("abc"), 3);
    auto gm_plain = gm_i2d_pkcs7(data, true);
    EXPECT_TRUE(contains(gm_plain, gm_data_oid));
    EXPECT_FALSE(contains(gm_plain, data_oid));
    PKCS7_free(data);
    data = gm_d2i_pkcs7(gm_plain.data(), static_cast<long>(gm_plain.size()), &was_gm);
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(was_gm);
    ASSERT_TRUE(PKCS7_type_is_data(data));
    EXPECT_EQ(data->d.data->length, 3);
    PKCS7_free(data);
}

class Sm2Signing : public gm_test::shared_dir_suite<Sm2Signing> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        ok = dir->run(gm_test::rsa_ca_commands("SM2TestCA") + " && " +
                      gm_test::sm2_cert_commands("k.pem", "c.pem", "SM2Signer") +
                      " && openssl x509 -in c.pem -pubkey -noout > pub.pem");
    }
    // A detached SignedData with one SM2/SM3 signer info finished by our step.
    static PKCS7* sign(const std::string& content, X509* cert, EVP_PKEY* key) {
        PKCS7* p7 = gm_test::sm2_signed_data(content, cert, key);
        if (p7 == nullptr) ERR_print_errors_fp(stderr);
        return p7;
    }
    static int verify_ts(PKCS7* p7, const std::string& content, X509* cert, const char* id) {
        BIO* data = BIO_new_mem_buf(content.data(), static_cast<int>(content.size()));
        BIO* chain = PKCS7_dataInit(p7, data);
        char buf[4096];
        while (BIO_read(chain, buf, sizeof buf) > 0) {
        }
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
        int r = gmPKCS7_signatureVerify_ts(chain, p7, si, cert, id);
        BIO_free_all(chain);
        ERR_clear_error();
        return r;
    }
};

TEST_F(Sm2Signing, SignerInfoVerifiesWithOpensslDistid) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("c.pem"));
    EVP_PKEY* key = load_key(dir->file("k.pem"));
    ASSERT_NE(cert, nullptr);
    ASSERT_NE(key, nullptr);
    PKCS7* p7 = sign("sm2 signed text", cert, key);
    ASSERT_NE(p7, nullptr) << crypto_error_data_text();
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
    EXPECT_NE(PKCS7_get_signed_attribute(si, NID_pkcs9_signingTime), nullptr);
    EXPECT_EQ(p7->d.sign->contents->d.data, nullptr) << "detached content kept";

    // Independent check: the signed attributes' DER with openssl dgst.
    unsigned char* attrs = nullptr;
    int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &attrs,
                             ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    ASSERT_GT(alen, 0);
    dir->write("attrs.der", std::vector<unsigned char>(attrs, attrs + alen));
    OPENSSL_free(attrs);
    dir->write("sig.der", std::vector<unsigned char>(si->enc_digest->data,
                                                     si->enc_digest->data + si->enc_digest->length));
    dir->write_text("content.txt", "sm2 signed text");
    EXPECT_TRUE(dir->run("openssl dgst -sm3 -verify pub.pem -sigopt distid:1234567812345678 "
                         "-signature sig.der attrs.der"))
        << dir->log();
    EXPECT_FALSE(dir->run("openssl dgst -sm3 -verify pub.pem -sigopt distid:0000000000000000 "
                          "-signature sig.der attrs.der"));
    // messageDigest is the SM3 of the content.
    ASSERT_TRUE(dir->run("openssl dgst -sm3 -binary content.txt > content.sm3"));
    EXPECT_EQ(pkcs7_signature_hash_hex(p7), bytes_to_hex(dir->read("content.sm3")));

    // Our verification step agrees; a wrong identifier or content fails.
    EXPECT_EQ(verify_ts(p7, "sm2 signed text", cert, "1234567812345678"), 1);
    EXPECT_EQ(verify_ts(p7, "sm2 signed text", cert, "8765432187654321"), -1);
    EXPECT_EQ(verify_ts(p7, "sm2 signed text!", cert, "1234567812345678"), -1);

    // Signed attributes missing: rejected as a signature failure.
    sk_X509_ATTRIBUTE_pop_free(si->auth_attr, X509_ATTRIBUTE_free);
    si->auth_attr = nullptr;
    EXPECT_EQ(verify_ts(p7, "sm2 signed text", cert, "1234567812345678"), -1);

    PKCS7_free(p7);
    EVP_PKEY_free(key);
    X509_free(cert);
}

TEST_F(Sm2Signing, KeepsGivenSigningTimeAndEncodesAsGm) {
    ASSERT_TRUE(ok) << dir->log();
    X509* cert = load_cert(dir->file("c.pem"));
    EVP_PKEY* key = load_key(dir->file("k.pem"));
    PKCS7* p7 = sign("x", cert, key);
    ASSERT_NE(p7, nullptr);
    auto gm = gm_i2d_pkcs7(p7, true);
    bool was_gm = false;
    PKCS7* back = gm_d2i_pkcs7(gm.data(), static_cast<long>(gm.size()), &was_gm);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(was_gm);
    EXPECT_EQ(verify_ts(back, "x", cert, "1234567812345678"), 1);
    PKCS7_free(back);
    PKCS7_free(p7);
    EVP_PKEY_free(key);
    X509_free(cert);
}
