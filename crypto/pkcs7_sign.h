#pragma once
// Detached PKCS#7 signatures over the bytes a PDF signature covers: RSA and
// EC keys with SHA-256, SM2 keys with SM3, the signer's chain, optionally the
// revocation archive of the chain and an RFC 3161 time stamp.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The signing operations follow the result convention: they return normally
// on success (*der a new malloc'ed buffer the caller frees, *der_length its
// size) and throw a standard exception with the failure text otherwise.
// Null out-parameters make them return at once without doing anything.

// Key, certificate and chain from a PFX file (path in UTF-8).
void p7sign_pfx(const unsigned char* data, uint32_t length, const char* pfx_path, const char* password,
                const char* tsa_url, int add_revocation, unsigned char** der, uint32_t* der_length);

// Key, certificate and chain from the system certificate store.
void p7sign_syscert(const unsigned char* data, uint32_t length, const char* store, const std::wstring& issuer,
                    const std::wstring& subject, const char* serial, const char* tsa_url, int add_revocation,
                    unsigned char** der, uint32_t* der_length);

// Receives the signed bytes block by block, in order; false stops the reading.
using signed_block_sink = std::function<bool(const unsigned char* data, std::size_t length)>;

// The signed bytes given as up to two pieces, digested where they lie (a PDF
// signature covers the file before and after its /Contents value), or read
// block by block by `stream` (a large file is never held in memory): it hands
// every block to the sink in order and returns false when the bytes cannot
// all be read or the sink refused one. The signature is the same as over the
// pieces joined.
struct signed_pieces {
    const unsigned char* data[2] = {nullptr, nullptr};
    std::size_t length[2] = {0, 0};
    std::function<bool(const signed_block_sink& sink)> stream;

    bool empty() const { return !stream && data[0] == nullptr; }
};
// Hands the signed bytes to the sink (from the stream when there is one);
// false when they cannot all be handed over.
bool feed_signed_pieces(const signed_pieces& pieces, const signed_block_sink& sink);
void p7sign_pfx(const signed_pieces& pieces, const char* pfx_path, const char* password, const char* tsa_url,
                int add_revocation, unsigned char** der, uint32_t* der_length);
void p7sign_syscert(const signed_pieces& pieces, const char* store, const std::wstring& issuer,
                    const std::wstring& subject, const char* serial, const char* tsa_url, int add_revocation,
                    unsigned char** der, uint32_t* der_length);

// The signing proper over everything readable from data. extra: the chain
// from the key source (may be null). tsa_url null or empty: no time stamp.
void build_pkcs7_signature(BIO* data, X509* cert, STACK_OF(X509)* extra, EVP_PKEY* key, const char* tsa_url,
                           int add_revocation, unsigned char** der, uint32_t* der_length);
// The same over the pieces.
void build_pkcs7_signature(const signed_pieces& pieces, X509* cert, STACK_OF(X509)* extra, EVP_PKEY* key,
                           const char* tsa_url, int add_revocation, unsigned char** der, uint32_t* der_length);

// An SM2 signer info (version 1, issuer and serial of cert, digest md, or the
// key's default digest when null) added to p7; with SM3 its signature
// algorithm is SM2-with-SM3. Null for a key that is not SM2 or on failure.
PKCS7_SIGNER_INFO* gmPKCS7_add_signer(PKCS7* p7, X509* cert, EVP_PKEY* key, const EVP_MD* md);

// Adds cert to the PKCS#7's certificates unless an equal one is there.
void add_chain_certificate(PKCS7* p7, X509* cert);
