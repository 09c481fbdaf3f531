#include "crypto/digests.h"

#include "crypto/local_time.h"

#include "app/diagnostics.h"
#include "app/encoding.h"
#include "crypto/crypto_init.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/signature_verify.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

const char* const digest_name_sm3 = "sm3";
const char* const digest_name_sha1 = "sha1";
const char* const digest_name_sha256 = "sha256";
const char* const digest_name_sha384 = "sha384";
const char* const digest_name_sha512 = "sha512";
const char* const digest_name_unsupport = "unsupport";

unsigned char* malloc_copy(const unsigned char* bytes, std::size_t length) {
    auto* out = static_cast<unsigned char*>(std::malloc(length > 0 ? length : 1));
    if (out != nullptr && length > 0) std::memcpy(out, bytes, length);
    return out;
}

namespace {

// "YYMMDDHHMMSSZ" (UTC) → local time text; "" when malformed.
std::string utc_time_text_to_local(const char* text, std::size_t length) {
    if (length < 12) return "";
    for (int i = 0; i < 12; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return "";
    auto two = [&](int at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    int year = two(0);
    year = year > 49 ? 1900 + year : 2000 + year;
    return epoch_to_local_text(utc_fields_to_epoch(year, two(2), two(4), two(6), two(8), two(10)));
}

PKCS7_SIGNER_INFO* first_signer(PKCS7* p7) {
    if (p7 == nullptr || !PKCS7_type_is_signed(p7) || p7->d.sign == nullptr) return nullptr;
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
    if (sk_PKCS7_SIGNER_INFO_num(infos) < 1) return nullptr;
    return sk_PKCS7_SIGNER_INFO_value(infos, 0);
}

X509* signer_certificate(PKCS7* p7, PKCS7_SIGNER_INFO* si) {
    STACK_OF(X509)* certs = p7->d.sign->cert;
    PKCS7_ISSUER_AND_SERIAL* ias = si->issuer_and_serial;
    if (ias == nullptr) return nullptr;
    for (int i = 0; i < sk_X509_num(certs); ++i) {
        X509* c = sk_X509_value(certs, i);
        if (X509_NAME_cmp(X509_get_issuer_name(c), ias->issuer) == 0 &&
            ASN1_INTEGER_cmp(X509_get0_serialNumber(c), ias->serial) == 0)
            return c;
    }
    return nullptr;
}

}  // namespace

void digest_data(const unsigned char* bytes, uint32_t length, const EVP_MD* md,
                 unsigned char** out, uint32_t* out_length) {
    if (out == nullptr || out_length == nullptr) return;
    *out = nullptr;
    *out_length = 0;
    if (bytes == nullptr || length == 0 || md == nullptr) return;
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int value_length = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    bool ok = ctx != nullptr && EVP_DigestInit_ex(ctx, md, nullptr) &&
              EVP_DigestUpdate(ctx, bytes, length) &&
              EVP_DigestFinal_ex(ctx, value, &value_length);
    EVP_MD_CTX_free(ctx);
    if (!ok) {
        ERR_clear_error();
        return;
    }
    *out = malloc_copy(value, value_length);
    if (*out != nullptr) *out_length = value_length;
}

const EVP_MD* digest_method_by_name(const char* name) {
    if (name == nullptr) return nullptr;
    if (std::strcmp(name, digest_name_sm3) == 0) return EVP_get_digestbyname(OBJ_nid2sn(NID_sm3));
    if (std::strcmp(name, digest_name_sha1) == 0) return EVP_sha1();
    if (std::strcmp(name, digest_name_sha256) == 0) return EVP_sha256();
    if (std::strcmp(name, digest_name_sha384) == 0) return EVP_sha384();
    if (std::strcmp(name, digest_name_sha512) == 0) return EVP_sha512();
    return nullptr;
}

void digest_by_name(const unsigned char* bytes, uint32_t length, const char* name,
                    unsigned char** out, uint32_t* out_length) {
    const EVP_MD* md = digest_method_by_name(name);
    if (md == nullptr) return;
    digest_data(bytes, length, md, out, out_length);
}

std::string sha1_hex(const unsigned char* bytes, std::size_t length) {
    unsigned char value[EVP_MAX_MD_SIZE];
    unsigned int value_length = 0;
    static const unsigned char nothing = 0;
    if (!EVP_Digest(bytes != nullptr ? bytes : &nothing, length, value, &value_length,
                    EVP_sha1(), nullptr)) {
        ERR_clear_error();
        return "";
    }
    return bytes_to_hex(value, value_length);
}

std::string x509_certid(X509* cert) {
    if (cert == nullptr) return "";
    unsigned char* der = nullptr;
    int n = i2d_X509(cert, &der);
    if (n <= 0 || der == nullptr) {
        ERR_clear_error();
        return "";
    }
    std::string id = sha1_hex(der, static_cast<std::size_t>(n));
    OPENSSL_free(der);
    return id;
}

const char* signature_alg_name(int alg_nid, int digest_nid) {
    static const char* const unsupported = "sigalg-unsupported";
    switch (alg_nid) {
        case NID_rsaEncryption:
            switch (digest_nid) {
                case NID_sha1: return "sha1WithRSA";
                case NID_sha256: return "sha256WithRSA";
                case NID_sha384: return "sha384WithRSA";
                case NID_sha512: return "sha512WithRSA";
                default: return unsupported;
            }
        case NID_sha1WithRSAEncryption:
        case NID_sha1WithRSA: return "sha1WithRSA";
        case NID_sha256WithRSAEncryption: return "sha256WithRSA";
        case NID_sha384WithRSAEncryption: return "sha384WithRSA";
        case NID_sha512WithRSAEncryption: return "sha512WithRSA";
        case NID_ecdsa_with_SHA1: return "sha1WithECDSA";
        case NID_ecdsa_with_SHA256: return "sha256WithECDSA";
        case NID_ecdsa_with_SHA384: return "sha384WithECDSA";
        case NID_ecdsa_with_SHA512: return "sha512WithECDSA";
        case NID_X9_62_id_ecPublicKey:
            return digest_nid == NID_sm3 ? "sm3WithECDSA" : unsupported;
        case NID_SM2_with_SM3: return "sm3WithSM2";
        default: break;
    }
    if (alg_nid == NID_sm2 || alg_nid == NID_gm_sm2sign) {
        if (digest_nid == NID_sm3 || digest_nid == NID_SM2_with_SM3) return "sm3WithSM2";
        if (digest_nid != 0 && digest_nid == nid_hmac_sm3) return "hmac-sm3WithSM2";
        return unsupported;
    }
    return unsupported;
}

const char* digest_alg_name(int digest_nid) {
    if (digest_nid != 0 && digest_nid == nid_hmac_sm3) return "hmacWithSM3";
    switch (digest_nid) {
        case NID_sha1: return digest_name_sha1;
        case NID_sha256: return digest_name_sha256;
        case NID_sha384: return digest_name_sha384;
        case NID_sha512: return digest_name_sha512;
        case NID_sm3:
        case NID_SM2_with_SM3: return digest_name_sm3;
        default: return digest_name_unsupport;
    }
}

const char* digest_name_from_alg_text(const std::string& alg_text) {
    std::string lower(alg_text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* name : {digest_name_sm3, digest_name_sha1, digest_name_sha256,
                             digest_name_sha384, digest_name_sha512}) {
        if (lower.find(name) != std::string::npos) return name;
    }
    return digest_name_unsupport;
}

int digest_kind_of(int digest_nid) {
    switch (digest_nid) {
        case NID_sha1: return 1;
        case NID_sha256: return 2;
        case NID_sha384: return 3;
        case NID_sha512: return 4;
        case NID_sm3: return 5;
        default: return 0;
    }
}

int signature_kind_of(int alg_nid) {
    switch (alg_nid) {
        case NID_sha1WithRSAEncryption:
        case NID_sha1WithRSA: return 1;
        case NID_sha256WithRSAEncryption: return 2;
        case NID_sha384WithRSAEncryption: return 3;
        case NID_sha512WithRSAEncryption: return 4;
        case NID_ecdsa_with_SHA1: return 5;
        case NID_ecdsa_with_SHA256: return 6;
        case NID_ecdsa_with_SHA384: return 7;
        case NID_ecdsa_with_SHA512: return 8;
        case NID_sm2:
        case NID_gm_sm2sign:
        case NID_SM2_with_SM3: return 9;
        default: return 10;
    }
}

PKCS7* parse_pkcs7_der(const unsigned char* bytes, uint32_t length, bool* was_gm) {
    if (was_gm != nullptr) *was_gm = false;
    if (bytes == nullptr || length == 0) return nullptr;
    PKCS7* p7 = gm_d2i_pkcs7(bytes, static_cast<long>(length), was_gm);
    if (p7 == nullptr) ERR_clear_error();
    return p7;
}

unsigned char* pkcs7_to_der(PKCS7* p7, unsigned char** out, uint32_t* out_length, bool gm) {
    if (out != nullptr) *out = nullptr;
    if (out_length != nullptr) *out_length = 0;
    if (p7 == nullptr || out == nullptr || out_length == nullptr) return nullptr;
    std::vector<unsigned char> der = gm_i2d_pkcs7(p7, gm);
    if (der.empty()) {
        ERR_clear_error();
        return nullptr;
    }
    *out = malloc_copy(der.data(), der.size());
    if (*out != nullptr) *out_length = static_cast<uint32_t>(der.size());
    return *out;
}

int pkcs7_signer_cert(PKCS7* p7, X509** signer, STACK_OF(X509)** certs) {
    if (signer != nullptr) *signer = nullptr;
    if (certs != nullptr) *certs = nullptr;
    if (p7 == nullptr || signer == nullptr || certs == nullptr) return 1;
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    if (si == nullptr) return 1;
    *certs = p7->d.sign->cert;
    *signer = signer_certificate(p7, si);
    return 0;
}

int pkcs7_attribute_der(PKCS7* p7, bool signed_attribute, const char* oid_text,
                        unsigned char** der, uint32_t* der_length) {
    if (der != nullptr) *der = nullptr;
    if (der_length != nullptr) *der_length = 0;
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    if (si == nullptr || oid_text == nullptr || der == nullptr || der_length == nullptr) return 1;
    int32_t nid = 0;
    oid_text_to_nid(oid_text, &nid);
    if (nid == 0) return 1;
    ASN1_TYPE* value = signed_attribute ? PKCS7_get_signed_attribute(si, nid)
                                        : PKCS7_get_attribute(si, nid);
    if (value == nullptr) return 1;
    unsigned char* encoded = nullptr;
    int n = i2d_ASN1_TYPE(value, &encoded);
    if (n <= 0 || encoded == nullptr) {
        ERR_clear_error();
        return 1;
    }
    *der = malloc_copy(encoded, static_cast<std::size_t>(n));
    OPENSSL_free(encoded);
    if (*der == nullptr) return 1;
    *der_length = static_cast<uint32_t>(n);
    return 0;
}

namespace {

int signing_time_at(PKCS7* p7, std::string* local_time, int depth) {
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    if (si == nullptr) return 1;
    unsigned char* token_der = nullptr;
    uint32_t token_length = 0;
    if (pkcs7_attribute_der(p7, false, "1.2.840.113549.1.9.16.2.14", &token_der,
                            &token_length) == 0) {
        // The time-stamp token's own time wins over the signer's claim.
        PKCS7* token = depth < 8 ? parse_pkcs7_der(token_der, token_length) : nullptr;
        std::free(token_der);
        if (token == nullptr) return 1;
        int status = signing_time_at(token, local_time, depth + 1);
        PKCS7_free(token);
        return status;
    }
    ASN1_TYPE* st = PKCS7_get_signed_attribute(si, NID_pkcs9_signingTime);
    if (st == nullptr || st->type != V_ASN1_UTCTIME || st->value.utctime == nullptr) return 1;
    *local_time = utc_time_text_to_local(reinterpret_cast<const char*>(st->value.utctime->data),
                                         static_cast<std::size_t>(st->value.utctime->length));
    return local_time->empty() ? 1 : 0;
}

}  // namespace

int pkcs7_signing_time(PKCS7* p7, std::string* local_time) {
    if (local_time == nullptr) return 1;
    local_time->clear();
    return signing_time_at(p7, local_time, 0);
}

void pkcs7_signer_digest(PKCS7* p7, unsigned char** out, uint32_t* out_length) {
    if (out == nullptr || out_length == nullptr) return;
    *out = nullptr;
    *out_length = 0;
    PKCS7_SIGNER_INFO* si = first_signer(p7);
    if (si == nullptr) return;
    if (sk_X509_ATTRIBUTE_num(si->auth_attr) > 0) {
        ASN1_OCTET_STRING* md = PKCS7_digest_from_attributes(si->auth_attr);
        if (md == nullptr || md->length <= 0) return;
        *out = malloc_copy(md->data, static_cast<std::size_t>(md->length));
        if (*out != nullptr) *out_length = static_cast<uint32_t>(md->length);
        return;
    }
    int digest_nid = OBJ_obj2nid(si->digest_alg->algorithm);
    if (digest_nid == NID_hmacWithSHA1 || digest_nid == NID_hmacWithSHA256 ||
        digest_nid == NID_hmacWithSHA384 || digest_nid == NID_hmacWithSHA512 ||
        digest_nid == NID_sm3 || (nid_hmac_sm3 != 0 && digest_nid == nid_hmac_sm3))
        return;
    if (sk_X509_num(p7->d.sign->cert) < 1) return;
    X509* cert = signer_certificate(p7, si);
    if (cert == nullptr) return;
    int digest_kind = 0;
    if (si->enc_digest == nullptr ||
        !pkcs1_verify_recover(si->enc_digest->data, static_cast<uint32_t>(si->enc_digest->length),
                              cert, &digest_kind, out, out_length))
        diag_print("\n\n[ERROR] %s(), parse hash from sigval failed [ERROR]\n", "");
}

std::string pkcs7_signature_hash_hex(PKCS7* p7) {
    unsigned char* digest = nullptr;
    uint32_t length = 0;
    pkcs7_signer_digest(p7, &digest, &length);
    if (digest == nullptr) return "";
    std::string hex = bytes_to_hex(digest, length);
    std::free(digest);
    return hex;
}

std::string crypto_error_data_text() {
    const char* data = nullptr;
    int flags = 0;
    if (ERR_peek_error_all(nullptr, nullptr, nullptr, &data, &flags) == 0) return "";
    if (data == nullptr || (flags & ERR_TXT_STRING) == 0) return "";
    return data;
}

int64_t find_last_bytes(const unsigned char* buffer, std::size_t length,
                        const unsigned char* pattern, std::size_t pattern_length) {
    if (buffer == nullptr || pattern == nullptr || pattern_length == 0 || pattern_length > length)
        return -1;
    for (std::size_t start = length - pattern_length + 1; start-- > 0;) {
        if (buffer[start] == pattern[0] &&
            std::memcmp(buffer + start, pattern, pattern_length) == 0)
            return static_cast<int64_t>(start);
    }
    return -1;
}
