#include "app/data_dirs.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/trust_list.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/local_time.h"
#include "crypto/ses_seal.h"
#include "crypto/signature_verify.h"
#include "gm_test_support.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "support/sm2_test_helpers.h"

namespace {

using bytes = std::vector<unsigned char>;

const std::string kDocument = "signed byte ranges of a document";

using gm_test::load_cert;
using gm_test::load_key;

using testsupport::der_of;
using testsupport::set_bits;
using testsupport::set_text;
using testsupport::sm2_sign;

// SEQUENCE { contents } as DER.
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

// What a test seal signature looks like; the defaults make a valid one.
struct seal_options {
    int cert_list_type = 1;
    bool list_signer = true;            // the signer is among the seal's certificates
    long time_after_end = -3600;        // signing time relative to validEnd (seconds)
    int signature_nid = NID_SM2_with_SM3;
    std::size_t hash_length = 32;       // a shorter value truncates the SM3 digest
};

// A GM/T 0031 seal signature made with SM2 keys: maker signs the seal,
// signer signs the document's digest with the seal.
bytes build_seal_signature(const seal_options& o, X509* maker, EVP_PKEY* maker_key, X509* signer,
                           EVP_PKEY* signer_key, X509* other) {
    SES_Signature* s = SES_Signature_new();
    TBS_Sign* tbs = s->tbs;
    ASN1_INTEGER_set(tbs->version, 4);
    SESeal* seal = tbs->eseal;
    SES_SealInfo* info = seal->sealInfo;
    set_text(info->header->ID, "ES");
    ASN1_INTEGER_set(info->header->version, 4);
    set_text(info->header->Vid, "velk-test");
    set_text(info->esID, "ESID-0001");
    SES_ESPropertyInfo* prop = info->prop;
    ASN1_INTEGER_set(prop->type, 1);
    set_text(prop->name, "Test seal");
    ASN1_INTEGER_set(prop->certListType, o.cert_list_type);
    X509* listed = o.list_signer ? signer : other;
    bytes list;
    if (o.cert_list_type == 1) {
        list = sequence_of(octet_string_der(der_of(listed)));
    } else {
        bytes cert_der = der_of(listed);
        unsigned char* digest = nullptr;
        uint32_t digest_length = 0;
        digest_by_name(cert_der.data(), static_cast<uint32_t>(cert_der.size()), "sm3", &digest,
                       &digest_length);
        CertDigestObj* entry = CertDigestObj_new();
        set_text(entry->type, "sm3");
        ASN1_OCTET_STRING_set(entry->value, digest, static_cast<int>(digest_length));
        std::free(digest);
        unsigned char* der = nullptr;
        int n = i2d_CertDigestObj(entry, &der);
        list = sequence_of(bytes(der, der + n));
        OPENSSL_free(der);
        CertDigestObj_free(entry);
    }
    ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
    ASN1_STRING_set(seq, list.data(), static_cast<int>(list.size()));
    ASN1_TYPE_set(prop->certList, V_ASN1_SEQUENCE, seq);
    const time_t now = std::time(nullptr);
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

    ASN1_GENERALIZEDTIME_set(tbs->time, now + 86400 + o.time_after_end);
    unsigned char* digest = nullptr;
    uint32_t digest_length = 0;
    digest_by_name(reinterpret_cast<const unsigned char*>(kDocument.data()),
                   static_cast<uint32_t>(kDocument.size()), "sm3", &digest, &digest_length);
    set_bits(tbs->hash, bytes(digest, digest + std::min<std::size_t>(digest_length, o.hash_length)));
    std::free(digest);
    set_text(tbs->propstr, "velk");

    bytes signer_der = der_of(signer);
    ASN1_OCTET_STRING_set(s->cert, signer_der.data(), static_cast<int>(signer_der.size()));
    ASN1_OBJECT_free(s->sigalg);
    s->sigalg = OBJ_nid2obj(o.signature_nid);
    unsigned char* tbs_der = nullptr;
    int tbs_len = i2d_TBS_Sign(tbs, &tbs_der);
    set_bits(s->sigval, sm2_sign(signer_key, tbs_der, static_cast<std::size_t>(tbs_len)));
    OPENSSL_free(tbs_der);

    unsigned char* der = nullptr;
    int n = i2d_SES_Signature(s, &der);
    bytes out(der, der + std::max(n, 0));
    OPENSSL_free(der);
    SES_Signature_free(s);
    return out;
}

int verify(const bytes& sig, const std::string& data = kDocument) {
    return verify_ses_signature(sig.data(), sig.size(),
                                reinterpret_cast<const unsigned char*>(data.data()), data.size());
}

class SesSeal : public gm_test::shared_dir_suite<SesSeal> {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir = new gm_test::scratch_dir();
        ok = dir->run(gm_test::rsa_ca_commands("SealCA") + " && for n in maker signer other; do " +
                      gm_test::sm2_cert_commands("$n.key", "$n.pem", "$n", "-CAcreateserial") + " || exit 1; done");
        if (!ok) return;
        maker = load_cert(dir->file("maker.pem"));
        signer = load_cert(dir->file("signer.pem"));
        other = load_cert(dir->file("other.pem"));
        maker_key = load_key(dir->file("maker.key"));
        signer_key = load_key(dir->file("signer.key"));
        ok = maker && signer && other && maker_key && signer_key;
    }
    static void TearDownTestSuite() {
        X509_free(maker);
        X509_free(signer);
        X509_free(other);
        EVP_PKEY_free(maker_key);
        EVP_PKEY_free(signer_key);
        shared_dir_suite::TearDownTestSuite();
    }
    static bytes build(const seal_options& o = seal_options()) {
        return build_seal_signature(o, maker, maker_key, signer, signer_key, other);
    }
    static X509 *maker, *signer, *other;
    static EVP_PKEY *maker_key, *signer_key;
};
X509* SesSeal::maker = nullptr;
X509* SesSeal::signer = nullptr;
X509* SesSeal::other = nullptr;
EVP_PKEY* SesSeal::maker_key = nullptr;
EVP_PKEY* SesSeal::signer_key = nullptr;

bytes read_corpus(const std::string& name) {
    std::string text = testsupport::read_file(testsupport::corpus_dir() + "/gm/" + name);
    return bytes(text.begin(), text.end());
}

std::string text_of(const ASN1_STRING* s) {
    return std::string(reinterpret_cast<const char*>(s->data), static_cast<std::size_t>(s->length));
}

}  // namespace

TEST_F(SesSeal, ValidSignatureParsesAndVerifies) {
    ASSERT_TRUE(ok) << dir->log();
    const bytes sig = build();
    ASSERT_FALSE(sig.empty());
    EXPECT_EQ(verify(sig), sigerr_okay);

    parsed_ses_signature* parsed = parse_ses_signature(sig.data(), sig.size());
    ASSERT_NE(parsed, nullptr);
    EXPECT_STREQ(parsed->digest_name, "sm3");
    ASSERT_NE(parsed->signer_cert, nullptr);
    EXPECT_EQ(X509_cmp(parsed->signer_cert, signer), 0);
    SESeal* seal = parsed->tbs->eseal;
    EXPECT_STREQ(seal->seal_digest_name, "sm3");
    ASSERT_NE(seal->seal_cert, nullptr);
    EXPECT_EQ(X509_cmp(seal->seal_cert, maker), 0);
    EXPECT_EQ(text_of(seal->sealInfo->prop->name), "Test seal");
    ASSERT_EQ(sk_X509_num(seal->sealInfo->prop->seal_certs), 1);
    EXPECT_EQ(verify_ses_seal_signature(seal), raw_verify_valid);
    EXPECT_TRUE(ses_signer_matches_seal(parsed));
    EXPECT_TRUE(ses_time_within_validity(parsed));
    SES_Signature_free(parsed);

    // The document digest is checked first.
    EXPECT_EQ(verify(sig, kDocument + " changed"), sigerr_modified);
}

TEST_F(SesSeal, EveryChangedByteFails) {
    ASSERT_TRUE(ok) << dir->log();
    const bytes sig = build();
    int failures = 0, checked = 0;
    for (std::size_t i = 0; i < sig.size(); i += 5) {
        bytes changed = sig;
        changed[i] ^= 0x04;
        ++checked;
        if (verify(changed) != sigerr_okay) ++failures;
        else ADD_FAILURE() << "a change at " << i << " still verifies";
    }
    EXPECT_EQ(failures, checked);

    // A change in the seal's name breaks both signatures.
    bytes changed = sig;
    const std::string name = "Test seal";
    auto at = std::search(changed.begin(), changed.end(), name.begin(), name.end());
    ASSERT_NE(at, changed.end());
    *at = 'B';
    EXPECT_EQ(verify(changed), sigerr_invalid);
    parsed_ses_signature* parsed = parse_ses_signature(changed.data(), changed.size());
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(verify_ses_seal_signature(parsed->tbs->eseal), raw_verify_invalid);
    SES_Signature_free(parsed);
}

TEST_F(SesSeal, ResultCodes) {
    ASSERT_TRUE(ok) << dir->log();
    seal_options late;
    late.time_after_end = 1;
    seal_options at_end;
    at_end.time_after_end = 0;
    seal_options stranger;
    stranger.list_signer = false;
    seal_options by_digest;
    by_digest.cert_list_type = 2;
    seal_options digest_stranger = by_digest;
    digest_stranger.list_signer = false;
    seal_options sm2sign;
    sm2sign.signature_nid = NID_gm_sm2sign;
    seal_options short_hash;
    short_hash.hash_length = 20;

    EXPECT_EQ(verify(build(late)), sigerr_sigtime_illegal);
    EXPECT_EQ(verify(build(at_end)), sigerr_okay) << "both ends of the validity count";
    EXPECT_EQ(verify(build(stranger)), sigerr_signcert_unmatch);
    EXPECT_EQ(verify(build(by_digest)), sigerr_okay);
    EXPECT_EQ(verify(build(digest_stranger)), sigerr_signcert_unmatch);
    EXPECT_EQ(verify(build(sm2sign)), sigerr_notsup_alg);
    EXPECT_EQ(verify(build(short_hash)), sigerr_modified);
    EXPECT_EQ(ERR_peek_error(), 0u);
}

TEST_F(SesSeal, GarbageAndTruncationGiveCodes) {
    ASSERT_TRUE(ok) << dir->log();
    EXPECT_EQ(verify(bytes{}), sigerr_sigdata);
    EXPECT_EQ(verify(bytes(500, 0x30)), sigerr_sigdata);
    EXPECT_EQ(verify(bytes{0x30, 0x84, 0x7F, 0xFF, 0xFF, 0xFF}), sigerr_sigdata);
    EXPECT_EQ(parse_ses_signature(nullptr, 10), nullptr);
    EXPECT_EQ(parse_ses_seal(nullptr, 0), nullptr);
    const bytes sig = build();
    for (std::size_t n = 0; n < sig.size(); n += 11) {
        bytes cut(sig.begin(), sig.begin() + static_cast<long>(n));
        EXPECT_EQ(verify(cut), sigerr_sigdata) << n;
        SESeal_free(parse_ses_seal(cut.data(), cut.size()));
    }
    // A seal file is not a seal signature.
    if (testsupport::corpus_available()) {
        EXPECT_EQ(verify(read_corpus("UserV4.esl")), sigerr_sigdata);
    }
    EXPECT_EQ(verify_ses_seal_signature(nullptr), raw_verify_unavailable);
}

TEST_F(SesSeal, DigestNames) {
    init_crypto();
    EXPECT_STREQ(ses_digest_name(OBJ_nid2obj(NID_SM2_with_SM3)), "sm3");
    EXPECT_STREQ(ses_digest_name(OBJ_nid2obj(NID_sha256WithRSAEncryption)), "sha256");
    EXPECT_STREQ(ses_digest_name(OBJ_nid2obj(NID_sm2)), "unsupport");
    EXPECT_STREQ(ses_digest_name(OBJ_nid2obj(NID_gm_sm2sign)), "unsupport");
    EXPECT_STREQ(ses_digest_name(nullptr), "unsupport");
}

TEST(SesCorpus, SealsParseAndMakerSignatureVerifies) {
    REQUIRE_CORPUS();
    init_crypto();
    for (const char* name : {"UserV1.esl", "UserV4.esl"}) {
        SCOPED_TRACE(name);
        bytes der = read_corpus(name);
        ASSERT_FALSE(der.empty());
        SESeal* seal = parse_ses_seal(der.data(), der.size());
        ASSERT_NE(seal, nullptr);
        ASSERT_NE(seal->seal_cert, nullptr);
        EXPECT_STREQ(seal->seal_digest_name, "sm3");
        EXPECT_EQ(text_of(seal->sealInfo->header->ID), "ES");
        EXPECT_EQ(text_of(seal->sealInfo->picture->type), "PNG");
        EXPECT_EQ(ASN1_INTEGER_get(seal->sealInfo->prop->certListType), 1);
        EXPECT_EQ(sk_X509_num(seal->sealInfo->prop->seal_certs), 1);
        EXPECT_EQ(asn1_time_to_text(seal->sealInfo->prop->validEnd).substr(0, 7), "2022-04");
        EXPECT_EQ(verify_ses_seal_signature(seal), raw_verify_valid);
        // The certificates expired in 2022: that is a status, not a failure.
        bool error = false;
        EXPECT_TRUE(check_cert_expiry(seal->seal_cert, &error));
        EXPECT_FALSE(error);
        {
            gm_test::scratch_dir data;
            set_data_root(data.path());
            certcache_dir = data.path() + "/certcache/";
            make_private_dirs(certcache_dir);
            std::vector<chain_status> chain;
            verify_cert_chain(seal->seal_cert, nullptr, chain, chain_purpose_none);
            ASSERT_FALSE(chain.empty());
            EXPECT_NE(chain[0].certerr, certerr_okay) << "an untrusted maker";
            set_data_root("");
            certcache_dir.clear();
        }
        SESeal_free(seal);

        // One changed byte of the seal's picture breaks the maker's signature.
        bytes changed = der;
        changed[1000] ^= 0x01;
        seal = parse_ses_seal(changed.data(), changed.size());
        ASSERT_NE(seal, nullptr);
        EXPECT_EQ(verify_ses_seal_signature(seal), raw_verify_invalid);
        SESeal_free(seal);
    }
}
