#include "crypto/gm_pkcs12.h"

#include "crypto/gm_pkcs7.h"

#include <openssl/err.h>

#include <vector>

PKCS12* gm_d2i_pkcs12(const unsigned char* der, long length) {
    if (der == nullptr || length <= 0) return nullptr;
    const unsigned char* p = der;
    PKCS12* p12 = d2i_PKCS12(nullptr, &p, length);
    if (p12 == nullptr) return nullptr;

    // PFX ::= SEQUENCE { version, authSafe ContentInfo, macData OPTIONAL }
    p = der;
    long len = 0;
    int tag = 0, cls = 0;
    int r = ASN1_get_object(&p, &len, &tag, &cls, length);
    if ((r & 0x80) != 0 || r == 0x21 || tag != V_ASN1_SEQUENCE) return p12;  // definite form only
    const unsigned char* end = p + len;
    const unsigned char* version_start = p;
    long part_len = 0;
    r = ASN1_get_object(&p, &part_len, &tag, &cls, end - p);
    if ((r & 0x80) != 0 || r == 0x21 || tag != V_ASN1_INTEGER) return p12;
    p += part_len;
    std::vector<unsigned char> body(version_start, p);
    const unsigned char* auth_start = p;
    bool was_gm = false;
    PKCS7* auth = gm_d2i_pkcs7(auth_start, end - auth_start, &was_gm);
    if (auth == nullptr || !was_gm) {
        PKCS7_free(auth);
        ERR_clear_error();
        return p12;
    }
    // Where the ContentInfo ended in the input.
    const unsigned char* q = auth_start;
    PKCS7* skip = d2i_PKCS7(nullptr, &q, end - auth_start);
    PKCS7_free(skip);
    std::vector<unsigned char> auth_der = gm_i2d_pkcs7(auth, false);
    PKCS7_free(auth);
    if (auth_der.empty() || q <= auth_start || q > end) return p12;
    body.insert(body.end(), auth_der.begin(), auth_der.end());
    body.insert(body.end(), q, end);

    std::vector<unsigned char> out(8);
    unsigned char* w = out.data();
    ASN1_put_object(&w, 1, static_cast<int>(body.size()), V_ASN1_SEQUENCE, V_ASN1_UNIVERSAL);
    out.resize(static_cast<std::size_t>(w - out.data()));
    out.insert(out.end(), body.begin(), body.end());
    const unsigned char* c = out.data();
    PKCS12* converted = d2i_PKCS12(nullptr, &c, static_cast<long>(out.size()));
    if (converted == nullptr) return p12;
    PKCS12_free(p12);
    return converted;
}
