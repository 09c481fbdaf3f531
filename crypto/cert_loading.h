#pragma once
// Reading certificates in whatever encoding they come (DER, PEM, bare Base64,
// PKCS#12) and the small tests the store and chain code make on them.
#include <cstddef>
#include <cstdint>
#include <openssl/bio.h>
#include <openssl/x509.h>

// DER, then the first PEM block, then PKCS#12 opened with the password (none
// when null). Null bytes or nothing decodable give null. Caller frees.
X509* decode_certificate(const unsigned char* bytes, std::size_t length, const char* password);

// PEM, DER, bare Base64 text, PKCS#12 without password, in that order.
X509* load_certificate_file(const char* path_utf8);

// The file as text; without PEM armour it is wrapped in it first.
X509* read_certificate_text(const char* path_utf8);

// Self-signed by the library's test, or at least issuer name == subject name.
bool is_self_signed_root(X509* cert);

// True when now is later than notAfter. *error is set when notAfter is unreadable.
bool check_cert_expiry(X509* cert, bool* error);
// check_cert_expiry that throws "(), failed" when notAfter cannot be read.
bool cert_expired_checked(X509* cert);

// The cA flag of the first basicConstraints extension; false without one.
bool is_ca_certificate(X509* cert);

// True when extendedKeyUsage lists clientAuth and the text is its OID.
bool cert_has_eku(X509* cert, const char* purpose_oid);

// Read-only memory BIO over the caller's bytes (not copied).
BIO* mem_bio_from_bytes(const unsigned char* bytes, std::size_t length);
// 1 when the BIO is null or empty; else 0, the length, and (when out is not
// null) a malloc'ed copy the caller frees.
int mem_bio_to_buffer(BIO* bio, unsigned char** out, uint32_t* out_length);
