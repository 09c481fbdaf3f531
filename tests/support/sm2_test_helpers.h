#pragma once
// Small SM2 and ASN.1 helpers for tests that build GM seals and signatures by hand.
#include "crypto/gm_pkcs7.h"

#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<unsigned char> der_of(X509* cert) {
    unsigned char* der = nullptr;
    int n = i2d_X509(cert, &der);
    std::vector<unsigned char> out(der, der + std::max(n, 0));
    OPENSSL_free(der);
    return out;
}

// An SM2 signature (with SM3 and the default identifier) over the data.
inline std::vector<unsigned char> sm2_sign(EVP_PKEY* key, const unsigned char* data, std::size_t length) {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_PKEY_CTX* pctx = nullptr;
    std::vector<unsigned char> sig(128);
    std::size_t n = sig.size();
    bool ok = EVP_DigestSignInit_ex(ctx, &pctx, "SM3", nullptr, nullptr, key, nullptr) == 1 &&
              EVP_PKEY_CTX_set_params(pctx, sm2_distid_params()) == 1 &&
              EVP_DigestSign(ctx, sig.data(), &n, data, length) == 1;
    EVP_MD_CTX_free(ctx);
    sig.resize(ok ? n : 0);
    return sig;
}

inline void set_bits(ASN1_BIT_STRING* bs, const std::vector<unsigned char>& value) {
    ASN1_BIT_STRING_set(bs, const_cast<unsigned char*>(value.data()), static_cast<int>(value.size()));
    // No unused bits: keeps trailing zero bytes in the encoding.
    bs->flags = (bs->flags & ~0x07L) | ASN1_STRING_FLAG_BITS_LEFT;
}

inline void set_text(ASN1_STRING* s, const std::string& text) {
    ASN1_STRING_set(s, text.data(), static_cast<int>(text.size()));
}

}  // namespace testsupport
