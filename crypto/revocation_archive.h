#pragma once
// The adbe-revocationInfoArchival signed attribute ("pdfcertrevoke",
// 1.2.840.113583.1.1.8): the revocation data of a signer's chain carried
// inside the signature, so it can be validated after the certificates expire.
#include <openssl/asn1.h>
#include <openssl/ocsp.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include "crypto/ocsp_query.h"
#include "platform/owned.h"

// pdf_other_revinfo ::= SEQUENCE { type OBJECT IDENTIFIER, value OCTET STRING }
struct pdf_other_revinfo {
    ASN1_OBJECT* type;
    ASN1_OCTET_STRING* value;
};
DECLARE_ASN1_FUNCTIONS(pdf_other_revinfo)
DEFINE_STACK_OF(pdf_other_revinfo)

// pdf_revocation_archive ::= SEQUENCE {
//   crls [0] EXPLICIT SEQUENCE OF CertificateList OPTIONAL,
//   ocsps [1] EXPLICIT SEQUENCE OF OCSPResponse OPTIONAL,
//   otherrevinfo [2] EXPLICIT SEQUENCE OF pdf_other_revinfo OPTIONAL }
struct pdf_revocation_archive {
    STACK_OF(X509_CRL)* crls;
    STACK_OF(OCSP_RESPONSE)* ocsps;
    STACK_OF(pdf_other_revinfo)* otherrevinfo;
};
DECLARE_ASN1_FUNCTIONS(pdf_revocation_archive)
VELK_OWNED_FREE(pdf_revocation_archive, pdf_revocation_archive_free(p));

// Object number of "pdfcertrevoke", created on first use when the library
// does not know it yet (init_crypto creates it up front).
int pdf_revocation_attribute_nid();

// Asks the OCSP responders of the signer's chain (each certificate but the
// root, issued by the next) and adds the answers as the signer info's
// "pdfcertrevoke" signed attribute. 0 when the attribute was added, 1 when
// not (null argument, chain of one, no responder, a revoked or undecodable
// answer).
int add_revocation_archive(PKCS7* p7, PKCS7_SIGNER_INFO* signer, X509* cert);
