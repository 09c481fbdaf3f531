#include "document/pdf_sign.h"

#include "app/diagnostics.h"
#include "app/encoding.h"
#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "document/pdf_save.h"
#include "document/stamp_image.h"
#include "app/text_utils.h"
#include "crypto/cert_loading.h"
#include "crypto/digests.h"
#include "crypto/pfx.h"
#include "crypto/pkcs7_sign.h"
#include "crypto/system_store.h"
#include "crypto/timestamp_request.h"
#include "document/doc_services.h"
#include "document/pdf_file_output.h"
#include "document/pdf_layer_mupdf.h"
#include "document/pdf_save_document.h"
#include "platform/atomic_file.h"
#include "platform/owned.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

int sign_placeholder_override = 0;

namespace {

int g_attempts = 0;

constexpr uint64_t kMaxSignedSize = 1073741824;  // 1 GiB

// "<" and the hex digits of the 19 marker bytes, as MuPDF writes them.
std::string marker_text() {
    return "<" + bytes_to_hex(reinterpret_cast<const unsigned char*>(kSignatureContentsMarker),
                              std::strlen(kSignatureContentsMarker));
}

using malloc_ptr = malloced<unsigned char>;

std::string utf16le_to_utf8(const std::vector<unsigned char>& bytes) {
    std::wstring w;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned u = bytes[i] | (bytes[i + 1] << 8);
        if (u == 0) break;
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            unsigned lo = bytes[i + 2] | (bytes[i + 3] << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                w += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                i += 2;
                continue;
            }
        }
        w += static_cast<wchar_t>(u);
    }
    return wide_to_utf8(w);
}

// The field's name as UTF-8; false when it has none or it is longer than
// `limit` bytes (0: any length).
bool read_field_name(FPDF_SIGNATURE sig, unsigned long limit, std::string* name) {
    unsigned long needed = FPDFSignatureObj_GetFieldName(sig, nullptr, 0);
    if (needed == 0 || (limit && needed > limit)) return false;
    std::vector<unsigned char> buffer(needed);
    if (FPDFSignatureObj_GetFieldName(sig, buffer.data(), needed) != needed) return false;
    *name = utf16le_to_utf8(buffer);
    return true;
}

void log_failure(const std::exception& ex) { diag_print("\n\n[ERROR] %s(),  %s [ERROR]\n", "", ex.what()); }

// Runs a signing body under the result convention: "Succeed" when it returns,
// its failure logged and passed on otherwise.
template <typename F>
[[noreturn]] void run_signing(F body) {
    try {
        body();
    } catch (const std::exception& ex) {
        if (is_success_exception(ex)) throw_succeed();
        log_failure(ex);
        throw exceptionex(ex.what());
    }
    throw_succeed();
}

// Produces the signature (or token) bytes over the signed data (the file's
// bytes before and after /Contents); throws on failure.
using signer_fn = std::function<void(const signed_pieces& data, unsigned char** der, uint32_t* der_length)>;

// A failed write to the signed file, in words that name the cause where the
// user can do something about it.
[[noreturn]] void throw_write_failure(int error_number, const std::wstring& dst) {
    const char* cause = write_failure_cause(error_number);
    throw exceptionex(std::string("buff2filew() failed, ") + (cause ? cause : "may dstpath is inaccessible") +
                      ",  file: " + wide_to_utf8(dst));
}

// Hands the bytes of the two signed ranges of the file to the sink, read in
// blocks; a read that fails throws.
bool stream_signed_ranges(int fd, const int64_t ranges[4], const signed_block_sink& sink) {
    constexpr std::size_t kBlock = std::size_t(2) << 20;
    std::unique_ptr<unsigned char[]> block(new unsigned char[kBlock]);
    for (int i = 0; i < 2; ++i) {
        uint64_t at = static_cast<uint64_t>(ranges[2 * i]);
        uint64_t left = static_cast<uint64_t>(ranges[2 * i + 1]);
        while (left > 0) {
            const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, kBlock));
            const ssize_t n = ::pread(fd, block.get(), want, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw_ex_fmt("cannot read the signed file: %s", n < 0 ? std::strerror(errno) : "it is shorter");
            if (!sink(block.get(), static_cast<std::size_t>(n))) return false;
            at += static_cast<uint64_t>(n);
            left -= static_cast<uint64_t>(n);
        }
    }
    return true;
}

// The loop shared by the three entry points.
void sign_loop(const std::wstring& src, const std::wstring& dst, const sign_params* params, int size,
               const signer_fn& sign) {
    g_attempts = 0;
    const std::string source_path = wide_to_utf8(src);
    if (sign_placeholder_override > 0) size = sign_placeholder_override;
    {
        std::error_code ec;
        const uintmax_t source_size = fs::file_size(fs::path(source_path), ec);
        if (!ec && source_size > kMaxSignedSize)
            throw_ex_fmt("the size of pdf to be signed is limited less than 1G Bytes");
        if (ec || !fs::is_regular_file(fs::path(source_path), ec))
            throw_ex_fmt("copy src to mid file failed: %s", ec ? ec.message().c_str() : "not a regular file");
    }
    // The signed file is built beside the output: the source's bytes first,
    // copied by the kernel (sharing extents where the file system can), never
    // read into memory.
    platform::atomic_file_writer out;
    uint64_t source_size = 0;
    {
        const int in = ::open(source_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0) throw_ex_fmt("copy src to mid file failed: %s", std::strerror(errno));
        const auto close_source = on_scope_exit([in] { ::close(in); });
        struct stat st {};
        if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode))
            throw_ex_fmt("copy src to mid file failed: %s", "not a regular file");
        source_size = static_cast<uint64_t>(st.st_size);
        if (source_size > kMaxSignedSize) throw_ex_fmt("the size of pdf to be signed is limited less than 1G Bytes");
        if (!out.open(wide_to_utf8(dst), 0, platform::user_file_mode())) throw_write_failure(errno, dst);
        if (!platform::copy_file_prefix(in, out.fd(), source_size)) {
            const int error = errno;
            if (write_failure_cause(error)) throw_write_failure(error, dst);
            throw_ex_fmt("copy src to mid file failed: %s", std::strerror(error));
        }
    }
    // The copy starts on its way to the disk while the signature is made, so
    // the final flush has less left to wait for.
    (void)::sync_file_range(out.fd(), 0, static_cast<off64_t>(source_size), SYNC_FILE_RANGE_WRITE);
    (void)::posix_fadvise(out.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::wstring working_copy = utf8_to_wide(out.temp_path());

    bool misfit = false;
    for (;;) {
        ++g_attempts;
        signature_layout layout;
        try {
            prepare_signature(working_copy, out.fd(), params, size / 2, &layout);
        } catch (const signing_write_error& ex) {
            throw_write_failure(ex.error, dst);
        }
        // The signed bytes are read back from the file as the signer digests them.
        signed_pieces pieces;
        const int fd = out.fd();
        pieces.stream = [fd, &layout](const signed_block_sink& sink) {
            return stream_signed_ranges(fd, layout.byte_ranges, sink);
        };

        unsigned char* der_raw = nullptr;
        uint32_t der_length = 0;
        malloc_ptr der;
        {
            // The signer's buffer is owned also when the signer then throws
            // (a zero-length result is refused after it was allocated).
            const auto take = on_scope_exit([&] { der.reset(der_raw); });
            sign(pieces, &der_raw, &der_length);
        }

        const std::string hex = der ? bytes_to_hex(der.get(), der_length) : std::string();
        if (hex.empty()) throw_ex_fmt("result sig hex string is null");
        if (hex.size() <= static_cast<std::size_t>(size)) {
            if (!platform::write_buffer_at(out.fd(), hex.data(), hex.size(), layout.contents_pos) || !out.commit())
                throw_write_failure(errno, dst);
            return;
        }
        // Only the update goes: the source's bytes stay where they are.
        if (::ftruncate(out.fd(), static_cast<off_t>(source_size)) != 0) throw_write_failure(errno, dst);
        size = misfit ? size + 4096 : static_cast<int>(hex.size()) + 8;
        misfit = true;
    }
}

void require_arguments(const std::wstring& src, const std::wstring& dst, const sign_params* params) {
    if (src.empty() || dst.empty() || !params) throw_ex_fmt("src/dst/param : null");
}

void check_der(unsigned char* der, uint32_t length) {
    if (!der || length == 0) throw_ex_fmt("p7sign_xxx() failed, p7: %p, p7len : %d", static_cast<void*>(der),
                                          static_cast<int>(length));
}

}  // namespace

int sign_attempts_of_last_signing() { return g_attempts; }

bool concat_byte_ranges(const int64_t ranges[4], const unsigned char* saved, std::size_t saved_length,
                        unsigned char** data, std::size_t* data_length) {
    if (!ranges || !saved || !data || !data_length) return false;
    *data = nullptr;
    *data_length = 0;
    for (int i = 0; i < 4; ++i)
        if (ranges[i] < 0 || static_cast<uint64_t>(ranges[i]) > saved_length) return false;
    if (ranges[0] != 0 || ranges[1] > ranges[2] ||
        static_cast<uint64_t>(ranges[2]) + static_cast<uint64_t>(ranges[3]) > saved_length)
        return false;
    const std::size_t first = static_cast<std::size_t>(ranges[1]);
    const std::size_t second = static_cast<std::size_t>(ranges[3]);
    auto* out = static_cast<unsigned char*>(std::malloc(first + second + 1));
    if (!out) return false;
    std::memcpy(out, saved, first);
    std::memcpy(out + first, saved + ranges[2], second);
    *data = out;
    *data_length = first + second;
    return true;
}

bool field_name_exists(FPDF_DOCUMENT doc, const char* utf8_name) {
    if (!doc || !utf8_name) return false;
    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    const int count = FPDF_GetSignatureCount(doc);
    for (int i = 0; i < count; ++i) {
        FPDF_SIGNATURE sig = FPDF_GetSignatureObject(doc, i);
        if (!sig) continue;
        if (FPDFSignatureObj_GetFieldName(sig, nullptr, 0) == 0) continue;  // a field without /T
        std::string name;
        if (!read_field_name(sig, 1024, &name)) throw_ex_fmt("exist field name > max field name length");
        if (name == utf8_name) return true;
    }
    return false;
}

void new_field_name(FPDF_DOCUMENT doc, char* name_256) {
    if (!name_256) return;
    long highest = 0;
    if (doc) {
        std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
        const int count = FPDF_GetSignatureCount(doc);
        for (int i = 0; i < count; ++i) {
            FPDF_SIGNATURE sig = FPDF_GetSignatureObject(doc, i);
            std::string name;
            if (!sig || !read_field_name(sig, 0, &name)) continue;
            const std::string prefix = "Signature";
            if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 || name.compare(0, prefix.size(), prefix))
                continue;
            const std::string digits = name.substr(prefix.size());
            if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
            highest = std::max(highest, std::strtol(digits.c_str(), nullptr, 10));
        }
    }
    std::snprintf(name_256, 256, "Signature%ld", highest + 1);
}

namespace {

// The offset of the last `needle` in the file's bytes [from, to), read
// backwards in blocks; -1 when there is none. A read that fails throws.
int64_t find_last_in_file(int fd, uint64_t from, uint64_t to, const std::string& needle) {
    constexpr std::size_t kBlock = std::size_t(1) << 20;
    if (needle.empty() || to < from || to - from < needle.size()) return -1;
    std::vector<unsigned char> block;
    uint64_t end = to;
    for (;;) {
        const uint64_t start = end - from > kBlock ? end - kBlock : from;
        block.resize(static_cast<std::size_t>(end - start));
        std::size_t got = 0;
        while (got < block.size()) {
            const ssize_t n = ::pread(fd, block.data() + got, block.size() - got, static_cast<off_t>(start + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw_ex_fmt("cannot read the signed file: %s", n < 0 ? std::strerror(errno) : "it is shorter");
            got += static_cast<std::size_t>(n);
        }
        const int64_t at = find_last_bytes(block.data(), block.size(),
                                           reinterpret_cast<const unsigned char*>(needle.data()), needle.size());
        if (at >= 0) return static_cast<int64_t>(start) + at;
        if (start == from) return -1;
        // The next block overlaps this one by the needle's length less one.
        end = start + needle.size() - 1;
    }
}

std::string read_file_bytes(int fd, uint64_t at, std::size_t n) {
    std::string bytes(n, '\0');
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, &bytes[got], n - got, static_cast<off_t>(at + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    bytes.resize(got);
    return bytes;
}

}  // namespace

void prepare_signature(const std::wstring& path, int fd, const sign_params* params, int placeholder_bytes,
                       signature_layout* layout) {
    if (path.empty() || fd < 0 || !params || !layout) throw_ex_fmt("param : null");
    *layout = signature_layout{};

    const std::string utf8_path = wide_to_utf8(path);
    // The size test comes first, so a too-large file is never opened.
    std::error_code ec;
    const uintmax_t file_size = fs::file_size(fs::path(utf8_path), ec);
    if (!ec && file_size > kMaxSignedSize) throw_ex_fmt("the size of pdf to be signed is limited less than 1G Bytes");

    std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
    struct holder {
        FPDF_DOCUMENT doc = nullptr;
        FPDF_PAGE page = nullptr;
        FPDF_ANNOTATION annot = nullptr;
        unsigned char* pixels = nullptr;
        ~holder() {
            std::free(pixels);
            if (annot) FPDFPage_CloseAnnot(annot);
            if (page) FPDF_ClosePage(page);
            if (doc) FPDF_CloseDocument(doc);
        }
    } h;
    try {
        // The document reads the working copy as it needs it; the update is
        // appended behind the bytes it was opened from.
        {
            fz_context* ctx = pdf_layer_context();
            fz_stream* volatile file = nullptr;
            if (ctx) {
                fz_try(ctx) { file = open_pdf_file_stream(ctx, fd); }
                fz_catch(ctx) { file = nullptr; }
            }
            h.doc = file ? pdf_layer_load_stream(file, "") : nullptr;
        }
        if (!h.doc) throw_ex_fmt("unable to open file");
        if (h.doc->repaired)
            throw_ex_fmt("the PDF file is damaged (it had to be repaired when opened) and cannot be signed");
        const uint64_t source_size = pdf_layer_source_size(h.doc);

        char field_name[256] = {0};
        if (params->field_name[0]) {
            if (field_name_exists(h.doc, params->field_name)) throw_ex_fmt("signature field name exist");
            std::snprintf(field_name, sizeof field_name, "%s", params->field_name);
        } else {
            new_field_name(h.doc, field_name);
        }
        if (FPDF_GetSignatureCount(h.doc) == -1) throw_ex_fmt("%s", kUndefinedText);

        const bool visible = params->picture[0] && params->x0 != params->x1 && params->y0 != params->y1;
        h.page = FPDF_LoadPage(h.doc, visible ? params->page : 0);
        if (!h.page) throw_ex_fmt("%s", kUndefinedText);
        int width = 0, height = 0;
        if (visible) {
            try {
                load_stamp_image(params->picture, &h.pixels, &width, &height);
            } catch (const std::exception& ex) {
                check_result(ex);
            }
        }

        const FS_RECTF rect{params->x0, params->y1, params->x1, params->y0};
        h.annot = FPDFPage_CreateSignatureField(h.page, field_name, params->reason, params->location, params->contact,
                                                params->signing_time, &rect, visible ? h.pixels : nullptr,
                                                visible ? width : 0, visible ? height : 0, params->certify ? 1 : 0,
                                                params->lock, params->permission, params->timestamp_only,
                                                placeholder_bytes);
        if (!h.annot) throw_ex_fmt("failed to create sig annot");
        FPDFPage_CloseAnnot(h.annot);
        h.annot = nullptr;

        int write_error = 0;
        const int saved = append_update_to_file(h.doc, fd, &write_error);
        if (saved != 0 && write_error)
            throw signing_write_error(write_error, std::string("failed to save pdf file: ") + std::to_string(saved));
        if (saved != 0) {
            const char* reason = FPDF_GetLastErrorText();
            throw_ex_fmt("failed to save pdf file: %d%s%s", saved, reason && reason[0] ? ", " : "",
                         reason ? reason : "");
        }
        FPDF_ClosePage(h.page);
        h.page = nullptr;
        FPDF_CloseDocument(h.doc);
        h.doc = nullptr;

        struct stat st {};
        if (::fstat(fd, &st) != 0) throw signing_write_error(errno, "cannot read the signed file");
        const uint64_t length = static_cast<uint64_t>(st.st_size);

        // The placeholder and /ByteRange are looked for in the update only.
        const std::string marker = marker_text();
        const int64_t p = find_last_in_file(fd, source_size, length, marker);
        if (p < 0) throw_ex_fmt("failed to locate Contents");
        const uint64_t digits = 2 * static_cast<uint64_t>(placeholder_bytes);
        const uint64_t q = static_cast<uint64_t>(p) + digits + 2;
        if (q > length || read_file_bytes(fd, q - 1, 1) != ">") throw_ex_fmt("failed to locate Contents");

        static const std::string kByteRange = "/ByteRange[";
        const int64_t b = find_last_in_file(fd, source_size, length, kByteRange);
        if (b < 0) throw_ex_fmt("failed to locate byte range");
        // The placeholder runs to its "]"; its width is measured, not assumed.
        const std::string around = read_file_bytes(fd, static_cast<uint64_t>(b), 128);
        const std::size_t close = around.find(']');
        if (close == std::string::npos) throw_ex_fmt("failed to locate byte range");
        const std::size_t width_br = close + 1;
        const uint64_t r = length - q;
        const int64_t ranges[4] = {0, p, static_cast<int64_t>(q), static_cast<int64_t>(r)};
        char text[128];
        const int n = std::snprintf(text, sizeof text, "/ByteRange[0 %lld %llu %llu]", static_cast<long long>(p),
                                    static_cast<unsigned long long>(q), static_cast<unsigned long long>(r));
        if (n <= 0 || static_cast<std::size_t>(n) > width_br ||
            (static_cast<uint64_t>(b) + width_br > static_cast<uint64_t>(p) && static_cast<uint64_t>(b) < q))
            throw_ex_fmt("failed to locate byte range");
        std::string patch(text, static_cast<std::size_t>(n));
        patch.resize(width_br, ' ');
        if (!platform::write_buffer_at(fd, patch.data(), patch.size(), static_cast<uint64_t>(b)))
            throw signing_write_error(errno, "cannot write the byte range");

        layout->length = length;
        layout->contents_pos = static_cast<uint64_t>(p) + 1;
        std::copy(ranges, ranges + 4, layout->byte_ranges);
    } catch (const std::exception& ex) {
        if (is_success_exception(ex)) throw;
        log_failure(ex);
        throw;
    }
}

void sign_with_pfx(const std::wstring& src, const char* pfx_path, const char* password, const char* tsurl,
                   const std::wstring& dst, const sign_params* params) {
    run_signing([&] {
        require_arguments(src, dst, params);
        if (!pfx_path) throw_ex_fmt("src/dst/param : null");
        int size = pfx_is_self_signed(pfx_path, password ? password : "") ? kPlaceholderSelfSigned
                                                                          : kPlaceholderIssued;
        if (tsurl) size += kPlaceholderTimestampExtra;
        sign_loop(src, dst, params, size,
                  [&](const signed_pieces& data, unsigned char** der, uint32_t* der_length) {
                      p7sign_pfx(data, pfx_path, password ? password : "", tsurl,
                                 params->add_revocation, der, der_length);
                      check_der(*der, *der_length);
                  });
    });
}

void sign_with_syscert(const std::wstring& src, const char* store, const std::wstring& issuer,
                       const std::wstring& subject, const char* serial, const char* tsurl,
                       const std::wstring& dst, const sign_params* params) {
    run_signing([&] {
        require_arguments(src, dst, params);
        X509* cert = nullptr;
        STACK_OF(X509)* chain = nullptr;
        EVP_PKEY* key = nullptr;
        const bool opened = store && serial &&
                            load_store_private_key(store, issuer, subject, serial, &cert, &chain, &key, nullptr) &&
                            cert && key;
        const bool self_signed = opened && is_self_signed_root(cert);
        X509_free(cert);
        sk_X509_pop_free(chain, X509_free);
        EVP_PKEY_free(key);
        if (!opened) throw_ex_fmt("state_access_syscert_failed");
        int size = self_signed ? kPlaceholderSelfSigned : kPlaceholderIssued;
        if (tsurl) size += kPlaceholderTimestampExtra;
        sign_loop(src, dst, params, size,
                  [&](const signed_pieces& data, unsigned char** der, uint32_t* der_length) {
                      p7sign_syscert(data, store, issuer, subject, serial, tsurl,
                                     params->add_revocation, der, der_length);
                      check_der(*der, *der_length);
                  });
    });
}

void sign_doc_timestamp(const std::wstring& src, const char* tsurl, const std::wstring& dst,
                        const sign_params* params) {
    run_signing([&] {
        require_arguments(src, dst, params);
        sign_loop(src, dst, params, kPlaceholderDocTimestamp,
                  [&](const signed_pieces& data, unsigned char** der, uint32_t* der_length) {
                      if (!tsurl) return;  // no token: "result sig hex string is null"
                      // The request carries the digest, made as the bytes are read.
                      const EVP_MD* md = EVP_sha256();
                      owned<EVP_MD_CTX> ctx(EVP_MD_CTX_new());
                      unsigned char digest[EVP_MAX_MD_SIZE];
                      unsigned int digest_length = 0;
                      const bool made =
                          ctx && EVP_DigestInit_ex(ctx.get(), md, nullptr) == 1 &&
                          feed_signed_pieces(data,
                                             [&](const unsigned char* p, std::size_t n) {
                                                 return EVP_DigestUpdate(ctx.get(), p, n) == 1;
                                             }) &&
                          EVP_DigestFinal_ex(ctx.get(), digest, &digest_length) == 1;
                      if (!made) throw_ex_fmt("Failed to add timestamp - failed to digest the document");
                      request_timestamp_for_digest(digest, digest_length, tsurl, md, der, der_length);
                  });
    });
}

void register_pdf_signing() {
    document_services& s = doc_services();
    s.field_name_exists = field_name_exists;
    s.new_field_name = new_field_name;
    s.sign_with_pfx = sign_with_pfx;
    s.sign_with_syscert = sign_with_syscert;
    s.sign_doc_timestamp = sign_doc_timestamp;
}
