#include "crypto/pfx.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/params.h>
#include <openssl/pkcs12.h>
#include <openssl/x509v3.h>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"

namespace {

// Label for messages on the error output.
const char* const kErrLabel = "";

void print_err(BIO* err, const char* format, ...) __attribute__((format(printf, 2, 3)));
void print_err(BIO* err, const char* format, ...) {
    if (!err) return;
    va_list args;
    va_start(args, format);
    BIO_vprintf(err, format, args);
    va_end(args);
}

const EVP_MD* digest_of_kind(unsigned kind) {
    int nid;
    switch (kind) {
        case pfx_digest_sha1: nid = NID_sha1; break;
        case pfx_digest_sha256: nid = NID_sha256; break;
        case pfx_digest_sha384: nid = NID_sha384; break;
        case pfx_digest_sha512: nid = NID_sha512; break;
        case pfx_digest_sm3: nid = NID_sm3; break;
        default: return nullptr;
    }
    return EVP_get_digestbyname(OBJ_nid2sn(nid));
}

const char* key_text_of_type(unsigned key_type) {
    switch (key_type) {
        case pfx_key_rsa: return "rsa:2048";
        case pfx_key_ecc: return "ecc:384";
        case pfx_key_sm2: return "sm2:256";
        default: return "";
    }
}

bool add_extension(X509* cert, int nid, int critical, void* value) {
    X509_EXTENSION* ext = X509V3_EXT_i2d(nid, critical, value);
    if (!ext) return false;
    const bool ok = X509_add_ext(cert, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

bool add_extensions(X509* cert, const std::vector<int>& eku_nids) {
    // keyUsage: digitalSignature, nonRepudiation, dataEncipherment.
    ASN1_BIT_STRING* usage = ASN1_BIT_STRING_new();
    bool ok = usage && ASN1_BIT_STRING_set_bit(usage, 0, 1) && ASN1_BIT_STRING_set_bit(usage, 1, 1) &&
              ASN1_BIT_STRING_set_bit(usage, 3, 1) && add_extension(cert, NID_key_usage, 1, usage);
    ASN1_BIT_STRING_free(usage);
    if (!ok) return false;

    for (int nid : eku_nids) {
        EXTENDED_KEY_USAGE* eku = sk_ASN1_OBJECT_new_null();
        ASN1_OBJECT* purpose = OBJ_nid2obj(nid);
        ok = eku && purpose && sk_ASN1_OBJECT_push(eku, OBJ_dup(purpose)) > 0 &&
             add_extension(cert, NID_ext_key_usage, 1, eku);
        sk_ASN1_OBJECT_pop_free(eku, ASN1_OBJECT_free);
        if (!ok) return false;
    }

    // An end entity (cA false): the program signs documents with it, and the
    // usable-signing-certificate filter refuses CA certificates.
    BASIC_CONSTRAINTS* bc = BASIC_CONSTRAINTS_new();
    ok = bc && add_extension(cert, NID_basic_constraints, 1, bc);
    BASIC_CONSTRAINTS_free(bc);
    if (!ok) return false;

    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int md_length = 0;
    if (!X509_pubkey_digest(cert, EVP_sha1(), md, &md_length)) return false;

    ASN1_OCTET_STRING* skid = ASN1_OCTET_STRING_new();
    ok = skid && ASN1_OCTET_STRING_set(skid, md, static_cast<int>(md_length)) &&
         add_extension(cert, NID_subject_key_identifier, 0, skid);
    ASN1_OCTET_STRING_free(skid);
    if (!ok) return false;

    AUTHORITY_KEYID* akid = AUTHORITY_KEYID_new();
    ok = akid && (akid->keyid = ASN1_OCTET_STRING_new()) != nullptr &&
         ASN1_OCTET_STRING_set(akid->keyid, md, static_cast<int>(md_length)) &&
         add_extension(cert, NID_authority_key_identifier, 0, akid);
    AUTHORITY_KEYID_free(akid);
    return ok;
}

}  // namespace

void load_pfx(const char* path_utf8, const char* password, X509** cert, STACK_OF(X509)** chain,
              EVP_PKEY** key) {
    init_crypto();
    if (!cert || !chain || !key) return;
    if (*cert || *chain || *key) {
        *cert = nullptr;
        *chain = nullptr;
        *key = nullptr;
        return;
    }
    if (!path_utf8) return;
    BIO* bio = BIO_new_file(path_utf8, "rb");
    if (!bio) {
        ERR_clear_error();
        return;
    }
    PKCS12* p12 = d2i_PKCS12_bio(bio, nullptr);
    BIO_free(bio);
    if (!p12) {
        ERR_clear_error();
        return;
    }
    EVP_PKEY* pkey = nullptr;
    X509* x = nullptr;
    STACK_OF(X509)* ca = nullptr;
    if (!PKCS12_parse(p12, password, &pkey, &x, &ca)) {
        diag_print("\n %s(), %s", "", ERR_error_string(ERR_peek_error(), nullptr));
        ERR_clear_error();
        PKCS12_free(p12);
        return;
    }
    PKCS12_free(p12);
    *key = pkey;
    *cert = x;
    if (x) {
        if (!ca) ca = sk_X509_new_null();
        if (ca && X509_up_ref(x) && !sk_X509_insert(ca, x, 0)) X509_free(x);
    }
    *chain = ca;
}

bool pfx_is_self_signed(const char* path_utf8, const char* password) {
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    load_pfx(path_utf8, password, &cert, &chain, &key);
    if (!cert && !key) {
        sk_X509_pop_free(chain, X509_free);
        throw_ex_fmt("%s(), parse failed", "");
    }
    const bool self_signed = cert ? is_self_signed_root(cert) : false;
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
    return self_signed;
}

bool names_sm_algorithm(const std::string& text) {
    return text.find("sm3") != std::string::npos || text.find("SM2") != std::string::npos;
}

X509_NAME* parse_subject_name(const std::string& text, BIO* err) {
    if (text.empty() || text[0] != '/') {
        print_err(err,
                  "name is expected to be in the format /type0=value0/type1=value1/type2=... where characters may be "
                  "escaped by \\. This name is not in that format: '%s'\n",
                  text.c_str());
        return nullptr;
    }
    X509_NAME* name = X509_NAME_new();
    if (!name) return nullptr;
    std::size_t i = 1;
    const std::size_t n = text.size();
    while (i < n) {
        std::string type;
        while (i < n && text[i] != '=') {
            if (text[i] == '\\') {
                if (++i == n) break;
            }
            type += text[i++];
        }
        if (i >= n) {
            print_err(err, "%s: Hit end of string before finding the equals.\n", kErrLabel);
            X509_NAME_free(name);
            return nullptr;
        }
        ++i;  // '='
        std::string value;
        while (i < n && text[i] != '/') {
            if (text[i] == '\\') {
                if (++i == n) {
                    print_err(err, "%s: escape character at end of string\n", kErrLabel);
                    X509_NAME_free(name);
                    return nullptr;
                }
            }
            value += text[i++];
        }
        if (i < n) ++i;  // '/'
        const int nid = OBJ_txt2nid(type.c_str());
        if (nid == NID_undef) {
            print_err(err, "%s: Skipping unknown attribute \"%s\"\n", kErrLabel, type.c_str());
            continue;
        }
        if (value.empty()) {
            print_err(err, "%s: No value provided for Subject Attribute %s, skipped\n", kErrLabel, type.c_str());
            continue;
        }
        if (!X509_NAME_add_entry_by_NID(name, nid, MBSTRING_UTF8,
                                        reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1, 0)) {
            X509_NAME_free(name);
            return nullptr;
        }
    }
    return name;
}

EVP_PKEY_CTX* keygen_context_from_text(const std::string& key_text, BIO* err) {
    const std::size_t colon = key_text.find(':');
    const std::string type = key_text.substr(0, colon);
    const unsigned bits = colon == std::string::npos ? 0u : static_cast<unsigned>(std::atoi(key_text.c_str() + colon + 1));
    // "ecc" is an elliptic-curve key on the NIST curve of that size.
    const char* library_name = type == "rsa" ? "RSA" : type == "sm2" ? "SM2" : type == "ecc" ? "EC" : nullptr;
    EVP_PKEY_CTX* ctx = library_name ? EVP_PKEY_CTX_new_from_name(nullptr, library_name, nullptr) : nullptr;
    if (!ctx) {
        print_err(err, "Error allocating keygen context\n");
        return nullptr;
    }
    if (EVP_PKEY_keygen_init(ctx) <= 0) {
        print_err(err, "Error initializing keygen context\n");
        EVP_PKEY_CTX_free(ctx);
        return nullptr;
    }
    int ok;
    if (type == "ecc") {
        const char* curve = bits == 256 ? "P-256" : bits == 384 ? "P-384" : bits == 521 ? "P-521" : nullptr;
        ok = curve ? EVP_PKEY_CTX_set_group_name(ctx, curve) : 0;
    } else if (type == "sm2") {
        ok = 1;  // the SM2 generator has one curve; the size changes nothing
    } else {
        ok = EVP_PKEY_CTX_set_rsa_keygen_bits(ctx, static_cast<int>(bits));
    }
    if (ok <= 0) {
        print_err(err, "Error setting keysize\n");
        EVP_PKEY_CTX_free(ctx);
        return nullptr;
    }
    return ctx;
}

int x509_sign_with_distid(X509* cert, EVP_PKEY* key, const EVP_MD* md) {
    if (!cert || !key) return 0;
    int default_nid = NID_undef;
    if (EVP_PKEY_get_default_digest_nid(key, &default_nid) == 2 && default_nid == NID_undef) md = nullptr;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    if (!ctx) return 0;
    // The identifier is set once the context exists: the SM2 signer of
    // OpenSSL 3.0 refuses it among the initial parameters. Other key types
    // have no use for it.
    EVP_PKEY_CTX* pctx = nullptr;
    int ok = EVP_DigestSignInit_ex(ctx, &pctx, md ? EVP_MD_get0_name(md) : nullptr, nullptr, nullptr, key,
                                   nullptr) > 0;
    if (ok && EVP_PKEY_is_a(key, "SM2")) {
        OSSL_PARAM params[2];
        params[0] = OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_DIST_ID, const_cast<char*>(sm2_default_id),
                                                      sm2_default_id_length);
        params[1] = OSSL_PARAM_construct_end();
        ok = EVP_PKEY_CTX_set_params(pctx, params) > 0;
    }
    ok = ok && X509_sign_ctx(cert, ctx) > 0;
    EVP_MD_CTX_free(ctx);
    return ok ? 1 : 0;
}

int make_self_signed_pfx(const std::string& subject, unsigned key_type, unsigned digest_kind,
                         const std::vector<int>& eku_nids, const std::string& password,
                         const std::wstring& output_path, X509** out_cert) {
    BIO* err = BIO_new(BIO_s_mem());  // collected, then printed among the diagnostic lines
    EVP_PKEY* key = nullptr;
    X509_NAME* name = nullptr;
    X509* cert = nullptr;
    PKCS12* p12 = nullptr;
    unsigned char* der = nullptr;
    int der_length = 0;
    int result = 1;
    do {
        EVP_PKEY_CTX* kctx = keygen_context_from_text(key_text_of_type(key_type), err);
        if (!kctx) break;
        const int generated = EVP_PKEY_keygen(kctx, &key);
        EVP_PKEY_CTX_free(kctx);
        if (generated <= 0 || !key) break;

        const EVP_MD* md = digest_of_kind(digest_kind);
        if (!md) break;

        name = parse_subject_name(subject, err);
        if (!name) break;

        cert = X509_new();
        if (!cert || !X509_set_version(cert, 2)) break;
        BIGNUM* serial = BN_new();
        const bool serial_ok = serial && BN_rand(serial, 159, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) &&
                               BN_to_ASN1_INTEGER(serial, X509_get_serialNumber(cert)) != nullptr;
        BN_free(serial);
        if (!serial_ok) break;
        if (!X509_set_issuer_name(cert, name) || !X509_set_subject_name(cert, name)) break;
        if (!X509_gmtime_adj(X509_getm_notBefore(cert), 0) ||
            !X509_time_adj_ex(X509_getm_notAfter(cert), 360, 0, nullptr))
            break;
        if (!X509_set_pubkey(cert, key)) break;
        if (!add_extensions(cert, eku_nids)) break;

        if (key_type == pfx_key_sm2) {
            ASN1_OCTET_STRING* id = ASN1_OCTET_STRING_new();
            if (!id || !ASN1_OCTET_STRING_set(id, reinterpret_cast<const unsigned char*>(sm2_default_id),
                                              static_cast<int>(sm2_default_id_length))) {
                ASN1_OCTET_STRING_free(id);
                break;
            }
            X509_set0_distinguishing_id(cert, id);
        }
        if (!x509_sign_with_distid(cert, key, md)) break;

        p12 = PKCS12_create(password.c_str(), nullptr, key, cert, nullptr, 0, 0, 0, 0, 0);
        if (!p12) break;
        der_length = i2d_PKCS12(p12, &der);
        if (der_length <= 0 || !der) break;

        if (out_cert) {
            X509_up_ref(cert);
            *out_cert = cert;
        }
        if (!buff2filew(der, static_cast<uint32_t>(der_length), output_path)) break;
        result = 0;
    } while (false);

    if (result != 0 && err) {
        ERR_print_errors(err);
        char* text = nullptr;
        const long length = BIO_get_mem_data(err, &text);
        if (length > 0 && text) diag_print("\n%.*s", static_cast<int>(length), text);
    }
    OPENSSL_free(der);
    PKCS12_free(p12);
    X509_free(cert);
    X509_NAME_free(name);
    EVP_PKEY_free(key);
    BIO_free(err);
    return result;
}
