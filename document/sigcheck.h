#pragma once
// Reading every signature field of a PDF: its type, its signature bytes, the
// cryptographic verdict over the bytes its /ByteRange names, and what the
// panels and dialogs show about the field. One `sigcheck_record` per field.
//
// The PDF layer is called with `pdf_library_lock` held around each batch of
// calls (never around the crypto work), so a page paint on the UI thread is
// not blocked for the length of a verification.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <openssl/x509.h>

#include "crypto/byte_source.h"
#include "crypto/sigerr.h"
#include "document/pdf_layer.h"

// Signature type names.
extern const char* const dstn_pkcs7;      // "dstn_pkcs7": detached PKCS#7 / CAdES
extern const char* const dstn_rfc3161ts;  // "dstn_rfc3161ts": RFC 3161 document time stamp
extern const char* const dstn_pkcs1;      // "dstn_pkcs1": raw PKCS#1 value (adbe.x509.rsa_sha1)
extern const char* const dstn_gm_ses;     // "dstn_gm_ses": GM/T 0031 seal signature
extern const char* const dstn_gm_val;     // "dstn_gm_val": GM signature value with /Cert
extern const char* const dstn_unsup;      // "dstn_unsup": not supported

// One signature field. The array is allocated in one piece with calloc and
// freed with free_sigcheck_records.
struct sigcheck_record {
    int32_t status;           // sigerr code
    char type[256];           // type name, or "SubFilter - Filter" when unsupported
    unsigned char* contents;  // malloc'ed /V /Contents (decoded Base64, or a rewrapped PKCS#7)
    uint32_t contents_len;
    char mtime[32];           // /V /M as stored
    char reason[1024];        // UTF-8
    char location[1024];
    char contact[1024];
    char field_name[1024];
    int32_t page_index;       // -1 when no page holds the widget
    int32_t rotation;         // the page's /Rotate in degrees
    int32_t locked;
    int32_t ltv_enabled;
    int32_t certified;
    int32_t permission;       // DocMDP /P 1..3, 0 when none
    float rect[4];            // x0, y0, x1, y1 with y0 <= y1
    int32_t empty_field;      // 1: a signature field without a value (/V), not a signature
    int64_t signed_end;       // where the signed ranges end (the length of the signed revision); 0 when unsound
};

// Fills *records (calloc'ed) and *count with one record per signature field,
// in the order of the form's field list, then runs check_ltv over them.
// Each field is verified inside its own error boundary: a failure while
// reading or verifying one field gives that record status -1 and the next
// field is still verified. No fields: *records null, *count 0.
void verify_all_signatures(FPDF_DOCUMENT doc, sigcheck_record** records, const std::wstring& path,
                           int32_t* count);

// Writes the type name, or the filter text "SubFilter - Filter" (bounded to
// 255 bytes) for an unsupported field, into the 256-byte buffer.
void signature_type_of(FPDF_SIGNATURE sig, char* type);
// The GM types: "dstn_gm_ses" when the lower-case filter text names a seal,
// "dstn_gm_val" when /Contents is an SM2 signature value and /Cert holds a
// certificate; else the buffer is left alone.
void gm_type_of(FPDF_SIGNATURE sig, char* type, const std::string& lower_filter, std::size_t size);

// The certificates of /V /Cert in order (decoded DER, PEM or Base64), or null
// when there are none. Free with sk_X509_pop_free(list, X509_free).
STACK_OF(X509)* certs_of_signature(FPDF_SIGNATURE sig);

// Outcome of read_byterange_data.
enum byterange_result : int {
    byterange_read = 0,       // *data holds the signed bytes
    byterange_unsound = 1,    // ranges that do not describe a signed PDF: the signature is not valid
    byterange_no_data = -1,   // fewer than four values, or the file cannot be read as a stream
};

// Reads the bytes the byte ranges name from the file. The ranges must be
// exactly two pairs (offset, length), non-negative, inside the file (64-bit
// sums), the first starting at 0, and the gap between them must be exactly
// the field's /Contents hex string ("<" ... ">"), decoding to `raw_contents`
// (the /Contents bytes as stored). *data is malloc'ed (the caller frees it).
// Throws exceptionex "file is not readable" when the file cannot be read, and
// "(), fread return len is not as expected" on a short read.
int read_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents,
                        uint32_t raw_length, unsigned char** data, const std::wstring& path, uint32_t* length);
// The same checks, but the signed bytes are not read here: *data becomes a
// source that reads them from the open file in blocks as a check asks for
// them (a failed read shows in its failed()). Verification uses this form,
// so no buffer of the file's size is made.
int open_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents,
                        uint32_t raw_length, const std::wstring& path, std::unique_ptr<byte_source>* data);
// The same over the bytes the open document was read from (its own open
// stream, or its memory): a file renamed over the path since it was opened is
// never judged in its place. Verification uses this form whenever the
// document has such bytes.
int open_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents,
                        uint32_t raw_length, FPDF_DOCUMENT doc, std::unique_ptr<byte_source>* data);

// Sets r.status by r.type over the signed data. PKCS#1 and GM values are
// replaced by a PKCS#7 in r.contents when they verify.
void verify_by_type(sigcheck_record& r, const unsigned char* data, const uint32_t* length, FPDF_SIGNATURE* sig);
void verify_by_type(sigcheck_record& r, byte_source& data, FPDF_SIGNATURE* sig);

// A raw PKCS#1 value: sigerr code; on success the contents become a PKCS#7.
int32_t verify_pkcs1(FPDF_SIGNATURE* sig, const unsigned char* data, uint32_t length, unsigned char** contents,
                     uint32_t* contents_length);
int32_t verify_pkcs1(FPDF_SIGNATURE* sig, byte_source& data, unsigned char** contents, uint32_t* contents_length);

// Time, texts, page, rotation, lock, certification and rectangle of a field.
void fill_sigcheck_fields(FPDF_SIGNATURE* sig, sigcheck_record& r, FPDF_DOCUMENT* doc);

// Frees every record's contents and the array; sets both to null / 0.
void free_sigcheck_records(sigcheck_record** records, int32_t* count);

// ---- long-term validation ----------------------------------------------------

// Sets ltv_enabled of every record: 1 when the signature's revocation
// archive, or else the document's /DSS /VRI entry for it, shows the signer
// good at the signing time. Each record is judged on its own; a failure
// leaves that record at 0.
void check_ltv(FPDF_DOCUMENT doc, sigcheck_record* records, int32_t count);

// Largest /VRI OCSP response read; a longer one leaves the record not enabled.
constexpr unsigned long kMaxVriOcspBytes = 1024 * 1024;

// The OCSP responses of /DSS /VRI /<vri_key> /OCSP checked for the chain's
// signer at the signing time (local time text): *flag 1 when one of them
// shows it good. An empty, oversized or undecodable response leaves *flag 0.
void read_vri_ocsps(STACK_OF(X509)* chain, const char* signing_time, FPDF_DOCUMENT doc,
                    const std::string& vri_key, int32_t* flag);
