#include "platform/owned.h"
#include "platform/system_cert_store.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509v3.h>

#include "platform/atomic_file.h"

namespace platform {
namespace {

std::mutex store_write_mutex;

const char* location_folder(store_location location) {
    return location == store_location::current_user ? "user" : "machine";
}

std::string upper_hex(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

// Store names are not case-sensitive: the usual ones get their usual spelling,
// others are kept as lower case.
std::string canonical_store_name(const std::string& store) {
    std::string lower;
    for (char c : store) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (lower == "my") return "My";
    if (lower == "ca") return "CA";
    if (lower == "root") return "Root";
    return lower;
}

bool valid_store_name(const std::string& store) {
    if (store.empty() || store.size() > 64) return false;
    for (char c : store)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
    return true;
}

bool make_dirs_0700(const std::string& path) {
    std::string partial;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        partial = path.substr(0, next);
        if (!partial.empty()) {
            struct stat st {};
            if (::stat(partial.c_str(), &st) != 0) {
                if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
            } else if (!S_ISDIR(st.st_mode)) {
                return false;
            }
        }
        pos = next + 1;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool file_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool read_whole(const std::string& path, std::string& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

std::vector<unsigned char> cert_der(X509* cert) {
    unsigned char* der = nullptr;
    int length = i2d_X509(cert, &der);
    if (length <= 0) return {};
    std::vector<unsigned char> bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

std::string der_sha1_hex(const std::vector<unsigned char>& der) {
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(der.data(), der.size(), md, &length, EVP_sha1(), nullptr)) return std::string();
    return upper_hex(md, length);
}

std::string pem_of_cert(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    std::string text;
    if (bio && PEM_write_bio_X509(bio, cert) == 1) {
        char* data = nullptr;
        long length = BIO_get_mem_data(bio, &data);
        if (length > 0) text.assign(data, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    return text;
}

std::string pem_of_key(EVP_PKEY* key) {
    BIO* bio = BIO_new(BIO_s_mem());
    std::string text;
    if (bio && PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr) == 1) {
        char* data = nullptr;
        long length = BIO_get_mem_data(bio, &data);
        if (length > 0) text.assign(data, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    return text;
}

X509* cert_from_pem(const std::string& text) {
    BIO* bio = BIO_new_mem_buf(text.data(), static_cast<int>(text.size()));
    if (!bio) return nullptr;
    X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    return cert;
}

// Names of the entries of a store folder ("<id>.cer"), sorted.
std::vector<std::string> entry_ids(const std::string& dir) {
    std::vector<std::string> ids;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return ids;
    while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".cer") == 0)
            ids.push_back(name.substr(0, name.size() - 4));
    }
    ::closedir(d);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool load_entry(const std::string& dir, const std::string& id, store_certificate& entry) {
    std::string text;
    if (!read_whole(dir + id + ".cer", text)) return false;
    X509* cert = cert_from_pem(text);
    if (!cert) return false;
    entry.id = id;
    entry.der = cert_der(cert);
    X509_free(cert);
    if (entry.der.empty()) return false;
    if (file_exists(dir + id + ".key"))
        entry.key = store_key_state::available;
    else if (file_exists(dir + id + ".cngkey"))
        entry.key = store_key_state::unavailable;
    else
        entry.key = store_key_state::none;
    return true;
}

using x509_ptr = owned<X509>;

// The key identifier the child names for its issuer, or null.
const ASN1_OCTET_STRING* authority_key_id(X509* cert) {
    return X509_get0_authority_key_id(cert);
}

}  // namespace

X509* store_certificate::to_x509() const {
    const unsigned char* p = der.data();
    return d2i_X509(nullptr, &p, static_cast<long>(der.size()));
}

std::string store_serial_hex(X509* cert) {
    if (!cert) return std::string();
    const ASN1_INTEGER* serial = X509_get0_serialNumber(cert);
    if (!serial || ASN1_STRING_length(serial) <= 0) return std::string();
    return upper_hex(ASN1_STRING_get0_data(serial), static_cast<std::size_t>(ASN1_STRING_length(serial)));
}

system_cert_store::system_cert_store(std::string root) : root_(std::move(root)) {
    if (!root_.empty() && root_.back() != '/') root_.push_back('/');
}

std::string system_cert_store::store_dir(store_location location, const std::string& store) const {
    return root_ + location_folder(location) + "/" + canonical_store_name(store) + "/";
}

bool system_cert_store::store_exists(store_location location, const std::string& store) const {
    if (!valid_store_name(store)) return false;
    struct stat st {};
    std::string dir = store_dir(location, store);
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool system_cert_store::enumerate(store_location location, const std::string& store,
                                  std::vector<store_certificate>& out) const {
    out.clear();
    if (!store_exists(location, store)) return false;
    const std::string dir = store_dir(location, store);
    for (const std::string& id : entry_ids(dir)) {
        store_certificate entry;
        entry.location = location;
        entry.store = canonical_store_name(store);
        if (load_entry(dir, id, entry)) out.push_back(std::move(entry));
    }
    return true;
}

std::optional<store_certificate> system_cert_store::find(store_location location, const std::string& store,
                                                         const std::string& serial_hex,
                                                         const std::wstring& issuer,
                                                         const issuer_name_rule& issuer_name) const {
    std::vector<store_certificate> entries;
    if (!enumerate(location, store, entries)) return std::nullopt;
    for (store_certificate& entry : entries) {
        x509_ptr cert(entry.to_x509());
        if (!cert) continue;
        if (store_serial_hex(cert.get()) != serial_hex) continue;
        if (issuer.empty()) return std::move(entry);
        if (issuer_name && issuer_name(cert.get()) == issuer) return std::move(entry);
    }
    return std::nullopt;
}

std::optional<store_certificate> system_cert_store::add(store_location location, const std::string& store,
                                                        X509* cert, EVP_PKEY* key, store_key_state key_state) {
    if (!cert || !valid_store_name(store)) return std::nullopt;
    std::lock_guard<std::mutex> lock(store_write_mutex);
    const std::string dir = store_dir(location, store);
    if (!make_dirs_0700(dir)) return std::nullopt;

    store_certificate entry;
    entry.location = location;
    entry.store = canonical_store_name(store);
    entry.der = cert_der(cert);
    const std::string thumbprint = der_sha1_hex(entry.der);
    if (entry.der.empty() || thumbprint.empty()) return std::nullopt;

    // An existing entry for the same certificate keeps its place.
    unsigned long next_number = 1;
    std::string id;
    for (const std::string& existing : entry_ids(dir)) {
        unsigned long number = std::strtoul(existing.c_str(), nullptr, 10);
        if (number >= next_number) next_number = number + 1;
        if (existing.size() > 9 && existing.substr(9) == thumbprint) id = existing;
    }
    if (id.empty()) {
        char number[16];
        std::snprintf(number, sizeof number, "%08lu", next_number);
        id = std::string(number) + "-" + thumbprint;
        if (!write_file_atomically(dir + id + ".cer", pem_of_cert(cert), 0600)) return std::nullopt;
    }
    entry.id = id;

    if (key) {
        if (X509_check_private_key(cert, key) != 1) {
            ERR_clear_error();
            return std::nullopt;
        }
        const std::string pem = pem_of_key(key);
        if (pem.empty()) return std::nullopt;
        const bool usable = key_state != store_key_state::unavailable;
        const std::string path = dir + id + (usable ? ".key" : ".cngkey");
        if (!write_file_atomically(path, pem, 0600)) return std::nullopt;
        ::unlink((dir + id + (usable ? ".cngkey" : ".key")).c_str());
    }
    store_certificate loaded;
    loaded.location = location;
    loaded.store = entry.store;
    if (!load_entry(dir, id, loaded)) return std::nullopt;
    return loaded;
}

bool system_cert_store::remove(const store_certificate& entry) {
    if (!valid_store_name(entry.store) || entry.id.empty() || entry.id.find('/') != std::string::npos)
        return false;
    std::lock_guard<std::mutex> lock(store_write_mutex);
    const std::string dir = store_dir(entry.location, entry.store);
    bool existed = ::unlink((dir + entry.id + ".cer").c_str()) == 0;
    ::unlink((dir + entry.id + ".key").c_str());
    ::unlink((dir + entry.id + ".cngkey").c_str());
    return existed;
}

EVP_PKEY* system_cert_store::private_key(const store_certificate& entry, std::string* why) const {
    auto fail = [why](const char* text) -> EVP_PKEY* {
        if (why) *why = text;
        return nullptr;
    };
    if (entry.id.empty() || entry.id.find('/') != std::string::npos || !valid_store_name(entry.store))
        return fail("no such entry");
    const std::string dir = store_dir(entry.location, entry.store);
    if (file_exists(dir + entry.id + ".cngkey")) return fail("the key's provider cannot be used");
    std::string text;
    if (!read_whole(dir + entry.id + ".key", text)) return fail("the certificate has no private key");
    BIO* bio = BIO_new_mem_buf(text.data(), static_cast<int>(text.size()));
    EVP_PKEY* key = bio ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!key) return fail("the private key cannot be read");
    return key;
}

std::vector<store_certificate> system_cert_store::first_simple_chain(const store_certificate& entry) const {
    std::vector<store_certificate> chain;
    x509_ptr current(entry.to_x509());
    if (!current) return chain;
    chain.push_back(entry);

    // Where issuers are looked for.
    std::vector<store_certificate> candidates;
    std::vector<std::pair<store_location, const char*>> sources = {
        {store_location::current_user, "CA"}, {store_location::current_user, "Root"},
        {store_location::local_machine, "CA"}, {store_location::local_machine, "Root"}};
    for (const auto& source : sources) {
        if (entry.location == store_location::local_machine && source.first == store_location::current_user)
            continue;
        std::vector<store_certificate> found;
        if (enumerate(source.first, source.second, found))
            candidates.insert(candidates.end(), found.begin(), found.end());
    }

    std::set<std::string> seen{der_sha1_hex(entry.der)};
    for (int depth = 0; depth < 16; ++depth) {
        if (X509_NAME_cmp(X509_get_subject_name(current.get()), X509_get_issuer_name(current.get())) == 0) {
            // Self-issued: the chain ends here when it names no other key.
            const ASN1_OCTET_STRING* akid = authority_key_id(current.get());
            const ASN1_OCTET_STRING* skid = X509_get0_subject_key_id(current.get());
            if (!akid || !skid || ASN1_OCTET_STRING_cmp(akid, skid) == 0) break;
        }
        const ASN1_OCTET_STRING* akid = authority_key_id(current.get());
        const store_certificate* best = nullptr;
        x509_ptr best_cert;
        bool best_verifies = false;
        for (const store_certificate& candidate : candidates) {
            if (seen.count(der_sha1_hex(candidate.der))) continue;
            x509_ptr issuer(candidate.to_x509());
            if (!issuer) continue;
            if (X509_NAME_cmp(X509_get_subject_name(issuer.get()), X509_get_issuer_name(current.get())) != 0)
                continue;
            const ASN1_OCTET_STRING* skid = X509_get0_subject_key_id(issuer.get());
            if (akid && skid && ASN1_OCTET_STRING_cmp(akid, skid) != 0) continue;
            EVP_PKEY* issuer_key = X509_get0_pubkey(issuer.get());
            bool verifies = issuer_key && X509_verify(current.get(), issuer_key) == 1;
            ERR_clear_error();
            if (!best || (verifies && !best_verifies)) {
                best = &candidate;
                best_cert = std::move(issuer);
                best_verifies = verifies;
                if (verifies) break;
            }
        }
        if (!best) break;
        seen.insert(der_sha1_hex(best->der));
        chain.push_back(*best);
        current = std::move(best_cert);
    }
    return chain;
}

bool system_cert_store::import_pfx(store_location location, const std::string& pfx_path,
                                   const std::string& password, std::string* why) {
    auto fail = [why](const char* text) {
        if (why) *why = text;
        return false;
    };
    std::string bytes;
    if (!read_whole(pfx_path, bytes)) return fail("the file cannot be read");
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, static_cast<long>(bytes.size()));
    if (!p12) return fail("the file is not PKCS#12");
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* others = nullptr;
    int parsed = PKCS12_parse(p12, password.c_str(), &key, &cert, &others);
    PKCS12_free(p12);
    if (parsed != 1 || !cert) {
        ERR_clear_error();
        EVP_PKEY_free(key);
        X509_free(cert);
        sk_X509_pop_free(others, X509_free);
        return fail(parsed != 1 ? "wrong password or damaged file" : "the file holds no certificate with a key");
    }
    bool ok = add(location, "My", cert, key).has_value();
    for (int i = 0; ok && i < sk_X509_num(others); ++i)
        ok = add(location, "CA", sk_X509_value(others, i)).has_value();
    EVP_PKEY_free(key);
    X509_free(cert);
    sk_X509_pop_free(others, X509_free);
    if (!ok) return fail("the store cannot be written");
    return true;
}

}  // namespace platform
