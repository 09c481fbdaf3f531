#pragma once
// PFX (PKCS#12) files: opening them, telling whether their certificate is a
// self-signed root, and making a new self-signed certificate with its key.
#include <string>
#include <vector>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

// Opens the PFX with the password. Out-parameters already holding something
// are all set to null and nothing is opened. On success the chain holds the
// certificate first, then the PFX's other certificates. Never throws; a wrong
// password or damaged content is logged and leaves the outputs empty.
void load_pfx(const char* path_utf8, const char* password, X509** cert, STACK_OF(X509)** chain,
              EVP_PKEY** key);

// Whether the PFX's certificate is a self-signed root; throws "(), parse
// failed" when the file yields neither certificate nor key.
bool pfx_is_self_signed(const char* path_utf8, const char* password);

// Key types and digest kinds of make_self_signed_pfx.
enum : unsigned {
    pfx_key_rsa = 1,  // RSA 2048
    pfx_key_ecc = 2,  // EC P-384
    pfx_key_sm2 = 3,  // SM2
};
enum : unsigned {
    pfx_digest_sha1 = 1, pfx_digest_sha256 = 2, pfx_digest_sha384 = 3, pfx_digest_sha512 = 4, pfx_digest_sm3 = 5,
};

// Makes a self-signed end-entity certificate with a new key and writes both
// to a password-protected PFX file. Returns 0 on success, 1 on any failure
// (the library's errors are printed as diagnostic lines). *out_cert receives the
// certificate once it is encoded, even when writing the file then fails.
int make_self_signed_pfx(const std::string& subject, unsigned key_type, unsigned digest_kind,
                         const std::vector<int>& eku_nids, const std::string& password,
                         const std::wstring& output_path, X509** out_cert);

// "/type0=value0/type1=value1..." with "\" escaping; null on failure.
// Messages go to err (may be null).
X509_NAME* parse_subject_name(const std::string& text, BIO* err);

// A key-generation context from "rsa:2048", "ecc:384", "sm2:256"; null on failure.
EVP_PKEY_CTX* keygen_context_from_text(const std::string& key_text, BIO* err);

// Signs the certificate with the key and digest (null for keys that take
// none), passing the GM identifier as "distid". 1 on success.
int x509_sign_with_distid(X509* cert, EVP_PKEY* key, const EVP_MD* md);

// True when the text contains "sm3" or "SM2".
bool names_sm_algorithm(const std::string& text);
