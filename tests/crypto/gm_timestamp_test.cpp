#include "crypto/crypto_init.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/gm_timestamp.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ts.h>

namespace {

const char ts_config[] =
    "[ tsa ]\n"
    "default_tsa = tsa_config1\n"
    "[ tsa_config1 ]\n"
    "serial = ./serial\n"
    "signer_digest = sha256\n"
    "default_policy = 1.2.3.4.1\n"
    "digests = sha256\n"
    "ess_cert_id_alg = sha256\n"
    "ess_cert_id_chain = no\n";

const char tsa_ext[] =
    "[ tsa ]\n"
    "basicConstraints = CA:FALSE\n"
    "keyUsage = critical, digitalSignature\n"
    "extendedKeyUsage = critical, timeStamping\n";

class TimeStampOrder : public gm_test::shared_dir_suite<TimeStampOrder> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        dir->write_text("ts.cnf", ts_config);
        dir->write_text("tsa.ext", tsa_ext);
        ok = dir->run(
            "echo 01 > serial && printf 'stamped' > data.txt && "
            "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 "
            "-subj /CN=TsRoot && "
            "openssl req -new -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj /CN=TsUnit && "
            "openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -days 30 -extfile tsa.ext "
            "-extensions tsa -out tsa.pem && "
            "openssl ts -query -data data.txt -sha256 -cert -out q.tsq && "
            "openssl ts -reply -config ts.cnf -queryfile q.tsq -signer tsa.pem -inkey tsa.key "
            "-chain ca.pem -out r.tsr && "
            "openssl ts -reply -config ts.cnf -in r.tsr -token_out -out token.der && "
            "openssl ts -verify -in r.tsr -queryfile q.tsq -CAfile ca.pem");
    }
    static PKCS7* token() {
        auto der = dir->read("token.der");
        return gm_d2i_pkcs7(der.data(), static_cast<long>(der.size()));
    }
    static X509_STORE* store_with_root(bool with_root) {
        X509_STORE* store = X509_STORE_new();
        if (with_root) {
            X509* ca = gm_test::load_cert(dir->file("ca.pem"));
            X509_STORE_add_cert(store, ca);
            X509_free(ca);
        }
        return store;
    }
    // Reason of the latest error (the outermost one), then clears the queue.
    static int last_reason() {
        unsigned long e = ERR_peek_last_error();
        ERR_clear_error();
        return ERR_GET_REASON(e);
    }
};

TEST_F(TimeStampOrder, GoodTokenVerifiesAndReturnsSigner) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* p7 = token();
    ASSERT_NE(p7, nullptr);
    X509_STORE* store = store_with_root(true);
    X509* signer = nullptr;
    EXPECT_EQ(gm::TS_RESP_verify_signature(p7, nullptr, store, &signer), 1);
    ASSERT_NE(signer, nullptr);
    char cn[64] = "";
    X509_NAME_get_text_by_NID(X509_get_subject_name(signer), NID_commonName, cn, sizeof cn);
    EXPECT_STREQ(cn, "TsUnit");
    X509_free(signer);

    // Without a trusted root only the chain step fails, and it comes last.
    X509_STORE* empty = store_with_root(false);
    EXPECT_EQ(gm::TS_RESP_verify_signature(p7, nullptr, empty, nullptr), 0);
    EXPECT_EQ(last_reason(), TS_R_CERTIFICATE_VERIFY_ERROR);
    X509_STORE_free(empty);
    X509_STORE_free(store);
    PKCS7_free(p7);
}

TEST_F(TimeStampOrder, BadSignatureReportedBeforeAnyChainCheck) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* p7 = token();
    ASSERT_NE(p7, nullptr);
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
    si->enc_digest->data[20] ^= 0x01;
    X509_STORE* empty = store_with_root(false);
    EXPECT_EQ(gm::TS_RESP_verify_signature(p7, nullptr, empty, nullptr), 0);
    EXPECT_EQ(last_reason(), TS_R_SIGNATURE_FAILURE);
    // The stock function checks the chain first and says so.
    EXPECT_EQ(::TS_RESP_verify_signature(p7, nullptr, empty, nullptr), 0);
    EXPECT_EQ(last_reason(), TS_R_CERTIFICATE_VERIFY_ERROR);
    X509_STORE_free(empty);
    PKCS7_free(p7);
}

TEST_F(TimeStampOrder, SignerNeedNotBeFirstInTheToken) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* p7 = token();
    ASSERT_NE(p7, nullptr);
    STACK_OF(X509)* certs = p7->d.sign->cert;
    ASSERT_EQ(sk_X509_num(certs), 2);
    X509* first = sk_X509_value(certs, 0);
    sk_X509_set(certs, 0, sk_X509_value(certs, 1));
    sk_X509_set(certs, 1, first);
    X509_STORE* store = store_with_root(true);
    // Tokens that list their root first are common (the corpus PAdES-LTA
    // document's is one): the signing-certificate attribute is checked
    // against the verified chain, as the stock function does.
    EXPECT_EQ(::TS_RESP_verify_signature(p7, nullptr, store, nullptr), 1) << "the chain itself is good";
    ERR_clear_error();
    EXPECT_EQ(gm::TS_RESP_verify_signature(p7, nullptr, store, nullptr), 1);
    X509_STORE_free(store);
    PKCS7_free(p7);
}

TEST_F(TimeStampOrder, GmLabelledTokenAndResponse) {
    ASSERT_TRUE(ok) << dir->log();
    auto resp_der = dir->read("r.tsr");
    const unsigned char* p = resp_der.data();
    TS_RESP* stock = ::d2i_TS_RESP(nullptr, &p, static_cast<long>(resp_der.size()));
    ASSERT_NE(stock, nullptr);

    // Rebuild the response with its token labelled gm-signedData.
    std::vector<unsigned char> gm_token = gm_i2d_pkcs7(TS_RESP_get_token(stock), true);
    ASSERT_FALSE(gm_token.empty());
    unsigned char* status = nullptr;
    int status_len = i2d_TS_STATUS_INFO(TS_RESP_get_status_info(stock), &status);
    ASSERT_GT(status_len, 0);
    std::vector<unsigned char> body(status, status + status_len);
    OPENSSL_free(status);
    body.insert(body.end(), gm_token.begin(), gm_token.end());
    std::vector<unsigned char> gm_resp(8);
    unsigned char* q = gm_resp.data();
    ASN1_put_object(&q, 1, static_cast<int>(body.size()), V_ASN1_SEQUENCE, V_ASN1_UNIVERSAL);
    gm_resp.resize(static_cast<std::size_t>(q - gm_resp.data()));
    gm_resp.insert(gm_resp.end(), body.begin(), body.end());
    TS_RESP_free(stock);

    p = gm_resp.data();
    TS_RESP* refused = ::d2i_TS_RESP(nullptr, &p, static_cast<long>(gm_resp.size()));
    EXPECT_EQ(refused, nullptr);
    TS_RESP_free(refused);
    ERR_clear_error();

    TS_RESP* resp = gm::d2i_TS_RESP(gm_resp.data(), static_cast<long>(gm_resp.size()));
    ASSERT_NE(resp, nullptr);
    EXPECT_NE(TS_RESP_get_tst_info(resp), nullptr);
    X509_STORE* store = store_with_root(true);
    EXPECT_EQ(gm::TS_RESP_verify_signature(TS_RESP_get_token(resp), nullptr, store, nullptr), 1);
    X509_STORE_free(store);
    TS_RESP_free(resp);

    // The token alone, GM-labelled, decodes and verifies the same way.
    bool was_gm = false;
    PKCS7* token = gm_d2i_pkcs7(gm_token.data(), static_cast<long>(gm_token.size()), &was_gm);
    ASSERT_NE(token, nullptr);
    EXPECT_TRUE(was_gm);
    store = store_with_root(true);
    EXPECT_EQ(gm::TS_RESP_verify_signature(token, nullptr, store, nullptr), 1);
    X509_STORE_free(store);
    PKCS7_free(token);
}

TEST(TimeStampArguments, NullAndWrongTypes) {
    init_crypto();
    EXPECT_EQ(gm::TS_RESP_verify_signature(nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ERR_GET_REASON(ERR_peek_error()), TS_R_INVALID_NULL_POINTER);
    ERR_clear_error();
    PKCS7* data = PKCS7_new();
    PKCS7_set_type(data, NID_pkcs7_data);
    EXPECT_EQ(gm::TS_RESP_verify_signature(data, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(ERR_GET_REASON(ERR_peek_error()), TS_R_WRONG_CONTENT_TYPE);
    ERR_clear_error();
    PKCS7_free(data);
}

}  // namespace
