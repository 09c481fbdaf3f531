#include "crypto/ses_seal.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/cert_loading.h"
#include "crypto/digests.h"
#include "crypto/local_time.h"
#include "crypto/signature_verify.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int property_info_cb(int operation, ASN1_VALUE** pval, const ASN1_ITEM*, void*) {
    if (operation == ASN1_OP_FREE_PRE && pval != nullptr && *pval != nullptr) {
        auto* prop = reinterpret_cast<SES_ESPropertyInfo*>(*pval);
        sk_ASN1_OCTET_STRING_pop_free(prop->certs, ASN1_OCTET_STRING_free);
        sk_CertDigestObj_pop_free(prop->certdgsts, CertDigestObj_free);
        sk_X509_pop_free(prop->seal_certs, X509_free);
        prop->certs = nullptr;
        prop->certdgsts = nullptr;
        prop->seal_certs = nullptr;
    }
    return 1;
}

int seal_cb(int operation, ASN1_VALUE** pval, const ASN1_ITEM*, void*) {
    if (operation == ASN1_OP_FREE_PRE && pval != nullptr && *pval != nullptr) {
        auto* seal = reinterpret_cast<SESeal*>(*pval);
        X509_free(seal->seal_cert);
        seal->seal_cert = nullptr;
        OPENSSL_free(seal->signed_der);
        seal->signed_der = nullptr;
    }
    return 1;
}

int signature_cb(int operation, ASN1_VALUE** pval, const ASN1_ITEM*, void*) {
    if (operation == ASN1_OP_FREE_PRE && pval != nullptr && *pval != nullptr) {
        auto* sig = reinterpret_cast<SES_Signature*>(*pval);
        X509_free(sig->signer_cert);
        sig->signer_cert = nullptr;
    }
    return 1;
}

}  // namespace

ASN1_SEQUENCE(ExtensionData) = {
    ASN1_SIMPLE(ExtensionData, extnID, ASN1_OBJECT),
    ASN1_SIMPLE(ExtensionData, critical, ASN1_BOOLEAN),
    ASN1_SIMPLE(ExtensionData, extnValue, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(ExtensionData)
IMPLEMENT_ASN1_FUNCTIONS(ExtensionData)

ASN1_SEQUENCE(SES_Header) = {
    ASN1_SIMPLE(SES_Header, ID, ASN1_IA5STRING),
    ASN1_SIMPLE(SES_Header, version, ASN1_INTEGER),
    ASN1_SIMPLE(SES_Header, Vid, ASN1_IA5STRING),
} ASN1_SEQUENCE_END(SES_Header)
IMPLEMENT_ASN1_FUNCTIONS(SES_Header)

ASN1_SEQUENCE(CertDigestObj) = {
    ASN1_SIMPLE(CertDigestObj, type, ASN1_PRINTABLESTRING),
    ASN1_SIMPLE(CertDigestObj, value, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(CertDigestObj)
IMPLEMENT_ASN1_FUNCTIONS(CertDigestObj)

// The two readings of a certificate list.
ASN1_ITEM_TEMPLATE(SES_CertList_certs) =
    ASN1_EX_TEMPLATE_TYPE(ASN1_TFLG_SEQUENCE_OF, 0, certs, ASN1_OCTET_STRING)
ASN1_ITEM_TEMPLATE_END(SES_CertList_certs)

ASN1_ITEM_TEMPLATE(SES_CertList_certdgsts) =
    ASN1_EX_TEMPLATE_TYPE(ASN1_TFLG_SEQUENCE_OF, 0, certdgsts, CertDigestObj)
ASN1_ITEM_TEMPLATE_END(SES_CertList_certdgsts)

ASN1_SEQUENCE_cb(SES_ESPropertyInfo, property_info_cb) = {
    ASN1_SIMPLE(SES_ESPropertyInfo, type, ASN1_INTEGER),
    ASN1_SIMPLE(SES_ESPropertyInfo, name, ASN1_UTF8STRING),
    ASN1_SIMPLE(SES_ESPropertyInfo, certListType, ASN1_INTEGER),
    ASN1_SIMPLE(SES_ESPropertyInfo, certList, ASN1_ANY),
    ASN1_SIMPLE(SES_ESPropertyInfo, createDate, ASN1_GENERALIZEDTIME),
    ASN1_SIMPLE(SES_ESPropertyInfo, validStart, ASN1_GENERALIZEDTIME),
    ASN1_SIMPLE(SES_ESPropertyInfo, validEnd, ASN1_GENERALIZEDTIME),
} ASN1_SEQUENCE_END_cb(SES_ESPropertyInfo, SES_ESPropertyInfo)
IMPLEMENT_ASN1_FUNCTIONS(SES_ESPropertyInfo)

ASN1_SEQUENCE(SES_ESPictruelnfo) = {
    ASN1_SIMPLE(SES_ESPictruelnfo, type, ASN1_IA5STRING),
    ASN1_SIMPLE(SES_ESPictruelnfo, data, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SES_ESPictruelnfo, width, ASN1_INTEGER),
    ASN1_SIMPLE(SES_ESPictruelnfo, height, ASN1_INTEGER),
} ASN1_SEQUENCE_END(SES_ESPictruelnfo)
IMPLEMENT_ASN1_FUNCTIONS(SES_ESPictruelnfo)

ASN1_SEQUENCE(SES_SealInfo) = {
    ASN1_SIMPLE(SES_SealInfo, header, SES_Header),
    ASN1_SIMPLE(SES_SealInfo, esID, ASN1_IA5STRING),
    ASN1_SIMPLE(SES_SealInfo, prop, SES_ESPropertyInfo),
    ASN1_SIMPLE(SES_SealInfo, picture, SES_ESPictruelnfo),
    ASN1_SEQUENCE_OF_OPT(SES_SealInfo, extDatas, ExtensionData),
} ASN1_SEQUENCE_END(SES_SealInfo)
IMPLEMENT_ASN1_FUNCTIONS(SES_SealInfo)

ASN1_SEQUENCE_cb(SESeal, seal_cb) = {
    ASN1_SIMPLE(SESeal, sealInfo, SES_SealInfo),
    ASN1_SIMPLE(SESeal, cert, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SESeal, sigalg, ASN1_OBJECT),
    ASN1_SIMPLE(SESeal, sigval, ASN1_BIT_STRING),
} ASN1_SEQUENCE_END_cb(SESeal, SESeal)
IMPLEMENT_ASN1_FUNCTIONS(SESeal)

ASN1_SEQUENCE(TBS_Sign) = {
    ASN1_SIMPLE(TBS_Sign, version, ASN1_INTEGER),
    ASN1_SIMPLE(TBS_Sign, eseal, SESeal),
    ASN1_SIMPLE(TBS_Sign, time, ASN1_GENERALIZEDTIME),
    ASN1_SIMPLE(TBS_Sign, hash, ASN1_BIT_STRING),
    ASN1_SIMPLE(TBS_Sign, propstr, ASN1_IA5STRING),
    ASN1_SEQUENCE_OF_OPT(TBS_Sign, extDatas, ExtensionData),
} ASN1_SEQUENCE_END(TBS_Sign)
IMPLEMENT_ASN1_FUNCTIONS(TBS_Sign)

ASN1_SEQUENCE_cb(SES_Signature, signature_cb) = {
    ASN1_SIMPLE(SES_Signature, tbs, TBS_Sign),
    ASN1_SIMPLE(SES_Signature, cert, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SES_Signature, sigalg, ASN1_OBJECT),
    ASN1_SIMPLE(SES_Signature, sigval, ASN1_BIT_STRING),
    ASN1_IMP_OPT(SES_Signature, ts, ASN1_BIT_STRING, 0),
} ASN1_SEQUENCE_END_cb(SES_Signature, SES_Signature)
IMPLEMENT_ASN1_FUNCTIONS(SES_Signature)

// ---- first-edition seals ---------------------------------------------------------
//
// The first edition lists certificates directly (no list type), uses UTCTime
// and puts the maker's certificate, algorithm and signature in a nested
// SEQUENCE; the maker signs SEQUENCE { sealInfo, cert, algorithm }.

namespace {

struct SES_ESPropertyInfoV1 {
    ASN1_INTEGER* type;
    ASN1_UTF8STRING* name;
    STACK_OF(ASN1_OCTET_STRING)* certList;
    ASN1_TIME* createDate;
    ASN1_TIME* validStart;
    ASN1_TIME* validEnd;
};

struct SES_SealInfoV1 {
    SES_Header* header;
    ASN1_IA5STRING* esID;
    SES_ESPropertyInfoV1* prop;
    SES_ESPictruelnfo* picture;
    STACK_OF(ExtensionData)* extDatas;
};

struct SES_SignInfoV1 {
    ASN1_OCTET_STRING* cert;
    ASN1_OBJECT* signatureAlgorithm;
    ASN1_BIT_STRING* signData;
};

struct SESealV1 {
    SES_SealInfoV1* sealInfo;
    SES_SignInfoV1* signInfo;
};

struct SES_TBSSealV1 {
    SES_SealInfoV1* sealInfo;
    ASN1_OCTET_STRING* cert;
    ASN1_OBJECT* signatureAlgorithm;
};

}  // namespace

ASN1_SEQUENCE(SES_ESPropertyInfoV1) = {
    ASN1_SIMPLE(SES_ESPropertyInfoV1, type, ASN1_INTEGER),
    ASN1_SIMPLE(SES_ESPropertyInfoV1, name, ASN1_UTF8STRING),
    ASN1_SEQUENCE_OF(SES_ESPropertyInfoV1, certList, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SES_ESPropertyInfoV1, createDate, ASN1_TIME),
    ASN1_SIMPLE(SES_ESPropertyInfoV1, validStart, ASN1_TIME),
    ASN1_SIMPLE(SES_ESPropertyInfoV1, validEnd, ASN1_TIME),
} static_ASN1_SEQUENCE_END(SES_ESPropertyInfoV1)

ASN1_SEQUENCE(SES_SealInfoV1) = {
    ASN1_SIMPLE(SES_SealInfoV1, header, SES_Header),
    ASN1_SIMPLE(SES_SealInfoV1, esID, ASN1_IA5STRING),
    ASN1_SIMPLE(SES_SealInfoV1, prop, SES_ESPropertyInfoV1),
    ASN1_SIMPLE(SES_SealInfoV1, picture, SES_ESPictruelnfo),
    ASN1_SEQUENCE_OF_OPT(SES_SealInfoV1, extDatas, ExtensionData),
} static_ASN1_SEQUENCE_END(SES_SealInfoV1)

ASN1_SEQUENCE(SES_SignInfoV1) = {
    ASN1_SIMPLE(SES_SignInfoV1, cert, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SES_SignInfoV1, signatureAlgorithm, ASN1_OBJECT),
    ASN1_SIMPLE(SES_SignInfoV1, signData, ASN1_BIT_STRING),
} static_ASN1_SEQUENCE_END(SES_SignInfoV1)

ASN1_SEQUENCE(SESealV1) = {
    ASN1_SIMPLE(SESealV1, sealInfo, SES_SealInfoV1),
    ASN1_SIMPLE(SESealV1, signInfo, SES_SignInfoV1),
} static_ASN1_SEQUENCE_END(SESealV1)

ASN1_SEQUENCE(SES_TBSSealV1) = {
    ASN1_SIMPLE(SES_TBSSealV1, sealInfo, SES_SealInfoV1),
    ASN1_SIMPLE(SES_TBSSealV1, cert, ASN1_OCTET_STRING),
    ASN1_SIMPLE(SES_TBSSealV1, signatureAlgorithm, ASN1_OBJECT),
} static_ASN1_SEQUENCE_END(SES_TBSSealV1)

namespace {

constexpr const char* kNoName = "";

template <typename T>
void swap_member(T*& a, T*& b) {
    T* t = a;
    a = b;
    b = t;
}

bool to_generalized(const ASN1_TIME* in, ASN1_GENERALIZEDTIME** out) {
    ASN1_GENERALIZEDTIME* g = ASN1_TIME_to_generalizedtime(in, nullptr);
    if (g == nullptr) return false;
    ASN1_GENERALIZEDTIME_free(*out);
    *out = g;
    return true;
}

// A first-edition seal in the current layout, remembering what its maker signed.
SESeal* seal_from_v1(const unsigned char* der, std::size_t length) {
    const unsigned char* p = der;
    auto* v1 = reinterpret_cast<SESealV1*>(
        ASN1_item_d2i(nullptr, &p, static_cast<long>(length), ASN1_ITEM_rptr(SESealV1)));
    if (v1 == nullptr) return nullptr;
    SESeal* seal = SESeal_new();
    bool ok = seal != nullptr;
    if (ok) {
        SES_TBSSealV1 tbs{v1->sealInfo, v1->signInfo->cert, v1->signInfo->signatureAlgorithm};
        unsigned char* signed_der = nullptr;
        long n = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(&tbs), &signed_der,
                               ASN1_ITEM_rptr(SES_TBSSealV1));
        ok = n > 0 && signed_der != nullptr;
        seal->signed_der = signed_der;
        seal->signed_der_length = n;
    }
    if (ok) {
        // The certificate list as the current layout holds it: type 1 and its DER.
        unsigned char* list_der = nullptr;
        int n = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(v1->sealInfo->prop->certList),
                              &list_der, ASN1_ITEM_rptr(SES_CertList_certs));
        ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
        ok = n > 0 && seq != nullptr && ASN1_STRING_set(seq, list_der, n) &&
             ASN1_INTEGER_set(seal->sealInfo->prop->certListType, 1);
        OPENSSL_free(list_der);
        if (ok) {
            ASN1_TYPE_set(seal->sealInfo->prop->certList, V_ASN1_SEQUENCE, seq);
        } else {
            ASN1_STRING_free(seq);
        }
    }
    if (ok) {
        SES_SealInfo* info = seal->sealInfo;
        SES_SealInfoV1* old = v1->sealInfo;
        swap_member(info->header, old->header);
        swap_member(info->esID, old->esID);
        swap_member(info->picture, old->picture);
        swap_member(info->extDatas, old->extDatas);
        swap_member(info->prop->type, old->prop->type);
        swap_member(info->prop->name, old->prop->name);
        ok = to_generalized(old->prop->createDate, &info->prop->createDate) &&
             to_generalized(old->prop->validStart, &info->prop->validStart) &&
             to_generalized(old->prop->validEnd, &info->prop->validEnd);
        swap_member(seal->cert, v1->signInfo->cert);
        swap_member(seal->sigval, v1->signInfo->signData);
        ASN1_OBJECT_free(seal->sigalg);
        seal->sigalg = v1->signInfo->signatureAlgorithm;
        v1->signInfo->signatureAlgorithm = nullptr;
    }
    ASN1_item_free(reinterpret_cast<ASN1_VALUE*>(v1), ASN1_ITEM_rptr(SESealV1));
    if (!ok) {
        SESeal_free(seal);
        return nullptr;
    }
    return seal;
}

X509* certificate_of(const ASN1_OCTET_STRING* os) {
    if (os == nullptr || os->length <= 0) return nullptr;
    X509* cert = decode_certificate(os->data, static_cast<std::size_t>(os->length), nullptr);
    ERR_clear_error();
    return cert;
}

// Reads the certificate list by its type and decodes the seal's certificates.
void complete_seal(SESeal* seal) {
    seal->seal_cert = certificate_of(seal->cert);
    seal->seal_digest_name = ses_digest_name(seal->sigalg);
    SES_ESPropertyInfo* prop = seal->sealInfo->prop;
    ASN1_TYPE* list = prop->certList;
    if (list == nullptr || list->type != V_ASN1_SEQUENCE || list->value.sequence == nullptr) return;
    const unsigned char* p = list->value.sequence->data;
    const long n = list->value.sequence->length;
    if (ASN1_INTEGER_get(prop->certListType) == 1) {
        prop->certs = reinterpret_cast<STACK_OF(ASN1_OCTET_STRING)*>(
            ASN1_item_d2i(nullptr, &p, n, ASN1_ITEM_rptr(SES_CertList_certs)));
        prop->seal_certs = sk_X509_new_null();
        for (int i = 0; i < sk_ASN1_OCTET_STRING_num(prop->certs); ++i) {
            X509* c = certificate_of(sk_ASN1_OCTET_STRING_value(prop->certs, i));
            if (c != nullptr && sk_X509_push(prop->seal_certs, c) <= 0) X509_free(c);
        }
    } else {
        prop->certdgsts = reinterpret_cast<STACK_OF(CertDigestObj)*>(
            ASN1_item_d2i(nullptr, &p, n, ASN1_ITEM_rptr(SES_CertList_certdgsts)));
    }
    ERR_clear_error();
}

int digest_nid_of_name(const char* name) {
    if (name == nullptr) return 0;
    if (std::strcmp(name, digest_name_sm3) == 0) return NID_sm3;
    if (std::strcmp(name, digest_name_sha1) == 0) return NID_sha1;
    if (std::strcmp(name, digest_name_sha256) == 0) return NID_sha256;
    if (std::strcmp(name, digest_name_sha384) == 0) return NID_sha384;
    if (std::strcmp(name, digest_name_sha512) == 0) return NID_sha512;
    return 0;
}

// Verifies a signature (a BIT STRING) over bytes by digest name.
int verify_by_digest_name(const unsigned char* bytes, std::size_t length, const char* digest_name,
                          X509* cert, const ASN1_BIT_STRING* sigval) {
    if (sigval == nullptr) return raw_verify_invalid;
    if (digest_name != nullptr && std::strcmp(digest_name, digest_name_sm3) == 0)
        return verify_sm2_raw(bytes, length, cert, sigval->data,
                              static_cast<std::size_t>(sigval->length));
    return verify_raw_with_digest(bytes, length, digest_nid_of_name(digest_name), cert,
                                  sigval->data, static_cast<std::size_t>(sigval->length));
}

}  // namespace

const char* ses_digest_name(const ASN1_OBJECT* algorithm) {
    const int nid = algorithm != nullptr ? OBJ_obj2nid(algorithm) : NID_undef;
    std::string text = signature_alg_name(nid, 0);
    if (text == "sigalg-unsupported") text = std::to_string(nid);
    return digest_name_from_alg_text(text);
}

SESeal* parse_ses_seal(const unsigned char* der, std::size_t length) {
    if (der == nullptr || length == 0) return nullptr;
    const unsigned char* p = der;
    SESeal* seal = d2i_SESeal(nullptr, &p, static_cast<long>(length));
    if (seal == nullptr) seal = seal_from_v1(der, length);
    ERR_clear_error();
    if (seal != nullptr) complete_seal(seal);
    return seal;
}

parsed_ses_signature* parse_ses_signature(const unsigned char* der, std::size_t length) {
    const unsigned char* p = der;
    SES_Signature* sig = der != nullptr && length > 0
                             ? d2i_SES_Signature(nullptr, &p, static_cast<long>(length))
                             : nullptr;
    if (sig == nullptr) {
        diag_print("\n\n[ERROR] %s(),  parse ses_signature from sig failed [ERROR]\n", kNoName);
        ERR_clear_error();
        return nullptr;
    }
    sig->signer_cert = certificate_of(sig->cert);
    sig->digest_name = ses_digest_name(sig->sigalg);
    complete_seal(sig->tbs->eseal);
    return sig;
}

int check_ses_document_hash(const parsed_ses_signature* parsed, const unsigned char* data,
                            std::size_t length) {
    memory_byte_source source(data, length);
    return check_ses_document_hash(parsed, source);
}

int check_ses_document_hash(const parsed_ses_signature* parsed, byte_source& data) {
    const char* name = parsed != nullptr ? parsed->digest_name : nullptr;
    if (digest_nid_of_name(name) == 0) {
        diag_print("not supported alg: %s", name != nullptr ? name : "");
        return sigerr_notsup_alg;
    }
    unsigned char* digest = nullptr;
    uint32_t digest_length = 0;
    digest_source_by_name(data, name, &digest, &digest_length);
    const ASN1_BIT_STRING* hash = parsed->tbs->hash;
    int result = sigerr_modified;
    if (digest == nullptr || hash == nullptr || static_cast<int>(digest_length) != hash->length) {
        diag_print("ses's dochash len is differ with calc hash's len");
    } else if (std::memcmp(digest, hash->data, digest_length) == 0) {
        result = sigerr_okay;
    }
    std::free(digest);
    return result;
}

bool ses_signer_matches_seal(const parsed_ses_signature* parsed) {
    if (parsed == nullptr || parsed->signer_cert == nullptr) return false;
    const SES_ESPropertyInfo* prop = parsed->tbs->eseal->sealInfo->prop;
    if (ASN1_INTEGER_get(prop->certListType) == 1) {
        for (int i = 0; i < sk_X509_num(prop->seal_certs); ++i)
            if (X509_cmp(sk_X509_value(prop->seal_certs, i), parsed->signer_cert) == 0) return true;
        return false;
    }
    unsigned char* der = nullptr;
    int der_length = i2d_X509(parsed->signer_cert, &der);
    bool match = false;
    for (int i = 0; der_length > 0 && !match && i < sk_CertDigestObj_num(prop->certdgsts); ++i) {
        const CertDigestObj* entry = sk_CertDigestObj_value(prop->certdgsts, i);
        if (entry->type == nullptr || entry->value == nullptr) continue;
        std::string type(reinterpret_cast<const char*>(entry->type->data),
                         static_cast<std::size_t>(entry->type->length));
        unsigned char* digest = nullptr;
        uint32_t digest_length = 0;
        digest_by_name(der, static_cast<uint32_t>(der_length), digest_name_from_alg_text(type),
                       &digest, &digest_length);
        match = digest != nullptr && static_cast<int>(digest_length) == entry->value->length &&
                std::memcmp(digest, entry->value->data, digest_length) == 0;
        std::free(digest);
    }
    OPENSSL_free(der);
    ERR_clear_error();
    return match;
}

bool ses_time_within_validity(const parsed_ses_signature* parsed) {
    if (parsed == nullptr) return false;
    const SES_ESPropertyInfo* prop = parsed->tbs->eseal->sealInfo->prop;
    const std::string t = asn1_time_to_text(parsed->tbs->time);
    const std::string s = asn1_time_to_text(prop->validStart);
    const std::string e = asn1_time_to_text(prop->validEnd);
    // An unreadable time is never within anything.
    if (t.empty() || s.empty() || e.empty()) return false;
    return t >= s && t <= e;
}

int verify_ses_seal_signature(const SESeal* seal) {
    if (seal == nullptr || seal->sealInfo == nullptr) return raw_verify_unavailable;
    if (seal->signed_der != nullptr)
        return verify_by_digest_name(seal->signed_der,
                                     static_cast<std::size_t>(seal->signed_der_length),
                                     seal->seal_digest_name, seal->seal_cert, seal->sigval);
    unsigned char* der = nullptr;
    int n = i2d_SES_SealInfo(seal->sealInfo, &der);
    if (n <= 0 || der == nullptr) {
        ERR_clear_error();
        return raw_verify_unavailable;
    }
    int result = verify_by_digest_name(der, static_cast<std::size_t>(n), seal->seal_digest_name,
                                       seal->seal_cert, seal->sigval);
    OPENSSL_free(der);
    return result;
}

int32_t verify_ses_signature(const unsigned char* signature, std::size_t signature_length,
                             const unsigned char* data, std::size_t data_length) {
    memory_byte_source source(data, data_length);
    return verify_ses_signature(signature, signature_length, source);
}

int32_t verify_ses_signature(const unsigned char* signature, std::size_t signature_length, byte_source& data) {
    parsed_ses_signature* parsed = nullptr;
    unsigned char* tbs_der = nullptr;
    int32_t result = sigerr_unknown;
    try {
        parsed = parse_ses_signature(signature, signature_length);
        if (parsed == nullptr) {
            result = sigerr_sigdata;
            throw exceptionex("d2i_ses failed");
        }
        result = check_ses_document_hash(parsed, data);
        if (result != sigerr_okay) throw exceptionex("ses verify dochash failed");
        int n = i2d_TBS_Sign(parsed->tbs, &tbs_der);
        if (n <= 0 || tbs_der == nullptr) {
            result = sigerr_unknown;
            throw exceptionex("i2d TBS_Sign failed");
        }
        int verified = verify_by_digest_name(tbs_der, static_cast<std::size_t>(n),
                                             parsed->digest_name, parsed->signer_cert,
                                             parsed->sigval);
        if (verified != raw_verify_valid) {
            result = verified == raw_verify_invalid ? sigerr_invalid : sigerr_unknown;
            throw exceptionex("ses signature verify failed");
        }
        if (!ses_signer_matches_seal(parsed)) {
            result = sigerr_signcert_unmatch;
            throw exceptionex("signer is not the seal's certificate");
        }
        result = ses_time_within_validity(parsed) ? sigerr_okay : sigerr_sigtime_illegal;
    } catch (const std::exception& ex) {
        diag_error(kNoName, ex.what());
    }
    OPENSSL_free(tbs_der);
    SES_Signature_free(parsed);
    ERR_clear_error();
    return result;
}
