#pragma once
// Verification of RFC 3161 time-stamp tokens: document time stamps and the
// tokens embedded in signatures.
#include "crypto/byte_source.h"
#include "crypto/cert_chain.h"

#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstdint>
#include <vector>

// Verifies the token over the data: its signature first (SM2 signers with
// the default identifier), the signing-certificate attribute, the TSA's
// chain (whose status goes to chain, leaf first), the version and the
// message imprint. 0 valid, 1 the token check failed. Throws exceptionex
// ("Undefined") when the data or token is missing, the token's signer
// certificate is not in the token, or no chain could be built.
int verify_timestamp_token(const unsigned char* data, uint32_t length, PKCS7* token,
                           std::vector<chain_status>& chain);
// The same over data read as it is needed (an empty source counts as
// missing). A read failure shows in data.failed(); the result is then void.
int verify_timestamp_token(byte_source& data, PKCS7* token, std::vector<chain_status>& chain);

// The store callback of the token check: clears the errors that the chain
// status already judged (missing issuers, expiry, purpose, trust), keeps
// unhandled critical extensions, and forgives a signature failure only on
// an SM2 certificate (whose identifier the library may not know); a broken
// RSA or EC certificate signature stays a failure.
int ts_verify_callback(int ok, X509_STORE_CTX* ctx);
