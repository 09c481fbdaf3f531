#pragma once
// Digests of byte buffers, certificate ids, algorithm names and kinds, the
// first signer of a PKCS#7, crypto-library error data and a backward byte
// search. None of these functions throws. Byte buffers they return are
// allocated with malloc; the caller frees them.
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstddef>
#include <cstdint>
#include <string>

// A malloc'ed copy of length bytes (one byte is allocated for an empty copy,
// so that success is never null); null when out of memory.
unsigned char* malloc_copy(const unsigned char* bytes, std::size_t length);

// Digest names, compared by value by callers.
extern const char* const digest_name_sm3;        // "sm3"
extern const char* const digest_name_sha1;       // "sha1"
extern const char* const digest_name_sha256;     // "sha256"
extern const char* const digest_name_sha384;     // "sha384"
extern const char* const digest_name_sha512;     // "sha512"
extern const char* const digest_name_unsupport;  // "unsupport"

// One-shot digest. Null bytes, zero length or a null method give a null
// buffer and length 0.
void digest_data(const unsigned char* bytes, uint32_t length, const EVP_MD* md,
                 unsigned char** out, uint32_t* out_length);
// The digest method of a name below; null for any other name.
const EVP_MD* digest_method_by_name(const char* name);
// "sm3", "sha1", "sha256", "sha384", "sha512"; any other name leaves the
// outputs untouched (set them to null and 0 first).
void digest_by_name(const unsigned char* bytes, uint32_t length, const char* name,
                    unsigned char** out, uint32_t* out_length);

// Upper-case hex SHA-1 ("%02X" per byte); "" when the digest cannot be made.
std::string sha1_hex(const unsigned char* bytes, std::size_t length);
// Certificate id: sha1_hex of the certificate's DER; "" when encoding fails.
std::string x509_certid(X509* cert);

// Signature-algorithm display name from a signature or key algorithm number
// and a digest number (0 when only the certificate's algorithm is known).
const char* signature_alg_name(int alg_nid, int digest_nid);
// "hmacWithSM3", one of the five digest names, or "unsupport".
const char* digest_alg_name(int digest_nid);
// First of "sm3", "sha1", "sha256", "sha384", "sha512" found in the
// lower-cased text; "unsupport" when none.
const char* digest_name_from_alg_text(const std::string& alg_text);
// 1 SHA-1, 2 SHA-256, 3 SHA-384, 4 SHA-512, 5 SM3, 0 none.
int digest_kind_of(int digest_nid);
// 1..4 sha1/256/384/512WithRSA, 5..8 ecdsa-with-SHA1/256/384/512, 9 SM2 with
// SM3, 10 other.
int signature_kind_of(int alg_nid);

// DER PKCS#7 through a memory buffer; GM content types are accepted (see
// gm_pkcs7.h). was_gm, when given, tells whether the outer type was GM.
PKCS7* parse_pkcs7_der(const unsigned char* bytes, uint32_t length, bool* was_gm = nullptr);
// DER of the PKCS#7 in a new buffer (also returned); null and 0 when the
// argument is missing or the encoding is empty. gm labels the outer (and a
// data inner) content type with the GM objects.
unsigned char* pkcs7_to_der(PKCS7* p7, unsigned char** out, uint32_t* out_length, bool gm = false);

// Status 1 when an argument is missing or there is no signer info. Otherwise
// 0: *certs is the PKCS#7's own certificate list (not a copy; null for types
// without one) and *signer the one matching the first signer's issuer and
// serial, or null. Neither is to be freed by the caller.
int pkcs7_signer_cert(PKCS7* p7, X509** signer, STACK_OF(X509)** certs);
// First value of the first signer's signed (or unsigned) attribute with the
// OID text, DER-encoded into a new buffer: status 0; 1 when absent.
int pkcs7_attribute_der(PKCS7* p7, bool signed_attribute, const char* oid_text,
                        unsigned char** der, uint32_t* der_length);
// Signing time as local time text: the embedded time-stamp token's time when
// there is one, else the UTCTime signingTime. Status 0, or 1 when none.
int pkcs7_signing_time(PKCS7* p7, std::string* local_time);
// The digest the first signer signed: its messageDigest attribute, or for a
// signer without signed attributes the digest recovered from an RSA
// signature value. Null and 0 when none.
void pkcs7_signer_digest(PKCS7* p7, unsigned char** out, uint32_t* out_length);
// Upper-case hex of pkcs7_signer_digest; "" when none.
std::string pkcs7_signature_hash_hex(PKCS7* p7);

// Additional data text of the earliest error in this thread's queue, left in
// the queue; "" when empty or without text.
std::string crypto_error_data_text();

// Offset of the last occurrence of pattern in buffer, or -1.
int64_t find_last_bytes(const unsigned char* buffer, std::size_t length,
                        const unsigned char* pattern, std::size_t pattern_length);
