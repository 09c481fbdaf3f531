#pragma once
// A certificate prepared for display: ready-made texts for every part of it.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

struct cert_info;

struct x509ui {
    std::wstring subject_cn;
    std::wstring subject_dn;
    std::string subject_email;
    std::wstring issuer_dn;
    std::wstring issuer_cn;
    std::string not_before;
    std::string not_after;
    std::string key_usage;
    std::string version;
    std::string sig_alg;
    std::string sig_alg_number;
    std::string signature_hex;
    std::string serial_hex;
    std::string cert_policies;
    std::wstring subject_alt_names;
    std::string crl_dist_points;
    std::string authority_info_access;
    std::string authority_key_id;
    std::string subject_key_id;
    std::string basic_constraints;
    std::vector<int32_t> ext_key_usages;
    std::string key_text;
    std::string public_key_hex;
    std::string certid;
    std::vector<unsigned char> der;  // the certificate's DER (der_len is its size)

    uint32_t der_len() const { return static_cast<uint32_t>(der.size()); }
};

// Purpose codes of ext_key_usages.
enum : int32_t {
    eku_other = 0, eku_server_auth = 1, eku_client_auth = 2, eku_code_signing = 3,
    eku_email_protection = 4, eku_time_stamping = 5, eku_ocsp_signing = 6,
};

// Fills every member; a null certificate leaves the record untouched. On an
// exception prints "failed to parse cert to ui string" and passes it on.
void build_x509ui(X509* cert, x509ui& ui);

// load_certificate_file + build_x509ui; throws "(), parse cert failed: <path>".
void x509ui_from_file(const std::wstring& path, x509ui& ui);

// The CN, else the organisation line ("O = ...") of the DN text, else "".
std::wstring cert_display_name(const std::wstring& cn, const std::wstring& dn);

// subject, issuer, sn, expired of the record (der is not set).
void fill_cert_info(X509* cert, cert_info& info);

// (subject_key_id, subject_dn with line feeds replaced by blanks)
std::pair<std::string, std::wstring> x509ui_skid_and_name(const x509ui& ui);
// (authority_key_id, issuer_dn with line feeds replaced by blanks); empty for null.
std::pair<std::string, std::wstring> x509_akid_and_issuer_name(X509* cert);

// Entries last to first as "SN = value", one per line.
std::string dn_text(const X509_NAME* name);
// "kind=value\n"
std::string general_name_text(const GENERAL_NAME* name);
// The short name shown for an object, "" outside the display table.
std::string object_short_name(int nid);

// Extension texts (exposed for their tests).
std::string authority_info_access_text(const AUTHORITY_INFO_ACCESS* aia);
std::string crl_dist_points_text(const CRL_DIST_POINTS* points);
std::string cert_policies_text(const CERTIFICATEPOLICIES* policies);
