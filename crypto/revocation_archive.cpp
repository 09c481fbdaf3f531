#include "crypto/revocation_archive.h"

#include "crypto/cert_chain.h"
#include "crypto/crypto_init.h"
#include "crypto/ocsp_query.h"
#include "crypto/trust_list.h"

#include <openssl/asn1t.h>
#include <openssl/err.h>

#include <cstdlib>
#include <exception>

ASN1_SEQUENCE(pdf_other_revinfo) = {
    ASN1_SIMPLE(pdf_other_revinfo, type, ASN1_OBJECT),
    ASN1_SIMPLE(pdf_other_revinfo, value, ASN1_OCTET_STRING),
} ASN1_SEQUENCE_END(pdf_other_revinfo)
IMPLEMENT_ASN1_FUNCTIONS(pdf_other_revinfo)

ASN1_SEQUENCE(pdf_revocation_archive) = {
    ASN1_EXP_SEQUENCE_OF_OPT(pdf_revocation_archive, crls, X509_CRL, 0),
    ASN1_EXP_SEQUENCE_OF_OPT(pdf_revocation_archive, ocsps, OCSP_RESPONSE, 1),
    ASN1_EXP_SEQUENCE_OF_OPT(pdf_revocation_archive, otherrevinfo, pdf_other_revinfo, 2),
} ASN1_SEQUENCE_END(pdf_revocation_archive)
IMPLEMENT_ASN1_FUNCTIONS(pdf_revocation_archive)

int pdf_revocation_attribute_nid() {
    int32_t nid = 0;
    oid_text_to_nid("1.2.840.113583.1.1.8", &nid);
    return nid;
}

namespace {

// The signer's chain, leaf first, completed towards its root; every issuer
// met is recorded in the trust list. Null on failure.
STACK_OF(X509)* signer_chain(X509* cert) {
    STACK_OF(X509)* chain = sk_X509_new_null();
    if (chain == nullptr) return nullptr;
    try {
        chain_from_certs(cert, nullptr, chain);
        if (sk_X509_num(chain) > 0) complete_chain_to_root(chain);
        for (int i = 1; i < sk_X509_num(chain); ++i) trust_list_add_issuer(sk_X509_value(chain, i));
    } catch (const std::exception&) {
        // A trust-list failure only loses the cache entry; the chain stands.
    }
    return chain;
}

}  // namespace

int add_revocation_archive(PKCS7* p7, PKCS7_SIGNER_INFO* signer, X509* cert) {
    if (p7 == nullptr || signer == nullptr || cert == nullptr) return 1;
    STACK_OF(X509)* chain = signer_chain(cert);
    if (chain == nullptr) return 1;
    const int length = sk_X509_num(chain);
    int result = 1;
    byte_buffer* answers = nullptr;
    pdf_revocation_archive* archive = nullptr;
    unsigned char* der = nullptr;

    do {
        if (length < 2) break;
        const uint32_t count = static_cast<uint32_t>(length - 1);
        answers = static_cast<byte_buffer*>(std::calloc(count, sizeof(byte_buffer)));
        if (answers == nullptr) break;
        bool revoked = false;
        for (int i = 0; i + 1 < length && !revoked; ++i)
            revoked = query_ocsp(sk_X509_value(chain, i), sk_X509_value(chain, i + 1), &answers[i].data,
                                 &answers[i].length) == 1;
        if (revoked) break;

        archive = pdf_revocation_archive_new();
        if (archive == nullptr) break;
        archive->ocsps = sk_OCSP_RESPONSE_new_null();
        if (archive->ocsps == nullptr) break;
        bool complete = true;
        for (uint32_t i = 0; i < count && complete; ++i) {
            const unsigned char* p = answers[i].data;
            OCSP_RESPONSE* response =
                p != nullptr ? d2i_OCSP_RESPONSE(nullptr, &p, static_cast<long>(answers[i].length)) : nullptr;
            complete = response != nullptr && sk_OCSP_RESPONSE_push(archive->ocsps, response) > 0;
            if (!complete) OCSP_RESPONSE_free(response);
        }
        if (!complete) break;

        int n = i2d_pdf_revocation_archive(archive, &der);
        if (n <= 0) break;
        ASN1_STRING* value = ASN1_STRING_new();
        if (value == nullptr || !ASN1_STRING_set(value, der, n)) {
            ASN1_STRING_free(value);
            break;
        }
        if (!PKCS7_add_signed_attribute(signer, pdf_revocation_attribute_nid(), V_ASN1_SEQUENCE, value)) {
            ASN1_STRING_free(value);
            break;
        }
        result = 0;
    } while (false);

    OPENSSL_free(der);
    pdf_revocation_archive_free(archive);
    if (answers != nullptr) free_byte_buffers(answers, static_cast<uint32_t>(length - 1));
    sk_X509_pop_free(chain, X509_free);
    ERR_clear_error();
    return result;
}
