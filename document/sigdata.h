#pragma once
// What the dialogs show about one signature, read from its bytes: who signed,
// with which algorithms, when, and the time-stamp token and electronic seal
// embedded in it. And the certificate chains of the signer, the time-stamp
// authority and the seal maker as display records with their status.
//
// Signature bytes are DER: a PKCS#7 SignedData (also rewrapped PKCS#1 and GM
// signature values, and RFC 3161 tokens) or a GM/T 0031 SES_Signature. Only
// the first signer info of a SignedData is used.
#include <cstdint>
#include <string>
#include <vector>

#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include "crypto/cert_chain.h"
#include "crypto/x509ui.h"

struct SESeal;

// One parsed signature.
struct sigdata_record {
    std::string type;         // signature type name, "dstn_unsup" when the parse failed
    x509ui signer;            // the signer certificate (empty when not found)
    std::string digest_alg;   // digest algorithm display name
    std::string sig_alg;      // signature algorithm display name
    std::string alg_numbers;  // object numbers in decimal when sig_alg is "sigalg-unsupported"
    std::string sign_time;    // local time text
    std::string valid_from;   // seal validity start (seal records only)
    std::string valid_to;     // seal validity end (seal records only)
    // The embedded time-stamp token and electronic seal, null when none.
    // They belong to whoever owns this record; free the whole tree with
    // free_sigdata_record (a token may in turn carry a token).
    sigdata_record* ts = nullptr;
    sigdata_record* seal = nullptr;
    std::string digest_hex;   // the signed digest, upper-case hex
};

// Deletes the record, its ts and seal records and theirs. Null: nothing.
void free_sigdata_record(sigdata_record* record);

// One certificate of a verified chain: its certerr status and display record.
struct chain_cert_entry {
    int32_t status = certerr_unknown;
    x509ui cert;
};
// A chain, signer first; every entry carries the same status.
using cert_chain_ui = std::vector<chain_cert_entry>;

// ---- parsing -------------------------------------------------------------
// Fills s by type: "dstn_pkcs7", "dstn_pkcs1", "dstn_rfc3161ts", "dstn_gm_val"
// as PKCS#7, "dstn_gm_ses" as a seal signature; other types leave s alone.
// True once the parser finished; a parser failure is logged and gives false,
// with whatever it had filled left in s.
bool parse_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s);

// The two parsers behind parse_sigdata; failures are exceptionex.
// Texts: "param error", "not pkcs7 signed-data format" (type "dstn_unsup").
void parse_pkcs7_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s);
// Texts: ", param error", "not ses signature format" (type "dstn_unsup").
void parse_ses_sigdata(const unsigned char* bytes, uint32_t length, const char* type, sigdata_record& s);
// The seal of a seal signature. No property information: s unchanged.
void fill_seal_sigdata(const SESeal* seal, sigdata_record& s);

// A signature file opened on its own: DER or Base64 of DER, PKCS#7 first,
// then a seal signature. False (logged) when it is neither.
bool parse_sigdata_any(const unsigned char* bytes, uint32_t length, sigdata_record& s);

// ---- chains ----------------------------------------------------------------
// Every builder sets *out to null first; on success *out is a new chain the
// caller owns (delete it). Failures are exceptionex "Undefined" unless said.

// The signer's chain by signature type; other types leave *out as it was.
void cert_chain_for_sigdata(const unsigned char* bytes, uint32_t length, const char* type, cert_chain_ui** out,
                            int32_t purpose);
// The chain of the first signer, with the PKCS#7's certificates as helpers.
void pkcs7_signer_chain(PKCS7* p7, cert_chain_ui** out, int32_t purpose);
// The chain of a seal signature's signer certificate.
void ses_signer_chain(const unsigned char* bytes, uint32_t length, cert_chain_ui** out, int32_t purpose);
// The embedded time-stamp token checked over the signature value, and the
// authority's chain: the token's code (0 valid, 1 invalid), 6 when there is
// no token.
int32_t timestamp_chain_pkcs7(const unsigned char* bytes, uint32_t length, cert_chain_ui** out);
int32_t timestamp_chain_ses(const unsigned char* bytes, uint32_t length, cert_chain_ui** out);
// The seal maker's signature (0 valid, 9 not) and the maker's chain. Never
// throws: -1 for missing arguments, 2 for bytes that are no seal signature.
int32_t seal_chain_of(const unsigned char* bytes, uint32_t length, cert_chain_ui** out);

// The chain of any certificate against the trust list (purpose none); a null
// certificate leaves the chain alone.
void verify_certchain_ui(X509* cert, cert_chain_ui& chain);
// Replaces the chain's entries by display records of the list, in order.
void certchain_to_ui(const std::vector<chain_status>& list, cert_chain_ui& chain);
