#pragma once
// A file-backed stand-in for the operating system's certificate stores: the
// personal store ("My"), intermediate authorities ("CA") and roots ("Root") of
// the current user and of the machine, each a folder of entries under a root
// folder the caller chooses (the program uses its data folder).
//
// An entry is one certificate ("<id>.cer", PEM) and, optionally, its private
// key. A key that the store can hand out lives in "<id>.key" (PEM, 0600); a key
// held by a provider the key access cannot use lives in "<id>.cngkey": the
// entry then has a key, but the key cannot be acquired. Entry ids begin with a
// sequence number, so enumeration follows the order of insertion.
//
// Folders are created 0700 and files 0600; every file is written atomically.
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include <openssl/evp.h>
#include <openssl/x509.h>

namespace platform {

enum class store_location { current_user, local_machine };

// What an entry holds of its private key.
enum class store_key_state {
    none,         // no private key
    available,    // a key the store can hand out
    unavailable,  // a key exists but cannot be acquired
};

// One certificate of a store, as enumeration or lookup gives it (the stand-in
// for a certificate context). It is a plain copy: nothing to release.
struct store_certificate {
    store_location location = store_location::current_user;
    std::string store;  // the store's folder name ("My", "CA", "Root", ...)
    std::string id;     // the entry's name inside the store, stable
    std::vector<unsigned char> der;
    store_key_state key = store_key_state::none;

    // A new X.509 object for the DER bytes (caller frees), or null.
    X509* to_x509() const;
};

// Issuer display name of a certificate, as the caller's display records make it.
using issuer_name_rule = std::function<std::wstring(X509*)>;

class system_cert_store {
public:
    // `root`: the folder that holds one folder per location ("user", "machine").
    explicit system_cert_store(std::string root);

    const std::string& root() const { return root_; }

    // The folder of a store; store names are not case-sensitive ("MY" is "My").
    std::string store_dir(store_location location, const std::string& store) const;

    // Whether the store exists (opening "existing only" fails otherwise).
    bool store_exists(store_location location, const std::string& store) const;

    // Every certificate of an existing store in a stable order (insertion
    // order). False when the store does not exist.
    bool enumerate(store_location location, const std::string& store, std::vector<store_certificate>& out) const;

    // The first certificate whose serial number, written as upper-case
    // big-endian hexadecimal of the integer's value, equals `serial_hex`
    // exactly, and whose issuer display name (by `issuer_name`) equals
    // `issuer` exactly; an empty issuer matches any. None when the store is
    // missing or nothing matches.
    std::optional<store_certificate> find(store_location location, const std::string& store,
                                          const std::string& serial_hex, const std::wstring& issuer,
                                          const issuer_name_rule& issuer_name) const;

    // Adds a certificate (and, when given, its key). A certificate already in
    // the store (same SHA-1 of its DER) keeps its place; a key given now is
    // added to it. The store is created when missing. Returns the entry, or
    // none when it could not be written.
    std::optional<store_certificate> add(store_location location, const std::string& store, X509* cert,
                                         EVP_PKEY* key = nullptr,
                                         store_key_state key_state = store_key_state::available);

    // Removes an entry with its key. True when it existed.
    bool remove(const store_certificate& entry);

    // The entry's private key (caller frees); null when it has none or the
    // key cannot be acquired. `why` (may be null) receives the reason.
    EVP_PKEY* private_key(const store_certificate& entry, std::string* why = nullptr) const;

    // The chain engine's first simple chain: the certificate first, then each
    // issuer found in the "CA" and "Root" stores (of the user and of the
    // machine for user certificates, of the machine otherwise), matched by
    // subject name and, when the child names one, authority key identifier;
    // an issuer whose signature verifies the child is preferred. It ends at a
    // self-issued certificate or where no issuer is found.
    std::vector<store_certificate> first_simple_chain(const store_certificate& entry) const;

    // Imports a PKCS#12 file: the certificate that goes with the key, and the
    // key, into "My"; every other certificate into "CA". False when the file
    // cannot be read or opened with the password (UTF-8), or nothing could be
    // written. The key stays in the store, it is not exportable from it.
    bool import_pfx(store_location location, const std::string& pfx_path, const std::string& password,
                    std::string* why = nullptr);

private:
    std::string root_;
};

// Upper-case big-endian hexadecimal of a certificate's serial number value.
std::string store_serial_hex(X509* cert);

}  // namespace platform
