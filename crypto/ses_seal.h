#pragma once
// GM/T 0031 electronic seals: the ASN.1 structures of a seal signature and
// of the seal inside it, their parsing, and the checks of both signatures.
//
// The decoded structures carry a few values the parser adds (decoded
// certificates, digest names); they are freed with the structure.
#include "crypto/byte_source.h"
#include "crypto/sigerr.h"
#include "platform/owned.h"

#include <openssl/asn1.h>
#include <openssl/asn1t.h>
#include <openssl/safestack.h>
#include <openssl/x509.h>

#include <cstddef>
#include <cstdint>

// A stack type for lists of OCTET STRING values (the library has none).
DEFINE_SPECIAL_STACK_OF(ASN1_OCTET_STRING, ASN1_STRING)

struct ExtensionData {
    ASN1_OBJECT* extnID;
    ASN1_BOOLEAN critical;
    ASN1_OCTET_STRING* extnValue;
};
DECLARE_ASN1_FUNCTIONS(ExtensionData)
DEFINE_STACK_OF(ExtensionData)

struct SES_Header {
    ASN1_IA5STRING* ID;
    ASN1_INTEGER* version;
    ASN1_IA5STRING* Vid;
};
DECLARE_ASN1_FUNCTIONS(SES_Header)

struct CertDigestObj {
    ASN1_PRINTABLESTRING* type;  // digest algorithm name
    ASN1_OCTET_STRING* value;    // digest of a certificate's DER
};
DECLARE_ASN1_FUNCTIONS(CertDigestObj)
DEFINE_STACK_OF(CertDigestObj)

// certList is a CHOICE of two SEQUENCE OF with the same tag, which the
// library's templates cannot tell apart: it is kept as ANY and read by
// certListType (1 certificates, anything else certificate digests).
struct SES_ESPropertyInfo {
    ASN1_INTEGER* type;
    ASN1_UTF8STRING* name;
    ASN1_INTEGER* certListType;
    ASN1_TYPE* certList;
    ASN1_GENERALIZEDTIME* createDate;
    ASN1_GENERALIZEDTIME* validStart;
    ASN1_GENERALIZEDTIME* validEnd;
    // Added by the parser.
    STACK_OF(ASN1_OCTET_STRING)* certs;       // certListType 1: certificate DERs
    STACK_OF(CertDigestObj)* certdgsts;       // otherwise: certificate digests
    STACK_OF(X509)* seal_certs;               // certListType 1: decoded, in order (may hold fewer)
};
DECLARE_ASN1_FUNCTIONS(SES_ESPropertyInfo)

struct SES_ESPictruelnfo {
    ASN1_IA5STRING* type;
    ASN1_OCTET_STRING* data;
    ASN1_INTEGER* width;
    ASN1_INTEGER* height;
};
DECLARE_ASN1_FUNCTIONS(SES_ESPictruelnfo)

struct SES_SealInfo {
    SES_Header* header;
    ASN1_IA5STRING* esID;
    SES_ESPropertyInfo* prop;
    SES_ESPictruelnfo* picture;
    STACK_OF(ExtensionData)* extDatas;
};
DECLARE_ASN1_FUNCTIONS(SES_SealInfo)

struct SESeal {
    SES_SealInfo* sealInfo;
    ASN1_OCTET_STRING* cert;   // the seal maker's certificate
    ASN1_OBJECT* sigalg;
    ASN1_BIT_STRING* sigval;   // the maker's signature over sealInfo
    // Added by the parser.
    X509* seal_cert;
    const char* seal_digest_name;
    unsigned char* signed_der;  // first-edition seals: the bytes the maker signed
    long signed_der_length;
};
DECLARE_ASN1_FUNCTIONS(SESeal)

struct TBS_Sign {
    ASN1_INTEGER* version;
    SESeal* eseal;
    ASN1_GENERALIZEDTIME* time;
    ASN1_BIT_STRING* hash;
    ASN1_IA5STRING* propstr;
    STACK_OF(ExtensionData)* extDatas;
};
DECLARE_ASN1_FUNCTIONS(TBS_Sign)

struct SES_Signature {
    TBS_Sign* tbs;
    ASN1_OCTET_STRING* cert;   // the signer's certificate
    ASN1_OBJECT* sigalg;
    ASN1_BIT_STRING* sigval;
    ASN1_BIT_STRING* ts;       // [0] IMPLICIT, optional: a time-stamp token
    // Added by the parser.
    X509* signer_cert;
    const char* digest_name;
};
DECLARE_ASN1_FUNCTIONS(SES_Signature)
VELK_OWNED_FREE(SES_Signature, SES_Signature_free(p));

using parsed_ses_signature = SES_Signature;

// Digest name ("sm3", "sha256", ..., "unsupport") of a signature algorithm object.
const char* ses_digest_name(const ASN1_OBJECT* algorithm);

// Decodes a seal signature and adds the decoded certificates and digest
// names. Null for bytes that are not one (logged). Free with SES_Signature_free.
parsed_ses_signature* parse_ses_signature(const unsigned char* der, std::size_t length);

// Decodes a seal on its own (as a seal file holds it), the current layout
// or the first edition's (whose validity times and signer fields are
// brought to the current layout). Null when it is neither. Free with SESeal_free.
SESeal* parse_ses_seal(const unsigned char* der, std::size_t length);

// sigerr of a seal signature over the data: 0 valid, 2 not parsable,
// 4 document digest differs, 15 digest not supported, 1 signature invalid,
// -1 not checkable, 8 signer not among the seal's certificates, 12 signing
// time outside the seal's validity. Never throws.
int32_t verify_ses_signature(const unsigned char* signature, std::size_t signature_length,
                             const unsigned char* data, std::size_t data_length);
// The same over data read as it is needed; a read failure shows in
// data.failed() (the code is then void).
int32_t verify_ses_signature(const unsigned char* signature, std::size_t signature_length, byte_source& data);

// The seal maker's signature: 5 valid, 1 invalid, -1 not checkable.
int verify_ses_seal_signature(const SESeal* seal);

// 0 equal, 4 differs, 15 unsupported digest.
int check_ses_document_hash(const parsed_ses_signature* parsed, const unsigned char* data,
                            std::size_t length);
int check_ses_document_hash(const parsed_ses_signature* parsed, byte_source& data);
bool ses_signer_matches_seal(const parsed_ses_signature* parsed);
bool ses_time_within_validity(const parsed_ses_signature* parsed);
