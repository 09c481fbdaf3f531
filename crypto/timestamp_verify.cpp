#include "crypto/timestamp_verify.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/byte_source.h"
#include "crypto/digests.h"
#include "crypto/gm_timestamp.h"

#include <openssl/err.h>
#include <openssl/ts.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int kMaxVerifyDepth = 5;

}  // namespace

int ts_verify_callback(int ok, X509_STORE_CTX* ctx) {
    if (!ok && X509_STORE_CTX_get_error_depth(ctx) > kMaxVerifyDepth)
        X509_STORE_CTX_set_error(ctx, X509_V_ERR_CERT_CHAIN_TOO_LONG);
    const int error = X509_STORE_CTX_get_error(ctx);
    if (error != X509_V_OK)
        diag_print("\n [INFO] %s(), x509_store_ctx err: %s", "",
                   X509_verify_cert_error_string(error));
    switch (error) {
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
        X509_STORE_CTX_set_error(ctx, X509_V_OK);
        return 1;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE: {
        X509* cert = X509_STORE_CTX_get_current_cert(ctx);
        if (cert != nullptr && X509_get_signature_nid(cert) == NID_SM2_with_SM3) {
            X509_STORE_CTX_set_error(ctx, X509_V_OK);
            return 1;
        }
        return ok;
    }
    default:
        return ok;
    }
}

int verify_timestamp_token(const unsigned char* data, uint32_t length, PKCS7* token,
                           std::vector<chain_status>& chain) {
    if (data == nullptr || length == 0) throw exceptionex(kUndefinedText);
    memory_byte_source source(data, length);
    return verify_timestamp_token(source, token, chain);
}

int verify_timestamp_token(byte_source& data, PKCS7* token, std::vector<chain_status>& chain) {
    if (data.size() == 0 || token == nullptr) throw exceptionex(kUndefinedText);
    X509* signer = nullptr;
    STACK_OF(X509)* certs = nullptr;
    if (pkcs7_signer_cert(token, &signer, &certs) != 0 || signer == nullptr)
        throw exceptionex(kUndefinedText);

    verify_cert_chain(signer, certs, chain, chain_purpose_timestamp);
    if (chain.empty() || chain.back().certificate == nullptr) throw exceptionex(kUndefinedText);

    X509_STORE* store = X509_STORE_new();
    TS_VERIFY_CTX* ctx = TS_VERIFY_CTX_new();
    BIO* bio = new_byte_source_bio(data);
    int result = 1;
    if (store != nullptr && ctx != nullptr && bio != nullptr &&
        X509_STORE_add_cert(store, chain.back().certificate) == 1) {
        X509_STORE_set_verify_cb(store, ts_verify_callback);
        ERR_clear_error();
        // The signature comes first and accepts SM2 signers: our own check.
        // The library then checks what remains (version and imprint).
        bool signature_ok = gm::TS_RESP_verify_signature(token, nullptr, store, nullptr) == 1;
        if (signature_ok) {
            TS_VERIFY_CTX_set_flags(ctx, TS_VFY_VERSION | TS_VFY_DATA);
            TS_VERIFY_CTX_set_data(ctx, bio);
            bio = nullptr;  // owned by the context now
            if (TS_RESP_verify_token(ctx, token) == 1) result = 0;
        }
        if (result != 0)
            diag_print("\n\n[ERROR] %s(), TS_RESP_verify_token(): %s [ERROR]\n", "",
                       crypto_error_data_text().c_str());
    }
    ERR_clear_error();
    BIO_free(bio);
    TS_VERIFY_CTX_free(ctx);
    X509_STORE_free(store);
    return result;
}
