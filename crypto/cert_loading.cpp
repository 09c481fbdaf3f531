#include "crypto/cert_loading.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509v3.h>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/local_time.h"
#include "crypto/x509ui.h"

namespace {

// The certificate of a PKCS#12 structure; the key and extra certificates are dropped.
X509* certificate_of_pkcs12(PKCS12* p12, const char* password) {
    if (!p12) return nullptr;
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    STACK_OF(X509)* ca = nullptr;
    PKCS12_parse(p12, password, &key, &cert, &ca);
    EVP_PKEY_free(key);
    sk_X509_pop_free(ca, X509_free);
    return cert;
}

// Runs one decoding attempt; errors it queues are dropped when it fails, so a
// failed attempt leaves the thread's error queue as it found it.
template <typename Attempt>
X509* attempt(Attempt&& run) {
    ERR_set_mark();
    X509* cert = run();
    if (cert)
        ERR_clear_last_mark();
    else
        ERR_pop_to_mark();
    return cert;
}

}  // namespace

BIO* mem_bio_from_bytes(const unsigned char* bytes, std::size_t length) {
    if (!bytes) return nullptr;
    return BIO_new_mem_buf(bytes, static_cast<int>(length));
}

int mem_bio_to_buffer(BIO* bio, unsigned char** out, uint32_t* out_length) {
    if (!bio) return 1;
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    if (length <= 0 || !data) return 1;
    if (out_length) *out_length = static_cast<uint32_t>(length);
    if (out) {
        *out = static_cast<unsigned char*>(std::malloc(length));
        if (!*out) return 1;
        std::memcpy(*out, data, length);
    }
    return 0;
}

X509* decode_certificate(const unsigned char* bytes, std::size_t length, const char* password) {
    if (!bytes || length == 0) return nullptr;
    BIO* bio = mem_bio_from_bytes(bytes, length);
    if (!bio) return nullptr;
    X509* cert = attempt([&] { return d2i_X509_bio(bio, nullptr); });
    if (!cert) {
        (void)BIO_reset(bio);
        cert = attempt([&] { return PEM_read_bio_X509(bio, nullptr, nullptr, nullptr); });
    }
    if (!cert) {
        (void)BIO_reset(bio);
        cert = attempt([&] {
            PKCS12* p12 = d2i_PKCS12_bio(bio, nullptr);
            X509* c = certificate_of_pkcs12(p12, password);
            PKCS12_free(p12);
            return c;
        });
    }
    BIO_free(bio);
    return cert;
}

X509* read_certificate_text(const char* path_utf8) {
    std::string text;
    if (path_utf8) {
        std::ifstream in(path_utf8, std::ios::binary);
        if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Text copied from a page or a mail often ends in blank lines.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    if (text.empty()) return nullptr;
    if (text.find("-----BEGIN CERTIFICATE-----") == std::string::npos)
        text = "-----BEGIN CERTIFICATE-----\n" + text + "\n-----END CERTIFICATE-----";
    return decode_certificate(reinterpret_cast<const unsigned char*>(text.data()), text.size(), nullptr);
}

X509* load_certificate_file(const char* path_utf8) {
    if (!path_utf8) return nullptr;
    auto from_file = [&](auto&& read) -> X509* {
        BIO* bio = BIO_new_file(path_utf8, "rb");
        if (!bio) return static_cast<X509*>(nullptr);
        X509* cert = read(bio);
        BIO_free(bio);
        return cert;
    };
    X509* cert = attempt([&] {
        return from_file([](BIO* bio) { return PEM_read_bio_X509(bio, nullptr, nullptr, nullptr); });
    });
    if (!cert) cert = attempt([&] { return from_file([](BIO* bio) { return d2i_X509_bio(bio, nullptr); }); });
    if (!cert) cert = read_certificate_text(path_utf8);
    if (!cert) {
        cert = attempt([&] {
            return from_file([](BIO* bio) {
                PKCS12* p12 = d2i_PKCS12_bio(bio, nullptr);
                X509* c = certificate_of_pkcs12(p12, nullptr);
                PKCS12_free(p12);
                return c;
            });
        });
    }
    return cert;
}

bool is_self_signed_root(X509* cert) {
    if (!cert) return false;
    if (X509_self_signed(cert, 0) == 1) return true;
    if (X509_NAME_cmp(X509_get_issuer_name(cert), X509_get_subject_name(cert)) == 0) {
        diag_print("\n [INFO] %s(), osslapi return not, but we treat it as selfroot, subject.c_str(): %s", "",
                   dn_text(X509_get_subject_name(cert)).c_str());
        return true;
    }
    return false;
}

bool check_cert_expiry(X509* cert, bool* error) {
    bool failed = true;
    int64_t end = 0;
    if (cert) {
        int err = 0;
        end = asn1_time_to_epoch(X509_get0_notAfter(cert), &err);
        failed = err != 0;
    }
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (end == 0 || failed)
        diag_print("\n %s(), ASN1_TIME_get() ERROR, tEnd: %lld, now: %lld", "", static_cast<long long>(end),
                   static_cast<long long>(now));
    if (error) *error = failed;
    if (failed) return false;
    return now > end;
}

bool cert_expired_checked(X509* cert) {
    bool error = false;
    bool expired = check_cert_expiry(cert, &error);
    if (error) throw_ex_fmt("%s(), failed", "");
    return expired;
}

bool is_ca_certificate(X509* cert) {
    if (!cert) return false;
    int index = X509_get_ext_by_NID(cert, NID_basic_constraints, -1);
    if (index < 0) return false;
    auto* bc = static_cast<BASIC_CONSTRAINTS*>(X509V3_EXT_d2i(X509_get_ext(cert, index)));
    if (!bc) return false;
    const bool ca = bc->ca != 0;
    BASIC_CONSTRAINTS_free(bc);
    return ca;
}

bool cert_has_eku(X509* cert, const char* purpose_oid) {
    if (!cert || !purpose_oid) return false;
    auto* eku = static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(cert, NID_ext_key_usage, nullptr, nullptr));
    if (!eku) return false;
    bool found = false;
    for (int i = 0; i < sk_ASN1_OBJECT_num(eku) && !found; ++i) {
        // Only client authentication is recognised.
        const char* known = OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, i)) == NID_client_auth ? "1.3.6.1.5.5.7.3.2" : "";
        found = std::strcmp(purpose_oid, known) == 0;
    }
    EXTENDED_KEY_USAGE_free(eku);
    return found;
}
