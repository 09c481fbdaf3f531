// Reading and verifying the signature fields of a PDF.
#include "document/sigcheck.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>

#include <unistd.h>

#include <openssl/asn1.h>
#include <openssl/pkcs7.h>

#include "app/diagnostics.h"
#include "app/encoding.h"
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/digests.h"
#include "crypto/ses_seal.h"
#include "crypto/signature_verify.h"
#include "crypto/timestamp_verify.h"
#include "document/pdf_layer_mupdf.h"
#include "platform/owned.h"

const char* const dstn_pkcs7 = "dstn_pkcs7";
const char* const dstn_rfc3161ts = "dstn_rfc3161ts";
const char* const dstn_pkcs1 = "dstn_pkcs1";
const char* const dstn_gm_ses = "dstn_gm_ses";
const char* const dstn_gm_val = "dstn_gm_val";
const char* const dstn_unsup = "dstn_unsup";

namespace {

using library_guard = std::lock_guard<std::recursive_mutex>;

using malloc_ptr = malloced<unsigned char>;

using x509_stack_ptr = owned<STACK_OF(X509)>;

// A name getter read into a 260-byte buffer; a name that does not fit reads
// as empty.
std::string read_name(unsigned long (*getter)(FPDF_SIGNATURE, char*, unsigned long), FPDF_SIGNATURE sig) {
    char buffer[260] = {0};
    unsigned long needed = getter(sig, buffer, sizeof buffer);
    if (needed == 0 || needed > sizeof buffer) return "";
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

void copy_bounded(char* dst, std::size_t size, const std::string& text) {
    std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(dst, text.data(), n);
    dst[n] = 0;
}

// UTF-16LE bytes (up to a two-byte terminator) to wide text; lone
// surrogates become U+FFFD.
std::wstring utf16le_to_wide(const unsigned char* bytes, std::size_t length) {
    std::wstring out;
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        unsigned u = bytes[i] | (bytes[i + 1] << 8);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < length) {
            unsigned lo = bytes[i + 2] | (bytes[i + 3] << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
        out += static_cast<wchar_t>(u);
    }
    return out;
}

// A UTF-16 text getter into a 1024-byte member, then the member rewritten as
// UTF-8. A text whose UTF-16 form does not fit stays empty; a UTF-8 form
// longer than 1023 bytes is cut after its last whole character that fits.
void read_text_member(unsigned long (*getter)(FPDF_SIGNATURE, void*, unsigned long), FPDF_SIGNATURE sig,
                      char* member) {
    const std::size_t size = 1024;
    std::memset(member, 0, size);
    unsigned char utf16[size] = {0};
    unsigned long needed = getter(sig, utf16, size);
    if (needed == 0 || needed > size) return;
    std::string utf8 = wide_to_utf8(utf16le_to_wide(utf16, size));
    std::size_t n = std::min(utf8.size(), size - 1);
    while (n > 0 && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80) --n;
    std::memcpy(member, utf8.data(), n);
    member[n] = 0;
}

int hex_value(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The gap text is exactly one PDF hex string whose bytes are `raw`.
bool gap_is_contents_string(const std::vector<unsigned char>& gap, const unsigned char* raw, uint32_t raw_length) {
    if (gap.size() < 2 || gap.front() != '<' || gap.back() != '>') return false;
    std::size_t out = 0;
    int high = -1;
    for (std::size_t i = 1; i + 1 < gap.size(); ++i) {
        int c = gap[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == 0) continue;
        int v = hex_value(c);
        if (v < 0) return false;
        if (high < 0) {
            high = v;
            continue;
        }
        if (out >= raw_length || raw[out] != ((high << 4) | v)) return false;
        ++out;
        high = -1;
    }
    if (high >= 0) {  // an odd last digit stands for its high half
        if (out >= raw_length || raw[out] != (high << 4)) return false;
        ++out;
    }
    return out == raw_length;
}

bool read_exactly(FILE* f, int64_t offset, unsigned char* out, int64_t length) {
    if (fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return length == 0 || std::fread(out, 1, static_cast<std::size_t>(length), f) == static_cast<std::size_t>(length);
}

// Where signed bytes come from: a file opened by path, or the document's own
// open stream (the bytes it was read from, even when the path now names
// another file).
using signed_bytes_reader = std::function<bool(int64_t offset, unsigned char* out, int64_t length)>;

// The two signed ranges [0, first) and [second, second + second_length),
// read as a check asks for them.
class byterange_source : public byte_source {
public:
    byterange_source(signed_bytes_reader reader, int64_t first, int64_t second, int64_t second_length)
        : reader_(std::move(reader)), first_(first), second_(second), second_length_(second_length) {}
    uint64_t size() const override { return static_cast<uint64_t>(first_ + second_length_); }

protected:
    bool read_bytes(uint64_t offset, unsigned char* out, std::size_t length) override {
        // A block takes milliseconds; the ranges of a large file take
        // seconds, which shutdown does not wait for: the check ends failed.
        if (stop_workers.load()) return false;
        const auto at = static_cast<int64_t>(offset);
        auto n = static_cast<int64_t>(length);
        if (at < first_) {
            const int64_t here = std::min(n, first_ - at);
            if (!reader_(at, out, here)) return false;
            out += here;
            n -= here;
            return n == 0 || reader_(second_, out, n);
        }
        return reader_(second_ + (at - first_), out, n);
    }

private:
    signed_bytes_reader reader_;
    int64_t first_, second_, second_length_;
};

// The range checks of open_byterange_data over any reader of `size` bytes.
int open_ranges(const std::vector<int64_t>& ranges, const unsigned char* raw_contents, uint32_t raw_length,
                int64_t size, signed_bytes_reader reader, std::unique_ptr<byte_source>* data) {
    if (ranges.size() < 4) return byterange_no_data;
    if (ranges.size() != 4) return byterange_unsound;
    const int64_t r0 = ranges[0], r1 = ranges[1], r2 = ranges[2], r3 = ranges[3];
    // Every sum below stays far from overflow: each term is checked against
    // the file size first.
    if (r0 != 0 || r1 < 0 || r2 < 0 || r3 < 0) return byterange_unsound;
    if (r1 > size || r2 > size || r3 > size - r2 || r1 > r2) return byterange_unsound;
    if (r1 + r3 > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) return byterange_no_data;

    std::vector<unsigned char> gap(static_cast<std::size_t>(r2 - r1));
    if (!reader(r1, gap.data(), r2 - r1)) throw_ex_fmt("%s(), fread return len is not as expected", "");
    if (!gap_is_contents_string(gap, raw_contents, raw_length)) return byterange_unsound;
    std::vector<unsigned char>().swap(gap);

    *data = std::make_unique<byterange_source>(std::move(reader), r1, r2, r3);
    return byterange_read;
}

int32_t verify_document_timestamp(const sigcheck_record& r, byte_source& data) {
    PKCS7* token = parse_pkcs7_der(r.contents, r.contents_len);
    if (!token) return sigerr_sigdata;
    int32_t status = sigerr_unknown;
    if (data.size() != 0) {
        std::vector<chain_status> chain;
        try {
            status = verify_timestamp_token(data, token, chain);
        } catch (const std::exception& ex) {
            // The token's own certificate or its chain is missing: a failure
            // of this signature only.
            diag_error("", ex.what());
            status = sigerr_unknown;
        }
    }
    PKCS7_free(token);
    return status;
}

// A raw signature value in /Contents is followed by the zero bytes that fill
// the rest of the reserved space: keep only its first DER element.
void trim_to_first_element(const unsigned char* bytes, uint32_t* length) {
    const unsigned char* p = bytes;
    long inner = 0;
    int tag = 0, cls = 0;
    int ret = ASN1_get_object(&p, &inner, &tag, &cls, static_cast<long>(*length));
    if ((ret & 0x80) || ret == 0x21) return;
    std::size_t total = static_cast<std::size_t>(p - bytes) + static_cast<std::size_t>(inner);
    if (total > 0 && total < *length) *length = static_cast<uint32_t>(total);
}

int32_t verify_gm_value(sigcheck_record& r, byte_source& data, FPDF_SIGNATURE sig) {
    if (!r.contents || !r.contents_len || data.size() == 0) return sigerr_unknown;
    x509_stack_ptr certs(certs_of_signature(sig));
    if (!certs || sk_X509_num(certs.get()) < 1) return sigerr_no_certificate;
    trim_to_first_element(r.contents, &r.contents_len);
    sigval_to_octet_string(&r.contents, &r.contents_len);
    wrap_raw_signature_as_pkcs7(certs.get(), 5, raw_key_kind_sm2, &r.contents, &r.contents_len);
    if (!r.contents || !r.contents_len) return sigerr_unknown;
    return verify_pkcs7_detached(r.contents, r.contents_len, data);
}

// Steps of one field up to its verification; `raw` receives /Contents as
// stored, `ranges` the byte ranges.
void read_and_verify(FPDF_DOCUMENT doc, FPDF_SIGNATURE sig, sigcheck_record& r, const std::wstring& path,
                     bool* placeholder, std::vector<int64_t>& ranges) {
    std::vector<unsigned char> raw;
    int range_count = 0;
    int64_t contents_start = -1, contents_end = -1;
    bool contents_placed = false;
    signature_type_of(sig, r.type);
    {
        library_guard guard(pdf_library_lock());
        unsigned long n = FPDFSignatureObj_GetContents(sig, nullptr, 0);
        // One spare byte so that a field without contents still has a buffer.
        r.contents = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(n) + 1, 1));
        if (!r.contents) throw_ex_fmt("%s(), sig is null", "");
        if (n) FPDFSignatureObj_GetContents(sig, r.contents, n);
        r.contents_len = static_cast<uint32_t>(n);
        raw.assign(r.contents, r.contents + n);
        range_count = FPDFSignatureObj_GetByteRange64(sig, nullptr, 0);
        if (range_count > 0) {
            ranges.assign(static_cast<std::size_t>(range_count), 0);
            FPDFSignatureObj_GetByteRange64(sig, ranges.data(), static_cast<unsigned long>(range_count));
        }
        contents_placed = FPDFSignatureObj_GetContentsPlace(sig, &contents_start, &contents_end) == 1;
    }
    *placeholder = r.contents_len == 1 && r.contents[0] == '0';
    bool was_base64 = contents_from_base64(&r.contents, &r.contents_len);

    // The signed bytes are not gathered in memory: the check reads them from
    // the file in blocks as it goes.
    std::unique_ptr<byte_source> data;
    int read = byterange_unsound;
    if (range_count >= 0)
        read = pdf_layer_has_source(doc)
                   ? open_byterange_data(ranges, raw.data(), static_cast<uint32_t>(raw.size()), doc, &data)
                   : open_byterange_data(ranges, raw.data(), static_cast<uint32_t>(raw.size()), path, &data);
    // The gap must be this dictionary's own /Contents where it is written in
    // its own object: equal bytes elsewhere (another signature's string,
    // copied into a dictionary with its own reason, place and time) sign
    // nothing this dictionary says.
    if (read == byterange_read &&
        (!contents_placed || ranges[1] != contents_start || ranges[2] != contents_end))
        read = byterange_unsound;
    if (read == byterange_unsound) {
        // Bytes outside the signed ranges other than the signature itself
        // could be changed unseen: the signature does not cover the file.
        r.status = sigerr_invalid;
        return;
    }
    if (read == byterange_read) r.signed_end = ranges[2] + ranges[3];
    memory_byte_source no_data(nullptr, 0);
    byte_source& signed_bytes = data ? *data : no_data;
    verify_by_type(r, signed_bytes, &sig);
    if (signed_bytes.failed()) throw_ex_fmt("%s(), fread return len is not as expected", "");
    if (r.status == sigerr_modified && was_base64) r.status = sigerr_sigcalc_nonstd;
}

}  // namespace

void signature_type_of(FPDF_SIGNATURE sig, char* type) {
    copy_bounded(type, 256, dstn_unsup);
    std::string s, f;
    {
        library_guard guard(pdf_library_lock());
        s = read_name(FPDFSignatureObj_GetSubFilter, sig);
        f = read_name(FPDFSignatureObj_GetFilter, sig);
    }
    std::string joined = s + " - " + f;
    std::string lower = joined;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (contains(joined, "adbe.pkcs7.detached") || contains(joined, "ETSI.CAdES.detached") ||
        contains(lower, "pkcs7.detached"))
        copy_bounded(type, 256, dstn_pkcs7);
    else if (contains(joined, "ETSI.RFC3161") || contains(lower, "rfc3161"))
        copy_bounded(type, 256, dstn_rfc3161ts);
    else if (contains(joined, "adbe.x509.rsa_sha1"))
        copy_bounded(type, 256, dstn_pkcs1);
    else if (contains(lower, "gm"))
        gm_type_of(sig, type, lower, 256);
    if (std::strcmp(type, dstn_unsup) == 0) {
        diag_print("\n\n[ERROR] %s(), filter: %s, subfilter: %s [ERROR]\n", "", f.c_str(), s.c_str());
        copy_bounded(type, 256, joined);
    }
}

void gm_type_of(FPDF_SIGNATURE sig, char* type, const std::string& lower_filter, std::size_t size) {
    if (contains(lower_filter, "seal")) {
        copy_bounded(type, size, dstn_gm_ses);
        return;
    }
    x509_stack_ptr certs(certs_of_signature(sig));
    if (!certs || sk_X509_num(certs.get()) < 1) return;
    std::vector<unsigned char> contents;
    {
        library_guard guard(pdf_library_lock());
        unsigned long n = FPDFSignatureObj_GetContents(sig, nullptr, 0);
        contents.assign(n, 0);
        if (n) FPDFSignatureObj_GetContents(sig, contents.data(), n);
    }
    if (contents.empty()) return;
    const unsigned char* p = contents.data();
    sm2_sigval* value = d2i_sm2_sigval(nullptr, &p, static_cast<long>(contents.size()));
    if (value) {
        copy_bounded(type, size, dstn_gm_val);
        sm2_sigval_free(value);
    }
}

STACK_OF(X509)* certs_of_signature(FPDF_SIGNATURE sig) {
    std::vector<std::vector<unsigned char>> ders;
    {
        library_guard guard(pdf_library_lock());
        int n = FPDFSignatureObj_GetCertCount(sig);
        for (int i = 0; i < n; ++i) {
            unsigned char* bytes = nullptr;
            unsigned long len = FPDFSignatureObj_GetCert(sig, i, &bytes);
            if (!bytes || !len) {
                std::free(bytes);
                break;
            }
            ders.emplace_back(bytes, bytes + len);
            std::free(bytes);
        }
    }
    STACK_OF(X509)* list = nullptr;
    for (const auto& der : ders) {
        X509* cert = decode_certificate(der.data(), der.size(), nullptr);
        if (!cert) continue;
        if (!list) list = sk_X509_new_null();
        if (!list || !sk_X509_push(list, cert)) {
            X509_free(cert);
            break;
        }
    }
    return list;
}

int read_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents, uint32_t raw_length,
                        unsigned char** data, const std::wstring& path, uint32_t* length) {
    *data = nullptr;
    *length = 0;
    std::unique_ptr<byte_source> source;
    const int result = open_byterange_data(ranges, raw_contents, raw_length, path, &source);
    if (result != byterange_read) return result;
    const uint64_t total = source->size();
    malloc_ptr buffer(static_cast<unsigned char*>(std::malloc(total ? static_cast<std::size_t>(total) : 1)));
    if (!buffer) throw_ex_fmt("%s(), out of memory", "");
    if (!source->read(0, buffer.get(), static_cast<std::size_t>(total)))
        throw_ex_fmt("%s(), fread return len is not as expected", "");
    *data = buffer.release();
    *length = static_cast<uint32_t>(total);
    return byterange_read;
}

int open_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents, uint32_t raw_length,
                        const std::wstring& path, std::unique_ptr<byte_source>* data) {
    data->reset();
    std::string file = wide_to_utf8(path);
    if (access(file.c_str(), R_OK) != 0) throw_ex_fmt("file is not readable");
    auto f = std::make_shared<owned<FILE>>(std::fopen(file.c_str(), "rb"));
    if (!*f) return byterange_no_data;
    if (ranges.size() < 4) return byterange_no_data;
    if (fseeko(f->get(), 0, SEEK_END) != 0) return byterange_no_data;
    const int64_t size = static_cast<int64_t>(ftello(f->get()));
    return open_ranges(ranges, raw_contents, raw_length, size,
                       [f](int64_t at, unsigned char* out, int64_t n) { return read_exactly(f->get(), at, out, n); },
                       data);
}

int open_byterange_data(const std::vector<int64_t>& ranges, const unsigned char* raw_contents, uint32_t raw_length,
                        FPDF_DOCUMENT doc, std::unique_ptr<byte_source>* data) {
    data->reset();
    if (!pdf_layer_has_source(doc)) return byterange_no_data;
    const auto size = static_cast<int64_t>(pdf_layer_source_size(doc));
    return open_ranges(ranges, raw_contents, raw_length, size,
                       [doc](int64_t at, unsigned char* out, int64_t n) {
                           return n == 0 || pdf_layer_read_source(doc, static_cast<std::size_t>(at), out,
                                                                  static_cast<std::size_t>(n));
                       },
                       data);
}

void verify_by_type(sigcheck_record& r, const unsigned char* data, const uint32_t* length, FPDF_SIGNATURE* sig) {
    memory_byte_source source(data, length ? *length : 0);
    verify_by_type(r, source, sig);
}

void verify_by_type(sigcheck_record& r, byte_source& data, FPDF_SIGNATURE* sig) {
    const std::string type = r.type;
    if (type == dstn_pkcs7)
        r.status = verify_pkcs7_detached(r.contents, r.contents_len, data);
    else if (type == dstn_rfc3161ts)
        r.status = verify_document_timestamp(r, data);
    else if (type == dstn_pkcs1)
        r.status = verify_pkcs1(sig, data, &r.contents, &r.contents_len);
    else if (type == dstn_gm_ses)
        r.status = verify_ses_signature(r.contents, r.contents_len, data);
    else if (type == dstn_gm_val)
        r.status = verify_gm_value(r, data, sig ? *sig : nullptr);
    else
        r.status = sigerr_notsup_type;
}

int32_t verify_pkcs1(FPDF_SIGNATURE* sig, const unsigned char* data, uint32_t length, unsigned char** contents,
                     uint32_t* contents_length) {
    memory_byte_source source(data, length);
    return verify_pkcs1(sig, source, contents, contents_length);
}

int32_t verify_pkcs1(FPDF_SIGNATURE* sig, byte_source& data, unsigned char** contents, uint32_t* contents_length) {
    if (!contents || !*contents || !contents_length || !*contents_length || data.size() == 0 || !sig)
        return sigerr_unknown;
    x509_stack_ptr certs(certs_of_signature(*sig));
    if (!certs || sk_X509_num(certs.get()) < 1) return sigerr_no_certificate;
    trim_to_first_element(*contents, contents_length);
    sigval_to_octet_string(contents, contents_length);
    if (!*contents || !*contents_length) return sigerr_unknown;
    int kind = 0;
    unsigned char* signed_digest = nullptr;
    uint32_t signed_len = 0;
    if (!recover_pkcs1_digest(*contents, *contents_length, sk_X509_value(certs.get(), 0), &kind, &signed_digest,
                              &signed_len))
        return sigerr_sigdata;
    malloc_ptr signed_owner(signed_digest);
    if (!signed_digest || !signed_len) return sigerr_modified;
    int nid = 0;
    switch (kind) {
        case 1: nid = NID_sha1; break;
        case 2: nid = NID_sha256; break;
        case 3: nid = NID_sha384; break;
        case 4: nid = NID_sha512; break;
        case 5: nid = NID_sm3; break;
        default: nid = 0;
    }
    unsigned char* computed = nullptr;
    uint32_t computed_len = 0;
    digest_source_by_name(data, digest_alg_name(nid), &computed, &computed_len);
    malloc_ptr computed_owner(computed);
    if (!computed || !computed_len) return sigerr_modified;
    // A signed digest of another length than the digest it names cannot match.
    if (computed_len != signed_len || std::memcmp(signed_digest, computed, signed_len) != 0) return sigerr_modified;
    wrap_raw_signature_as_pkcs7(certs.get(), kind, raw_key_kind_rsa, contents, contents_length);
    return (*contents && *contents_length) ? sigerr_okay : sigerr_unknown;
}

void fill_sigcheck_fields(FPDF_SIGNATURE* sig, sigcheck_record& r, FPDF_DOCUMENT* doc) {
    library_guard guard(pdf_library_lock());
    std::memset(r.mtime, 0, sizeof r.mtime);
    unsigned long needed = FPDFSignatureObj_GetTime(*sig, r.mtime, sizeof r.mtime);
    if (needed > sizeof r.mtime) r.mtime[0] = 0;
    r.mtime[sizeof r.mtime - 1] = 0;
    read_text_member(FPDFSignatureObj_GetReason, *sig, r.reason);
    read_text_member(FPDFSignatureObj_GetLocation, *sig, r.location);
    read_text_member(FPDFSignatureObj_GetContactInfo, *sig, r.contact);
    read_text_member(FPDFSignatureObj_GetFieldName, *sig, r.field_name);
    r.page_index = FPDFSignatureObj_GetPageIndex(*doc, *sig);
    r.locked = FPDFSignatureObj_IsLocked(*sig);
    r.permission = static_cast<int32_t>(FPDFSignatureObj_GetDocMDPPermission(*sig));
    r.certified = r.permission > 0 ? 1 : 0;
    r.rotation = FPDFSignatureObj_GetPageRotation(*sig);
    FS_RECTF rect{0, 0, 0, 0};
    FPDFSignatureObj_GetRect(*sig, &rect);
    r.rect[0] = rect.left;
    r.rect[1] = std::min(rect.top, rect.bottom);
    r.rect[2] = rect.right;
    r.rect[3] = std::max(rect.top, rect.bottom);
}

void verify_all_signatures(FPDF_DOCUMENT doc, sigcheck_record** records, const std::wstring& path,
                           int32_t* count) {
    *records = nullptr;
    *count = 0;
    int n = 0;
    {
        library_guard guard(pdf_library_lock());
        n = FPDF_GetSignatureCount(doc);
    }
    if (n <= 0) return;
    auto* list = static_cast<sigcheck_record*>(std::calloc(static_cast<std::size_t>(n), sizeof(sigcheck_record)));
    if (!list) throw_ex_fmt("%s(), out of memory", "");
    *records = list;
    *count = n;
    for (int i = 0; i < n; ++i) {
        sigcheck_record& r = list[i];
        r.status = sigerr_unknown;
        FPDF_SIGNATURE sig = nullptr;
        {
            library_guard guard(pdf_library_lock());
            sig = FPDF_GetSignatureObject(doc, i);
        }
        bool placeholder = false;
        std::vector<int64_t> ranges;
        if (sig) {
            {
                library_guard guard(pdf_library_lock());
                r.empty_field = FPDFSignatureObj_HasValue(sig) ? 0 : 1;
            }
            // One malformed signature gets its own status; the others are
            // still verified. An empty field has nothing to verify.
            try {
                if (!r.empty_field) read_and_verify(doc, sig, r, path, &placeholder, ranges);
            } catch (const std::exception& ex) {
                r.status = sigerr_unknown;
                diag_print("\n\n[ERROR] %s(), signature %d: %s [ERROR]\n", "", i, ex.what());
            }
            try {
                fill_sigcheck_fields(&sig, r, &doc);
            } catch (const std::exception& ex) {
                diag_print("\n\n[ERROR] %s(), signature %d: %s [ERROR]\n", "", i, ex.what());
            }
        }
        bool pairs_ordered = ranges.size() >= 2 && ranges.size() % 2 == 0 && ranges[0] == 0;
        for (std::size_t k = 0; pairs_ordered && k + 1 < ranges.size(); k += 2)
            if (ranges[k] > ranges[k + 1]) pairs_ordered = false;
        if (placeholder && r.rect[0] != r.rect[2] && r.rect[1] != r.rect[3] && pairs_ordered)
            r.status = sigerr_tosign;
    }
    check_ltv(doc, list, n);
}

void free_sigcheck_records(sigcheck_record** records, int32_t* count) {
    if (!records || !count || !*records || *count <= 0) return;
    for (int32_t i = 0; i < *count; ++i) {
        std::free((*records)[i].contents);
        std::memset(&(*records)[i], 0, sizeof(sigcheck_record));
    }
    std::free(*records);
    *records = nullptr;
    *count = 0;
}
