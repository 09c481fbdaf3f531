#include "crypto/gm_timestamp.h"

#include "crypto/gm_pkcs7.h"
#include "platform/owned.h"

#include <openssl/err.h>
#include <openssl/ess.h>
#include <openssl/objects.h>

#include <memory>

namespace {

void raise_ts(int reason) {
    ERR_new();
    ERR_set_debug(__FILE__, __LINE__, "TS_RESP_verify_signature");
    ERR_set_error(ERR_LIB_TS, reason, nullptr);
}

template <typename T>
T* decode_attribute(PKCS7_SIGNER_INFO* si, int nid,
                    T* (*d2i)(T**, const unsigned char**, long)) {
    ASN1_TYPE* attr = PKCS7_get_signed_attribute(si, nid);
    if (attr == nullptr || attr->type != V_ASN1_SEQUENCE) return nullptr;
    const unsigned char* p = attr->value.sequence->data;
    return d2i(nullptr, &p, attr->value.sequence->length);
}

// ESS signingCertificate / signingCertificateV2 against the verified chain,
// signer first, as the library's own check does: the first listed id must be
// the signer, the others must be in its chain. The order in which the token
// happens to store its certificates does not matter (tokens that list the
// root first are common).
bool check_signing_certs(PKCS7_SIGNER_INFO* si, STACK_OF(X509)* chain) {
    ESS_SIGNING_CERT* ss = decode_attribute<ESS_SIGNING_CERT>(
        si, NID_id_smime_aa_signingCertificate, d2i_ESS_SIGNING_CERT);
    ESS_SIGNING_CERT_V2* ssv2 = decode_attribute<ESS_SIGNING_CERT_V2>(
        si, NID_id_smime_aa_signingCertificateV2, d2i_ESS_SIGNING_CERT_V2);
    int ok = OSSL_ESS_check_signing_certs(ss, ssv2, chain, 1);
    ESS_SIGNING_CERT_free(ss);
    ESS_SIGNING_CERT_V2_free(ssv2);
    if (ok <= 0) {
        raise_ts(TS_R_ESS_SIGNING_CERTIFICATE_ERROR);
        return false;
    }
    return true;
}

}  // namespace

namespace gm {

int TS_RESP_verify_signature(PKCS7* token, STACK_OF(X509)* certs, X509_STORE* store,
                             X509** signer_out) {
    if (token == nullptr) {
        raise_ts(TS_R_INVALID_NULL_POINTER);
        return 0;
    }
    // GM tokens arrive here already decoded into an ordinary signedData.
    if (!PKCS7_type_is_signed(token)) {
        raise_ts(TS_R_WRONG_CONTENT_TYPE);
        return 0;
    }
    STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(token);
    if (infos == nullptr || sk_PKCS7_SIGNER_INFO_num(infos) != 1) {
        raise_ts(TS_R_THERE_MUST_BE_ONE_SIGNER);
        return 0;
    }
    PKCS7_SIGNER_INFO* si = sk_PKCS7_SIGNER_INFO_value(infos, 0);
    if (PKCS7_get_detached(token)) {
        raise_ts(TS_R_NO_CONTENT);
        return 0;
    }

    borrowed_x509_stack signers(PKCS7_get0_signers(token, certs, 0));
    if (!signers || sk_X509_num(signers.get()) != 1) return 0;
    X509* signer = sk_X509_value(signers.get(), 0);

    BIO* bio = PKCS7_dataInit(token, nullptr);
    if (bio == nullptr) return 0;
    owned<BIO> bio_guard(bio);
    char buf[4096];
    int n;
    while ((n = BIO_read(bio, buf, sizeof buf)) > 0) {
    }
    if (n < 0 && !BIO_should_retry(bio)) return 0;

    // 1. The signature itself.
    int verified;
    if (OBJ_obj2nid(si->digest_alg->algorithm) == NID_sm3)
        verified = gmPKCS7_signatureVerify_ts(bio, token, si, signer, "1234567812345678");
    else
        verified = PKCS7_signatureVerify(bio, token, si, signer);
    if (verified < 1) {
        raise_ts(TS_R_SIGNATURE_FAILURE);
        return 0;
    }

    // 2. The chain.
    STACK_OF(X509)* token_certs = token->d.sign->cert;
    borrowed_x509_stack untrusted(sk_X509_new_null());
    if (!untrusted) return 0;
    for (int i = 0; i < sk_X509_num(certs); ++i)
        if (!sk_X509_push(untrusted.get(), sk_X509_value(certs, i))) return 0;
    for (int i = 0; i < sk_X509_num(token_certs); ++i)
        if (!sk_X509_push(untrusted.get(), sk_X509_value(token_certs, i))) return 0;
    for (int i = 0; i < sk_X509_num(untrusted.get()); ++i)
        set_sm2_distinguishing_id(sk_X509_value(untrusted.get(), i));
    set_sm2_distinguishing_id(signer);

    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    if (ctx == nullptr) return 0;
    bool chain_ok = X509_STORE_CTX_init(ctx, store, signer, untrusted.get()) == 1 &&
                    X509_STORE_CTX_set_purpose(ctx, X509_PURPOSE_TIMESTAMP_SIGN) == 1 &&
                    X509_verify_cert(ctx) > 0;
    if (!chain_ok) {
        int err = X509_STORE_CTX_get_error(ctx);
        ERR_new();
        ERR_set_debug(__FILE__, __LINE__, "TS_RESP_verify_signature");
        ERR_set_error(ERR_LIB_TS, TS_R_CERTIFICATE_VERIFY_ERROR, "Verify error:%s",
                      X509_verify_cert_error_string(err));
    }
    // 3. The signing-certificate attribute against the verified chain.
    owned<STACK_OF(X509)> chain(chain_ok ? X509_STORE_CTX_get1_chain(ctx) : nullptr);
    X509_STORE_CTX_free(ctx);
    if (!chain_ok || !chain || !check_signing_certs(si, chain.get())) return 0;

    if (signer_out != nullptr) {
        X509_up_ref(signer);
        *signer_out = signer;
    }
    return 1;
}

TS_RESP* d2i_TS_RESP(const unsigned char* der, long length) {
    if (der == nullptr || length <= 0) return nullptr;
    const unsigned char* p = der;
    TS_RESP* resp = ::d2i_TS_RESP(nullptr, &p, length);
    if (resp != nullptr) return resp;
    ERR_clear_error();

    // The stock decoder refuses a token of another type: take the response
    // apart, re-encode a GM token as signedData and decode again.
    p = der;
    long len = 0;
    int tag = 0, cls = 0;
    int r = ASN1_get_object(&p, &len, &tag, &cls, length);
    if ((r & 0x80) != 0 || tag != V_ASN1_SEQUENCE || (r & V_ASN1_CONSTRUCTED) == 0) return nullptr;
    const unsigned char* end = (r == 0x21) ? der + length : p + len;
    const unsigned char* status_start = p;
    long status_len = 0;
    r = ASN1_get_object(&p, &status_len, &tag, &cls, end - p);
    if ((r & 0x80) != 0 || r == 0x21) return nullptr;
    p += status_len;
    std::vector<unsigned char> body(status_start, p);
    const unsigned char* token_start = p;
    if (token_start >= end) return nullptr;
    bool was_gm = false;
    PKCS7* token = gm_d2i_pkcs7(token_start, end - token_start, &was_gm);
    if (token == nullptr || !was_gm) {
        PKCS7_free(token);
        return nullptr;
    }
    std::vector<unsigned char> token_der = gm_i2d_pkcs7(token, false);
    PKCS7_free(token);
    if (token_der.empty()) return nullptr;
    body.insert(body.end(), token_der.begin(), token_der.end());

    // SEQUENCE header for the rebuilt body.
    std::vector<unsigned char> out;
    int header = ASN1_object_size(1, static_cast<int>(body.size()), V_ASN1_SEQUENCE);
    if (header <= 0) return nullptr;
    out.resize(static_cast<std::size_t>(header));
    unsigned char* q = out.data();
    ASN1_put_object(&q, 1, static_cast<int>(body.size()), V_ASN1_SEQUENCE, V_ASN1_UNIVERSAL);
    out.resize(static_cast<std::size_t>(q - out.data()));
    out.insert(out.end(), body.begin(), body.end());
    p = out.data();
    return ::d2i_TS_RESP(nullptr, &p, static_cast<long>(out.size()));
}

}  // namespace gm
