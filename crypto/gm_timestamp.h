#pragma once
// RFC 3161 time-stamp token signature check that accepts GM tokens and SM2
// signers, checking the signature before anything else.
#include <openssl/pkcs7.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <vector>

namespace gm {

// Verifies the token's signature: first the signature itself (SM3 signers
// with the default SM2 identifier), then the signer's chain for time
// stamping against store with certs and the token's certificates as
// untrusted, then the ESS signing-certificate attribute against that
// verified chain (its first id names the signer, wherever the token stores
// its certificate). 1 valid, 0
// otherwise (reason in the error queue). *signer_out (optional) receives the
// signer with its reference count raised.
int TS_RESP_verify_signature(PKCS7* token, STACK_OF(X509)* certs, X509_STORE* store,
                             X509** signer_out);

// DER TimeStampResp → TS_RESP, accepting a gm-signedData token.
TS_RESP* d2i_TS_RESP(const unsigned char* der, long length);

}  // namespace gm
