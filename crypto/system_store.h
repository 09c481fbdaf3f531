#pragma once
// Signing certificates held in the system certificate store (our file-backed
// stand-in, platform/system_cert_store.h): listing the usable ones, finding
// one again by serial number and issuer, its private key and chain, PFX
// import, and the Authenticode check of downloaded installers.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include "crypto/cert_info.h"
#include "platform/system_cert_store.h"

struct certstore_sumfile_entry;

// The store the program uses: <data folder> + "system-stores/".
platform::system_cert_store system_store();

// Chain check used by the listing: true when the certificate's own chain
// status is 0 (complete and trusted through the trust list). It is wired to
// verify_cert_chain at start-up. While it is unset, a listing that asks for
// the chain check accepts no certificate.
using store_chain_check_fn = bool (*)(X509* cert);
extern store_chain_check_fn store_chain_check;

// Key provider facts the stand-in hands out for an acquired key.
constexpr const char* store_key_provider_name = "Velkorant Store Key Provider";
constexpr unsigned store_key_provider_type = 1;  // like PROV_RSA_FULL
constexpr unsigned store_key_spec_signature = 2; // like AT_SIGNATURE

// Flag of import_pfx_to_store: no user interface (the only mode here).
constexpr unsigned pfx_import_no_ui = 1;

// Whether the entry's private key can be acquired.
bool store_cert_has_private_key(const platform::store_certificate& entry);

// The usable-certificate filter: decodable, key acquirable, not expired, not
// a CA and, when `eku` is given, listing that purpose (clientAuth only).
bool is_usable_signing_cert(const platform::store_certificate& entry, const char* eku);

// A usable certificate with its summary (fill_cert_info).
struct usable_store_cert {
    platform::store_certificate entry;
    cert_info info;
};

// The usable certificates of the current user's store, in the store's order;
// with `chain_check`, only those whose chain is trusted. Never throws.
std::vector<usable_store_cert> list_usable_store_certificates(const char* store, const char* eku,
                                                              bool chain_check);

// Empties `out`, then appends an entry (kind 3, store `store`, location
// "user") for each usable certificate of the current user's store, in the
// store's order. With `chain_check`, only certificates whose chain is trusted.
// Never throws.
void enum_store_certificates(const char* store, const char* eku, bool chain_check,
                             std::vector<certstore_sumfile_entry>& out);

// The certificate with this serial number (upper-case hex, exact) and issuer
// display name (exact; empty matches any), or none.
std::optional<platform::store_certificate> find_store_certificate(bool current_user, const char* store,
                                                                  const std::wstring& issuer,
                                                                  const char* serial);

// find_store_certificate (current user) decoded; null when not found. Caller frees.
X509* load_store_certificate(const char* store, const std::wstring& issuer, const char* serial);

// Certificate, chain and private key of a store certificate. On failure
// `error` (256 characters, may be null) holds the reason and false is
// returned; whatever was placed in the out-parameters stays for the caller.
bool load_store_private_key(const char* store, const std::wstring& issuer, const std::wstring& subject,
                            const char* serial, X509** cert, STACK_OF(X509)** chain, EVP_PKEY** key,
                            char* error);

// The key through the store's key access: first the first certificate of the
// user's "My" store whose subject contains `subject` (when given) if its key
// matches `cert`, else the key of the named container (the entry id). Throws
// "load private key by container name(<name>) failed" or "Not found matched key".
EVP_PKEY* load_capi_private_key(X509* cert, const std::wstring& subject, const std::string& container,
                                const std::string& provider_name, unsigned provider_type, unsigned key_spec);

// The chain engine's first simple chain appended to *stack (created at the
// first element), the certificate first and the root last.
void chain_to_x509_stack(const platform::store_certificate& entry, STACK_OF(X509)** stack);

// Imports a PFX into the current user's store: certificate and key to "My",
// the other certificates to "CA". True on success.
bool import_pfx_to_store(const std::wstring& pfx_path, const std::wstring& password, unsigned flags);

// Whether the file is a PE image carrying a valid Authenticode signature by
// the maker's pinned signer. False on every failure (missing, unreadable, not
// a PE, unsigned, tampered, signed by anyone else).
bool verify_file_authenticode(const std::wstring& path);

// The pinned signer certificate (DER). The compiled-in one until replaced;
// an empty vector restores it (tests).
void set_authenticode_signer_pin(const std::vector<unsigned char>& der);
std::vector<unsigned char> authenticode_signer_pin();

// The Authenticode digest of a PE image: everything but the checksum, the
// certificate-table entry and the certificate table. False when the bytes
// are not a well-formed PE image. Exposed for tests.
bool authenticode_pe_digest(const unsigned char* bytes, std::size_t size, const EVP_MD* md,
                            std::vector<unsigned char>& digest);
