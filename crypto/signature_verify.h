#pragma once
// Verification of detached PKCS#7 signatures, raw PKCS#1 and SM2 signature
// values, and the SignedData builder that wraps raw values so that the same
// PKCS#7 check applies to them.
//
// Byte buffers handed out are malloc'ed; the caller frees them.
#include "crypto/byte_source.h"
#include "crypto/sigerr.h"

#include <openssl/asn1.h>
#include <openssl/asn1t.h>
#include <openssl/bio.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstddef>
#include <cstdint>

// ---- ASN.1 types of PKCS#1 values and SM2 signature values ----------------

// AlgorithmIdentifier ::= SEQUENCE { algorithm OBJECT IDENTIFIER, parameters ANY OPTIONAL }
struct AlgorithmIdentifier {
    ASN1_OBJECT* algorithm;
    ASN1_TYPE* parameters;
};
DECLARE_ASN1_FUNCTIONS(AlgorithmIdentifier)

// DigestInfo ::= SEQUENCE { digestAlgorithm AlgorithmIdentifier, digest OCTET STRING }
struct DigestInfo {
    AlgorithmIdentifier* digestAlgorithm;
    ASN1_OCTET_STRING* digest;
};
DECLARE_ASN1_FUNCTIONS(DigestInfo)

// sm2_sigval ::= SEQUENCE { x INTEGER, y INTEGER }  (the SM2 values r and s)
struct sm2_sigval {
    ASN1_INTEGER* x;
    ASN1_INTEGER* y;
};
DECLARE_ASN1_FUNCTIONS(sm2_sigval)

// ---- detached PKCS#7 -------------------------------------------------------

// Verifies a DER PKCS#7 (signedData or gm-signedData) over detached data.
// sigerr: 0 valid, 2 not decodable, 3 not signed data, 4 data changed,
// 1 signature invalid, 6 no signer, 7 signer certificate missing (library
// report), 15 HMAC digest, -1 missing arguments or other failures.
// Never throws.
int32_t verify_pkcs7_detached(const unsigned char* signature, uint32_t signature_length,
                              const unsigned char* data, uint32_t data_length);
// The same over data read as it is needed (an empty source counts as
// missing). A read failure shows in data.failed(); the code is then void.
int32_t verify_pkcs7_detached(const unsigned char* signature, uint32_t signature_length, byte_source& data);

// The signer check behind verify_pkcs7_detached: every signer info of p7
// over the data. Same codes; never throws.
int32_t pkcs7_verify_signers(PKCS7* p7, const unsigned char* data, std::size_t data_length);
int32_t pkcs7_verify_signers(PKCS7* p7, byte_source& data);

// Verifies one SM2 signer info through a fresh BIO chain made by
// PKCS7_dataInit over the data (the chain is read to its end here; without
// signed attributes the data is read from the chain's bottom BIO straight
// into the verification).
// With signed attributes their DER is verified and messageDigest compared;
// without, the content itself. id_text non-empty: SM3 with that identifier
// as "distid"; null or empty: no identifier. 1 valid, -1 digest or
// signature mismatch, 0 other failure (reason in the error queue).
int gmPKCS7_signatureVerify(BIO* bio, PKCS7* p7, PKCS7_SIGNER_INFO* si, X509* x509,
                            const char* id_text);

// ---- raw values --------------------------------------------------------------

// Brings a raw signature value from a signature dictionary to the normal
// form: the DER of an OCTET STRING whose contents are what a signer info
// would carry. An OCTET STRING stays (re-encoded); an sm2_sigval is
// re-encoded and wrapped; other bytes are wrapped as they are. The buffer is
// replaced by a new malloc'ed one. Null or empty input: nothing.
void sigval_to_octet_string(unsigned char** buffer, uint32_t* length);

// Opens an RSA PKCS#1 v1.5 signature value with the certificate's key and
// reads its DigestInfo: digest kind (1 SHA-1 .. 5 SM3, 0 other) and a new
// buffer with the digest. False on any failure (logged). Never throws.
bool pkcs1_verify_recover(const unsigned char* signature, uint32_t signature_length, X509* cert,
                          int* digest_kind, unsigned char** digest, uint32_t* digest_length);

// pkcs1_verify_recover of the contents of a DER OCTET STRING.
bool recover_pkcs1_digest(const unsigned char* octet_string_der, uint32_t der_length, X509* cert,
                          int* digest_kind, unsigned char** digest, uint32_t* digest_length);

// Key kinds of wrap_raw_signature_as_pkcs7.
constexpr int raw_key_kind_rsa = 1;
constexpr int raw_key_kind_sm2 = 3;

// Replaces the normal-form signature value in the buffer by a detached
// SignedData (gm-signedData for SM2) that carries the certificates (the
// first is the signer) and the value in a signer info without attributes.
// Missing arguments: nothing. Throws exceptionex on failure.
void wrap_raw_signature_as_pkcs7(STACK_OF(X509)* certs, int digest_kind, int key_kind,
                                 unsigned char** buffer, uint32_t* length);

// ---- SignedData builder ----------------------------------------------------

struct byte_span {
    const unsigned char* bytes;
    uint32_t length;
};

// An attribute: its OID text (mapped by oid_text_to_nid) and its values,
// each the DER of a SEQUENCE.
struct builder_attribute {
    const char* oid_text;
    const byte_span* values;
    uint32_t value_count;
};

struct signed_data_request {
    int32_t digest_kind = 0;                     // 1 SHA-1 .. 5 SM3
    const unsigned char* message_digest = nullptr;  // with it: contentType + messageDigest
    uint32_t message_digest_len = 0;
    STACK_OF(X509)* certs = nullptr;             // first is the signer
    const byte_span* cert_ders = nullptr;        // used when certs is null
    uint32_t cert_der_count = 0;
    const builder_attribute* signed_attrs = nullptr;
    uint32_t signed_attr_count = 0;
    int32_t signature_kind = 0;                  // 1..9 (9: SM2 with SM3)
    const unsigned char* signature = nullptr;
    uint32_t signature_len = 0;
    const builder_attribute* unsigned_attrs = nullptr;
    uint32_t unsigned_attr_count = 0;
    bool pending = false;                        // set by the caller, cleared when done
    PKCS7* p7 = nullptr;                         // new, empty; filled here
};

// Builds the DER of a detached SignedData from the request. Codes: 0 success
// (also when the library refuses a step, then without output), 1 empty
// encoding, 2 no certificates, 3 no PKCS#7 or no content BIO, 5 not pending,
// 7 serial copy failed, 8 allocation failed, 14 unsupported digest kind,
// 16 a DER certificate does not decode, 17 encoding failed.
int build_signed_data(signed_data_request* request, unsigned char** der, uint32_t* der_length);

// Verifies data against an SM2 signature (DER sm2_sigval) with SM3 and the
// default identifier. 5 valid, 1 invalid, -1 not checkable.
int verify_sm2_raw(const unsigned char* data, std::size_t data_length, X509* cert,
                   const unsigned char* signature, std::size_t signature_length);

// The same with the digest given by object number and no identifier.
int verify_raw_with_digest(const unsigned char* data, std::size_t data_length, int digest_nid,
                           X509* cert, const unsigned char* signature,
                           std::size_t signature_length);
