#pragma once
// Certificate chains: building a certificate's chain from the certificates
// that came with it, the trust list's certificate cache, the system chain
// engine and issuer certificates downloaded from the address a certificate
// names; verifying it; and deciding trust through the trust list only.
//
// Locks. Two recursive locks meet here: the trust-list lock and
// `cert_chain_mutex`. There is ONE order: the trust-list lock first, the chain
// lock inside it. `cert_chain_guard` (used by `verify_cert_chain`) takes them
// in that order, so the verify worker (which already holds the trust-list
// lock for a whole verification) merely re-enters it, and every other thread
// takes both in the same order. Never take the chain lock on its own and then
// call into the trust list: use `cert_chain_guard`.
#include <cstdint>
#include <mutex>
#include <vector>

#include <openssl/x509.h>

// Certificate status codes; `certerr_name` gives the text reports and logs use.
enum certerr : int32_t {
    certerr_okay = 0,
    certerr_invalid = 1,
    certerr_parse = 2,
    certerr_changed = 3,
    certerr_no_issuer = 4,
    certerr_signature = 5,
    certerr_self_signed = 6,
    certerr_not_trusted = 7,
    certerr_notyet_valid = 8,
    certerr_expired = 9,
    certerr_revoked = 10,
    certerr_build_chain = 11,
    certerr_invalid_alg = 12,
    certerr_purpose = 13,
    certerr_unknown = 14,
};

// "certerr_okay" ... "certerr_unknown"; "" for a code outside 0..14.
const char* certerr_name(int32_t code);

// Purposes of verify_cert_chain.
constexpr int32_t chain_purpose_none = 0;
constexpr int32_t chain_purpose_client_auth = 130;  // leaf must list clientAuth
constexpr int32_t chain_purpose_timestamp = 133;    // any other non-zero value: leaf must list a purpose besides clientAuth

// One element of a verified chain: its status and its certificate, which the
// entry owns (copies share the certificate through its reference count).
struct chain_status {
    int32_t certerr = certerr_unknown;
    X509* certificate = nullptr;

    chain_status() = default;
    // Takes ownership of cert.
    chain_status(int32_t code, X509* cert) : certerr(code), certificate(cert) {}
    chain_status(const chain_status& other);
    chain_status(chain_status&& other) noexcept;
    chain_status& operator=(const chain_status& other);
    chain_status& operator=(chain_status&& other) noexcept;
    ~chain_status();
};

// Serialises whole chain verifications process-wide. Take it only through
// cert_chain_guard (see the lock order above).
extern std::recursive_mutex cert_chain_mutex;

// The trust-list lock, then cert_chain_mutex; released in reverse order.
class cert_chain_guard {
public:
    cert_chain_guard();
    ~cert_chain_guard();
    cert_chain_guard(const cert_chain_guard&) = delete;
    cert_chain_guard& operator=(const cert_chain_guard&) = delete;
};

// Builds and verifies the certificate's chain. The list is emptied first and
// then holds one entry per element, leaf first, all with the same code. A
// null certificate leaves the list as it was. Never throws.
void verify_cert_chain(X509* cert, STACK_OF(X509)* extras, std::vector<chain_status>& result,
                       int32_t purpose);

// chain_from_certs, then (stack not empty) complete_chain_to_root, then every
// element after the first is recorded in the trust list as an issuer. The
// stack holds its own references. Null certificate or stack: nothing.
void build_cert_chain(X509* cert, STACK_OF(X509)* extras, STACK_OF(X509)* chain);

// Pushes the certificate (when the stack is empty), then follows issuer names
// through the extras. Stops at a certificate already in the chain.
void chain_from_certs(X509* cert, STACK_OF(X509)* extras, STACK_OF(X509)* chain);

// Extends the chain towards a self-signed root: trust-list cache, system
// chain engine, downloads from caIssuers addresses, in that order, repeated
// while the chain grows. Bounded: stops at a certificate already in the
// chain and at kMaxChainLength elements.
void complete_chain_to_root(STACK_OF(X509)* chain);
constexpr int kMaxChainLength = 32;

// The last element is a self-signed root.
bool chain_is_complete(STACK_OF(X509)* chain);

// Checks every SM2-with-SM3 signature of the chain itself (element i with the
// key of element i + 1, the last with its own key), with the GM default
// identifier and then without one. The identifier stays set on certificates
// that verified with it. Other algorithms are not judged here.
bool check_gm_chain_signatures(STACK_OF(X509)* chain);

// Some element has a trust-list entry that anchors trust.
bool chain_is_trusted(STACK_OF(X509)* chain);

// Library verification of the chain with its last element as the one trusted
// certificate; the result as a certerr code. SM2 signatures that
// check_gm_chain_signatures passed count as good; every other signature
// failure stays a failure.
int32_t verify_chain_with_store(STACK_OF(X509)* chain, int32_t purpose);

// The verification callback of verify_chain_with_store.
int chain_verify_callback(int ok, X509_STORE_CTX* ctx);

// Library verification error → certerr.
int32_t certerr_from_verify_error(int error);

// Downloads issuers from the caIssuers addresses, starting at the last
// element. 1 when a download or its certificate failed (or the stack is
// empty at the end), else 0.
int download_chain_issuers(STACK_OF(X509)* chain);

// Connect limit of an issuer download, in seconds.
constexpr long kIssuerDownloadConnectLimit = 5;

// subjectKeyIdentifier (SHA-1 of the public-key bits) and, with an issuer,
// authorityKeyIdentifier with the issuer's key id; non-critical, appended.
// 0 on success, 1 on failure.
int add_key_identifiers(X509* cert, X509* issuer);
