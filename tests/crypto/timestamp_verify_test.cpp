#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/signature_verify.h"
#include "crypto/timestamp_verify.h"
#include "crypto/trust_list.h"
#include "gm_test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<unsigned char>;

// A TSA under its own CA, a second TSA certificate that expired in 2021,
// and a CMS signature to embed a token in.
const char* const kFixture =
    "printf '[ tsa ]\\ndefault_tsa = tsa_config\\n[ tsa_config ]\\nserial = ./tsserial\\n"
    "crypto_device = builtin\\nsigner_digest = sha256\\ndefault_policy = 1.2.3.4.1\\n"
    "digests = sha256, sha1\\naccuracy = secs:1\\nordering = no\\ntsa_name = no\\n"
    "ess_cert_id_chain = no\\ness_cert_id_alg = sha256\\n' > ts.cnf && echo 01 > tsserial && "
    "mkdir -p db && touch db/index.txt && echo 1000 > db/serial && "
    "printf '[ ca ]\\ndefault_ca = c\\n[ c ]\\ndatabase = db/index.txt\\nserial = db/serial\\n"
    "new_certs_dir = db\\ndefault_md = sha256\\npolicy = any\\nunique_subject = no\\n"
    "[ any ]\\ncommonName = supplied\\n[ tsa_ext ]\\nextendedKeyUsage = critical,timeStamping\\n"
    "keyUsage = critical,digitalSignature\\n' > ca.cnf && "
    "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj /CN=TSACA && "
    "for n in tsa old; do openssl req -new -newkey rsa:2048 -nodes -keyout $n.key -out $n.csr "
    "-subj /CN=$n || exit 1; done && "
    "openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in tsa.csr -days 30 "
    "-extensions tsa_ext -out tsa.pem && "
    "openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in old.csr "
    "-startdate 20200101000000Z -enddate 20210101000000Z -extensions tsa_ext -out old.pem && "
    "printf 'document bytes' > data.bin && "
    "openssl ts -query -data data.bin -sha256 -cert -out q.tsq && "
    "openssl ts -reply -config ts.cnf -queryfile q.tsq -signer tsa.pem -inkey tsa.key "
    "-chain ca.pem -token_out -out token.der && "
    "openssl ts -reply -config ts.cnf -queryfile q.tsq -signer old.pem -inkey old.key "
    "-chain ca.pem -token_out -out old_token.der && "
    "openssl req -x509 -newkey rsa:2048 -nodes -keyout sk.pem -out sc.pem -days 30 -subj /CN=Signer && "
    "openssl cms -sign -binary -in data.bin -signer sc.pem -inkey sk.pem -outform DER -out sig.p7s";

class TimestampVerify : public gm_test::shared_dir_suite<TimestampVerify> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        // Chain building records issuers in the trust list's cache: keep it here.
        set_data_root(dir->path());
        certcache_dir = dir->path() + "/certcache/";
        ok = dir->run(kFixture) && make_private_dirs(certcache_dir);
    }
    static void TearDownTestSuite() {
        set_data_root("");
        certcache_dir.clear();
        shared_dir_suite::TearDownTestSuite();
    }
    static PKCS7* load(const std::string& name) {
        bytes der = dir->read(name);
        return parse_pkcs7_der(der.data(), static_cast<uint32_t>(der.size()));
    }
};

int check(const std::string& data, PKCS7* token, std::vector<chain_status>& chain) {
    return verify_timestamp_token(reinterpret_cast<const unsigned char*>(data.data()),
                                  static_cast<uint32_t>(data.size()), token, chain);
}

}  // namespace

TEST_F(TimestampVerify, DocumentTimestamp) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* token = load("token.der");
    ASSERT_NE(token, nullptr);
    std::vector<chain_status> chain;
    EXPECT_EQ(check("document bytes", token, chain), 0);
    ASSERT_EQ(chain.size(), 2u) << "TSA and its CA";
    EXPECT_NE(chain[0].certificate, nullptr);
    EXPECT_EQ(check("other bytes", token, chain), 1);
    EXPECT_EQ(ERR_peek_error(), 0u);

    // A broken token signature fails before anything else.
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(token), 0);
    si->enc_digest->data[10] ^= 0x01;
    EXPECT_EQ(check("document bytes", token, chain), 1);
    PKCS7_free(token);

    // An expired TSA certificate under a good CA still verifies.
    token = load("old_token.der");
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(check("document bytes", token, chain), 0);
    PKCS7_free(token);
}

TEST_F(TimestampVerify, MissingPiecesThrow) {
    ASSERT_TRUE(ok) << dir->log();
    PKCS7* token = load("token.der");
    ASSERT_NE(token, nullptr);
    std::vector<chain_status> chain;
    EXPECT_THROW(check("", token, chain), std::exception);
    EXPECT_THROW(check("x", nullptr, chain), std::exception);
    // Without its certificates the signer cannot be found.
    sk_X509_pop_free(token->d.sign->cert, X509_free);
    token->d.sign->cert = nullptr;
    EXPECT_THROW(check("document bytes", token, chain), std::exception);
    PKCS7_free(token);
}

TEST_F(TimestampVerify, EmbeddedTokenOverSignatureValue) {
    ASSERT_TRUE(ok) << dir->log();
    // Time-stamp the signature value, as a signer's TSA does.
    PKCS7* sig = load("sig.p7s");
    ASSERT_NE(sig, nullptr);
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(sig), 0);
    const bytes value(si->enc_digest->data, si->enc_digest->data + si->enc_digest->length);
    dir->write("value.bin", value);
    ASSERT_TRUE(dir->run(
        "openssl ts -query -data value.bin -sha256 -cert -out v.tsq && "
        "openssl ts -reply -config ts.cnf -queryfile v.tsq -signer tsa.pem -inkey tsa.key "
        "-chain ca.pem -token_out -out vtoken.der"))
        << dir->log();
    bytes token_der = dir->read("vtoken.der");
    ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
    ASN1_STRING_set(seq, token_der.data(), static_cast<int>(token_der.size()));
    ASSERT_EQ(PKCS7_add_attribute(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, seq), 1);
    bytes embedded = gm_i2d_pkcs7(sig, false);
    PKCS7_free(sig);

    // The signature still verifies, and its token is found and verifies.
    const std::string content = "document bytes";
    EXPECT_EQ(verify_pkcs7_detached(embedded.data(), static_cast<uint32_t>(embedded.size()),
                                    reinterpret_cast<const unsigned char*>(content.data()),
                                    static_cast<uint32_t>(content.size())),
              sigerr_okay);
    sig = parse_pkcs7_der(embedded.data(), static_cast<uint32_t>(embedded.size()));
    ASSERT_NE(sig, nullptr);
    unsigned char* attr = nullptr;
    uint32_t attr_length = 0;
    ASSERT_EQ(pkcs7_attribute_der(sig, false, "1.2.840.113549.1.9.16.2.14", &attr, &attr_length), 0);
    PKCS7* token = parse_pkcs7_der(attr, attr_length);
    std::free(attr);
    ASSERT_NE(token, nullptr);
    std::vector<chain_status> chain;
    EXPECT_EQ(verify_timestamp_token(value.data(), static_cast<uint32_t>(value.size()), token, chain),
              0);
    bytes other = value;
    other[0] ^= 0xFF;
    EXPECT_EQ(verify_timestamp_token(other.data(), static_cast<uint32_t>(other.size()), token, chain),
              1);
    std::string when;
    EXPECT_EQ(pkcs7_signing_time(sig, &when), 0);
    EXPECT_EQ(when.size(), 19u);
    PKCS7_free(token);
    PKCS7_free(sig);
}
