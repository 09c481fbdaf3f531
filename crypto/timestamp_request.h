#pragma once
// RFC 3161 time-stamp requests: the request and reply structures and the
// HTTP exchange with a time-stamp server.
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstdint>

// MessageImprint ::= SEQUENCE { hashAlgorithm AlgorithmIdentifier, hashedMessage OCTET STRING }
struct MessageImprint {
    X509_ALGOR* hashAlgorithm;
    ASN1_OCTET_STRING* hashedMessage;
};
DECLARE_ASN1_FUNCTIONS(MessageImprint)

// TimeStampReq ::= SEQUENCE { version, messageImprint, reqPolicy OPTIONAL,
//   nonce OPTIONAL, certReq BOOLEAN (always written), extensions [0] OPTIONAL }
struct TimeStampReq {
    ASN1_INTEGER* version;
    MessageImprint* messageImprint;
    ASN1_OBJECT* reqPolicy;
    ASN1_INTEGER* nonce;
    ASN1_BOOLEAN certReq;
    STACK_OF(X509_EXTENSION)* extensions;
};
DECLARE_ASN1_FUNCTIONS(TimeStampReq)

// PKIStatusInfo ::= SEQUENCE { status INTEGER, statusString SEQUENCE OF
//   UTF8String OPTIONAL, failInfo BIT STRING OPTIONAL }
struct PKIStatusInfo {
    ASN1_INTEGER* status;
    STACK_OF(ASN1_UTF8STRING)* statusString;
    ASN1_BIT_STRING* failInfo;
};
DECLARE_ASN1_FUNCTIONS(PKIStatusInfo)

// TimeStampResp ::= SEQUENCE { status PKIStatusInfo, token ContentInfo OPTIONAL }
struct TimeStampResp {
    PKIStatusInfo* status;
    PKCS7* token;
};
DECLARE_ASN1_FUNCTIONS(TimeStampResp)

// Asks the time-stamp server at url for a token over the digest (md) of the
// data. Returns -1 at once for a null url. Otherwise returns 0 with *token a
// new malloc'ed buffer holding the token's DER (the caller frees it), or
// throws exceptionex "Failed to add timestamp - <reason>": the transfer
// error text, "failed to decode timestamp reply", "reply status: <n>" or
// "reply granted without a token".
int request_timestamp(const unsigned char* data, uint32_t length, const char* url, const EVP_MD* md,
                      unsigned char** token, uint32_t* token_length);
// The same for a digest already made with md over the data (data read in
// blocks, never held whole).
int request_timestamp_for_digest(const unsigned char* digest, unsigned int digest_length, const char* url,
                                 const EVP_MD* md, unsigned char** token, uint32_t* token_length);
