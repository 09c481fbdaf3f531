#pragma once
// Signing one PDF file into an output file: the source's bytes are copied
// (by the kernel) to a temporary file beside the output, a new signature field
// with a placeholder is appended to it as an incremental update, the real
// /ByteRange is written into the update, the signature is computed over the
// ranges read back from the file in blocks and written hex-encoded into the
// placeholder, and the file is flushed and renamed onto the output. A
// signature longer than its placeholder rewrites only the update with a larger
// one. Memory stays flat whatever the size of the document; the source is
// never modified; the output appears only complete, and only on success.
//
// The entry points follow the result convention (they end by throwing
// exceptionex; "Succeed" is success). They run on the sign worker.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
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

// Where the signature goes in a prepared file.
struct signature_layout {
    uint64_t length = 0;        // the file's length with the update
    uint64_t contents_pos = 0;  // offset of the first hex digit of /Contents
    int64_t byte_ranges[4] = {0, 0, 0, 0};
};

// One attempt on the working copy at `path`, open read-write as `fd`, which
// holds exactly the source's bytes: opens it (the library reads it as it
// needs it), creates the field with a placeholder of `placeholder_bytes`,
// appends the incremental update to the file and writes the real /ByteRange
// into it. A write that fails throws signing_write_error.
void prepare_signature(const std::wstring& path, int fd, const sign_params* params, int placeholder_bytes,
                       signature_layout* layout);

// The failure of a write to the signed file, with its errno.
struct signing_write_error : std::runtime_error {
    signing_write_error(int error_number, const std::string& what)
        : std::runtime_error(what), error(error_number) {}
    int error;
};

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
