#include "crypto/cert_chain.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>
#include <sys/stat.h>

#include <openssl/err.h>
#include <openssl/x509v3.h>

#include "app/data_dirs.h"
#include "app/diagnostics.h"
#include "app/text_utils.h"
#include "crypto/cert_info.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "net/http_client.h"
#include "crypto/system_chain.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"

// Second in the lock order: always taken inside the trust-list lock (see
// cert_chain.h and cert_chain_guard).
std::recursive_mutex cert_chain_mutex;

namespace {

const char* const certerr_names[] = {
    "certerr_okay",        "certerr_invalid",     "certerr_parse",       "certerr_changed",
    "certerr_no_issuer",   "certerr_signature",   "certerr_self_signed", "certerr_not_trusted",
    "certerr_notyet_valid", "certerr_expired",    "certerr_revoked",     "certerr_build_chain",
    "certerr_invalid_alg", "certerr_purpose",     "certerr_unknown",
};

// Deepest error depth the callback accepts before it calls the chain too long.
constexpr int kMaxVerifyDepth = 5;

// State one library verification shares with its callback.
struct verify_state {
    // SM2-signed certificates whose signature our own check accepted.
    STACK_OF(X509)* gm_verified = nullptr;
};

bool in_chain(STACK_OF(X509)* chain, X509* cert) {
    for (int i = 0; i < sk_X509_num(chain); ++i)
        if (X509_cmp(sk_X509_value(chain, i), cert) == 0) return true;
    return false;
}

X509* last_of(STACK_OF(X509)* chain) {
    const int n = sk_X509_num(chain);
    return n > 0 ? sk_X509_value(chain, n - 1) : nullptr;
}

// Pushes with a new reference; false when the stack refused it.
bool push_ref(STACK_OF(X509)* chain, X509* cert) {
    if (!X509_up_ref(cert)) return false;
    if (sk_X509_push(chain, cert) <= 0) {
        X509_free(cert);
        return false;
    }
    return true;
}

// Pushes and takes over the caller's reference (freed when refused).
bool push_owned(STACK_OF(X509)* chain, X509* cert) {
    if (sk_X509_push(chain, cert) <= 0) {
        X509_free(cert);
        return false;
    }
    return true;
}

// Our own check of an SM2 certificate signature: with the default
// identifier, then without. The identifier that fits stays set on the
// certificate (the library's later check uses it); none stays when neither
// fits.
bool sm2_cert_verifies(X509* cert, EVP_PKEY* key) {
    ASN1_OCTET_STRING* id = ASN1_OCTET_STRING_new();
    if (!id || !ASN1_OCTET_STRING_set(id, reinterpret_cast<const unsigned char*>(sm2_default_id),
                                      static_cast<int>(sm2_default_id_length))) {
        ASN1_OCTET_STRING_free(id);
        return false;
    }
    X509_set0_distinguishing_id(cert, id);
    if (X509_verify(cert, key) == 1) return true;
    X509_set0_distinguishing_id(cert, nullptr);
    return X509_verify(cert, key) == 1;
}

// Whether `issuer` can be the certificate that issued `child`: its key
// identifier matches where both name one, and its key verifies the child's
// signature. Issuers re-keyed under one name differ only here.
bool issued_by(X509* child, X509* issuer) {
    const ASN1_OCTET_STRING* akid = X509_get0_authority_key_id(child);
    const ASN1_OCTET_STRING* skid = X509_get0_subject_key_id(issuer);
    if (akid && skid && ASN1_OCTET_STRING_cmp(akid, skid) != 0) return false;
    EVP_PKEY* key = X509_get0_pubkey(issuer);
    bool ok = false;
    if (key) ok = X509_get_signature_nid(child) == NID_SM2_with_SM3 ? sm2_cert_verifies(child, key)
                                                                     : X509_verify(child, key) == 1;
    ERR_clear_error();
    return ok;
}

// The trust list's certificate cache folder (ends with "/").
std::string cache_dir() { return certcache_dir.empty() ? app_data_dir() + "certcache/" : certcache_dir; }

bool file_exists_narrow(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string verify_error_text(int error) {
    const char* text = X509_verify_cert_error_string(error);
    return text ? text : "";
}

bool is_http_address(const std::string& url) {
    std::string head = url.substr(0, 8);
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return head.compare(0, 7, "http://") == 0 || head.compare(0, 8, "https://") == 0;
}

// The caIssuers URIs of the certificate, without duplicates, in order. Only
// http and https addresses are kept: nothing else is fetched.
std::vector<std::string> ca_issuer_addresses(X509* cert) {
    std::vector<std::string> addresses;
    auto* aia = static_cast<AUTHORITY_INFO_ACCESS*>(X509_get_ext_d2i(cert, NID_info_access, nullptr, nullptr));
    if (!aia) {
        ERR_clear_error();
        return addresses;
    }
    for (int i = 0; i < sk_ACCESS_DESCRIPTION_num(aia); ++i) {
        ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(aia, i);
        if (OBJ_obj2nid(ad->method) != NID_ad_ca_issuers) continue;
        if (!ad->location || ad->location->type != GEN_URI) continue;
        const ASN1_IA5STRING* uri = ad->location->d.uniformResourceIdentifier;
        if (!uri || uri->length <= 0) continue;
        std::string address(reinterpret_cast<const char*>(uri->data), static_cast<std::size_t>(uri->length));
        if (address.find('\0') != std::string::npos || !is_http_address(address)) continue;
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    }
    AUTHORITY_INFO_ACCESS_free(aia);
    return addresses;
}

// The trust-list cache: follows issuers whose PEM copies are in certcache.
// Of the entries with the issuer's name, only one whose key signed the last
// element is taken: a cached certificate of the same name under another key
// (a re-keyed or regenerated authority) is passed over, never put in the
// chain to fail there.
void extend_chain_from_cache(STACK_OF(X509)* chain) {
    while (sk_X509_num(chain) > 0 && sk_X509_num(chain) < kMaxChainLength) {
        X509* last = last_of(chain);
        if (is_self_signed_root(last)) return;
        const auto key_and_name = x509_akid_and_issuer_name(last);
        if (key_and_name.second.empty()) return;
        const std::vector<std::string> ids = trust_list_find_issuers(key_and_name.first, key_and_name.second);
        if (ids.empty()) {
            diag_print("\n\n [INFO] %s(), Failed to find a cert as issuer: \n%s\n", "",
                        wide_to_utf8(key_and_name.second).c_str());
            return;
        }
        X509* issuer = nullptr;
        for (const std::string& id : ids) {
            const std::string path = cache_dir() + id + ".cer";
            if (!file_exists_narrow(path)) continue;
            X509* candidate = load_certificate_file(path.c_str());
            if (!candidate) continue;
            if (X509_NAME_cmp(X509_get_subject_name(candidate), X509_get_issuer_name(last)) != 0) {
                diag_print("\n\n[ERROR] %s(), find a issuer cert with keyid, but wrong name. [ERROR]\n", "");
                X509_free(candidate);
                continue;
            }
            if (in_chain(chain, candidate) || !issued_by(last, candidate)) {
                X509_free(candidate);
                continue;
            }
            issuer = candidate;
            break;
        }
        if (!issuer) {
            diag_print("\n\n [INFO] %s(), no cached issuer's key signed: \n%s\n", "",
                        wide_to_utf8(key_and_name.second).c_str());
            return;
        }
        if (!push_owned(chain, issuer)) return;
    }
}

// The system store's chain for the last element, appended from its second element.
void extend_chain_from_system(STACK_OF(X509)* chain) {
    STACK_OF(X509)* system = system_chain_for(last_of(chain));
    if (!system) return;
    for (int i = 1; i < sk_X509_num(system) && sk_X509_num(chain) < kMaxChainLength; ++i) {
        X509* cert = sk_X509_value(system, i);
        if (in_chain(chain, cert) || !push_ref(chain, cert)) break;
    }
    sk_X509_pop_free(system, X509_free);
}

// Our own check of the SM2 signatures. `checked` elements are judged (the
// whole chain when it is complete; without its last element otherwise, whose
// issuer is unknown). Certificates that pass go to `verified`.
bool check_gm_signatures(STACK_OF(X509)* chain, int checked, STACK_OF(X509)* verified) {
    const int n = sk_X509_num(chain);
    for (int i = 0; i < checked && i < n; ++i) {
        X509* cert = sk_X509_value(chain, i);
        X509* signer = sk_X509_value(chain, i + 1 < n ? i + 1 : i);
        EVP_PKEY* key = X509_get0_pubkey(signer);
        if (!key) {
            diag_print("\n\n[ERROR] %s(), parse pubkey failed [ERROR]\n", "");
            ERR_clear_error();
            return false;
        }
        ERR_clear_error();
        if (X509_get_signature_nid(cert) != NID_SM2_with_SM3) {
            // Judged by the library's verification, which keeps such failures.
            X509_verify(cert, key);
            ERR_clear_error();
            continue;
        }
        if (!sm2_cert_verifies(cert, key)) {
            diag_print("\n\n[ERROR] %s(), X509_verify() GM cert failed: %s [ERROR]\n", "",
                        crypto_error_data_text().c_str());
            ERR_clear_error();
            return false;
        }
        ERR_clear_error();
        if (verified) push_ref(verified, cert);
    }
    return true;
}

// Library verification; *linked receives (when given) the chain the library
// actually verified, which holds only certificates it could link by issuer
// name, key identifier and signature.
int32_t verify_with_store(STACK_OF(X509)* chain, int32_t purpose, STACK_OF(X509)* gm_verified,
                          STACK_OF(X509)** linked) {
    const int n = sk_X509_num(chain);
    if (n <= 0) return certerr_unknown;
    X509* leaf = sk_X509_value(chain, 0);
    X509* top = sk_X509_value(chain, n - 1);

    if (purpose == chain_purpose_client_auth) {
        if (!cert_has_eku(leaf, "1.3.6.1.5.5.7.3.2")) return certerr_purpose;
    } else if (purpose != chain_purpose_none) {
        if (!cert_has_eku(leaf, "")) return certerr_purpose;
    }

    X509_STORE* store = X509_STORE_new();
    if (!store) return certerr_unknown;
    int32_t result = certerr_unknown;
    STACK_OF(X509)* untrusted = nullptr;
    X509_STORE_CTX* ctx = nullptr;
    verify_state state;
    state.gm_verified = gm_verified;
    do {
        if (X509_STORE_add_cert(store, top) != 1) break;
        X509_STORE_set_verify_cb(store, chain_verify_callback);
        X509_STORE_set_flags(store, X509_V_FLAG_CRL_CHECK_ALL);

        untrusted = sk_X509_new_null();
        if (!untrusted) break;
        const int count = is_self_signed_root(top) ? n - 1 : n;
        bool copied = true;
        for (int i = 0; i < count && copied; ++i) copied = push_ref(untrusted, sk_X509_value(chain, i));
        if (!copied) break;

        ctx = X509_STORE_CTX_new();
        if (!ctx || X509_STORE_CTX_init(ctx, store, leaf, untrusted) != 1) break;
        X509_STORE_CTX_set_app_data(ctx, &state);
        X509_verify_cert(ctx);
        const int error = X509_STORE_CTX_get_error(ctx);
        if (linked) *linked = X509_STORE_CTX_get1_chain(ctx);
        if (error == X509_V_OK) {
            result = certerr_okay;
        } else {
            diag_print("\n [INFO] %s(), Finally, X509_STORE_CTX_get_error: %s", "", verify_error_text(error).c_str());
            result = (error == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT || error == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN)
                         ? certerr_okay
                         : certerr_from_verify_error(error);
        }
    } while (false);

    if (result != certerr_okay)
        diag_print("\n\n[ERROR] %s(), return certerr: %s [ERROR]\n", "", certerr_name(result));
    X509_STORE_CTX_free(ctx);
    sk_X509_pop_free(untrusted, X509_free);
    X509_STORE_free(store);
    ERR_clear_error();
    return result;
}

}  // namespace

const char* certerr_name(int32_t code) {
    if (code < 0 || code > certerr_unknown) return "";
    return certerr_names[code];
}

chain_status::chain_status(const chain_status& other) : certerr(other.certerr), certificate(other.certificate) {
    if (certificate) X509_up_ref(certificate);
}

chain_status::chain_status(chain_status&& other) noexcept
    : certerr(other.certerr), certificate(other.certificate) {
    other.certificate = nullptr;
}

chain_status& chain_status::operator=(const chain_status& other) {
    if (this != &other) {
        if (other.certificate) X509_up_ref(other.certificate);
        X509_free(certificate);
        certerr = other.certerr;
        certificate = other.certificate;
    }
    return *this;
}

chain_status& chain_status::operator=(chain_status&& other) noexcept {
    if (this != &other) {
        X509_free(certificate);
        certerr = other.certerr;
        certificate = other.certificate;
        other.certificate = nullptr;
    }
    return *this;
}

chain_status::~chain_status() { X509_free(certificate); }

cert_chain_guard::cert_chain_guard() {
    trust_list_mutex.lock();
    try {
        cert_chain_mutex.lock();
    } catch (...) {
        trust_list_mutex.unlock();
        throw;
    }
}

cert_chain_guard::~cert_chain_guard() {
    cert_chain_mutex.unlock();
    trust_list_mutex.unlock();
}

void chain_from_certs(X509* cert, STACK_OF(X509)* extras, STACK_OF(X509)* chain) {
    if (!cert || !chain) return;
    if (sk_X509_num(chain) == 0 && !push_ref(chain, cert)) return;
    X509* current = cert;
    while (sk_X509_num(chain) < kMaxChainLength) {
        if (X509_NAME_cmp(X509_get_subject_name(current), X509_get_issuer_name(current)) == 0) return;
        // Of the extras with the issuer's name, the first whose key signed
        // the current certificate; when none did, the first by name, so that
        // a certificate the signature carries with a broken signature is
        // judged as such.
        X509* next = nullptr;
        X509* by_name = nullptr;
        for (int i = 0; i < sk_X509_num(extras) && !next; ++i) {
            X509* candidate = sk_X509_value(extras, i);
            if (!candidate || X509_NAME_cmp(X509_get_subject_name(candidate), X509_get_issuer_name(current)) != 0)
                continue;
            if (!by_name) by_name = candidate;
            if (!in_chain(chain, candidate) && issued_by(current, candidate)) next = candidate;
        }
        if (!next) next = by_name;
        // Extras that issue each other in a cycle end the walk.
        if (!next || in_chain(chain, next) || !push_ref(chain, next)) return;
        current = next;
    }
}

int download_chain_issuers(STACK_OF(X509)* chain) {
    if (!chain) return 1;
    X509* current = last_of(chain);
    while (current && sk_X509_num(chain) < kMaxChainLength) {
        const std::vector<std::string> addresses = ca_issuer_addresses(current);
        if (addresses.empty()) break;
        const std::string path =
            download_to_temp(addresses.front(), static_cast<int>(kIssuerDownloadConnectLimit), kIssuerCertSizeLimit);
        if (path.empty()) return 1;
        X509* issuer = load_certificate_file(path.c_str());
        std::remove(path.c_str());
        if (!issuer) return 1;
        // An address that leads back into the chain ends the walk.
        if (in_chain(chain, issuer)) {
            X509_free(issuer);
            break;
        }
        if (!push_owned(chain, issuer)) return 1;
        current = issuer;
    }
    return sk_X509_num(chain) == 0 ? 1 : 0;
}

void complete_chain_to_root(STACK_OF(X509)* chain) {
    if (!chain || sk_X509_num(chain) == 0) return;
    while (!is_self_signed_root(last_of(chain)) && sk_X509_num(chain) < kMaxChainLength) {
        extend_chain_from_cache(chain);
        if (is_self_signed_root(last_of(chain))) return;
        extend_chain_from_system(chain);
        const int size = sk_X509_num(chain);
        if (is_self_signed_root(last_of(chain))) return;
        download_chain_issuers(chain);
        if (sk_X509_num(chain) == size || is_self_signed_root(last_of(chain))) return;
    }
}

void build_cert_chain(X509* cert, STACK_OF(X509)* extras, STACK_OF(X509)* chain) {
    if (!cert || !chain) return;
    chain_from_certs(cert, extras, chain);
    if (sk_X509_num(chain) == 0) return;
    complete_chain_to_root(chain);
    for (int i = 1; i < sk_X509_num(chain); ++i) trust_list_add_issuer(sk_X509_value(chain, i));
}

bool chain_is_complete(STACK_OF(X509)* chain) {
    if (sk_X509_num(chain) <= 0) return false;
    if (is_self_signed_root(last_of(chain))) return true;
    cert_info info;
    fill_cert_info(sk_X509_value(chain, 0), info);
    diag_print("\n [INFO]%s(), certchain is not full build: \n sb: %s \n is: %s", "",
               wide_to_utf8(info.subject).c_str(), wide_to_utf8(info.issuer).c_str());
    return false;
}

bool check_gm_chain_signatures(STACK_OF(X509)* chain) {
    return check_gm_signatures(chain, sk_X509_num(chain), nullptr);
}

bool chain_is_trusted(STACK_OF(X509)* chain) {
    for (int i = 0; i < sk_X509_num(chain); ++i) {
        const std::string id = x509_certid(sk_X509_value(chain, i));
        trust_cert_info entry;
        if (!id.empty() && trust_list_find(id, &entry) && entry.anchors_trust()) return true;
    }
    return false;
}

int32_t verify_chain_with_store(STACK_OF(X509)* chain, int32_t purpose) {
    return verify_with_store(chain, purpose, nullptr, nullptr);
}

int chain_verify_callback(int ok, X509_STORE_CTX* ctx) {
    if (!ok && X509_STORE_CTX_get_error_depth(ctx) > kMaxVerifyDepth)
        X509_STORE_CTX_set_error(ctx, X509_V_ERR_CERT_CHAIN_TOO_LONG);
    const int error = X509_STORE_CTX_get_error(ctx);
    if (error != X509_V_OK)
        diag_print("\n [INFO] %s(), x509_store_ctx err: %s", "", verify_error_text(error).c_str());
    switch (error) {
    case X509_V_ERR_UNSPECIFIED:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
    case X509_V_ERR_UNHANDLED_CRITICAL_EXTENSION:
        X509_STORE_CTX_set_error(ctx, X509_V_OK);
        return 1;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE: {
        // Only an SM2 signature that our own check accepted is forgiven (the
        // library may verify it with another identifier); any other failure
        // is a forged or broken certificate.
        auto* state = static_cast<verify_state*>(X509_STORE_CTX_get_app_data(ctx));
        X509* cert = X509_STORE_CTX_get_current_cert(ctx);
        if (state && state->gm_verified && cert && X509_get_signature_nid(cert) == NID_SM2_with_SM3 &&
            in_chain(state->gm_verified, cert)) {
            X509_STORE_CTX_set_error(ctx, X509_V_OK);
            return 1;
        }
        return 0;
    }
    default:
        return ok;
    }
}

int32_t certerr_from_verify_error(int error) {
    int32_t result;
    switch (error) {
    case X509_V_OK:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_CERT_REJECTED:
        return certerr_okay;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT: result = certerr_no_issuer; break;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE: result = certerr_signature; break;
    case X509_V_ERR_CERT_NOT_YET_VALID: result = certerr_notyet_valid; break;
    case X509_V_ERR_CERT_HAS_EXPIRED: result = certerr_expired; break;
    case X509_V_ERR_CERT_REVOKED: result = certerr_revoked; break;
    case X509_V_ERR_INVALID_CA: result = certerr_not_trusted; break;
    default:
        result = (error >= X509_V_ERR_SUITE_B_INVALID_ALGORITHM && error <= X509_V_ERR_SUITE_B_CANNOT_SIGN_P_384_WITH_P_256)
                     ? certerr_invalid_alg
                     : certerr_unknown;
        break;
    }
    diag_print("\n\n[ERROR] %s(), osslerr: %d, certerr: %s [ERROR]\n", "", error, certerr_name(result));
    return result;
}

void verify_cert_chain(X509* cert, STACK_OF(X509)* extras, std::vector<chain_status>& result, int32_t purpose) {
    STACK_OF(X509)* chain = nullptr;
    STACK_OF(X509)* gm_verified = nullptr;
    STACK_OF(X509)* linked = nullptr;
    try {
        cert_chain_guard guard;
        if (!cert) return;
        result.clear();
        chain = sk_X509_new_null();
        gm_verified = sk_X509_new_null();
        if (!chain || !gm_verified) throw std::bad_alloc();
        build_cert_chain(cert, extras, chain);
        const int n = sk_X509_num(chain);
        if (n > 0) {
            const bool complete = chain_is_complete(chain);
            int32_t status;
            // A complete chain has all its SM2 signatures checked here; an
            // incomplete one all but its last, whose issuer is unknown.
            if (!check_gm_signatures(chain, complete ? n : n - 1, gm_verified)) {
                status = certerr_signature;
            } else {
                status = verify_with_store(chain, purpose, gm_verified, &linked);
                if (status == certerr_okay) {
                    // Trust and completeness are judged on what the library
                    // linked: a certificate that merely carries a trusted
                    // issuer's name (or comes along unrelated) anchors nothing.
                    STACK_OF(X509)* judged = linked ? linked : chain;
                    if (chain_is_trusted(judged))
                        status = certerr_okay;
                    else
                        status = chain_is_complete(judged) ? certerr_not_trusted : certerr_build_chain;
                }
            }
            for (int i = 0; i < n; ++i) {
                X509* copy = X509_dup(sk_X509_value(chain, i));
                if (!copy) throw std::bad_alloc();
                result.emplace_back(status, copy);
            }
        }
    } catch (const std::exception& ex) {
        diag_error("", ex.what());
    } catch (...) {
        diag_error("", "unknown");
    }
    sk_X509_pop_free(linked, X509_free);
    sk_X509_pop_free(gm_verified, X509_free);
    sk_X509_pop_free(chain, X509_free);
    ERR_clear_error();
}

int add_key_identifiers(X509* cert, X509* issuer) {
    if (!cert) return 1;
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int md_length = 0;
    if (!X509_pubkey_digest(cert, EVP_sha1(), md, &md_length)) return 1;
    ASN1_OCTET_STRING* skid = ASN1_OCTET_STRING_new();
    bool ok = skid && ASN1_OCTET_STRING_set(skid, md, static_cast<int>(md_length)) &&
              X509_add1_ext_i2d(cert, NID_subject_key_identifier, skid, 0, X509V3_ADD_APPEND) == 1;
    ASN1_OCTET_STRING_free(skid);
    if (!ok) return 1;
    if (!issuer) return 0;

    if (!X509_pubkey_digest(issuer, EVP_sha1(), md, &md_length)) return 1;
    AUTHORITY_KEYID* akid = AUTHORITY_KEYID_new();
    ok = akid && (akid->keyid = ASN1_OCTET_STRING_new()) != nullptr &&
         ASN1_OCTET_STRING_set(akid->keyid, md, static_cast<int>(md_length)) &&
         X509_add1_ext_i2d(cert, NID_authority_key_identifier, akid, 0, X509V3_ADD_APPEND) == 1;
    AUTHORITY_KEYID_free(akid);
    return ok ? 0 : 1;
}
