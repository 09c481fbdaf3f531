#include "crypto/gm_pkcs7.h"

#include "crypto/crypto_init.h"

#include <openssl/asn1.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/objects.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include "app/diagnostics.h"
#include "platform/owned.h"

namespace {

// Raises a PKCS#7 library error under the given function name.
void raise_pkcs7(const char* function, int reason) {
    ERR_new();
    ERR_set_debug(__FILE__, __LINE__, function);
    ERR_set_error(ERR_LIB_PKCS7, reason, nullptr);
}

void raise_lib(int lib, const char* function, int reason) {
    ERR_new();
    ERR_set_debug(__FILE__, __LINE__, function);
    ERR_set_error(lib, reason, nullptr);
}

bool is_gm_data(const ASN1_OBJECT* type) {
    return nid_gm_data > 0 && OBJ_obj2nid(type) == nid_gm_data;
}
bool is_gm_signed(const ASN1_OBJECT* type) {
    return nid_gm_signed_data > 0 && OBJ_obj2nid(type) == nid_gm_signed_data;
}

void set_type(PKCS7* p7, int nid) {
    ASN1_OBJECT_free(p7->type);
    p7->type = OBJ_nid2obj(nid);
}

// gm-data held as ANY → data with its octet string (absent when detached).
bool gm_data_to_data(PKCS7* p7) {
    ASN1_TYPE* any = p7->d.other;
    ASN1_OCTET_STRING* os = nullptr;
    if (any != nullptr) {
        if (any->type != V_ASN1_OCTET_STRING) return false;
        os = any->value.octet_string;
        any->value.ptr = nullptr;
        any->type = V_ASN1_NULL;
        ASN1_TYPE_free(any);
    }
    p7->d.other = nullptr;
    set_type(p7, NID_pkcs7_data);
    p7->d.data = os;
    return true;
}

// gm-signedData held as ANY → signedData with the decoded SignedData.
bool gm_signed_to_signed(PKCS7* p7) {
    ASN1_TYPE* any = p7->d.other;
    if (any == nullptr || any->type != V_ASN1_SEQUENCE || any->value.sequence == nullptr)
        return false;
    const unsigned char* p = any->value.sequence->data;
    PKCS7_SIGNED* sd = d2i_PKCS7_SIGNED(nullptr, &p, any->value.sequence->length);
    if (sd == nullptr) return false;
    ASN1_TYPE_free(any);
    p7->d.other = nullptr;
    set_type(p7, NID_pkcs7_signed);
    p7->d.sign = sd;
    return true;
}

}  // namespace

bool gm_normalise_pkcs7(PKCS7* p7, bool* was_gm) {
    if (was_gm != nullptr) *was_gm = false;
    if (p7 == nullptr || p7->type == nullptr) return false;
    if (is_gm_data(p7->type)) {
        if (!gm_data_to_data(p7)) return false;
        if (was_gm != nullptr) *was_gm = true;
        return true;
    }
    if (is_gm_signed(p7->type)) {
        if (!gm_signed_to_signed(p7)) return false;
        if (was_gm != nullptr) *was_gm = true;
    }
    if (PKCS7_type_is_signed(p7) && p7->d.sign != nullptr && p7->d.sign->contents != nullptr) {
        PKCS7* inner = p7->d.sign->contents;
        if (inner->type != nullptr && is_gm_data(inner->type) && !gm_data_to_data(inner))
            return false;
    }
    return true;
}

PKCS7* gm_d2i_pkcs7(const unsigned char* der, long length, bool* was_gm) {
    if (was_gm != nullptr) *was_gm = false;
    if (der == nullptr || length <= 0) return nullptr;
    const unsigned char* p = der;
    PKCS7* p7 = d2i_PKCS7(nullptr, &p, length);
    if (p7 == nullptr) return nullptr;
    if (!gm_normalise_pkcs7(p7, was_gm)) {
        PKCS7_free(p7);
        return nullptr;
    }
    return p7;
}

namespace {

std::vector<unsigned char> der_of(PKCS7* p7) {
    std::vector<unsigned char> out;
    int n = i2d_PKCS7(p7, nullptr);
    if (n <= 0) return out;
    out.resize(static_cast<std::size_t>(n));
    unsigned char* p = out.data();
    if (i2d_PKCS7(p7, &p) != n) out.clear();
    return out;
}

// Wraps a value's DER as a ContentInfo of the given GM type (held as ANY).
std::vector<unsigned char> gm_content_info(int nid, int any_type, const unsigned char* value_der,
                                           int value_length) {
    std::vector<unsigned char> out;
    PKCS7* wrapper = PKCS7_new();
    ASN1_STRING* value = ASN1_STRING_type_new(any_type);
    ASN1_TYPE* any = ASN1_TYPE_new();
    if (wrapper != nullptr && value != nullptr && any != nullptr &&
        ASN1_STRING_set(value, value_der, value_length)) {
        ASN1_TYPE_set(any, any_type, value);
        value = nullptr;
        wrapper->type = OBJ_nid2obj(nid);
        wrapper->d.other = any;
        any = nullptr;
        out = der_of(wrapper);
    }
    ASN1_STRING_free(value);
    ASN1_TYPE_free(any);
    PKCS7_free(wrapper);
    return out;
}

}  // namespace

std::vector<unsigned char> gm_i2d_pkcs7(PKCS7* p7, bool gm) {
    if (p7 == nullptr) return {};
    if (!gm || nid_gm_data <= 0 || nid_gm_signed_data <= 0) return der_of(p7);

    if (PKCS7_type_is_data(p7)) {
        ASN1_OCTET_STRING* os = p7->d.data;
        if (os == nullptr) return {};
        return gm_content_info(nid_gm_data, V_ASN1_OCTET_STRING, os->data, os->length);
    }
    if (!PKCS7_type_is_signed(p7) || p7->d.sign == nullptr) return der_of(p7);

    // Label a data inner content gm-data for the encoding, then put it back.
    PKCS7* inner = p7->d.sign->contents;
    ASN1_OBJECT* saved_type = nullptr;
    ASN1_OCTET_STRING* saved_os = nullptr;
    bool relabelled = false;
    if (inner != nullptr && PKCS7_type_is_data(inner)) {
        ASN1_TYPE* any = nullptr;
        if (inner->d.data != nullptr) {
            any = ASN1_TYPE_new();
            if (any == nullptr) return {};
            ASN1_TYPE_set(any, V_ASN1_OCTET_STRING, inner->d.data);
        }
        saved_type = inner->type;
        saved_os = inner->d.data;
        inner->type = OBJ_nid2obj(nid_gm_data);
        inner->d.other = any;
        relabelled = true;
    }
    std::vector<unsigned char> out;
    int n = i2d_PKCS7_SIGNED(p7->d.sign, nullptr);
    if (n > 0) {
        std::vector<unsigned char> signed_der(static_cast<std::size_t>(n));
        unsigned char* p = signed_der.data();
        if (i2d_PKCS7_SIGNED(p7->d.sign, &p) == n)
            out = gm_content_info(nid_gm_signed_data, V_ASN1_SEQUENCE, signed_der.data(), n);
    }
    if (relabelled) {
        ASN1_TYPE* any = inner->d.other;
        if (any != nullptr) {
            any->value.ptr = nullptr;
            any->type = V_ASN1_NULL;
            ASN1_TYPE_free(any);
        }
        inner->type = saved_type;
        inner->d.data = saved_os;
    }
    return out;
}

const OSSL_PARAM* sm2_distid_params() {
    static char id[sm2_default_id_length + 1];
    static OSSL_PARAM params[2];
    static bool made = false;
    if (!made) {
        std::memcpy(id, sm2_default_id, sm2_default_id_length);
        params[0] = OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_DIST_ID, id,
                                                      sm2_default_id_length);
        params[1] = OSSL_PARAM_construct_end();
        made = true;
    }
    return params;
}

bool set_sm2_distinguishing_id(X509* cert) {
    if (cert == nullptr) return true;
    EVP_PKEY* key = X509_get0_pubkey(cert);
    if (key == nullptr || !EVP_PKEY_is_a(key, "SM2")) return true;
    ASN1_OCTET_STRING* id = ASN1_OCTET_STRING_new();
    if (id == nullptr) return false;
    if (!ASN1_OCTET_STRING_set(id, reinterpret_cast<const unsigned char*>(sm2_default_id),
                               static_cast<int>(sm2_default_id_length))) {
        ASN1_OCTET_STRING_free(id);
        return false;
    }
    X509_set0_distinguishing_id(cert, id);
    return true;
}

namespace {

// The digest context of the BIO chain whose digest matches nid.
// Returns 1 found, 0 none, -1 a digest BIO without context.
int find_digest_context(BIO* bio, int nid, EVP_MD_CTX** found) {
    *found = nullptr;
    BIO* btmp = bio;
    for (;;) {
        btmp = BIO_find_type(btmp, BIO_TYPE_MD);
        if (btmp == nullptr) return 0;
        EVP_MD_CTX* mdc = nullptr;
        BIO_get_md_ctx(btmp, &mdc);
        if (mdc == nullptr) return -1;
        const EVP_MD* md = EVP_MD_CTX_get0_md(mdc);
        if (EVP_MD_CTX_get_type(mdc) == nid || (md != nullptr && EVP_MD_get_pkey_type(md) == nid)) {
            *found = mdc;
            return 1;
        }
        btmp = BIO_next(btmp);
    }
}

using md_ctx_ptr = owned<EVP_MD_CTX>;

const char* digest_name_of(const X509_ALGOR* alg, EVP_MD** fetched, OSSL_LIB_CTX* libctx,
                           const char* propq) {
    const char* name = OBJ_nid2sn(OBJ_obj2nid(alg->algorithm));
    if (name == nullptr) return nullptr;
    *fetched = EVP_MD_fetch(libctx, name, propq);
    if (*fetched == nullptr) {
        ERR_clear_error();
        return nullptr;
    }
    return name;
}

}  // namespace

// OpenSSL 3.0's SM2 signature refuses "distid" while the signing or
// verifying context is being opened (it only accepts it once the context
// knows it must compute Z), so the parameters go in right after opening.
int digest_sign_verify_init(bool sign, EVP_MD_CTX* ctx, const char* md_name,
                            OSSL_LIB_CTX* libctx, const char* propq, EVP_PKEY* pkey,
                            const OSSL_PARAM* params) {
    EVP_PKEY_CTX* pctx = nullptr;
    int r = sign ? EVP_DigestSignInit_ex(ctx, &pctx, md_name, libctx, propq, pkey, nullptr)
                 : EVP_DigestVerifyInit_ex(ctx, &pctx, md_name, libctx, propq, pkey, nullptr);
    if (r <= 0) return r;
    if (params != nullptr && params[0].key != nullptr &&
        EVP_PKEY_CTX_set_params(pctx, params) <= 0)
        return 0;
    return 1;
}

int sm2_verify_init_with_id(EVP_MD_CTX* ctx, EVP_PKEY* key, const char* id_text) {
    OSSL_PARAM params[2];
    params[0] = OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_DIST_ID, const_cast<char*>(id_text),
                                                  std::strlen(id_text));
    params[1] = OSSL_PARAM_construct_end();
    return digest_sign_verify_init(false, ctx, "SM3", nullptr, nullptr, key, params);
}

int gmPKCS7_signatureVerify_ts(BIO* bio, PKCS7* p7, PKCS7_SIGNER_INFO* si, X509* x509,
                               const char* id_text) {
    static const char fn[] = "gmPKCS7_signatureVerify_ts";
    md_ctx_ptr mdc_tmp(EVP_MD_CTX_new());
    if (!mdc_tmp) {
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_MALLOC_FAILURE);
        return 0;
    }
    if (p7 == nullptr || si == nullptr ||
        !(PKCS7_type_is_signed(p7) || PKCS7_type_is_signedAndEnveloped(p7))) {
        raise_pkcs7(fn, PKCS7_R_WRONG_PKCS7_TYPE);
        return 0;
    }
    int md_type = OBJ_obj2nid(si->digest_alg->algorithm);
    EVP_MD_CTX* mdc = nullptr;
    int found = find_digest_context(bio, md_type, &mdc);
    if (found == 0) {
        raise_pkcs7(fn, PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
        return 0;
    }
    if (found < 0) {
        raise_pkcs7(fn, ERR_R_INTERNAL_ERROR);
        return 0;
    }
    if (!EVP_MD_CTX_copy_ex(mdc_tmp.get(), mdc)) return 0;

    STACK_OF(X509_ATTRIBUTE)* sk = si->auth_attr;
    if (sk == nullptr || sk_X509_ATTRIBUTE_num(sk) == 0) {
        diag_print("\n\n[ERROR] %s(), pkcs7 without auth attributes [ERROR]\n", fn);
        raise_pkcs7(fn, PKCS7_R_SIGNATURE_FAILURE);
        return -1;
    }

    unsigned char md_dat[EVP_MAX_MD_SIZE];
    unsigned int md_len = 0;
    if (!EVP_DigestFinal_ex(mdc_tmp.get(), md_dat, &md_len)) return 0;
    ASN1_OCTET_STRING* message_digest = PKCS7_digest_from_attributes(sk);
    if (message_digest == nullptr) {
        raise_pkcs7(fn, PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
        return 0;
    }
    if (message_digest->length != static_cast<int>(md_len) ||
        std::memcmp(message_digest->data, md_dat, md_len) != 0) {
        raise_pkcs7(fn, PKCS7_R_DIGEST_FAILURE);
        return -1;
    }

    const char* md_name = OBJ_nid2sn(md_type);
    const EVP_MD* md = md_name != nullptr ? EVP_get_digestbyname(md_name) : nullptr;
    if (md == nullptr) md = EVP_get_digestbynid(md_type);
    if (md == nullptr) return 0;

    unsigned char* abuf = nullptr;
    int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(sk), &abuf,
                             ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    if (alen <= 0 || abuf == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_ASN1_LIB);
        OPENSSL_free(abuf);
        return -1;
    }
    openssl_malloced<unsigned char> abuf_guard(abuf);

    EVP_PKEY* pkey = X509_get0_pubkey(x509);
    if (pkey == nullptr) return -1;

    md_ctx_ptr vctx(EVP_MD_CTX_new());
    if (!vctx) return 0;
    int ok;
    if (id_text != nullptr && id_text[0] != '\0') {
        ok = sm2_verify_init_with_id(vctx.get(), pkey, id_text);
    } else {
        ok = EVP_DigestVerifyInit(vctx.get(), nullptr, md, nullptr, pkey);
    }
    if (ok <= 0 || EVP_DigestVerify(vctx.get(), si->enc_digest->data, si->enc_digest->length,
                                    abuf, static_cast<std::size_t>(alen)) != 1) {
        raise_pkcs7(fn, PKCS7_R_SIGNATURE_FAILURE);
        return -1;
    }
    return 1;
}

namespace gm {

int PKCS7_SIGNER_INFO_sign_ex(PKCS7_SIGNER_INFO* si, EVP_MD_CTX* content_digest,
                              const OSSL_PARAM* params) {
    static const char fn[] = "PKCS7_SIGNER_INFO_sign_ex";
    static const char attrib_fn[] = "do_pkcs7_signed_attrib_ex";
    if (si == nullptr || content_digest == nullptr || si->pkey == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_PASSED_NULL_PARAMETER);
        return 0;
    }
    // Signed attributes: signingTime when missing, messageDigest always.
    if (PKCS7_get_signed_attribute(si, NID_pkcs9_signingTime) == nullptr &&
        !PKCS7_add0_attrib_signing_time(si, nullptr)) {
        raise_lib(ERR_LIB_PKCS7, attrib_fn, ERR_R_MALLOC_FAILURE);
        return 0;
    }
    md_ctx_ptr copy(EVP_MD_CTX_new());
    unsigned char md_data[EVP_MAX_MD_SIZE];
    unsigned int md_len = 0;
    if (!copy || !EVP_MD_CTX_copy_ex(copy.get(), content_digest) ||
        !EVP_DigestFinal_ex(copy.get(), md_data, &md_len)) {
        raise_lib(ERR_LIB_PKCS7, attrib_fn, ERR_R_EVP_LIB);
        return 0;
    }
    if (!PKCS7_add1_attrib_digest(si, md_data, static_cast<int>(md_len))) {
        raise_lib(ERR_LIB_PKCS7, attrib_fn, ERR_R_MALLOC_FAILURE);
        return 0;
    }

    OSSL_LIB_CTX* libctx = si->ctx != nullptr ? si->ctx->libctx : nullptr;
    const char* propq = si->ctx != nullptr ? si->ctx->propq : nullptr;
    EVP_MD* md = nullptr;
    const char* md_name = digest_name_of(si->digest_alg, &md, libctx, propq);
    if (md_name == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, PKCS7_R_UNKNOWN_DIGEST_TYPE);
        return 0;
    }
    EVP_MD_free(md);

    unsigned char* abuf = nullptr;
    int alen = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(si->auth_attr), &abuf,
                             ASN1_ITEM_rptr(PKCS7_ATTR_SIGN));
    if (alen <= 0 || abuf == nullptr) {
        OPENSSL_free(abuf);
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_ASN1_LIB);
        return 0;
    }
    md_ctx_ptr sctx(EVP_MD_CTX_new());
    std::size_t siglen = 0;
    unsigned char* sig = nullptr;
    bool ok = sctx &&
              digest_sign_verify_init(true, sctx.get(), md_name, libctx, propq, si->pkey,
                                      params) > 0 &&
              EVP_DigestSignUpdate(sctx.get(), abuf, static_cast<std::size_t>(alen)) > 0 &&
              EVP_DigestSignFinal(sctx.get(), nullptr, &siglen) > 0;
    if (ok) {
        sig = static_cast<unsigned char*>(OPENSSL_malloc(siglen));
        ok = sig != nullptr && EVP_DigestSignFinal(sctx.get(), sig, &siglen) > 0;
    }
    OPENSSL_free(abuf);
    if (!ok) {
        OPENSSL_free(sig);
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_EVP_LIB);
        return 0;
    }
    ASN1_STRING_set0(si->enc_digest, sig, static_cast<int>(siglen));
    return 1;
}

int PKCS7_dataFinal_ex(PKCS7* p7, BIO* bio, const OSSL_PARAM* params) {
    static const char fn[] = "PKCS7_dataFinal_ex";
    if (p7 == nullptr || p7->d.ptr == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, PKCS7_R_NO_CONTENT);
        return 0;
    }
    if (!PKCS7_type_is_signed(p7)) return PKCS7_dataFinal(p7, bio);

    PKCS7* contents = p7->d.sign->contents;
    ASN1_OCTET_STRING* os = nullptr;
    if (contents != nullptr && PKCS7_type_is_data(contents)) {
        os = contents->d.data;
        if (p7->detached) {
            // Detached: the content is left out of the structure.
            ASN1_OCTET_STRING_free(os);
            os = nullptr;
            contents->d.data = nullptr;
        } else if (os == nullptr) {
            os = ASN1_OCTET_STRING_new();
            if (os == nullptr) {
                raise_lib(ERR_LIB_PKCS7, fn, ERR_R_MALLOC_FAILURE);
                return 0;
            }
            contents->d.data = os;
        }
    }

    md_ctx_ptr ctx_tmp(EVP_MD_CTX_new());
    if (!ctx_tmp) {
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_MALLOC_FAILURE);
        return 0;
    }
    STACK_OF(PKCS7_SIGNER_INFO)* infos = p7->d.sign->signer_info;
    for (int i = 0; i < sk_PKCS7_SIGNER_INFO_num(infos); ++i) {
        PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(infos, i);
        if (si->pkey == nullptr) continue;
        int nid = OBJ_obj2nid(si->digest_alg->algorithm);
        EVP_MD_CTX* mdc = nullptr;
        if (find_digest_context(bio, nid, &mdc) != 1) {
            raise_lib(ERR_LIB_PKCS7, fn, PKCS7_R_UNABLE_TO_FIND_MESSAGE_DIGEST);
            return 0;
        }
        if (!EVP_MD_CTX_copy_ex(ctx_tmp.get(), mdc)) return 0;
        if (sk_X509_ATTRIBUTE_num(si->auth_attr) > 0) {
            if (!PKCS7_SIGNER_INFO_sign_ex(si, ctx_tmp.get(), params)) return 0;
        } else {
            unsigned int siglen = static_cast<unsigned int>(EVP_PKEY_get_size(si->pkey));
            auto* sig = static_cast<unsigned char*>(OPENSSL_malloc(siglen));
            if (sig == nullptr ||
                !EVP_SignFinal_ex(ctx_tmp.get(), sig, &siglen, si->pkey,
                                  si->ctx ? si->ctx->libctx : nullptr,
                                  si->ctx ? si->ctx->propq : nullptr)) {
                OPENSSL_free(sig);
                raise_lib(ERR_LIB_PKCS7, fn, ERR_R_EVP_LIB);
                return 0;
            }
            ASN1_STRING_set0(si->enc_digest, sig, static_cast<int>(siglen));
        }
    }

    if (PKCS7_get_detached(p7)) return 1;
    if (os == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, PKCS7_R_NO_CONTENT);
        return 0;
    }
    if ((os->flags & ASN1_STRING_FLAG_NDEF) != 0) return 1;
    BIO* mem = BIO_find_type(bio, BIO_TYPE_MEM);
    if (mem == nullptr) {
        raise_lib(ERR_LIB_PKCS7, fn, PKCS7_R_UNABLE_TO_FIND_MEM_BIO);
        return 0;
    }
    char* cont = nullptr;
    long contlen = BIO_get_mem_data(mem, &cont);
    if (contlen < 0 || !ASN1_OCTET_STRING_set(os, reinterpret_cast<unsigned char*>(cont),
                                              static_cast<int>(contlen))) {
        raise_lib(ERR_LIB_PKCS7, fn, ERR_R_MALLOC_FAILURE);
        return 0;
    }
    return 1;
}

}  // namespace gm
