#include "crypto/crypto_init.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/provider.h>

#include <cstdio>
#include <cstring>
#include "app/diagnostics.h"

int32_t nid_gm_signed_data = 0;
int32_t nid_gm_data = 0;
int32_t nid_sm2sign = 0;
int32_t nid_hmac_sm3 = 0;
bool crypto_initialised = false;

const char sm2_default_id[] = "1234567812345678";

namespace {

struct object_row {
    const char* oid;
    const char* short_name;
    const char* long_name;
};

// In this order: the first three must receive 1248, 1249 and 1250.
const object_row gm_data_row = {"1.2.156.10197.6.1.4.2.1", "gm-data", "gm-pkcs7-data"};
const object_row gm_signed_row = {"1.2.156.10197.6.1.4.2.2", "gm-signedData", "gm-pkcs7-signedData"};
const object_row sm2sign_row = {"1.2.156.10197.1.301.1", "SM2SIGN", "sm2sign"};
const object_row hmac_sm3_row = {"1.2.156.10197.1.401.2", "hmac-sm3", "hmacWithSM3"};
const object_row embedgmsig_row = {"1.2.156.150570.2.2.1", "embedgmsig", "embedgmsignature"};
const object_row pdfcertrevoke_row = {"1.2.840.113583.1.1.8", "pdfcertrevoke", "pdfcertrevokeinfo"};

int find_or_create(const object_row& row) {
    int nid = OBJ_txt2nid(row.oid);
    if (nid < 1) {
        nid = OBJ_create(row.oid, row.short_name, row.long_name);
        if (nid < 1) {
            ERR_clear_error();
            nid = 0;
        }
    }
    return nid;
}

int on_demand_object(const object_row& row) {
    int nid = OBJ_sn2nid(row.short_name);
    if (nid != 0) return nid;
    // Normally created by init_crypto; this path only runs when set-up was
    // skipped (object creation is not thread-safe in OpenSSL 3.0).
    return find_or_create(row);
}

// The providers init_crypto loaded, in load order; unload_crypto_providers
// gives them back.
OSSL_PROVIDER* loaded_providers[2] = {};

OSSL_PROVIDER* load_provider(const char* name) {
    OSSL_PROVIDER* provider = OSSL_PROVIDER_load(nullptr, name);
    if (provider == nullptr) {
        unsigned long e = ERR_peek_error();
        char text[256] = "";
        if (e != 0) ERR_error_string_n(e, text, sizeof text);
        diag_print("\n %s(), %s", "", text);
        ERR_clear_error();
    }
    return provider;
}

}  // namespace

void init_crypto() {
    if (crypto_initialised) return;

    // Objects first: they must be the process's first created objects.
    nid_gm_data = find_or_create(gm_data_row);
    nid_gm_signed_data = find_or_create(gm_signed_row);
    nid_sm2sign = find_or_create(sm2sign_row);
    nid_hmac_sm3 = find_or_create(hmac_sm3_row);
    find_or_create(embedgmsig_row);
    find_or_create(pdfcertrevoke_row);

    ERR_load_crypto_strings();
    OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr);
    OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
    OPENSSL_init_crypto(OPENSSL_INIT_ENGINE_ALL_BUILTIN, nullptr);
    ERR_clear_error();  // engines missing from this build are not an error here
    OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr);

    loaded_providers[0] = load_provider("legacy");
    loaded_providers[1] = load_provider("default");

    crypto_initialised = true;
}

void unload_crypto_providers() {
    for (int i = 1; i >= 0; --i) {
        if (loaded_providers[i] != nullptr) OSSL_PROVIDER_unload(loaded_providers[i]);
        loaded_providers[i] = nullptr;
    }
}

int oid_text_to_nid(const char* oid_text, int32_t* nid) {
    if (nid == nullptr) return 0;
    *nid = 0;
    if (oid_text == nullptr) return 0;
    struct fixed_row {
        const char* oid;
        int nid;
    };
    static const fixed_row fixed[] = {
        {"1.2.840.113549.1.9.3", 50},
        {"1.2.840.113549.1.9.4", 51},
        {"1.2.840.113549.1.1.11", 668},
        {"1.2.840.113549.1.9.16.2.14", 225},
    };
    for (const auto& row : fixed) {
        if (std::strcmp(oid_text, row.oid) == 0) {
            *nid = row.nid;
            return 0;
        }
    }
    if (std::strcmp(oid_text, embedgmsig_row.oid) == 0) {
        *nid = on_demand_object(embedgmsig_row);
    } else if (std::strcmp(oid_text, pdfcertrevoke_row.oid) == 0) {
        *nid = on_demand_object(pdfcertrevoke_row);
    }
    return 0;
}
