#include "crypto/signature_verify.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/byte_source.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "platform/owned.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

// ---- ASN.1 templates ---------------------------------------------------------

ASN1_SEQUENCE(AlgorithmIdentifier) = {
    ASN1_SIMPLE(AlgorithmIdentifier, algorithm, ASN1_OBJECT),
    ASN1_OPT(AlgorithmIdentifier, parameters, ASN1_ANY),
} ASN1_SEQUENCE_END(AlgorithmIdentifier)
IMPLEMENT_ASN1_FUNCTIONS(AlgorithmIdentifier)

ASN1_SEQUENCE(DigestInfo) = {
    ASN1_SIMPLE(DigestInfo, digestAlgorithm, AlgorithmIdentifier),
    ASN1_SIMPLE(DigestInfo, digest, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(DigestInfo)
IMPLEMENT_ASN1_FUNCTIONS(DigestInfo)

ASN1_SEQUENCE(sm2_sigval) = {
    ASN1_SIMPLE(sm2_sigval, x, ASN1_INTEGER),
    ASN1_SIMPLE(sm2_sigval, y, ASN1_INTEGER),
} ASN1_SEQUENCE_END(sm2_sigval)
IMPLEMENT_ASN1_FUNCTIONS(sm2_sigval)

namespace {

constexpr const char* kNoName = "";

void raise_error(int lib, const char* function, int reason) {
    ERR_new();
    ERR_set_debug(__FILE__, __LINE__, function);
    ERR_set_error(lib, reason, nullptr);
}

std::string library_error_text(unsigned long code) {
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

bool is_hmac_digest(int nid) {
    return nid == NID_hmacWithSHA1 || nid == NID_hmacWithSHA256 || nid == NID_hmacWithSHA384 ||
           nid == NID_hmacWithSHA512 || (nid_hmac_sm3 != 0 && nid == nid_hmac_sm3);
}

using bio_chain_ptr = owned<BIO>;
using md_ctx_ptr = owned<EVP_MD_CTX>;

// The digest BIO of the chain whose digest (by type or key type) is nid.
BIO* find_digest_bio(BIO* chain, int nid, EVP_MD_CTX** ctx) {
    *ctx = nullptr;
    for (BIO* b = BIO_find_type(chain, BIO_TYPE_MD); b != nullptr;
         b = BIO_find_type(BIO_next(b), BIO_TYPE_MD)) {
        EVP_MD_CTX* mdc = nullptr;
        BIO_get_md_ctx(b, &mdc);
        if (mdc == nullptr) return nullptr;
        const EVP_MD* md = EVP_MD_CTX_get0_md(mdc);
        if (EVP_MD_CTX_get_type(mdc) == nid || (md != nullptr && EVP_MD_get_pkey_type(md) == nid)) {
            *ctx = mdc;
            return b;
        }
    }
    return nullptr;
}

// Reads the BIO to its end, handing each block to `sink` when there is one.
void read_to_end(BIO* bio, EVP_MD_CTX* sink = nullptr, bool* sink_failed = nullptr) {
    std::vector<unsigned char> buffer(64 * 1024);
    for (;;) {
        int n = BIO_read(bio, buffer.data(), static_cast<int>(buffer.size()));
        if (n <= 0) return;
        if (sink != nullptr && EVP_DigestVerifyUpdate(sink, buffer.data(), static_cast<std::size_t>(n)) != 1 &&
            sink_failed != nullptr)
            *sink_failed = true;
    }
}

// A BIO reading the data from its start, with the PKCS#7's digest BIOs on top.
BIO* open_data_chain(PKCS7* p7, byte_source& data) {
    BIO* source = new_byte_source_bio(data);
    if (source == nullptr) return nullptr;
    BIO* chain = PKCS7_dataInit(p7, source);
    if (chain == nullptr) BIO_free(source);
    return chain;
}

// The earliest error of the PKCS#7 library in the queue (the reason a
// signer failed; lower layers queue their own reasons before it), else the
// earliest error of all. 0 when the queue is empty.
unsigned long earliest_pkcs7_error() {
    unsigned long first = 0;
    for (;;) {
        unsigned long e = ERR_get_error();
        if (e == 0) break;
        if (first == 0) first = e;
        if (ERR_GET_LIB(e) == ERR_LIB_PKCS7) {
            ERR_clear_error();
            return e;
        }
    }
    return first;
}

int32_t sigerr_from_reason(unsigned long error) {
    switch (ERR_GET_REASON(error)) {
        case PKCS7_R_DIGEST_FAILURE: return sigerr_modified;
        case PKCS7_R_SIGNATURE_FAILURE: return sigerr_invalid;
        case PKCS7_R_UNABLE_TO_FIND_CERTIFICATE:
        case PKCS7_R_SIGNER_CERTIFICATE_NOT_FOUND: return sigerr_no_certificate;
        default: return sigerr_unknown;
    }
}

// One SM2 attempt over a fresh BIO chain (a retry must read the data again).
int sm2_signer_attempt(PKCS7* p7, PKCS7_SIGNER_INFO* si, X509* cert, byte_source& data, const char* id) {
    bio_chain_ptr chain(open_data_chain(p7, data));
    if (!chain) return 0;
    return gmPKCS7_signatureVerify(chain.get(), p7, si, cert, id);
}

}  // namespace

// ---- detached PKCS#7 ----------------------------------------------------------

int32_t pkcs7_verify_signers(PKCS7* p7, const unsigned char* data, std::size_t data_length) {
    memory_byte_source source(data, data_length);
    return pkcs7_verify_signers(p7, source);
}

int32_t pkcs7_verify_signers(PKCS7* p7, byte_source& data) {
    if (p7 == nullptr || !PKCS7_type_is_signed(p7) || p7->d.sign == nullptr) return sigerr_unknown;
    ERR_clear_error();
    {
        bio_chain_ptr probe(open_data_chain(p7, data));
        if (!probe) {
            diag_print("\n\n[ERROR] %s(), PKCS7_dataInit failed: %s [ERROR]\n", kNoName,
                       library_error_text(ERR_peek_error()).c_str());
            ERR_clear_error();
            return sigerr_unknown;
        }
    }
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
    if (sk_PKCS7_SIGNER_INFO_num(infos) <= 0) return sigerr_no_signatures;

    for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(infos); ++i) {
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(infos, i);
        PKCS7_ISSUER_AND_SERIAL* ias = si->issuer_and_serial;
        X509* cert = ias == nullptr ? nullptr
                                    : X509_find_by_issuer_and_serial(p7->d.sign->cert, ias->issuer,
                                                                     ias->serial);
        if (cert == nullptr) {
            ERR_clear_error();
            return sigerr_unknown;
        }
        int result;
        if (OBJ_obj2nid(si->digest_alg->algorithm) == NID_sm3) {
            result = sm2_signer_attempt(p7, si, cert, data, sm2_default_id);
            if (result != 1 && !data.failed()) {
                ERR_clear_error();
                result = sm2_signer_attempt(p7, si, cert, data, nullptr);
            }
        } else {
            bio_chain_ptr chain(open_data_chain(p7, data));
            if (!chain) return sigerr_unknown;
            read_to_end(chain.get());
            result = PKCS7_signatureVerify(chain.get(), p7, si, cert);
        }
        if (result != 1) {
            unsigned long error = earliest_pkcs7_error();
            diag_print("\n %s(), %s", kNoName, library_error_text(error).c_str());
            return sigerr_from_reason(error);
        }
    }
    ERR_clear_error();
    return sigerr_okay;
}

int32_t verify_pkcs7_detached(const unsigned char* signature, uint32_t signature_length,
                              const unsigned char* data, uint32_t data_length) {
    memory_byte_source source(data, data_length);
    return verify_pkcs7_detached(signature, signature_length, source);
}

int32_t verify_pkcs7_detached(const unsigned char* signature, uint32_t signature_length, byte_source& data) {
    if (signature == nullptr || signature_length == 0 || data.size() == 0) return sigerr_unknown;
    PKCS7* p7 = parse_pkcs7_der(signature, signature_length);
    if (p7 == nullptr) return sigerr_sigdata;
    int32_t result;
    if (!PKCS7_type_is_signed(p7) || p7->d.sign == nullptr) {
        result = sigerr_notsup_type;
    } else {
        STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
        PKCS7_SIGNER_INFO* first =
            sk_PKCS7_SIGNER_INFO_num(infos) > 0 ? sk_PKCS7_SIGNER_INFO_value(infos, 0) : nullptr;
        if (first != nullptr && is_hmac_digest(OBJ_obj2nid(first->digest_alg->algorithm)))
            result = sigerr_notsup_alg;
        else
            result = pkcs7_verify_signers(p7, data);
    }
    PKCS7_free(p7);
    ERR_clear_error();
    return result;
}

int gmPKCS7_signatureVerify(BIO* bio, PKCS7* p7, PKCS7_SIGNER_INFO* si, X509* x509,
                            const char* id_text) {
    static const char fn[] = "gmPKCS7_signatureVerify";
    ERR_clear_error();
    if (p7 == nullptr || si == nullptr ||
        !(PKCS7_type_is_signed(p7) || PKCS7_type_is_signedAndEnveloped(p7))) {
        raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_WRONG_PKCS7_TYPE);
        return 0;
    }
    int md_type = OBJ_obj2nid(si->digest_alg->algorithm);
    EVP_MD_CTX* mdc = nullptr;
    BIO* md_bio = find_digest_bio(bio, md_type, &mdc);
    if (md_bio == nullptr || mdc == nullptr) {
        raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
        return 0;
    }

    openssl_malloced<unsigned char> attrs;
    std::size_t attrs_length = 0;
    STACK_OF(X509_ATTRIBUTE)* sk = si->auth_attr;
    const bool with_attributes = sk != nullptr && sk_X509_ATTRIBUTE_num(sk) != 0;
    if (with_attributes) {
        read_to_end(bio);
        md_ctx_ptr copy(EVP_MD_CTX_new());
        if (!copy || !EVP_MD_CTX_copy_ex(copy.get(), mdc)) {
            raise_error(ERR_LIB_PKCS7, fn, ERR_R_EVP_LIB);
            return 0;
        }
        unsigned char md_dat[EVP_MAX_MD_SIZE];
        unsigned int md_len = 0;
        if (!EVP_DigestFinal_ex(copy.get(), md_dat, &md_len)) {
            raise_error(ERR_LIB_PKCS7, fn, ERR_R_EVP_LIB);
            return 0;
        }
        ASN1_OCTET_STRING* message_digest = PKCS7_digest_from_attributes(sk);
        if (message_digest == nullptr) {
            raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
            return 0;
        }
        if (message_digest->length != static_cast<int>(md_len) ||
            std::memcmp(message_digest->data, md_dat, md_len) != 0) {
            raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_DIGEST_FAILURE);
            return -1;
        }
        unsigned char* abuf = nullptr;
        int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(sk), &abuf,
                                 ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
        attrs.reset(abuf);
        if (alen <= 0 || abuf == nullptr) {
            raise_error(ERR_LIB_PKCS7, fn, ERR_R_ASN1_LIB);
            return -1;
        }
        attrs_length = static_cast<std::size_t>(alen);
    }

    const char* md_name = OBJ_nid2sn(md_type);
    EVP_MD* fetched = md_name != nullptr ? EVP_MD_fetch(nullptr, md_name, nullptr) : nullptr;
    const EVP_MD* md = fetched;
    if (md == nullptr) {
        ERR_clear_error();
        md = EVP_get_digestbynid(md_type);
    }
    owned<EVP_MD> fetched_guard(fetched);
    if (md == nullptr) {
        raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_UNKNOWN_DIGEST_TYPE);
        return 0;
    }
    EVP_PKEY* key = x509 != nullptr ? X509_get0_pubkey(x509) : nullptr;
    if (key == nullptr) {
        raise_error(ERR_LIB_PKCS7, fn, PKCS7_R_NO_SIGNERS);
        return -1;
    }

    md_ctx_ptr vctx(EVP_MD_CTX_new());
    if (!vctx) return 0;
    int ok;
    if (id_text != nullptr && id_text[0] != '\0') {
        ok = sm2_verify_init_with_id(vctx.get(), key, id_text);
        if (ok <= 0)
            diag_print("\n\n[ERROR] %s(), EVP_DigestVerifyInit_ex failed: %s [ERROR]\n", kNoName,
                       library_error_text(ERR_peek_error()).c_str());
    } else {
        ok = EVP_DigestVerifyInit(vctx.get(), nullptr, md, nullptr, key);
    }
    bool verified = false;
    if (ok > 0 && si->enc_digest != nullptr) {
        const auto* value = si->enc_digest->data;
        const auto value_length = static_cast<std::size_t>(si->enc_digest->length);
        if (with_attributes) {
            verified = EVP_DigestVerify(vctx.get(), value, value_length, attrs.get(), attrs_length) == 1;
        } else {
            // Without attributes the content itself is what was signed: it
            // goes into the verification block by block as it is read from
            // the bottom of the chain (the digest BIOs above are not needed).
            BIO* source = bio;
            while (BIO_next(source) != nullptr) source = BIO_next(source);
            bool update_failed = false;
            read_to_end(source, vctx.get(), &update_failed);
            verified = !update_failed && EVP_DigestVerifyFinal(vctx.get(), value, value_length) == 1;
        }
    }
    if (!verified) {
        diag_print("\n %s(), %s", kNoName, library_error_text(ERR_peek_error()).c_str());
        ERR_clear_error();
        raise_error(ERR_LIB_PKCS7, "ERR_raise_sm2pkcs7", PKCS7_R_SIGNATURE_FAILURE);
        return -1;
    }
    return 1;
}

// ---- raw values ------------------------------------------------------------------

namespace {

// The DER of an OCTET STRING holding the bytes, or empty.
std::vector<unsigned char> octet_string_der(const unsigned char* bytes, std::size_t length) {
    std::vector<unsigned char> out;
    ASN1_OCTET_STRING* os = ASN1_OCTET_STRING_new();
    if (os != nullptr && ASN1_OCTET_STRING_set(os, bytes, static_cast<int>(length))) {
        unsigned char* der = nullptr;
        int n = i2d_ASN1_OCTET_STRING(os, &der);
        if (n > 0 && der != nullptr) out.assign(der, der + n);
        OPENSSL_free(der);
    }
    ASN1_OCTET_STRING_free(os);
    return out;
}

void replace_buffer(unsigned char** buffer, uint32_t* length, const std::vector<unsigned char>& bytes) {
    unsigned char* copy = malloc_copy(bytes.data(), bytes.size());
    if (copy == nullptr) return;
    std::free(*buffer);
    *buffer = copy;
    *length = static_cast<uint32_t>(bytes.size());
}

}  // namespace

void sigval_to_octet_string(unsigned char** buffer, uint32_t* length) {
    if (buffer == nullptr || length == nullptr || *buffer == nullptr || *length == 0) return;
    const long n = static_cast<long>(*length);

    // Only a value that is exactly one DER element counts as that element.
    const unsigned char* p = *buffer;
    ASN1_OCTET_STRING* os = d2i_ASN1_OCTET_STRING(nullptr, &p, n);
    if (os != nullptr && p == *buffer + n) {
        unsigned char* der = nullptr;
        int len = i2d_ASN1_OCTET_STRING(os, &der);
        if (len > 0 && der != nullptr)
            replace_buffer(buffer, length, std::vector<unsigned char>(der, der + len));
        OPENSSL_free(der);
        ASN1_OCTET_STRING_free(os);
        ERR_clear_error();
        return;
    }
    ASN1_OCTET_STRING_free(os);

    p = *buffer;
    sm2_sigval* sv = d2i_sm2_sigval(nullptr, &p, n);
    if (sv != nullptr && p == *buffer + n) {
        unsigned char* der = nullptr;
        int len = i2d_sm2_sigval(sv, &der);
        if (len > 0 && der != nullptr)
            replace_buffer(buffer, length, std::vector<unsigned char>(der, der + len));
        OPENSSL_free(der);
    }
    sm2_sigval_free(sv);
    ERR_clear_error();

    std::vector<unsigned char> wrapped = octet_string_der(*buffer, *length);
    if (!wrapped.empty()) replace_buffer(buffer, length, wrapped);
}

bool pkcs1_verify_recover(const unsigned char* signature, uint32_t signature_length, X509* cert,
                          int* digest_kind, unsigned char** digest, uint32_t* digest_length) {
    if (signature == nullptr || signature_length == 0 || cert == nullptr ||
        digest_kind == nullptr || digest == nullptr || digest_length == nullptr)
        return false;
    *digest_kind = 0;
    *digest = nullptr;
    *digest_length = 0;
    EVP_PKEY_CTX* ctx = nullptr;
    unsigned char* block = nullptr;
    DigestInfo* info = nullptr;
    bool ok = false;
    try {
        ERR_clear_error();
        EVP_PKEY* key = X509_get0_pubkey(cert);
        ctx = key != nullptr ? EVP_PKEY_CTX_new(key, nullptr) : nullptr;
        if (ctx == nullptr) throw exceptionex(kUndefinedText);
        std::size_t block_length = 0;
        if (EVP_PKEY_verify_recover_init(ctx) != 1 ||
            EVP_PKEY_verify_recover(ctx, nullptr, &block_length, signature, signature_length) != 1)
            throw_ex_fmt("verify recover failed, %s", library_error_text(ERR_peek_error()).c_str());
        block = static_cast<unsigned char*>(OPENSSL_malloc(block_length > 0 ? block_length : 1));
        if (block == nullptr ||
            EVP_PKEY_verify_recover(ctx, block, &block_length, signature, signature_length) != 1)
            throw_ex_fmt("verify recover failed, %s", library_error_text(ERR_peek_error()).c_str());
        const unsigned char* p = block;
        info = d2i_DigestInfo(nullptr, &p, static_cast<long>(block_length));
        if (info == nullptr || info->digest == nullptr || info->digest->length <= 0)
            throw_ex_fmt("d2i digest info failed, %s", crypto_error_data_text().c_str());
        *digest_kind = digest_kind_of(OBJ_obj2nid(info->digestAlgorithm->algorithm));
        *digest = malloc_copy(info->digest->data, static_cast<std::size_t>(info->digest->length));
        if (*digest == nullptr) throw exceptionex(kFailedText);
        *digest_length = static_cast<uint32_t>(info->digest->length);
        ok = true;
    } catch (const std::exception& ex) {
        diag_print("%s(), ex.what(): %s", kNoName, ex.what());
    }
    DigestInfo_free(info);
    OPENSSL_free(block);
    EVP_PKEY_CTX_free(ctx);
    ERR_clear_error();
    return ok;
}

bool recover_pkcs1_digest(const unsigned char* octet_string_der, uint32_t der_length, X509* cert,
                          int* digest_kind, unsigned char** digest, uint32_t* digest_length) {
    if (octet_string_der == nullptr || der_length == 0) return false;
    const unsigned char* p = octet_string_der;
    ASN1_OCTET_STRING* os = d2i_ASN1_OCTET_STRING(nullptr, &p, static_cast<long>(der_length));
    if (os == nullptr) {
        diag_print("%s(), ex.what(): %s", kNoName, "parse sigdata to octect string failed");
        ERR_clear_error();
        return false;
    }
    bool ok = pkcs1_verify_recover(os->data, static_cast<uint32_t>(os->length), cert, digest_kind,
                                   digest, digest_length);
    ASN1_OCTET_STRING_free(os);
    return ok;
}

void wrap_raw_signature_as_pkcs7(STACK_OF(X509)* certs, int digest_kind, int key_kind,
                                 unsigned char** buffer, uint32_t* length) {
    if (certs == nullptr || buffer == nullptr || length == nullptr || *buffer == nullptr ||
        *length == 0)
        return;
    int alg_nid = 0;
    if (key_kind == raw_key_kind_rsa) {
        static const int rsa_algs[] = {NID_sha1WithRSAEncryption, NID_sha256WithRSAEncryption,
                                       NID_sha384WithRSAEncryption, NID_sha512WithRSAEncryption,
                                       NID_sm3WithRSAEncryption};
        if (digest_kind >= 1 && digest_kind <= 5) alg_nid = rsa_algs[digest_kind - 1];
    } else if (key_kind == raw_key_kind_sm2 && digest_kind == 5) {
        alg_nid = NID_SM2_with_SM3;
    }
    const int signature_kind = signature_kind_of(alg_nid);

    ASN1_OCTET_STRING* os = nullptr;
    PKCS7* p7 = nullptr;
    try {
        const unsigned char* p = *buffer;
        os = d2i_ASN1_OCTET_STRING(nullptr, &p, static_cast<long>(*length));
        if (os == nullptr) throw exceptionex(kFailedText);
        p7 = PKCS7_new();
        signed_data_request request;
        request.digest_kind = digest_kind;
        request.certs = certs;
        request.signature_kind = signature_kind;
        request.signature = os->data;
        request.signature_len = static_cast<uint32_t>(os->length);
        request.pending = true;
        request.p7 = p7;
        unsigned char* der = nullptr;
        uint32_t der_length = 0;
        if (p7 == nullptr || build_signed_data(&request, &der, &der_length) != 0 || der == nullptr)
            throw_ex_fmt("%s(), build pk7 signed data failed", kNoName);
        std::free(*buffer);
        *buffer = der;
        *length = der_length;
    } catch (const std::exception& ex) {
        ASN1_OCTET_STRING_free(os);
        PKCS7_free(p7);
        ERR_clear_error();
        throw_ex_fmt("%s(), ex.what(): %s", kNoName, ex.what());
    }
    ASN1_OCTET_STRING_free(os);
    PKCS7_free(p7);
}

// ---- SignedData builder -------------------------------------------------------------

namespace {

int digest_nid_of_kind(int kind) {
    switch (kind) {
        case 1: return NID_sha1;
        case 2: return NID_sha256;
        case 3: return NID_sha384;
        case 4: return NID_sha512;
        case 5: return NID_sm3;
        default: return NID_undef;
    }
}

int signature_nid_of_kind(int kind) {
    static const int nids[] = {NID_sha1WithRSAEncryption, NID_sha256WithRSAEncryption,
                               NID_sha384WithRSAEncryption, NID_sha512WithRSAEncryption,
                               NID_ecdsa_with_SHA1, NID_ecdsa_with_SHA256,
                               NID_ecdsa_with_SHA384, NID_ecdsa_with_SHA512,
                               NID_SM2_with_SM3};
    return kind >= 1 && kind <= 9 ? nids[kind - 1] : NID_undef;
}

// Adds one attribute with every value as a SEQUENCE. False on failure.
bool add_attribute(STACK_OF(X509_ATTRIBUTE)** list, const builder_attribute& attr) {
    int32_t nid = 0;
    oid_text_to_nid(attr.oid_text, &nid);
    if (nid == 0 || attr.value_count == 0 || attr.values == nullptr) return false;
    X509_ATTRIBUTE* a = X509_ATTRIBUTE_new();
    if (a == nullptr) return false;
    bool ok = X509_ATTRIBUTE_set1_object(a, OBJ_nid2obj(nid)) == 1;
    for (uint32_t i = 0; ok && i < attr.value_count; ++i) {
        ASN1_STRING* seq = ASN1_STRING_type_new(V_ASN1_SEQUENCE);
        ok = seq != nullptr &&
             ASN1_STRING_set(seq, attr.values[i].bytes, static_cast<int>(attr.values[i].length)) &&
             X509_ATTRIBUTE_set1_data(a, V_ASN1_SEQUENCE, seq, -1) == 1;
        ASN1_STRING_free(seq);
    }
    if (ok && *list == nullptr) *list = sk_X509_ATTRIBUTE_new_null();
    if (!ok || *list == nullptr || sk_X509_ATTRIBUTE_push(*list, a) <= 0) {
        X509_ATTRIBUTE_free(a);
        return false;
    }
    return true;
}

// The final step of the builder: each signer info gets the caller's
// signature value; its digest BIO must exist as the library's own final
// step requires.
bool give_signatures(PKCS7* p7, BIO* chain, const unsigned char* signature, uint32_t length) {
    static const char fn[] = "ossl_data_final";
    if (p7 == nullptr || p7->d.ptr == nullptr) {
        raise_error(ERR_LIB_PKCS7, fn, p7 == nullptr ? ERR_R_PASSED_NULL_PARAMETER
                                                     : PKCS7_R_NO_CONTENT);
        return false;
    }
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7);
    for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(infos); ++i) {
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(infos, i);
        EVP_MD_CTX* mdc = nullptr;
        if (find_digest_bio(chain, OBJ_obj2nid(si->digest_alg->algorithm), &mdc) == nullptr) {
            raise_error(ERR_LIB_PKCS7, "PKCS7_find_digest", PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
            return false;
        }
        if (!ASN1_OCTET_STRING_set(si->enc_digest, signature, static_cast<int>(length))) {
            raise_error(ERR_LIB_PKCS7, fn, ERR_R_MALLOC_FAILURE);
            return false;
        }
    }
    return true;
}

}  // namespace

int build_signed_data(signed_data_request* request, unsigned char** der, uint32_t* der_length) {
    if (der != nullptr) *der = nullptr;
    if (der_length != nullptr) *der_length = 0;
    if (request == nullptr || der == nullptr || der_length == nullptr) return 3;
    if (!request->pending) return 5;
    PKCS7* p7 = request->p7;
    if (p7 == nullptr) return 3;
    const int digest_nid = digest_nid_of_kind(request->digest_kind);
    if (digest_nid == NID_undef) return 14;
    const bool gm = request->signature_kind == 9;

    // Built as signedData with data content; the GM labels go on in the encoding.
    if (!PKCS7_set_type(p7, NID_pkcs7_signed) || !PKCS7_content_new(p7, NID_pkcs7_data)) return 8;
    PKCS7_set_detached(p7, 1);

    X509* signer = nullptr;
    if (request->certs != nullptr) {
        for (int i = 0; i < sk_X509_num(request->certs); ++i) {
            X509* c = sk_X509_value(request->certs, i);
            if (!PKCS7_add_certificate(p7, c)) return 8;
            if (signer == nullptr) signer = c;
        }
    } else {
        for (uint32_t i = 0; i < request->cert_der_count && request->cert_ders != nullptr; ++i) {
            const unsigned char* p = request->cert_ders[i].bytes;
            X509* c = p != nullptr ? d2i_X509(nullptr, &p, request->cert_ders[i].length) : nullptr;
            if (c == nullptr) {
                diag_print("\n add cert error, ossl error: %s",
                           library_error_text(ERR_peek_error()).c_str());
                ERR_clear_error();
                return 16;
            }
            bool added = PKCS7_add_certificate(p7, c) == 1;
            X509_free(c);
            if (!added) return 8;
        }
        if (sk_X509_num(p7->d.sign->cert) > 0) signer = sk_X509_value(p7->d.sign->cert, 0);
    }
    if (signer == nullptr) return 2;

    PKCS7_SIGNER_INFO* si = PKCS7_SIGNER_INFO_new();
    if (si == nullptr) return 8;
    ASN1_INTEGER_set(si->version, 1);
    if (!X509_NAME_set(&si->issuer_and_serial->issuer, X509_get_issuer_name(signer))) {
        PKCS7_SIGNER_INFO_free(si);
        return 8;
    }
    ASN1_INTEGER* serial = ASN1_INTEGER_dup(X509_get0_serialNumber(signer));
    if (serial == nullptr) {
        PKCS7_SIGNER_INFO_free(si);
        return 7;
    }
    ASN1_INTEGER_free(si->issuer_and_serial->serial);
    si->issuer_and_serial->serial = serial;
    X509_ALGOR_set0(si->digest_alg, OBJ_nid2obj(digest_nid), V_ASN1_NULL, nullptr);
    X509_ALGOR_set0(si->digest_enc_alg, OBJ_nid2obj(signature_nid_of_kind(request->signature_kind)),
                    V_ASN1_NULL, nullptr);
    if (!PKCS7_add_signer(p7, si)) {
        PKCS7_SIGNER_INFO_free(si);
        return 8;
    }

    if (request->message_digest != nullptr && request->message_digest_len > 0) {
        ASN1_OBJECT* content_type = OBJ_nid2obj(gm ? nid_gm_data : NID_pkcs7_data);
        ASN1_OCTET_STRING* md = ASN1_OCTET_STRING_new();
        if (md == nullptr ||
            !ASN1_OCTET_STRING_set(md, request->message_digest,
                                   static_cast<int>(request->message_digest_len))) {
            ASN1_OCTET_STRING_free(md);
            return 8;
        }
        if (!PKCS7_add_signed_attribute(si, NID_pkcs9_contentType, V_ASN1_OBJECT, content_type)) {
            ASN1_OCTET_STRING_free(md);
            return 8;
        }
        if (!PKCS7_add_signed_attribute(si, NID_pkcs9_messageDigest, V_ASN1_OCTET_STRING, md)) {
            ASN1_OCTET_STRING_free(md);
            return 8;
        }
        for (uint32_t i = 0; i < request->signed_attr_count && request->signed_attrs; ++i)
            if (!add_attribute(&si->auth_attr, request->signed_attrs[i])) return 8;
    }
    for (uint32_t i = 0; i < request->unsigned_attr_count && request->unsigned_attrs; ++i)
        if (!add_attribute(&si->unauth_attr, request->unsigned_attrs[i])) return 8;

    BIO* chain = PKCS7_dataInit(p7, nullptr);
    if (chain == nullptr) {
        ERR_clear_error();
        return 3;
    }
    (void)BIO_flush(chain);
    bool given = give_signatures(p7, chain, request->signature, request->signature_len);
    BIO_free_all(chain);
    if (!given) {
        diag_print("\n %s(), %s", kNoName, library_error_text(ERR_peek_error()).c_str());
        ERR_clear_error();
        return 8;
    }

    std::vector<unsigned char> encoded = gm_i2d_pkcs7(p7, gm);
    if (encoded.empty()) {
        ERR_clear_error();
        return 17;
    }
    *der = malloc_copy(encoded.data(), encoded.size());
    if (*der == nullptr) return 8;
    *der_length = static_cast<uint32_t>(encoded.size());
    request->pending = false;
    return 0;
}

// ---- raw checks ---------------------------------------------------------------------

namespace {

int raw_verify(const unsigned char* data, std::size_t data_length, X509* cert,
               const unsigned char* signature, std::size_t signature_length, const char* md_name,
               const OSSL_PARAM* params) {
    EVP_PKEY* key = cert != nullptr ? X509_get0_pubkey(cert) : nullptr;
    md_ctx_ptr ctx(EVP_MD_CTX_new());
    int result = raw_verify_unavailable;
    ERR_clear_error();
    if (key != nullptr && ctx && md_name != nullptr &&
        digest_sign_verify_init(false, ctx.get(), md_name, nullptr, nullptr, key, params) == 1) {
        static const unsigned char nothing = 0;
        result = EVP_DigestVerify(ctx.get(), signature != nullptr ? signature : &nothing,
                                  signature_length, data != nullptr ? data : &nothing,
                                  data_length) == 1
                     ? raw_verify_valid
                     : raw_verify_invalid;
    }
    if (result != raw_verify_valid)
        diag_print("\n\n[ERROR] %s(), %s [ERROR]\n", kNoName, crypto_error_data_text().c_str());
    ERR_clear_error();
    return result;
}

}  // namespace

int verify_sm2_raw(const unsigned char* data, std::size_t data_length, X509* cert,
                   const unsigned char* signature, std::size_t signature_length) {
    return raw_verify(data, data_length, cert, signature, signature_length, "SM3",
                      sm2_distid_params());
}

int verify_raw_with_digest(const unsigned char* data, std::size_t data_length, int digest_nid,
                           X509* cert, const unsigned char* signature,
                           std::size_t signature_length) {
    const EVP_MD* md = EVP_get_digestbynid(digest_nid);
    return raw_verify(data, data_length, cert, signature, signature_length,
                      md != nullptr ? EVP_MD_get0_name(md) : nullptr, nullptr);
}
