#pragma once
// GM (GM/T 0010) PKCS#7 content types and SM2 signer infos on the stock
// OpenSSL 3.0 library.
//
// The library does not know gm-data / gm-signedData, so a gm-signedData
// ContentInfo decodes into its "other" member. These functions turn it into
// an ordinary in-memory signedData (and gm-data into data), so every stock
// PKCS#7 function works on it; the caller keeps whether it was GM and passes
// that back when encoding.
//
// SM2 signatures are computed over a value that includes the signer's
// identifier, which OpenSSL 3.0 leaves empty by default: signing and
// verifying pass it explicitly as the "distid" parameter.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <vector>

// DER ContentInfo → PKCS#7. A gm-signedData outer type becomes signedData,
// gm-data (outer or as the signed content) becomes data. *was_gm (optional)
// is set when the outer type was gm-signedData or gm-data.
PKCS7* gm_d2i_pkcs7(const unsigned char* der, long length, bool* was_gm = nullptr);

// Converts a PKCS#7 that the stock decoder left with a GM type in its
// "other" member (also the inner content of a signedData) in place.
// Returns false when the GM value does not decode.
bool gm_normalise_pkcs7(PKCS7* p7, bool* was_gm = nullptr);

// PKCS#7 → DER. With gm, a signedData is labelled gm-signedData and its data
// content gm-data; a data PKCS#7 is labelled gm-data. Empty on failure.
std::vector<unsigned char> gm_i2d_pkcs7(PKCS7* p7, bool gm);

// The "distid" parameter list carrying the default SM2 identifier
// "1234567812345678" (valid for the life of the process).
const OSSL_PARAM* sm2_distid_params();

// Gives an SM2 certificate the default SM2 identifier, so that chain checks
// of certificates it signs use it. No-op for other keys. Returns false on
// allocation failure.
bool set_sm2_distinguishing_id(X509* cert);

// Opens a signing (sign) or verifying context on ctx. OpenSSL 3.0's SM2
// refuses "distid" while the context is being opened, so params (null or
// empty: none) are set right after. 1 on success, <= 0 on failure.
int digest_sign_verify_init(bool sign, EVP_MD_CTX* ctx, const char* md_name, OSSL_LIB_CTX* libctx,
                            const char* propq, EVP_PKEY* pkey, const OSSL_PARAM* params);

// Opens an SM3 verification on ctx with id_text (not null) as SM2's
// "distid". 1 on success, <= 0 on failure.
int sm2_verify_init_with_id(EVP_MD_CTX* ctx, EVP_PKEY* key, const char* id_text);

// Verifies one SM2 signer info of a time-stamp token through the digest BIO
// chain made by PKCS7_dataInit and read to its end. id_text non-empty: SM3
// with that identifier as "distid"; empty or null: the library default.
// 1 valid, -1 digest or signature failure, 0 other failures.
int gmPKCS7_signatureVerify_ts(BIO* bio, PKCS7* p7, PKCS7_SIGNER_INFO* si, X509* x509,
                               const char* id_text);

namespace gm {

// The library's signed-attribute step with params given to the signing
// context: adds signingTime when absent and messageDigest from a copy of
// the content digest, then signs the DER of the signed attributes with the
// signer's key. 1 on success, 0 on failure.
int PKCS7_SIGNER_INFO_sign_ex(PKCS7_SIGNER_INFO* si, EVP_MD_CTX* content_digest,
                              const OSSL_PARAM* params);

// PKCS7_dataFinal in which every signer info with signed attributes is
// finished by PKCS7_SIGNER_INFO_sign_ex with params (may be null). For a
// PKCS#7 that is not signedData the library's own PKCS7_dataFinal runs.
int PKCS7_dataFinal_ex(PKCS7* p7, BIO* bio, const OSSL_PARAM* params);

}  // namespace gm
