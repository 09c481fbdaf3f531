// Parsed signature data and chain display records over signatures made at
// test time: openssl cms (RSA, EC), our SM2 signing step, openssl ts tokens,
// seal signatures built with SM2 keys, and the corpus seals.
#include "app/data_dirs.h"
#include "app/encoding.h"
#include "app/text_utils.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/pkcs7_sign.h"
#include "crypto/ses_seal.h"
#include "crypto/trust_list.h"
#include "document/sigdata.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "support/sm2_test_helpers.h"

namespace {

using bytes = std::vector<unsigned char>;

const char* const kFixture =
    // A CA with RSA, EC and SM2 signers and a time-stamp authority.
    "printf '[ tsa ]\\ndefault_tsa = t\\n[ t ]\\nserial = ./tsserial\\ncrypto_device = builtin\\n"
    "signer_digest = sha256\\ndefault_policy = 1.2.3.4.1\\ndigests = sha256\\naccuracy = secs:1\\n"
    "ordering = no\\ntsa_name = no\\ness_cert_id_chain = no\\ness_cert_id_alg = sha256\\n' > ts.cnf && "
    "echo 01 > tsserial && "
    "printf '[ tsa_ext ]\\nextendedKeyUsage = critical,timeStamping\\nkeyUsage = critical,digitalSignature\\n"
    "[ leaf ]\\nkeyUsage = critical,digitalSignature,nonRepudiation\\n"
    "[ ca ]\\nbasicConstraints = critical,CA:true\\nkeyUsage = critical,keyCertSign,cRLSign\\n' > ext.cnf && "
    "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj /CN=SigdataCA && "
    "openssl req -new -newkey rsa:2048 -nodes -keyout rsa.key -out rsa.csr -subj /CN=RsaSigner && "
    "openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ec.key -out ec.csr "
    "-subj /CN=EcSigner && "
    "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out sm2.key && "
    "openssl req -new -key sm2.key -subj /CN=Sm2Signer -sm3 -out sm2.csr && "
    "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out sm2ca.key && "
    "openssl req -new -key sm2ca.key -subj /CN=Sm2CA -sm3 -out sm2ca.csr && "
    "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out maker.key && "
    "openssl req -new -key maker.key -subj /CN=SealMaker -sm3 -out maker.csr && "
    "openssl req -new -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj /CN=SigdataTSA && "
    "for n in rsa ec maker; do openssl x509 -req -in $n.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
    "-days 30 -extfile ext.cnf -extensions leaf -out $n.pem || exit 1; done && "
    "openssl x509 -req -in sm2ca.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -extfile ext.cnf "
    "-extensions ca -out sm2ca.pem && "
    // Our signer takes the SM2 path for certificates an SM2 key issued.
    "openssl x509 -req -in sm2.csr -CA sm2ca.pem -CAkey sm2ca.key -CAcreateserial -sm3 "
    "-sigopt distid:1234567812345678 -days 30 -extfile ext.cnf -extensions leaf -out sm2.pem && "
    "openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -extfile ext.cnf "
    "-extensions tsa_ext -out tsa.pem && "
    "printf 'signed byte ranges' > data.bin && "
    "openssl cms -sign -binary -in data.bin -signer rsa.pem -inkey rsa.key -certfile ca.pem -md sha256 "
    "-outform DER -out rsa.p7s && "
    "openssl cms -sign -binary -in data.bin -signer ec.pem -inkey ec.key -md sha256 -outform DER -out ec.p7s && "
    "openssl cms -sign -binary -in data.bin -signer rsa.pem -inkey rsa.key -nocerts -outform DER "
    "-out nocerts.p7s && "
    "openssl ts -query -data data.bin -sha256 -cert -out q.tsq && "
    "openssl ts -reply -config ts.cnf -queryfile q.tsq -signer tsa.pem -inkey tsa.key -chain ca.pem "
    "-token_out -out token.der";

X509* load_cert(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return nullptr;
    X509* c = PEM_read_X509(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    return c;
}

EVP_PKEY* load_key(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return nullptr;
    EVP_PKEY* k = PEM_read_PrivateKey(f, nullptr, nullptr, nullptr);
    std::fclose(f);
    return k;
}

using testsupport::der_of;
using testsupport::set_bits;
using testsupport::set_text;
using testsupport::sm2_sign;

bytes sequence_of(const bytes& contents) {
    bytes out(8 + contents.size());
    unsigned char* p = out.data();
    ASN1_put_object(&p, 1, static_cast<int>(contents.size()), V_ASN1_SEQUENCE, V_ASN1_UNIVERSAL);
    std::memcpy(p, contents.data(), contents.size());
    out.resize(static_cast<std::size_t>(p - out.data()) + contents.size());
    return out;
}

bytes octet_string_der(const bytes& contents) {
    ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
    ASN1_OCTET_STRING_set(os, contents.data(), static_cast<int>(contents.size()));
    unsigned char* der = nullptr;
    int n = i2d_ASN1_OCTET_STRING(os, &der);
    bytes out(der, der + n);
    OPENSSL_free(der);
    ASN1_OCTET_STRING_free(os);
    return out;
}

// A seal signature: the maker signs a seal that lists the signer, the signer
// signs the data's SM3 digest with it. A given seal DER replaces the made one.
bytes build_seal_signature(X509* maker, EVP_PKEY* maker_key, X509* signer, EVP_PKEY* signer_key,
                           const bytes& seal_der = bytes(), const bytes& token = bytes()) {
    SES_Signature* s = SES_Signature_new();
    TBS_Sign* tbs = s->tbs;
    ASN1_INTEGER_set(tbs->version, 4);
    const time_t now = std::time(nullptr);
    if (!seal_der.empty()) {
        const unsigned char* p = seal_der.data();
        SESeal* given = d2i_SESeal(nullptr, &p, static_cast<long>(seal_der.size()));
        if (given != nullptr) {
            SESeal_free(tbs->eseal);
            tbs->eseal = given;
        }
    } else {
        SESeal* seal = tbs->eseal;
        SES_SealInfo* info = seal->sealInfo;
        set_text(info->header->ID, "ES");
        ASN1_INTEGER_set(info->header->version, 4);
        set_text(info->header->Vid, "velk-test");
        set_text(info->esID, "ESID-0001");
        SES_ESPropertyInfo* prop = info->prop;
        ASN1_INTEGER_set(prop->type, 1);
        set_text(prop->name, "Test seal");
        ASN1_INTEGER_set(prop->certListType, 1);
        bytes list = sequence_of(octet_string_der(der_of(signer)));
        ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
        ASN1_STRING_set(seq, list.data(), static_cast<int>(list.size()));
        ASN1_TYPE_set(prop->certList, V_ASN1_SEQUENCE, seq);
        ASN1_GENERALIZEDTIME_set(prop->createDate, now - 86400);
        ASN1_GENERALIZEDTIME_set(prop->validStart, now - 86400);
        ASN1_GENERALIZEDTIME_set(prop->validEnd, now + 86400);
        set_text(info->picture->type, "PNG");
        const bytes picture = {0x89, 'P', 'N', 'G', 0, 0, 0, 0};
        ASN1_OCTET_STRING_set(info->picture->data, picture.data(), static_cast<int>(picture.size()));
        ASN1_INTEGER_set(info->picture->width, 40);
        ASN1_INTEGER_set(info->picture->height, 40);
        bytes maker_der = der_of(maker);
        ASN1_OCTET_STRING_set(seal->cert, maker_der.data(), static_cast<int>(maker_der.size()));
        ASN1_OBJECT_free(seal->sigalg);
        seal->sigalg = OBJ_nid2obj(NID_SM2_with_SM3);
        unsigned char* info_der = nullptr;
        int info_len = i2d_SES_SealInfo(info, &info_der);
        set_bits(seal->sigval, sm2_sign(maker_key, info_der, static_cast<std::size_t>(info_len)));
        OPENSSL_free(info_der);
    }
    ASN1_GENERALIZEDTIME_set(tbs->time, now - 60);
    const std::string data = "signed byte ranges";
    unsigned char* digest = nullptr;
    uint32_t digest_length = 0;
    digest_by_name(reinterpret_cast<const unsigned char*>(data.data()), static_cast<uint32_t>(data.size()), "sm3",
                   &digest, &digest_length);
    set_bits(tbs->hash, bytes(digest, digest + digest_length));
    std::free(digest);
    set_text(tbs->propstr, "velk");
    bytes signer_der = der_of(signer);
    ASN1_OCTET_STRING_set(s->cert, signer_der.data(), static_cast<int>(signer_der.size()));
    ASN1_OBJECT_free(s->sigalg);
    s->sigalg = OBJ_nid2obj(NID_SM2_with_SM3);
    unsigned char* tbs_der = nullptr;
    int tbs_len = i2d_TBS_Sign(tbs, &tbs_der);
    set_bits(s->sigval, sm2_sign(signer_key, tbs_der, static_cast<std::size_t>(tbs_len)));
    OPENSSL_free(tbs_der);
    if (!token.empty()) {
        s->ts = ASN1_BIT_STRING_new();
        set_bits(s->ts, token);
    }
    unsigned char* der = nullptr;
    int n = i2d_SES_Signature(s, &der);
    bytes out(der, der + std::max(n, 0));
    OPENSSL_free(der);
    SES_Signature_free(s);
    return out;
}

struct record_holder {
    sigdata_record* r = new sigdata_record();
    ~record_holder() { free_sigdata_record(r); }
};

struct chain_holder {
    cert_chain_ui* c = nullptr;
    ~chain_holder() { delete c; }
};

class Sigdata : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new testsupport::scratch_dir();
        data = new testsupport::scratch_dir();
        auto r = testsupport::run_command("cd " + testsupport::shell_quote(dir->path()) + " && (" + kFixture + ")");
        log = r.output;
        ok = r.status == 0;
        if (!ok) return;
        ca = load_cert(dir->file("ca.pem"));
        maker = load_cert(dir->file("maker.pem"));
        sm2 = load_cert(dir->file("sm2.pem"));
        maker_key = load_key(dir->file("maker.key"));
        sm2_key = load_key(dir->file("sm2.key"));
        ok = ca && maker && sm2 && maker_key && sm2_key;
    }
    static void TearDownTestSuite() {
        X509_free(ca);
        X509_free(maker);
        X509_free(sm2);
        EVP_PKEY_free(maker_key);
        EVP_PKEY_free(sm2_key);
        delete dir;
        delete data;
    }
    void SetUp() override {
        // Chain building records issuers in the trust list and its cache: keep
        // them in a data folder of this test's own, with an empty list.
        set_data_root(data->path());
        certcache_dir = data->path() + "/certcache/";
        make_private_dirs(certcache_dir);
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
    }
    void TearDown() override {
        {
            trust_list_lock lock(trust_list_mutex);
            trust_list.clear();
        }
        set_data_root("");
        certcache_dir.clear();
    }
    static bytes read(const std::string& name) {
        std::string text = testsupport::read_file(dir->file(name));
        return bytes(text.begin(), text.end());
    }
    // The user trusts the certificate: entry and certificate-cache copy.
    static void trust(X509* cert) { trust_list_import_cert(cert); }
    static std::string sha256_hex(const std::string& text) {
        unsigned char* d = nullptr;
        uint32_t n = 0;
        digest_by_name(reinterpret_cast<const unsigned char*>(text.data()), static_cast<uint32_t>(text.size()),
                       "sha256", &d, &n);
        std::string hex = bytes_to_hex(d, n);
        std::free(d);
        return hex;
    }
    // The RSA signature with a token over its signature value embedded.
    static bytes rsa_with_token(const bytes& token_override = bytes()) {
        bytes sig = read("rsa.p7s");
        PKCS7* p7 = parse_pkcs7_der(sig.data(), static_cast<uint32_t>(sig.size()));
        if (p7 == nullptr) return bytes();
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(PKCS7_get_signer_info(p7), 0);
        bytes token = token_override;
        if (token.empty()) {
            testsupport::write_file(dir->file("value.bin"),
                                    std::string(reinterpret_cast<const char*>(si->enc_digest->data),
                                                static_cast<std::size_t>(si->enc_digest->length)));
            auto r = testsupport::run_command(
                "cd " + testsupport::shell_quote(dir->path()) +
                " && openssl ts -query -data value.bin -sha256 -cert -out v.tsq && "
                "openssl ts -reply -config ts.cnf -queryfile v.tsq -signer tsa.pem -inkey tsa.key -chain ca.pem "
                "-token_out -out vtoken.der");
            if (r.status != 0) return bytes();
            token = read("vtoken.der");
        }
        ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
        ASN1_STRING_set(seq, token.data(), static_cast<int>(token.size()));
        PKCS7_add_attribute(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, seq);
        bytes out = gm_i2d_pkcs7(p7, false);
        PKCS7_free(p7);
        return out;
    }
    static testsupport::scratch_dir* dir;
    static testsupport::scratch_dir* data;
    static std::string log;
    static bool ok;
    static X509 *ca, *maker, *sm2;
    static EVP_PKEY *maker_key, *sm2_key;
};
testsupport::scratch_dir* Sigdata::dir = nullptr;
testsupport::scratch_dir* Sigdata::data = nullptr;
std::string Sigdata::log;
bool Sigdata::ok = false;
X509* Sigdata::ca = nullptr;
X509* Sigdata::maker = nullptr;
X509* Sigdata::sm2 = nullptr;
EVP_PKEY* Sigdata::maker_key = nullptr;
EVP_PKEY* Sigdata::sm2_key = nullptr;

uint32_t len(const bytes& b) { return static_cast<uint32_t>(b.size()); }

}  // namespace

TEST_F(Sigdata, Pkcs7SignaturesByCmsParseAndChainToTheTrustedCa) {
    ASSERT_TRUE(ok) << log;
    struct row {
        const char* file;
        const char* cn;
        const char* sig_alg;
        size_t chain_length;  // the EC signature carries no CA certificate
    };
    for (const row& c : {row{"ec.p7s", "EcSigner", "sha256WithECDSA", 1}, row{"rsa.p7s", "RsaSigner", "sha256WithRSA", 2}}) {
        SCOPED_TRACE(c.file);
        const bytes sig = read(c.file);
        record_holder s;
        ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), "dstn_pkcs7", *s.r));
        EXPECT_EQ(s.r->type, "dstn_pkcs7");
        EXPECT_EQ(s.r->signer.subject_cn, utf8_to_wide(c.cn));
        EXPECT_EQ(s.r->digest_alg, "sha256");
        EXPECT_EQ(s.r->sig_alg, c.sig_alg);
        EXPECT_TRUE(s.r->alg_numbers.empty());
        EXPECT_EQ(s.r->sign_time.size(), 19u) << s.r->sign_time;
        EXPECT_EQ(s.r->digest_hex, sha256_hex("signed byte ranges"));
        EXPECT_EQ(s.r->ts, nullptr);
        EXPECT_EQ(s.r->seal, nullptr);

        chain_holder untrusted;
        cert_chain_for_sigdata(sig.data(), len(sig), "dstn_pkcs7", &untrusted.c, chain_purpose_none);
        ASSERT_NE(untrusted.c, nullptr);
        ASSERT_EQ(untrusted.c->size(), c.chain_length);
        EXPECT_EQ((*untrusted.c)[0].cert.subject_cn, s.r->signer.subject_cn) << "signer first";
        for (const chain_cert_entry& e : *untrusted.c) EXPECT_NE(e.status, certerr_okay);

        if (c.chain_length == 2) {
            trust(ca);
            chain_holder trusted;
            cert_chain_for_sigdata(sig.data(), len(sig), "dstn_pkcs1", &trusted.c, chain_purpose_none);
            ASSERT_NE(trusted.c, nullptr);
            ASSERT_EQ(trusted.c->size(), 2u);
            for (const chain_cert_entry& e : *trusted.c) EXPECT_EQ(e.status, certerr_okay);
            EXPECT_EQ((*trusted.c)[1].cert.subject_cn, L"SigdataCA");
        }
    }
}

TEST_F(Sigdata, SignerMissingFromTheCertificates) {
    ASSERT_TRUE(ok) << log;
    const bytes sig = read("nocerts.p7s");
    record_holder s;
    ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), "dstn_pkcs7", *s.r));
    EXPECT_TRUE(s.r->signer.der.empty());
    EXPECT_EQ(s.r->sig_alg, "sha256WithRSA");
    chain_holder chain;
    chain.c = new cert_chain_ui(1);  // the builder sets the out pointer to null first
    cert_chain_ui* before = chain.c;
    try {
        cert_chain_for_sigdata(sig.data(), len(sig), "dstn_pkcs7", &chain.c, chain_purpose_none);
        ADD_FAILURE() << "no exception";
    } catch (const std::exception& ex) {
        EXPECT_STREQ(ex.what(), "Undefined");
    }
    EXPECT_EQ(chain.c, nullptr);
    delete before;
}

TEST_F(Sigdata, EmbeddedAndDocumentTimeStamps) {
    ASSERT_TRUE(ok) << log;
    const bytes sig = rsa_with_token();
    ASSERT_FALSE(sig.empty());
    trust(ca);
    record_holder s;
    ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), "dstn_pkcs7", *s.r));
    ASSERT_NE(s.r->ts, nullptr);
    EXPECT_EQ(s.r->ts->type, "dstn_pkcs7");
    EXPECT_EQ(s.r->ts->signer.subject_cn, L"SigdataTSA");
    EXPECT_EQ(s.r->ts->sign_time.size(), 19u);
    EXPECT_EQ(s.r->ts->ts, nullptr);

    chain_holder ts_chain;
    EXPECT_EQ(timestamp_chain_pkcs7(sig.data(), len(sig), &ts_chain.c), 0);
    ASSERT_NE(ts_chain.c, nullptr);
    ASSERT_EQ(ts_chain.c->size(), 2u);
    EXPECT_EQ((*ts_chain.c)[0].cert.subject_cn, L"SigdataTSA");
    EXPECT_EQ((*ts_chain.c)[0].status, certerr_okay);

    // No token: code 6 and no chain.
    const bytes plain = read("rsa.p7s");
    chain_holder none;
    EXPECT_EQ(timestamp_chain_pkcs7(plain.data(), len(plain), &none.c), sigerr_no_signatures);
    EXPECT_EQ(none.c, nullptr);
    EXPECT_THROW(timestamp_chain_pkcs7(nullptr, 0, &none.c), std::exception);

    // A token that is no PKCS#7 fails the outer parse, which keeps its fields.
    const bytes broken = rsa_with_token(bytes{0x02, 0x01, 0x05});
    ASSERT_FALSE(broken.empty());
    record_holder b;
    EXPECT_FALSE(parse_sigdata(broken.data(), len(broken), "dstn_pkcs7", *b.r));
    EXPECT_EQ(b.r->type, "dstn_pkcs7");
    EXPECT_EQ(b.r->sig_alg, "sha256WithRSA");
    EXPECT_EQ(b.r->signer.subject_cn, L"RsaSigner");
    EXPECT_THROW(timestamp_chain_pkcs7(broken.data(), len(broken), &none.c), std::exception);

    // A document time stamp on its own: the token's time is its signing time.
    const bytes token = read("token.der");
    record_holder t;
    ASSERT_TRUE(parse_sigdata(token.data(), len(token), "dstn_rfc3161ts", *t.r));
    EXPECT_EQ(t.r->type, "dstn_rfc3161ts");
    EXPECT_EQ(t.r->sign_time.size(), 19u);
    EXPECT_EQ(t.r->digest_alg, "sha256");
    chain_holder tc;
    cert_chain_for_sigdata(token.data(), len(token), "dstn_rfc3161ts", &tc.c, chain_purpose_timestamp);
    ASSERT_NE(tc.c, nullptr);
    EXPECT_EQ((*tc.c)[0].cert.subject_cn, L"SigdataTSA");
}

TEST_F(Sigdata, Sm2SignatureFromOurSigningStep) {
    ASSERT_TRUE(ok) << log;
    const std::string content = "signed byte ranges";
    BIO* in = BIO_new_mem_buf(content.data(), static_cast<int>(content.size()));
    unsigned char* der = nullptr;
    uint32_t der_length = 0;
    X509* sm2ca = load_cert(dir->file("sm2ca.pem"));
    ASSERT_NE(sm2ca, nullptr);
    STACK_OF(X509)* extra = sk_X509_new_null();
    sk_X509_push(extra, sm2ca);
    ASSERT_NO_THROW(build_pkcs7_signature(in, sm2, extra, sm2_key, nullptr, 0, &der, &der_length));
    sk_X509_pop_free(extra, X509_free);
    BIO_free(in);
    const bytes sig(der, der + der_length);
    std::free(der);
    trust(ca);
    for (const char* type : {"dstn_pkcs7", "dstn_gm_val"}) {
        SCOPED_TRACE(type);
        record_holder s;
        ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), type, *s.r));
        EXPECT_EQ(s.r->type, type);
        EXPECT_EQ(s.r->signer.subject_cn, L"Sm2Signer");
        EXPECT_EQ(s.r->digest_alg, "sm3");
        EXPECT_EQ(s.r->sig_alg, "sm3WithSM2");
        EXPECT_EQ(s.r->digest_hex.size(), 64u);
    }
    chain_holder chain;
    cert_chain_for_sigdata(sig.data(), len(sig), "dstn_pkcs7", &chain.c, chain_purpose_none);
    ASSERT_NE(chain.c, nullptr);
    ASSERT_EQ(chain.c->size(), 3u) << "signer, SM2 CA, RSA root";
    EXPECT_EQ((*chain.c)[1].cert.subject_cn, L"Sm2CA");
    for (const chain_cert_entry& e : *chain.c) EXPECT_EQ(e.status, certerr_okay);
}

TEST_F(Sigdata, SealSignatureWithItsSealTokenAndChains) {
    ASSERT_TRUE(ok) << log;
    const bytes token = read("token.der");
    const bytes sig = build_seal_signature(maker, maker_key, sm2, sm2_key, bytes(), token);
    ASSERT_FALSE(sig.empty());
    record_holder s;
    ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), "dstn_gm_ses", *s.r));
    EXPECT_EQ(s.r->type, "dstn_gm_ses");
    EXPECT_EQ(s.r->signer.subject_cn, L"Sm2Signer");
    EXPECT_EQ(s.r->digest_alg, "sm3");
    EXPECT_EQ(s.r->sig_alg, "sm3WithSM2");
    EXPECT_EQ(s.r->sign_time.size(), 19u);
    ASSERT_NE(s.r->ts, nullptr);
    EXPECT_EQ(s.r->ts->signer.subject_cn, L"SigdataTSA");
    ASSERT_NE(s.r->seal, nullptr);
    EXPECT_EQ(s.r->seal->type, "dstn_gm_ses");
    EXPECT_EQ(s.r->seal->signer.subject_cn, L"SealMaker");
    EXPECT_EQ(s.r->seal->valid_from.size(), 19u);
    EXPECT_LT(s.r->seal->valid_from, s.r->seal->valid_to);
    EXPECT_EQ(s.r->seal->sign_time, s.r->seal->valid_from);

    // Untrusted first, then under the trusted CA.
    chain_holder seal_chain;
    EXPECT_EQ(seal_chain_of(sig.data(), len(sig), &seal_chain.c), sigerr_okay);
    ASSERT_NE(seal_chain.c, nullptr);
    ASSERT_FALSE(seal_chain.c->empty());
    EXPECT_EQ((*seal_chain.c)[0].cert.subject_cn, L"SealMaker");
    EXPECT_NE((*seal_chain.c)[0].status, certerr_okay);
    trust(ca);
    X509* sm2ca = load_cert(dir->file("sm2ca.pem"));
    trust_list_add_issuer(sm2ca);  // the signature carries no issuer: the cache does
    write_certcache_copy(sm2ca);
    X509_free(sm2ca);
    chain_holder signer_chain;
    cert_chain_for_sigdata(sig.data(), len(sig), "dstn_gm_ses", &signer_chain.c, chain_purpose_none);
    ASSERT_NE(signer_chain.c, nullptr);
    ASSERT_EQ(signer_chain.c->size(), 3u);
    EXPECT_EQ((*signer_chain.c)[0].cert.subject_cn, L"Sm2Signer");
    EXPECT_EQ((*signer_chain.c)[0].status, certerr_okay);

    // The token was made over other bytes than the seal signature's value.
    chain_holder ts_chain;
    EXPECT_EQ(timestamp_chain_ses(sig.data(), len(sig), &ts_chain.c), 1);
    ASSERT_NE(ts_chain.c, nullptr);
    const bytes no_token = build_seal_signature(maker, maker_key, sm2, sm2_key);
    chain_holder none;
    EXPECT_EQ(timestamp_chain_ses(no_token.data(), len(no_token), &none.c), sigerr_no_signatures);
    EXPECT_EQ(none.c, nullptr);

    // A changed seal picture breaks the maker's signature.
    SES_Signature* parsed = parse_ses_signature(no_token.data(), no_token.size());
    ASSERT_NE(parsed, nullptr);
    parsed->tbs->eseal->sealInfo->picture->data->data[1] ^= 0x01;
    unsigned char* der = nullptr;
    int n = i2d_SES_Signature(parsed, &der);
    const bytes changed(der, der + n);
    OPENSSL_free(der);
    SES_Signature_free(parsed);
    chain_holder bad;
    EXPECT_EQ(seal_chain_of(changed.data(), len(changed), &bad.c), sigerr_sealsig_invalid);
    EXPECT_NE(bad.c, nullptr);

    // Garbage and missing arguments are codes, never exceptions.
    const bytes junk = {0x30, 0x03, 0x02, 0x01, 0x01};
    chain_holder j;
    EXPECT_EQ(seal_chain_of(junk.data(), len(junk), &j.c), sigerr_sigdata);
    EXPECT_EQ(j.c, nullptr);
    EXPECT_EQ(seal_chain_of(nullptr, 0, &j.c), sigerr_unknown);
    EXPECT_THROW(ses_signer_chain(junk.data(), len(junk), &j.c, 0), std::exception);
}

TEST_F(Sigdata, CorpusSeals) {
    REQUIRE_CORPUS();
    ASSERT_TRUE(ok) << log;
    for (const char* name : {"UserV1.esl", "UserV4.esl"}) {
        SCOPED_TRACE(name);
        const std::string text = testsupport::read_file(testsupport::corpus_dir() + "/gm/" + name);
        const bytes der(text.begin(), text.end());
        SESeal* seal = parse_ses_seal(der.data(), der.size());
        ASSERT_NE(seal, nullptr);
        record_holder s;
        fill_seal_sigdata(seal, *s.r);
        EXPECT_EQ(s.r->type, "dstn_gm_ses");
        EXPECT_EQ(s.r->digest_alg, "sm3");
        EXPECT_FALSE(s.r->signer.subject_dn.empty());
        EXPECT_EQ(s.r->valid_to.substr(0, 7), "2022-04");
        EXPECT_LE(s.r->valid_from, s.r->valid_to);
        cert_chain_ui chain;
        verify_certchain_ui(seal->seal_cert, chain);
        ASSERT_FALSE(chain.empty());
        EXPECT_NE(chain[0].status, certerr_okay) << "an untrusted, expired maker";
        SESeal_free(seal);
    }
    // The current-layout seal inside a signature: the maker's signature holds,
    // its chain does not.
    const std::string text = testsupport::read_file(testsupport::corpus_dir() + "/gm/UserV4.esl");
    const bytes sig = build_seal_signature(maker, maker_key, sm2, sm2_key, bytes(text.begin(), text.end()));
    record_holder s;
    ASSERT_TRUE(parse_sigdata(sig.data(), len(sig), "dstn_gm_ses", *s.r));
    ASSERT_NE(s.r->seal, nullptr);
    EXPECT_EQ(s.r->seal->valid_to.substr(0, 7), "2022-04");
    chain_holder chain;
    EXPECT_EQ(seal_chain_of(sig.data(), len(sig), &chain.c), sigerr_okay);
    ASSERT_NE(chain.c, nullptr);
    ASSERT_FALSE(chain.c->empty());
    EXPECT_NE((*chain.c)[0].status, certerr_okay);
}

TEST_F(Sigdata, StandaloneSignatureFiles) {
    ASSERT_TRUE(ok) << log;
    // DER as a .p7s file holds it, and the Base64 text of a seal signature.
    const bytes p7s = read("rsa.p7s");
    record_holder a;
    EXPECT_TRUE(parse_sigdata_any(p7s.data(), len(p7s), *a.r));
    EXPECT_EQ(a.r->type, "dstn_pkcs7");
    EXPECT_EQ(a.r->signer.subject_cn, L"RsaSigner");

    const bytes ses = build_seal_signature(maker, maker_key, sm2, sm2_key);
    const std::string b64 = base64_encode(ses.data(), ses.size());
    ASSERT_EQ(b64[0], 'M');
    record_holder b;
    EXPECT_TRUE(parse_sigdata_any(reinterpret_cast<const unsigned char*>(b64.data()),
                                  static_cast<uint32_t>(b64.size()), *b.r));
    EXPECT_EQ(b.r->type, "dstn_gm_ses");
    EXPECT_NE(b.r->seal, nullptr);

    bytes junk(600);
    RAND_bytes(junk.data(), static_cast<int>(junk.size()));
    junk[0] = 0x30;
    record_holder c;
    EXPECT_FALSE(parse_sigdata_any(junk.data(), len(junk), *c.r));
    EXPECT_FALSE(parse_sigdata_any(nullptr, 0, *c.r));
}

TEST_F(Sigdata, GarbageAndUnknownTypes) {
    ASSERT_TRUE(ok) << log;
    bytes junk(256);
    RAND_bytes(junk.data(), static_cast<int>(junk.size()));
    for (const char* type : {"dstn_pkcs7", "dstn_pkcs1", "dstn_rfc3161ts", "dstn_gm_val", "dstn_gm_ses"}) {
        SCOPED_TRACE(type);
        record_holder s;
        EXPECT_FALSE(parse_sigdata(junk.data(), len(junk), type, *s.r));
        EXPECT_EQ(s.r->type, "dstn_unsup");
        EXPECT_FALSE(parse_sigdata(nullptr, 0, type, *s.r));
        chain_holder chain;
        EXPECT_THROW(cert_chain_for_sigdata(junk.data(), len(junk), type, &chain.c, 0), std::exception);
        EXPECT_EQ(chain.c, nullptr);
    }
    // Types with no parser leave the record and the chain alone.
    record_holder s;
    s.r->sig_alg = "kept";
    EXPECT_TRUE(parse_sigdata(junk.data(), len(junk), "dstn_unsup", *s.r));
    EXPECT_EQ(s.r->sig_alg, "kept");
    cert_chain_ui kept(1);
    cert_chain_ui* out = &kept;
    cert_chain_for_sigdata(junk.data(), len(junk), "dstn_unsup", &out, 0);
    EXPECT_EQ(out, &kept);

    // Display records follow the list in order; a null certificate changes nothing.
    std::vector<chain_status> list;
    list.emplace_back(certerr_not_trusted, X509_dup(ca));
    list.emplace_back(certerr_not_trusted, X509_dup(maker));
    cert_chain_ui chain(5);
    certchain_to_ui(list, chain);
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain[0].cert.subject_cn, L"SigdataCA");
    EXPECT_EQ(chain[1].cert.subject_cn, L"SealMaker");
    EXPECT_EQ(chain[1].status, certerr_not_trusted);
    verify_certchain_ui(nullptr, chain);
    EXPECT_EQ(chain.size(), 2u);
    certchain_to_ui({}, chain);
    EXPECT_TRUE(chain.empty());
}
