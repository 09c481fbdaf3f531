#pragma once
// OCSP: asking a certificate's responder for its status, and checking the
// responses a signature carries against its signing time.
#include <openssl/bio.h>
#include <openssl/conf.h>
#include <openssl/ocsp.h>
#include <openssl/x509.h>

#include <cstdint>

#include "platform/owned.h"

// Stack functions for lists of OCSP responses (the library declares none).
#ifndef VELK_STACK_OF_OCSP_RESPONSE
#define VELK_STACK_OF_OCSP_RESPONSE
DEFINE_STACK_OF(OCSP_RESPONSE)
VELK_OWNED_FREE(STACK_OF(OCSP_RESPONSE), sk_OCSP_RESPONSE_pop_free(p, OCSP_RESPONSE_free));
#endif

// One heap buffer (malloc) and its length, e.g. one DER OCSP response.
struct byte_buffer {
    unsigned char* data;
    uint32_t length;
};

// Frees every entry's buffer (pointer set to null, length to 0), then the
// list itself (allocated with malloc/calloc). Null list or count 0: nothing.
void free_byte_buffers(byte_buffer* list, uint32_t count);

// Asks the first OCSP responder named in cert's Authority Information Access
// for cert's status (CertID with SHA-1 over issuer). Returns 1 only when the
// responder answered and the first single response is not "good"; 0 in every
// other case. *response (malloc'ed DER of the whole OCSP response, the caller
// frees it) is set only when a good response was received.
int query_ocsp(X509* cert, X509* issuer, unsigned char** response, uint32_t* response_length);

// Sends the request over the (not yet connected) connection with the
// library's non-blocking HTTP client; every wait (connect, send, receive) is
// bounded by 10 seconds. headers: name/value pairs (may be null); "Host" is
// added unless one of them is named host. Null when no response was decoded.
OCSP_RESPONSE* ocsp_http_exchange(BIO* connection, const char* host, const char* path,
                                  STACK_OF(CONF_VALUE)* headers, OCSP_REQUEST* request);

// Decides whether the responses show chain[0] (issued by chain[1]) good at
// the signing time (local time text "YYYY-MM-DD HH:MM:SS"). Returns 1 when
// the chain has fewer than two certificates (flag untouched) or a response
// has no basic response or a bad signature; otherwise 0. *flag is set to 1
// first and cleared when a matching good single response has a nextUpdate
// later than the signing time. A response counts only when chain[1] signed
// it or a responder chain[1] delegated (id-kp-OCSPSigning, issued by it);
// any other is passed over.
int check_ocsp_responses(STACK_OF(X509)* chain, const char* signing_time,
                         STACK_OF(OCSP_RESPONSE)* responses, int32_t* flag);
