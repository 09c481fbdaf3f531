#pragma once
// Signed PDFs made at test time: a signature field created with the PDF
// layer on a minimal PDF and saved incrementally, its byte ranges written,
// the covered bytes signed by openssl (or any signer the test gives) and the
// signature written as hex into /Contents. Also a small PKI (root CA, RSA and
// EC signers, a time-stamp authority, an OCSP index) to sign with, and a way
// to add a /DSS /VRI entry with OCSP responses.
#include <functional>
#include <string>
#include <vector>

#include "document/pdf_layer.h"
#include "support/test_support.h"

namespace sigfix {

// The PKI in a scratch folder: ca.pem/ca.key (root), rsa.pem/rsa.key and
// ec.pem/ec.key (signers issued by the root), tsa.pem/tsa.key (time-stamp
// authority issued by the root, ts.cnf), self.pem/self.key (self-signed
// signer), ocsp.pem/ocsp.key (OCSP responder issued by the root), rogue.pem/
// rogue.key (an OCSP responder issued by self.pem), index.txt (OCSP database
// listing rsa.pem and ec.pem as good).
struct pki {
    pki();
    testsupport::scratch_dir dir;
    bool ok = false;
    std::string log;
    std::string f(const std::string& name) const { return dir.file(name); }
    // Runs a shell command inside the folder; false (with the output in log) on failure.
    bool sh(const std::string& command);
};

// How the new field's signature dictionary differs from what the layer writes.
struct field_options {
    std::string name = "Signature1";
    std::string time = "D:20240102030405+08'00'";
    FS_RECTF rect{100, 200, 180, 150};
    int timestamp_only = 0;           // /SubFilter ETSI.RFC3161
    int contents_size = 8192;         // placeholder bytes
    std::string subfilter;            // replaces /SubFilter when not empty
    std::string filter;               // replaces /Filter when not empty
    std::vector<std::string> certs;   // DER certificates for /Cert
    // A prepared field: /Contents (0) and these byte ranges, nothing to sign.
    bool prepared_only = false;
    std::vector<long long> prepared_ranges{0, 100, 101, 200};
    // The signature dictionary written inside the field's own object
    // instead of as an object of its own.
    bool direct_value = false;
    // Certification (DocMDP /P 1..3 when certify is 1) and /Lock of the field.
    int certify = 0;
    int permission = 0;
    int lock = 0;
};

// Adds the field to page 0 of the PDF bytes and saves incrementally.
// Empty on failure.
std::string add_field(const std::string& pdf, const field_options& options);

// Offsets of the placeholder /Contents string of the last field: `lt` at
// its "<", `gt` just after its ">".
struct placeholder {
    std::size_t lt = 0, gt = 0;
};

// Writes "/ByteRange [0 lt gt rest]" over the placeholder ranges (same
// width) and returns the placeholder; false when not found.
bool set_byte_ranges(std::string& pdf, placeholder* where);

// The bytes the ranges cover.
std::string covered_bytes(const std::string& pdf, const placeholder& where);

// Writes the value as upper-case hex into the placeholder, padded with "0".
bool put_contents(std::string& pdf, const placeholder& where, const std::string& value);

// Upper-case hex of the bytes.
std::string bytes_to_hex_upper(const std::string& bytes);

// A signer: covered bytes in, signature bytes out ("" on failure).
using signer_fn = std::function<std::string(const std::string& data)>;

// add_field + set_byte_ranges + sign + put_contents. Empty on failure.
std::string sign_pdf(const std::string& pdf, const field_options& options, const signer_fn& signer);

// Detached CMS signature (DER) by <name>.pem/<name>.key of the PKI; extra:
// more "openssl cms -sign" arguments (e.g. "-certfile ca.pem").
std::string cms_sign(pki& p, const std::string& name, const std::string& data, const std::string& extra = "");
// An RFC 3161 token (DER) of the PKI's TSA over the data (SHA-256).
std::string ts_token(pki& p, const std::string& data);
// A raw PKCS#1 v1.5 SHA-1 signature of the data by <name>.key, wrapped in a
// DER OCTET STRING as adbe.x509.rsa_sha1 stores it.
std::string pkcs1_sha1_value(pki& p, const std::string& name, const std::string& data);
// DER of a certificate file of the PKI.
std::string cert_der(pki& p, const std::string& name);
// An OCSP response (DER) for <name>.pem, valid for `days`, signed by
// <responder>.pem: "ca" (the issuer), "ocsp" (a responder the root delegated,
// id-kp-OCSPSigning), "rogue" (a responder of that name and usage issued by
// the self-signed "self"), or any other certificate of the PKI.
std::string ocsp_response(pki& p, const std::string& name, int days = 30, const std::string& responder = "ca");

// Adds /DSS << /VRI << /<key> << /OCSP [streams] >> >> >> to the catalog and
// saves incrementally. Empty on failure.
std::string add_vri_ocsps(const std::string& pdf, const std::string& vri_key,
                          const std::vector<std::string>& responses);

// An incremental update that adds a field "Copied" whose signature
// dictionary copies /Contents and /ByteRange of the signature in field
// `index` but carries its own /Reason, /Location, /ContactInfo and /M; with
// `drop_original` the copied field leaves the form. `direct_value` writes the
// new dictionary inside the new field's object. Empty on failure.
std::string add_copied_signature(const std::string& pdf, int index, bool drop_original, bool direct_value);

// The /VRI key of the signature in field `index`: upper-case hex SHA-1 of
// its /Contents bytes as stored.
std::string vri_key_of(const std::string& pdf, int index);

}  // namespace sigfix
