#include "crypto/pkcs7_sign.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/gm_pkcs7.h"
#include "crypto/pfx.h"
#include "crypto/revocation_archive.h"
#include "crypto/system_store.h"
#include "crypto/timestamp_request.h"
#include "crypto/trust_list.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

namespace {

std::string name_line(const X509_NAME* name) {
    char buffer[512];
    if (name == nullptr || X509_NAME_oneline(name, buffer, sizeof buffer) == nullptr) return "";
    return buffer;
}

// Labels a signer's signature algorithm by its key: RSA keys
// sha256WithRSAEncryption with a NULL parameter, EC keys ecdsa-with-SHA256
// without parameter (validators reject an RSA label on an EC signature).
bool label_signature_algorithm(PKCS7_SIGNER_INFO* si, EVP_PKEY* key) {
    if (EVP_PKEY_is_a(key, "RSA"))
        return X509_ALGOR_set0(si->digest_enc_alg, OBJ_nid2obj(NID_sha256WithRSAEncryption), V_ASN1_NULL,
                               nullptr) == 1;
    if (EVP_PKEY_is_a(key, "EC"))
        return X509_ALGOR_set0(si->digest_enc_alg, OBJ_nid2obj(NID_ecdsa_with_SHA256), V_ASN1_UNDEF,
                               nullptr) == 1;
    return true;
}

void make_sm2_sigid_known() {
    int sig = 0;
    if (!OBJ_find_sigid_by_algs(&sig, NID_sm3, NID_sm2)) OBJ_add_sigid(NID_SM2_with_SM3, NID_sm3, NID_sm2);
}

// The time-stamp token over the signer's signature value as its only
// unsigned attribute.
void add_timestamp_token(PKCS7_SIGNER_INFO* si, const char* tsa_url) {
    const EVP_MD* md = EVP_sha256();
    if (md == nullptr) throw exceptionex("param null");
    unsigned char* token = nullptr;
    uint32_t token_length = 0;
    request_timestamp(si->enc_digest->data, static_cast<uint32_t>(si->enc_digest->length), tsa_url, md, &token,
                      &token_length);
    ASN1_STRING* value = ASN1_STRING_new();
    bool ok = value != nullptr && token != nullptr && ASN1_STRING_set(value, token, static_cast<int>(token_length));
    std::free(token);
    if (ok) {
        sk_X509_ATTRIBUTE_pop_free(si->unauth_attr, X509_ATTRIBUTE_free);
        si->unauth_attr = nullptr;
        ok = PKCS7_add_attribute(si, NID_id_smime_aa_timeStampToken, V_ASN1_SEQUENCE, value) == 1;
    }
    if (!ok) {
        ASN1_STRING_free(value);
        throw exceptionex("add timestamp attribute failed");
    }
}

struct signing_state {
    PKCS7* p7 = nullptr;
    STACK_OF(X509)* chain = nullptr;
    BIO* out = nullptr;
    BIO* p7bio = nullptr;
    ~signing_state() {
        BIO_free_all(p7bio);
        BIO_free(out);
        sk_X509_pop_free(chain, X509_free);
        PKCS7_free(p7);
    }
};

}  // namespace

PKCS7_SIGNER_INFO* gmPKCS7_add_signer(PKCS7* p7, X509* cert, EVP_PKEY* key, const EVP_MD* md) {
    if (p7 == nullptr || cert == nullptr || key == nullptr) return nullptr;
    if (md == nullptr) {
        int nid = 0;
        if (EVP_PKEY_get_default_digest_nid(key, &nid) <= 0 || (md = EVP_get_digestbynid(nid)) == nullptr) {
            ERR_new();
            ERR_set_debug(__FILE__, __LINE__, "gmPKCS7_add_signer");
            ERR_set_error(ERR_LIB_PKCS7, PKCS7_R_NO_DEFAULT_DIGEST, nullptr);
            return nullptr;
        }
    }
    PKCS7_SIGNER_INFO* si = PKCS7_SIGNER_INFO_new();
    if (si == nullptr) return nullptr;
    ASN1_INTEGER* serial = ASN1_INTEGER_dup(X509_get0_serialNumber(cert));
    bool ok = ASN1_INTEGER_set(si->version, 1) &&
              X509_NAME_set(&si->issuer_and_serial->issuer, X509_get_issuer_name(cert)) && serial != nullptr;
    if (ok) {
        ASN1_INTEGER_free(si->issuer_and_serial->serial);
        si->issuer_and_serial->serial = serial;
        serial = nullptr;
        EVP_PKEY_up_ref(key);
        si->pkey = key;
        ok = X509_ALGOR_set0(si->digest_alg, OBJ_nid2obj(EVP_MD_get_type(md)), V_ASN1_NULL, nullptr) == 1;
    }
    ASN1_INTEGER_free(serial);
    ok = ok && EVP_PKEY_is_a(key, "SM2");
    if (ok && EVP_MD_get_type(md) == NID_sm3)
        ok = X509_ALGOR_set0(si->digest_enc_alg, OBJ_nid2obj(NID_SM2_with_SM3), V_ASN1_UNDEF, nullptr) == 1;
    if (ok) ok = PKCS7_add_signer(p7, si) == 1;
    if (!ok) {
        PKCS7_SIGNER_INFO_free(si);
        return nullptr;
    }
    return si;
}

void add_chain_certificate(PKCS7* p7, X509* cert) {
    if (p7 == nullptr || cert == nullptr) return;
    STACK_OF(X509)* certs = nullptr;
    int type = OBJ_obj2nid(p7->type);
    if (type == NID_pkcs7_signed || type == NID_pkcs7_signedAndEnveloped ||
        (nid_gm_signed_data > 0 && type == nid_gm_signed_data))
        certs = type == NID_pkcs7_signedAndEnveloped ? p7->d.signed_and_enveloped->cert : p7->d.sign->cert;
    const char* status = ": ";
    bool repeated = false;
    for (int i = 0; i < sk_X509_num(certs) && !repeated; ++i) repeated = X509_cmp(sk_X509_value(certs, i), cert) == 0;
    if (repeated) {
        status = ": [Repeated]";
    } else if (PKCS7_add_certificate(p7, cert) != 1) {
        status = ": [Failed]";
    }
    diag_print("%s%s - %s\n", status, name_line(X509_get_subject_name(cert)).c_str(),
               name_line(X509_get_issuer_name(cert)).c_str());
}

namespace {

// Feeds the signed bytes into the PKCS#7 digest chain; false on a write failure.
using data_feeder = std::function<bool(BIO* p7bio)>;

void build_signature_from(const data_feeder& feed, X509* cert, STACK_OF(X509)* extra, EVP_PKEY* key,
                          const char* tsa_url, int add_revocation, unsigned char** der, uint32_t* der_length) {
    signing_state st;
    try {
        st.p7 = PKCS7_new();
        if (st.p7 == nullptr || !PKCS7_set_type(st.p7, NID_pkcs7_signed)) throw exceptionex(kUndefinedText);
        if (cert == nullptr || key == nullptr) throw exceptionex("add signer failed");
        // A key that is not the certificate's would make a signature that
        // names a signer who never made it.
        if (X509_check_private_key(cert, key) != 1) throw exceptionex("add signer failed");

        PKCS7_SIGNER_INFO* si = nullptr;
        // The signer info follows the signing key, not how the issuer signed
        // the certificate: an SM2 key under an RSA-issued certificate is
        // still an SM2 signer.
        if (EVP_PKEY_is_a(key, "SM2")) {
            make_sm2_sigid_known();
            si = gmPKCS7_add_signer(st.p7, cert, key, EVP_sm3());
        } else {
            si = PKCS7_add_signature(st.p7, cert, key, EVP_sha256());
            if (si != nullptr && !label_signature_algorithm(si, key)) si = nullptr;
        }
        if (si == nullptr) throw exceptionex("add signer failed");

        if (!PKCS7_add_signed_attribute(si, NID_pkcs9_contentType, V_ASN1_OBJECT, OBJ_nid2obj(NID_pkcs7_data)))
            throw exceptionex("add signer failed");
        if (add_revocation != 0) add_revocation_archive(st.p7, si, cert);

        PKCS7_add_certificate(st.p7, cert);
        st.chain = sk_X509_new_null();
        if (st.chain == nullptr) throw exceptionex(kUndefinedText);
        chain_from_certs(cert, extra, st.chain);
        if (sk_X509_num(st.chain) > 0) {
            complete_chain_to_root(st.chain);
            for (int i = 1; i < sk_X509_num(st.chain); ++i) trust_list_add_issuer(sk_X509_value(st.chain, i));
        }
        for (int i = 0; i < sk_X509_num(st.chain); ++i) add_chain_certificate(st.p7, sk_X509_value(st.chain, i));

        if (!PKCS7_content_new(st.p7, NID_pkcs7_data)) throw exceptionex(kUndefinedText);
        PKCS7_set_detached(st.p7, 1);

        st.p7bio = PKCS7_dataInit(st.p7, nullptr);
        if (st.p7bio == nullptr) throw exceptionex("pkcs7 init failed");
        if (!feed(st.p7bio)) throw exceptionex("pkcs7 init failed");
        (void)BIO_flush(st.p7bio);

        if (!gm::PKCS7_dataFinal_ex(st.p7, st.p7bio, sm2_distid_params()))
            throw exceptionex("calc final pkcs7 failed: " + crypto_error_data_text());

        if (tsa_url != nullptr && tsa_url[0] != '\0') add_timestamp_token(si, tsa_url);

        st.out = BIO_new(BIO_s_mem());
        if (st.out == nullptr || i2d_PKCS7_bio(st.out, st.p7) != 1) throw exceptionex("pkcs7 to p7 failed");
        char* bytes = nullptr;
        long n = BIO_get_mem_data(st.out, &bytes);
        if (n > 0 && bytes != nullptr) {
            auto* copy = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(n), 1));
            if (copy == nullptr) throw exceptionex(kUndefinedText);
            std::memcpy(copy, bytes, static_cast<std::size_t>(n));
            *der = copy;
            *der_length = static_cast<uint32_t>(n);
        }
        throw_succeed();
    } catch (const std::exception& ex) {
        ERR_clear_error();
        if (is_failure_exception(ex)) diag_print("\n %s() failed : %s", "", ex.what());
        check_result(ex);
    }
}

}  // namespace

void build_pkcs7_signature(BIO* data, X509* cert, STACK_OF(X509)* extra, EVP_PKEY* key, const char* tsa_url,
                           int add_revocation, unsigned char** der, uint32_t* der_length) {
    const data_feeder feed = [data](BIO* p7bio) {
        unsigned char chunk[4096];
        for (;;) {
            int n = data != nullptr ? BIO_read(data, chunk, sizeof chunk) : 0;
            if (n <= 0) return true;
            if (BIO_write(p7bio, chunk, n) != n) return false;
        }
    };
    build_signature_from(feed, cert, extra, key, tsa_url, add_revocation, der, der_length);
}

bool feed_signed_pieces(const signed_pieces& pieces, const signed_block_sink& sink) {
    if (pieces.stream) return pieces.stream(sink);
    for (int i = 0; i < 2; ++i)
        if (pieces.data[i] != nullptr && pieces.length[i] > 0 && !sink(pieces.data[i], pieces.length[i])) return false;
    return true;
}

void build_pkcs7_signature(const signed_pieces& pieces, X509* cert, STACK_OF(X509)* extra, EVP_PKEY* key,
                           const char* tsa_url, int add_revocation, unsigned char** der, uint32_t* der_length) {
    const data_feeder feed = [&pieces](BIO* p7bio) {
        return feed_signed_pieces(pieces, [p7bio](const unsigned char* p, std::size_t left) {
            // BIO_write takes an int: large blocks go in slices.
            constexpr std::size_t kSlice = std::size_t(1) << 30;
            while (left > 0) {
                const int n = static_cast<int>(std::min(left, kSlice));
                if (BIO_write(p7bio, p, n) != n) return false;
                p += n;
                left -= static_cast<std::size_t>(n);
            }
            return true;
        });
    };
    build_signature_from(feed, cert, extra, key, tsa_url, add_revocation, der, der_length);
}

namespace {

struct key_material {
    X509* cert = nullptr;
    EVP_PKEY* key = nullptr;
    STACK_OF(X509)* chain = nullptr;
    ~key_material() {
        sk_X509_pop_free(chain, X509_free);
        EVP_PKEY_free(key);
        X509_free(cert);
    }
};

void finish_signing(key_material& km, const signed_pieces& pieces, const char* tsa_url, int add_revocation,
                    unsigned char** der, uint32_t* der_length) {
    build_pkcs7_signature(pieces, km.cert, km.chain, km.key, tsa_url, add_revocation, der, der_length);
    if (*der == nullptr || *der_length == 0) throw exceptionex("Failed to create a pkcs7 signature");
    throw_succeed();
}

signed_pieces one_piece(const unsigned char* data, uint32_t length) {
    signed_pieces pieces;
    pieces.data[0] = data;
    pieces.length[0] = length;
    return pieces;
}

}  // namespace

void p7sign_pfx(const unsigned char* data, uint32_t length, const char* pfx_path, const char* password,
                const char* tsa_url, int add_revocation, unsigned char** der, uint32_t* der_length) {
    p7sign_pfx(one_piece(data, length), pfx_path, password, tsa_url, add_revocation, der, der_length);
}

void p7sign_pfx(const signed_pieces& pieces, const char* pfx_path, const char* password, const char* tsa_url,
                int add_revocation, unsigned char** der, uint32_t* der_length) {
    if (der == nullptr || der_length == nullptr) return;
    *der = nullptr;
    *der_length = 0;
    key_material km;
    try {
        if (pieces.empty()) throw exceptionex(kUndefinedText);
        load_pfx(pfx_path, password, &km.cert, &km.chain, &km.key);
        if (km.cert == nullptr || km.key == nullptr || km.chain == nullptr)
            throw exceptionex("Failed to access pfx certificate");
        finish_signing(km, pieces, tsa_url, add_revocation, der, der_length);
    } catch (const std::exception& ex) {
        if (is_failure_exception(ex))
            diag_print("\n %s(), %s, pfxpath: %s", "", ex.what(), pfx_path != nullptr ? pfx_path : "");
        check_result(ex);
    }
}

void p7sign_syscert(const unsigned char* data, uint32_t length, const char* store, const std::wstring& issuer,
                    const std::wstring& subject, const char* serial, const char* tsa_url, int add_revocation,
                    unsigned char** der, uint32_t* der_length) {
    p7sign_syscert(one_piece(data, length), store, issuer, subject, serial, tsa_url, add_revocation, der,
                   der_length);
}

void p7sign_syscert(const signed_pieces& pieces, const char* store, const std::wstring& issuer,
                    const std::wstring& subject, const char* serial, const char* tsa_url, int add_revocation,
                    unsigned char** der, uint32_t* der_length) {
    if (der == nullptr || der_length == nullptr) return;
    *der = nullptr;
    *der_length = 0;
    key_material km;
    try {
        if (pieces.empty()) throw exceptionex(kUndefinedText);
        char error[260] = {};
        load_store_private_key(store, issuer, subject, serial, &km.cert, &km.chain, &km.key, error);
        if (km.cert == nullptr || km.key == nullptr) throw exceptionex("Failed to access system certificate");
        finish_signing(km, pieces, tsa_url, add_revocation, der, der_length);
    } catch (const std::exception& ex) {
        if (is_failure_exception(ex))
            diag_print("\n %s(), %s, sb: %s, is: %s", "", ex.what(), wide_to_utf8(subject).c_str(),
                       wide_to_utf8(issuer).c_str());
        check_result(ex);
    }
}
