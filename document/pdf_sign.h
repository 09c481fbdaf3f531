#pragma once
// Signing one PDF file into an output file: a new signature field with a
// placeholder, an incremental save, the real /ByteRange written into the saved
// bytes, the signature computed over the ranges and written hex-encoded into
// the placeholder. A signature longer than its placeholder repeats the attempt
// with a larger one. The source is never modified; the output is written once,
// complete, and only on success.
//
// The entry points follow the result convention (they end by throwing
// exceptionex; "Succeed" is success). They run on the sign worker; every save
// goes through the process-wide save buffer, so two signings must not overlap.
#include <cstddef>
#include <cstdint>
#include <string>

#include "document/pdf_layer.h"
#include "document/sign_params.h"

void sign_with_pfx(const std::wstring& src, const char* pfx_path, const char* password, const char* tsurl,
                   const std::wstring& dst, const sign_params* params);
void sign_with_syscert(const std::wstring& src, const char* store, const std::wstring& issuer,
                       const std::wstring& subject, const char* serial, const char* tsurl,
                       const std::wstring& dst, const sign_params* params);
void sign_doc_timestamp(const std::wstring& src, const char* tsurl, const std::wstring& dst,
                        const sign_params* params);

// One attempt on the file at `path` (read, never written): creates the field with a placeholder of
// `placeholder_bytes`, saves incrementally and fixes /ByteRange. *saved points
// into the process-wide save buffer (valid until the next save); *signed_data
// is a new malloc'ed buffer the caller frees; *contents_pos is the offset of
// the first hex digit of /Contents in the saved bytes.
void prepare_signature(const std::wstring& path, const sign_params* params, int placeholder_bytes,
                       const unsigned char** saved, std::size_t* saved_length, unsigned char** signed_data,
                       std::size_t* signed_length, std::size_t* contents_pos);

// Whether a signature field of the document is named `utf8_name` (its /T).
// Throws "exist field name > max field name length" for a name that cannot be read.
bool field_name_exists(FPDF_DOCUMENT doc, const char* utf8_name);
// Writes "Signature<n>" into the 256-byte buffer, n one above the highest
// number any "Signature<n>" field of the document has (1 when none).
void new_field_name(FPDF_DOCUMENT doc, char* name_256);

// The bytes [0, ranges[1]) and [ranges[2], ranges[2] + ranges[3]) joined, as a
// new malloc'ed buffer; false when a range lies outside the saved bytes.
bool concat_byte_ranges(const int64_t ranges[4], const unsigned char* saved, std::size_t saved_length,
                        unsigned char** data, std::size_t* data_length);

// Placeholder sizes in hexadecimal digits.
constexpr int kPlaceholderSelfSigned = 4096;
constexpr int kPlaceholderIssued = 8192;
constexpr int kPlaceholderTimestampExtra = 14524;
constexpr int kPlaceholderDocTimestamp = 8192;

// For tests: when above 0, the first placeholder of every signing has this
// many hex digits; sign_attempts_of_last_signing tells how many attempts the
// last signing took.
extern int sign_placeholder_override;
int sign_attempts_of_last_signing();

// Installs the signing functions in the document services table.
void register_pdf_signing();
