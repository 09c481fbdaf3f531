#include "crypto/cert_access.h"

#include "crypto/certstore.h"
#include "crypto/system_store.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

// The store location is not consulted: the current user's stores are searched.
bool cert_sysstore::check_access() const {
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    char error[260] = {0};
    bool ok = load_store_private_key(store.c_str(), issuer, subject, sn.c_str(), &cert, &chain, &key, error);
    ok = ok && cert && key;
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
    return ok;
}

bool cert_access::check_access() const {
    if (cert_type == cert_type_pfx) return check_pfx_access(pfx.certfname, pfx.pfxfname, pfx.pswd, false);
    if (cert_type == cert_type_sysstore) return sysstore.check_access();
    return false;
}

