#include "crypto/x509ui.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <unordered_set>

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include "app/diagnostics.h"
#include "app/encoding.h"
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "crypto/cert_info.h"
#include "crypto/cert_loading.h"
#include "crypto/digests.h"
#include "crypto/local_time.h"

namespace {

std::string hex_of(const unsigned char* bytes, int length) {
    if (!bytes || length <= 0) return std::string();
    return bytes_to_hex(bytes, static_cast<std::size_t>(length));
}

std::string hex_of(const ASN1_STRING* s) {
    if (!s) return std::string();
    return hex_of(ASN1_STRING_get0_data(s), ASN1_STRING_length(s));
}

std::string raw_text(const ASN1_STRING* s) {
    if (!s) return std::string();
    return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(s)),
                       static_cast<std::size_t>(ASN1_STRING_length(s)));
}

// UTF-8 of any ASN.1 string type; "" when it cannot be converted.
std::string utf8_text(const ASN1_STRING* s) {
    if (!s) return std::string();
    unsigned char* out = nullptr;
    int length = ASN1_STRING_to_UTF8(&out, s);
    if (length < 0 || !out) return std::string();
    std::string text(reinterpret_cast<char*>(out), static_cast<std::size_t>(length));
    OPENSSL_free(out);
    return text;
}

template <typename T, typename Encode>
std::string der_hex(const T* value, Encode encode) {
    if (!value) return std::string();
    unsigned char* der = nullptr;
    int length = encode(value, &der);
    std::string text = hex_of(der, length);
    OPENSSL_free(der);
    return text;
}

std::string dotted_oid(const ASN1_OBJECT* obj) {
    if (!obj) return std::string();
    int length = OBJ_obj2txt(nullptr, 0, obj, 1);
    if (length <= 0) return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    OBJ_obj2txt(&text[0], length + 1, obj, 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// The short name for a DN or name text, with the library's own name for objects
// outside the display table.
std::string entry_type_name(const ASN1_OBJECT* obj) {
    const int nid = OBJ_obj2nid(obj);
    std::string name = object_short_name(nid);
    if (!name.empty()) return name;
    if (nid != NID_undef) return OBJ_nid2sn(nid);
    return dotted_oid(obj);
}

std::string first_entry_text(const X509_NAME* name, int nid) {
    if (!name) return std::string();
    int index = X509_NAME_get_index_by_NID(name, nid, -1);
    if (index < 0) return std::string();
    return utf8_text(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)));
}

std::string first_display_value(const X509_NAME* name) {
    for (int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
        std::string value = first_entry_text(name, nid);
        if (!value.empty()) return value;
    }
    return std::string();
}

std::string key_usage_text(X509_EXTENSION* ext) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio) return std::string();
    std::string text;
    if (X509V3_EXT_print(bio, ext, 0, 0) == 1) {
        char* data = nullptr;
        long length = BIO_get_mem_data(bio, &data);
        if (length > 0 && data) text.assign(data, static_cast<std::size_t>(length));
    }
    BIO_free(bio);
    return text;
}

std::string basic_constraints_text(const BASIC_CONSTRAINTS* bc) {
    if (!bc->ca) return "Subject Type=End Entity\r\nPath Length Constraint=None";
    std::string text = "Subject Type=CA\r\nPath Length Constraint=";
    if (bc->pathlen)
        text += std::to_string(ASN1_INTEGER_get(bc->pathlen));
    else
        text += "None";
    return text;
}

int32_t purpose_code(int nid) {
    switch (nid) {
        case NID_server_auth: return eku_server_auth;
        case NID_client_auth: return eku_client_auth;
        case NID_code_sign: return eku_code_signing;
        case NID_email_protect: return eku_email_protection;
        case NID_time_stamp: return eku_time_stamping;
        case NID_OCSP_sign: return eku_ocsp_signing;
        default: return eku_other;
    }
}

std::string key_text_of(X509* cert) {
    EVP_PKEY* key = X509_get0_pubkey(cert);
    std::string kind = "error";
    int bits = 0;
    if (key && EVP_PKEY_is_a(key, "SM2")) {
        kind = "SM2";
        bits = 256;
    } else if (key) {
        switch (EVP_PKEY_get_base_id(key)) {
            case EVP_PKEY_RSA: kind = "RSA"; bits = EVP_PKEY_get_bits(key); break;
            case EVP_PKEY_EC: kind = "ECC"; bits = EVP_PKEY_get_bits(key); break;
            case EVP_PKEY_SM2: kind = "SM2"; bits = EVP_PKEY_get_bits(key); break;
            default: break;
        }
    }
    return kind + " (" + std::to_string(bits) + " Bits)";
}

void fill_extensions(X509* cert, x509ui& ui) {
    std::set<int> purposes;
    bool has_eku = false;
    for (int i = 0; i < X509_get_ext_count(cert); ++i) {
        X509_EXTENSION* ext = X509_get_ext(cert, i);
        const int nid = OBJ_obj2nid(X509_EXTENSION_get_object(ext));
        switch (nid) {
            case NID_subject_key_identifier: case NID_authority_key_identifier:
            case NID_key_usage: case NID_subject_alt_name: case NID_basic_constraints:
            case NID_certificate_policies: case NID_crl_distribution_points:
            case NID_info_access: case NID_ext_key_usage:
                break;
            default:
                continue;
        }
        void* value = X509V3_EXT_d2i(ext);
        if (!value) continue;  // undecodable extensions are skipped
        switch (nid) {
            case NID_subject_key_identifier:
                ui.subject_key_id = hex_of(static_cast<ASN1_OCTET_STRING*>(value));
                ASN1_OCTET_STRING_free(static_cast<ASN1_OCTET_STRING*>(value));
                break;
            case NID_authority_key_identifier: {
                auto* akid = static_cast<AUTHORITY_KEYID*>(value);
                if (akid->keyid) ui.authority_key_id = hex_of(akid->keyid);
                AUTHORITY_KEYID_free(akid);
                break;
            }
            case NID_key_usage:
                ui.key_usage = key_usage_text(ext);
                ASN1_BIT_STRING_free(static_cast<ASN1_BIT_STRING*>(value));
                break;
            case NID_subject_alt_name: {
                auto* names = static_cast<GENERAL_NAMES*>(value);
                std::string text;
                for (int k = 0; k < sk_GENERAL_NAME_num(names); ++k)
                    text += general_name_text(sk_GENERAL_NAME_value(names, k));
                GENERAL_NAMES_free(names);
                ui.subject_alt_names = utf8_to_wide(text);
                break;
            }
            case NID_basic_constraints:
                ui.basic_constraints = basic_constraints_text(static_cast<BASIC_CONSTRAINTS*>(value));
                BASIC_CONSTRAINTS_free(static_cast<BASIC_CONSTRAINTS*>(value));
                break;
            case NID_certificate_policies:
                ui.cert_policies = cert_policies_text(static_cast<CERTIFICATEPOLICIES*>(value));
                CERTIFICATEPOLICIES_free(static_cast<CERTIFICATEPOLICIES*>(value));
                break;
            case NID_crl_distribution_points:
                ui.crl_dist_points = crl_dist_points_text(static_cast<CRL_DIST_POINTS*>(value));
                CRL_DIST_POINTS_free(static_cast<CRL_DIST_POINTS*>(value));
                break;
            case NID_info_access:
                ui.authority_info_access = authority_info_access_text(static_cast<AUTHORITY_INFO_ACCESS*>(value));
                AUTHORITY_INFO_ACCESS_free(static_cast<AUTHORITY_INFO_ACCESS*>(value));
                break;
            case NID_ext_key_usage: {
                auto* eku = static_cast<EXTENDED_KEY_USAGE*>(value);
                purposes.clear();
                has_eku = true;
                for (int k = 0; k < sk_ASN1_OBJECT_num(eku); ++k)
                    purposes.insert(OBJ_obj2nid(sk_ASN1_OBJECT_value(eku, k)));
                EXTENDED_KEY_USAGE_free(eku);
                break;
            }
        }
    }
    if (has_eku) {
        ui.ext_key_usages.clear();
        for (int nid : purposes) ui.ext_key_usages.push_back(purpose_code(nid));
    }
}

void build_x509ui_inner(X509* cert, x509ui& ui) {
    ui.version = "V" + std::to_string(X509_get_version(cert) + 1);

    const X509_NAME* subject = X509_get_subject_name(cert);
    const X509_NAME* issuer = X509_get_issuer_name(cert);
    ui.subject_email = first_entry_text(subject, NID_pkcs9_emailAddress);
    ui.subject_dn = utf8_to_wide(dn_text(subject));
    ui.subject_cn = utf8_to_wide(first_entry_text(subject, NID_commonName));
    ui.issuer_dn = utf8_to_wide(dn_text(issuer));
    ui.issuer_cn = utf8_to_wide(first_entry_text(issuer, NID_commonName));

    ui.serial_hex = hex_of(X509_get0_serialNumber(cert));
    ui.not_before = asn1_time_to_text(X509_get0_notBefore(cert));
    ui.not_after = asn1_time_to_text(X509_get0_notAfter(cert));

    const ASN1_BIT_STRING* signature = nullptr;
    const X509_ALGOR* algorithm = nullptr;
    X509_get0_signature(&signature, &algorithm, cert);
    const int sig_nid = algorithm ? OBJ_obj2nid(algorithm->algorithm) : NID_undef;
    ui.sig_alg = signature_alg_name(sig_nid, 0);
    ui.sig_alg_number = ui.sig_alg == "sigalg-unsupported" ? std::to_string(sig_nid) : std::string();
    ui.signature_hex = hex_of(signature);

    ui.key_text = key_text_of(cert);
    ui.public_key_hex = hex_of(X509_get0_pubkey_bitstr(cert));

    fill_extensions(cert, ui);

    unsigned char* der = nullptr;
    int length = i2d_X509(cert, &der);
    if (length > 0 && der) {
        ui.der.assign(der, der + length);
        ui.certid = sha1_hex(der, static_cast<std::size_t>(length));
    }
    OPENSSL_free(der);
}

std::wstring flatten_lines(std::wstring text) {
    for (auto& c : text)
        if (c == L'\n') c = L' ';
    return text;
}

}  // namespace

std::string object_short_name(int nid) {
    switch (nid) {
        case NID_stateOrProvinceName: return "S";
        case NID_pkcs9_emailAddress: return "E";
        case NID_streetAddress: return "STREET";
        case NID_postalCode: return "PostalCode";
        default: break;
    }
    static const std::unordered_set<int> table = [] {
        static const char* const names[] = {
            "rsaEncryption", "RSA-MD2", "RSA-MD5", "CN", "C", "L", "O", "OU", "RSA-SHA1", "nsCertType",
            "nsBaseUrl", "nsRevocationUrl", "nsCaRevocationUrl", "nsRenewalUrl", "nsCaPolicyUrl",
            "nsSslServerName", "nsComment", "subjectKeyIdentifier", "keyUsage", "subjectAltName",
            "issuerAltName", "basicConstraints", "certificatePolicies", "authorityKeyIdentifier",
            "crlDistributionPoints", "serialNumber", "extendedKeyUsage", "serverAuth", "clientAuth",
            "codeSigning", "emailProtection", "timeStamping", "msCodeInd", "msCodeCom", "msCTLSign",
            "msSGC", "msEFS", "nsSGC", "id-qt-cps", "id-qt-unotice", "dnQualifier", "authorityInfoAccess",
            "OCSPSigning", "DC", "RSA-MD4", "policyConstraints", "UID", "mail", "msSmartcardLogin", "msUPN",
            "nameConstraints", "RSA-SHA256", "RSA-SHA384", "RSA-SHA512", "policyMappings",
            "subjectDirectoryAttributes", "businessCategory"};
        std::unordered_set<int> nids;
        for (const char* name : names) {
            int n = OBJ_sn2nid(name);
            if (n != NID_undef) nids.insert(n);
        }
        return nids;
    }();
    if (nid != NID_undef && table.count(nid)) return OBJ_nid2sn(nid);
    return std::string();
}

std::string dn_text(const X509_NAME* name) {
    if (!name) return std::string();
    std::string text;
    for (int i = X509_NAME_entry_count(name) - 1; i >= 0; --i) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
        std::string value = utf8_text(X509_NAME_ENTRY_get_data(entry));
        if (value.empty()) continue;
        if (!text.empty()) text += "\n";
        text += entry_type_name(X509_NAME_ENTRY_get_object(entry)) + " = " + value;
    }
    return text;
}

std::string general_name_text(const GENERAL_NAME* name) {
    if (!name) return std::string();
    std::string kind, value;
    switch (name->type) {
        case GEN_OTHERNAME: {
            const OTHERNAME* other = name->d.otherName;
            kind = object_short_name(OBJ_obj2nid(other->type_id));
            if (OBJ_obj2nid(other->type_id) == NID_ms_upn && other->value &&
                other->value->type == V_ASN1_UTF8STRING)
                value = raw_text(other->value->value.utf8string);
            else
                value = der_hex(other->value, [](const ASN1_TYPE* v, unsigned char** out) {
                    return i2d_ASN1_TYPE(const_cast<ASN1_TYPE*>(v), out);
                });
            break;
        }
        case GEN_EMAIL: kind = "Email Address"; value = raw_text(name->d.rfc822Name); break;
        case GEN_DNS: kind = "DNS Name"; value = raw_text(name->d.dNSName); break;
        case GEN_X400: kind = "X.400 Address"; value = hex_of(name->d.x400Address); break;
        case GEN_DIRNAME: kind = "X.500 Name"; value = dn_text(name->d.directoryName); break;
        case GEN_EDIPARTY: {
            kind = "EDI Party Name";
            const EDIPARTYNAME* edi = name->d.ediPartyName;
            std::string assigner = edi ? utf8_text(edi->nameAssigner) : std::string();
            std::string party = edi ? utf8_text(edi->partyName) : std::string();
            if (!assigner.empty()) value += assigner + "\n";
            if (!party.empty()) value += party + "\n";
            break;
        }
        case GEN_URI: kind = "URI"; value = raw_text(name->d.uniformResourceIdentifier); break;
        case GEN_IPADD: {
            kind = "IP Address";
            const ASN1_OCTET_STRING* ip = name->d.iPAddress;
            const unsigned char* b = ip ? ASN1_STRING_get0_data(ip) : nullptr;
            const int length = ip ? ASN1_STRING_length(ip) : 0;
            char part[16];
            if (length == 4) {
                std::snprintf(part, sizeof part, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
                value = part;
            } else if (length == 16) {
                for (int k = 0; k < 8; ++k) {
                    std::snprintf(part, sizeof part, "%X", (b[2 * k] << 8) | b[2 * k + 1]);
                    if (k) value += ":";
                    value += part;
                }
            } else {
                value = hex_of(b, length);
            }
            break;
        }
        case GEN_RID: kind = "Registered OID"; value = object_short_name(OBJ_obj2nid(name->d.registeredID)); break;
        default: break;
    }
    return kind + "=" + value + "\n";
}

std::string authority_info_access_text(const AUTHORITY_INFO_ACCESS* aia) {
    std::string text;
    for (int i = 0; aia && i < sk_ACCESS_DESCRIPTION_num(aia); ++i) {
        const ACCESS_DESCRIPTION* ad = sk_ACCESS_DESCRIPTION_value(aia, i);
        text += "[" + std::to_string(i + 1) + "]Authority Info Access\n    Access Method=";
        const int nid = OBJ_obj2nid(ad->method);
        if (nid == NID_ad_OCSP)
            text += "OCSP Responder (" + dotted_oid(ad->method) + ")\n";
        else if (nid == NID_ad_ca_issuers)
            text += "CA Issuers (" + dotted_oid(ad->method) + ")\n";
        else
            text += object_short_name(nid) + "\n";
        std::string location = general_name_text(ad->location);
        if (ad->location && ad->location->type == GEN_URI) location = location.substr(4);
        text += "    Alternative Name:\n        URL=" + location;
    }
    return text;
}

std::string crl_dist_points_text(const CRL_DIST_POINTS* points) {
    const std::string p = "    ";
    std::string text;
    bool any_name = false;
    for (int i = 0; points && i < sk_DIST_POINT_num(points); ++i) {
        const DIST_POINT* point = sk_DIST_POINT_value(points, i);
        text += "[" + std::to_string(i + 1) + "]CRL Distribution Point\n" + p + "Distribution Point Name:\n";
        const DIST_POINT_NAME* dpn = point->distpoint;
        if (!dpn) continue;
        any_name = true;
        if (dpn->type == 0) {
            text += p + p + "Full Name:\n";
            for (int k = 0; k < sk_GENERAL_NAME_num(dpn->name.fullname); ++k)
                text += p + p + p + general_name_text(sk_GENERAL_NAME_value(dpn->name.fullname, k)) + "\n";
        } else {
            X509_NAME* relative = X509_NAME_new();
            for (int k = 0; relative && k < sk_X509_NAME_ENTRY_num(dpn->name.relativename); ++k)
                X509_NAME_add_entry(relative, sk_X509_NAME_ENTRY_value(dpn->name.relativename, k), -1, 0);
            text += p + p + "Relative Name:\n" + p + p + p + dn_text(relative) + "\n";
            X509_NAME_free(relative);
        }
    }
    return any_name ? text : std::string();
}

std::string cert_policies_text(const CERTIFICATEPOLICIES* policies) {
    std::string text;
    for (int d = 0; policies && d < sk_POLICYINFO_num(policies); ++d) {
        const POLICYINFO* info = sk_POLICYINFO_value(policies, d);
        const std::string dn = std::to_string(d + 1);
        text += "[" + dn + "]Certificate Policy:\n    Policy Identifier=" + dotted_oid(info->policyid) + "\n";
        for (int j = 0; info->qualifiers && j < sk_POLICYQUALINFO_num(info->qualifiers); ++j) {
            const POLICYQUALINFO* q = sk_POLICYQUALINFO_value(info->qualifiers, j);
            text += "    [" + dn + "," + std::to_string(j + 1) + "]Policy Qualifier Info:\n        Policy Qualifier Id=";
            const int nid = OBJ_obj2nid(q->pqualid);
            if (nid == NID_id_qt_cps) {
                text += "CPS\n        Qualifier:\n            " + raw_text(q->d.cpsuri);
            } else if (nid == NID_id_qt_unotice) {
                text += "User Notice\n        Qualifier:\n            ";
                const USERNOTICE* notice = q->d.usernotice;
                if (notice && notice->noticeref) {
                    text += utf8_text(notice->noticeref->organization) + " - ";
                    std::string numbers;
                    for (int k = 0; k < sk_ASN1_INTEGER_num(notice->noticeref->noticenos); ++k) {
                        long number = ASN1_INTEGER_get(sk_ASN1_INTEGER_value(notice->noticeref->noticenos, k));
                        if (number == -1) continue;
                        if (!numbers.empty()) numbers += ", ";
                        numbers += "#" + std::to_string(number);
                    }
                    text += numbers;
                }
                if (notice && notice->exptext) {
                    std::string explicit_text = utf8_text(notice->exptext);
                    if (!explicit_text.empty()) text += "\n    " + explicit_text;
                }
            } else {
                text += std::string(nid != NID_undef ? OBJ_nid2sn(nid) : "") + "\n" + "        Qualifier:\n            " +
                        der_hex(q->d.other, [](const ASN1_TYPE* v, unsigned char** out) {
                            return i2d_ASN1_TYPE(const_cast<ASN1_TYPE*>(v), out);
                        });
            }
            text += "\n";
        }
    }
    return text;
}

void build_x509ui(X509* cert, x509ui& ui) {
    if (!cert) return;
    try {
        build_x509ui_inner(cert, ui);
    } catch (const std::exception&) {
        diag_print("%s", "failed to parse cert to ui string");
        throw;
    }
}

void x509ui_from_file(const std::wstring& path, x509ui& ui) {
    const std::string narrow = wide_to_utf8(path);
    X509* cert = load_certificate_file(narrow.c_str());
    if (!cert) throw_ex_fmt("%s(), parse cert failed: %s", "", narrow.c_str());
    try {
        build_x509ui(cert, ui);
    } catch (...) {
        X509_free(cert);
        throw;
    }
    X509_free(cert);
}

std::wstring cert_display_name(const std::wstring& cn, const std::wstring& dn) {
    if (!cn.empty()) return cn;
    const std::wstring::size_type at = dn.find(L"O = ");
    if (at == std::wstring::npos) return std::wstring();
    const std::wstring::size_type start = at + 4;
    const std::wstring::size_type end = dn.find(L'\n', start);
    return dn.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

void fill_cert_info(X509* cert, cert_info& info) {
    if (!cert) return;
    info.subject = utf8_to_wide(first_display_value(X509_get_subject_name(cert)));
    info.issuer = utf8_to_wide(first_display_value(X509_get_issuer_name(cert)));
    info.sn = hex_of(X509_get0_serialNumber(cert));
    int error = 0;
    const int64_t end = asn1_time_to_epoch(X509_get0_notAfter(cert), &error);
    char* text = time_to_text(end);
    info.expired = text ? text : "";
    std::free(text);
}

std::pair<std::string, std::wstring> x509ui_skid_and_name(const x509ui& ui) {
    return {ui.subject_key_id, flatten_lines(ui.subject_dn)};
}

std::pair<std::string, std::wstring> x509_akid_and_issuer_name(X509* cert) {
    if (!cert) return {};
    x509ui ui;
    build_x509ui(cert, ui);
    return {ui.authority_key_id, flatten_lines(ui.issuer_dn)};
}
