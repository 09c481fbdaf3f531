#pragma once
// One-time set-up of the crypto library and the GM object identifiers.
//
// The GM objects are not in OpenSSL's built-in table, so init_crypto creates
// them as the process's first run-time objects: that gives them the numbers
// directly after the library's last built-in object, which the rest of the
// program compares against.
#include <cstddef>
#include <cstdint>

// Fixed numbers of the GM objects (the first three dynamic object numbers).
constexpr int NID_gm_data = 1248;          // 1.2.156.10197.6.1.4.2.1 "gm-data"
constexpr int NID_gm_signed_data = 1249;   // 1.2.156.10197.6.1.4.2.2 "gm-signedData"
constexpr int NID_gm_sm2sign = 1250;       // 1.2.156.10197.1.301.1 "SM2SIGN"

// Numbers as the library actually gave them; written once by init_crypto.
extern int32_t nid_gm_signed_data;
extern int32_t nid_gm_data;
extern int32_t nid_sm2sign;
extern int32_t nid_hmac_sm3;
extern bool crypto_initialised;

// Error texts, engines, ciphers and digests, the "legacy" and "default"
// providers and the GM objects. Idempotent; the first call must happen on the
// main thread before any worker exists (object creation is not thread-safe).
void init_crypto();

// Gives back the providers init_crypto loaded, so that a leak checker sees a
// clean end. Only for a process that ends normally with no worker left (the
// test executables); the program's own end skips it by design.
void unload_crypto_providers();

// Maps the attribute OID texts the PKCS#7 code uses to object numbers
// (0 for unknown texts). Always returns 0.
int oid_text_to_nid(const char* oid_text, int32_t* nid);

// The default SM2 user identifier of GM/T 0009, given to the library as the
// "distid" parameter (16 bytes, no terminator).
extern const char sm2_default_id[];
constexpr std::size_t sm2_default_id_length = 16;
