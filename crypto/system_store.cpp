#include "crypto/system_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include <openssl/err.h>
#include <openssl/x509.h>

#include "app/data_dirs.h"
#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/system_chain.h"
#include "crypto/x509ui.h"
#include "platform/owned.h"

store_chain_check_fn store_chain_check = store_chain_trusted;

namespace {

using x509_ptr = owned<X509>;

X509* decode_entry(const platform::store_certificate& entry) {
    if (entry.der.empty()) return nullptr;
    return decode_certificate(entry.der.data(), entry.der.size(), nullptr);
}

std::wstring issuer_display_name(X509* cert) {
    cert_info info;
    fill_cert_info(cert, info);
    return info.issuer;
}

// Case-insensitive (ASCII) substring test, as the key access matches subjects.
bool contains_ignoring_case(const std::string& text, const std::string& part) {
    auto it = std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return it != text.end();
}

// The subject as one line of UTF-8 text ("CN=..., O=...").
std::string subject_line(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return std::string();
    std::string text;
    if (X509_NAME_print_ex(bio, X509_get_subject_name(cert), 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) >= 0) {
        char* data = nullptr;
        long length = BIO_get_mem_data(bio, &data);
        if (length > 0) text.assign(data, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    return text;
}

void copy_error(char* buffer, const std::string& text) {
    if (!buffer) return;
    std::snprintf(buffer, 256, "%s", text.c_str());
}

}  // namespace

platform::system_cert_store system_store() {
    return platform::system_cert_store(app_data_dir() + "system-stores/");
}

bool store_cert_has_private_key(const platform::store_certificate& entry) {
    EVP_PKEY* key = system_store().private_key(entry);
    EVP_PKEY_free(key);
    return key != nullptr;
}

bool is_usable_signing_cert(const platform::store_certificate& entry, const char* eku) {
    try {
        x509_ptr cert(decode_entry(entry));
        if (!cert) return false;
        if (!store_cert_has_private_key(entry)) return false;
        if (cert_expired_checked(cert.get())) return false;
        if (is_ca_certificate(cert.get())) return false;
        if (eku && *eku && !cert_has_eku(cert.get(), eku)) return false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<usable_store_cert> list_usable_store_certificates(const char* store, const char* eku,
                                                              bool chain_check) {
    std::vector<usable_store_cert> result;
    try {
        if (!store) return result;
        std::vector<platform::store_certificate> entries;
        if (!system_store().enumerate(platform::store_location::current_user, store, entries)) return result;
        for (platform::store_certificate& entry : entries) {
            if (!is_usable_signing_cert(entry, eku)) continue;
            x509_ptr cert(decode_entry(entry));
            if (!cert) continue;
            if (chain_check && !(store_chain_check && store_chain_check(cert.get()))) continue;
            usable_store_cert usable;
            fill_cert_info(cert.get(), usable.info);
            usable.entry = std::move(entry);
            result.push_back(std::move(usable));
        }
    } catch (const std::exception&) {
    }
    return result;
}

std::optional<platform::store_certificate> find_store_certificate(bool current_user, const char* store,
                                                                  const std::wstring& issuer,
                                                                  const char* serial) {
    if (!store || !serial) return std::nullopt;
    try {
        const auto location =
            current_user ? platform::store_location::current_user : platform::store_location::local_machine;
        return system_store().find(location, store, serial, issuer, issuer_display_name);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

X509* load_store_certificate(const char* store, const std::wstring& issuer, const char* serial) {
    auto entry = find_store_certificate(true, store, issuer, serial);
    if (!entry) return nullptr;
    return decode_entry(*entry);
}

void chain_to_x509_stack(const platform::store_certificate& entry, STACK_OF(X509)** stack) {
    try {
        if (!stack) throw exceptionex("no chain stack given");
        std::vector<platform::store_certificate> chain = system_store().first_simple_chain(entry);
        if (chain.empty()) throw exceptionex("no any chain found");
        for (const platform::store_certificate& element : chain) {
            X509* cert = decode_entry(element);
            if (!cert) continue;
            if (!*stack) *stack = sk_X509_new_null();
            if (!*stack || !sk_X509_push(*stack, cert)) {
                X509_free(cert);
                throw exceptionex("CertGetCertificateChain failed");
            }
        }
    } catch (const std::exception& ex) {
        diag_error("", ex.what());
    }
}

EVP_PKEY* load_capi_private_key(X509* cert, const std::wstring& subject, const std::string& container,
                                const std::string& provider_name, unsigned provider_type, unsigned key_spec) {
    platform::system_cert_store store = system_store();
    std::vector<platform::store_certificate> entries;
    store.enumerate(platform::store_location::current_user, "My", entries);

    // First the first certificate whose subject contains the text, when its key is the certificate's.
    if (!subject.empty()) {
        const std::string part = wide_to_utf8(subject);
        for (const platform::store_certificate& entry : entries) {
            x509_ptr candidate(decode_entry(entry));
            if (!candidate || !contains_ignoring_case(subject_line(candidate.get()), part)) continue;
            EVP_PKEY* key = store.private_key(entry);
            if (key && cert && X509_check_private_key(cert, key) == 1) return key;
            ERR_clear_error();
            EVP_PKEY_free(key);
            break;
        }
    }

    // Then the key container the store named for the certificate.
    EVP_PKEY* key = nullptr;
    if (!container.empty() && provider_name == store_key_provider_name) {
        for (const platform::store_certificate& entry : entries) {
            if (entry.id != container) continue;
            key = store.private_key(entry);
            break;
        }
    }
    if (!key) throw_ex_fmt("load private key by container name(%s) failed", container.c_str());
    if (!cert || X509_check_private_key(cert, key) != 1) {
        ERR_clear_error();
        EVP_PKEY_free(key);
        throw exceptionex("Not found matched key");
    }
    return key;
}

bool load_store_private_key(const char* store, const std::wstring& issuer, const std::wstring& subject,
                            const char* serial, X509** cert, STACK_OF(X509)** chain, EVP_PKEY** key,
                            char* error) {
    if (cert) *cert = nullptr;
    if (chain) *chain = nullptr;
    if (key) *key = nullptr;
    try {
        if (!cert || !chain || !key) throw exceptionex("(), missing output");
        init_crypto();
        *cert = load_store_certificate(store, issuer, serial);
        if (!*cert) throw exceptionex("(), certificate not found in the store");
        auto entry = find_store_certificate(true, store, issuer, serial);
        if (!entry) throw exceptionex("(), certificate not found in the store");
        chain_to_x509_stack(*entry, chain);

        // Acquiring the key names its container and provider.
        std::string container;
        std::string provider_name;
        unsigned provider_type = 0;
        if (store_cert_has_private_key(*entry)) {
            container = entry->id;
            provider_name = store_key_provider_name;
            provider_type = store_key_provider_type;
        }
        ERR_clear_error();
        *key = load_capi_private_key(*cert, subject, container, provider_name, provider_type,
                                     store_key_spec_signature);
        if (!*key) {
            unsigned long code = ERR_peek_last_error();
            char text[256] = "";
            if (code) ERR_error_string_n(code, text, sizeof text);
            throw exceptionex(text);
        }
        return true;
    } catch (const std::exception& ex) {
        copy_error(error, ex.what());
        diag_print("\n\n[ERROR] %s(), subject: %s, issuer: %s [ERROR]\n", "", wide_to_utf8(subject).c_str(),
                   wide_to_utf8(issuer).c_str());
        return false;
    }
}

bool import_pfx_to_store(const std::wstring& pfx_path, const std::wstring& password, unsigned flags) {
    std::string why;
    bool ok = false;
    try {
        init_crypto();
        ok = system_store().import_pfx(platform::store_location::current_user, wide_to_utf8(pfx_path),
                                       wide_to_utf8(password), &why);
    } catch (const std::exception& ex) {
        why = ex.what();
    }
    if (!ok) {
        // The code stands for CRYPT_E_NOT_FOUND-like failures of the system import.
        diag_print("\n %s(), import pfx to win certstore err code: %#X", "", 0x80092004u);
        diag_print(" (%s)\n", why.c_str());
    }
    return ok;
}

bool store_chain_trusted(X509* cert) {
    if (!cert) return false;
    std::vector<chain_status> result;
    verify_cert_chain(cert, nullptr, result, chain_purpose_none);
    return !result.empty() && result[0].certerr == certerr_okay;
}

STACK_OF(X509)* system_store_chain(X509* cert) {
    if (!cert) return nullptr;
    platform::store_certificate entry;
    entry.location = platform::store_location::current_user;
    unsigned char* der = nullptr;
    const int length = i2d_X509(cert, &der);
    if (length <= 0) return nullptr;
    entry.der.assign(der, der + length);
    OPENSSL_free(der);
    STACK_OF(X509)* stack = nullptr;
    chain_to_x509_stack(entry, &stack);
    return stack;
}

void register_system_store_chain() {
    set_system_chain_source(system_store_chain);
}
