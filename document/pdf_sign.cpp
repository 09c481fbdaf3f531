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
#include "document/pdf_layer_mupdf.h"
#include "document/pdf_save_document.h"
#include "platform/owned.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
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

// Produces the signature (or token) bytes over the signed data (the saved
// bytes before and after /Contents); throws on failure.
using signer_fn = std::function<void(const signed_pieces& data, unsigned char** der, uint32_t* der_length)>;

// The loop shared by the three entry points.
void sign_loop(const std::wstring& src, const std::wstring& dst, const sign_params* params, int size,
               const signer_fn& sign) {
    g_attempts = 0;
    const fs::path source_path(wide_to_utf8(src));
    if (sign_placeholder_override > 0) size = sign_placeholder_override;
    {
        std::error_code ec;
        const uintmax_t source_size = fs::file_size(source_path, ec);
        if (!ec && source_size > kMaxSignedSize)
            throw_ex_fmt("the size of pdf to be signed is limited less than 1G Bytes");
        if (ec || !fs::is_regular_file(source_path, ec))
            throw_ex_fmt("copy src to mid file failed: %s", ec ? ec.message().c_str() : "not a regular file");
    }
    // The save buffer holds the whole document while a signature is made: it
    // is emptied on every way out, also when the signer fails.
    const auto empty_buffer = on_scope_exit([] { process_save_buffer().reset(); });
    bool misfit = false;
    for (;;) {
        ++g_attempts;
        const unsigned char* saved = nullptr;
        std::size_t saved_length = 0, contents_pos = 0;
        int64_t ranges[4] = {0, 0, 0, 0};
        // The PDF layer reads the whole source into memory when it opens it
        // and never writes to it, so the source itself is the working copy.
        prepare_signature(src, params, size / 2, &saved, &saved_length, nullptr, nullptr, &contents_pos, ranges);
        // The signed bytes are digested where they lie in the saved output.
        signed_pieces pieces;
        pieces.data[0] = saved + ranges[0];
        pieces.length[0] = static_cast<std::size_t>(ranges[1]);
        pieces.data[1] = saved + ranges[2];
        pieces.length[1] = static_cast<std::size_t>(ranges[3]);

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
            pdf_save_buffer& buffer = process_save_buffer();
            if (!buffer.seek(static_cast<int64_t>(contents_pos), SEEK_SET) || !buffer.write(hex.data(), hex.size()))
                throw_ex_fmt("%s", kUndefinedText);
            const bool written = buffer.size() <= UINT32_MAX &&
                                 buff2filew(buffer.data(), static_cast<uint32_t>(buffer.size()), dst);
            buffer.reset();
            if (!written) throw_ex_wfmt(L"buff2filew() failed, may dstpath is inaccessible,  file: %ls", dst.c_str());
            return;
        }
        process_save_buffer().reset();
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

void prepare_signature(const std::wstring& path, const sign_params* params, int placeholder_bytes,
                       const unsigned char** saved, std::size_t* saved_length, unsigned char** signed_data,
                       std::size_t* signed_length, std::size_t* contents_pos, int64_t byte_ranges[4]) {
    if (path.empty() || !params || !saved || !saved_length || !contents_pos || !signed_data != !signed_length)
        throw_ex_fmt("param : null");
    *saved = nullptr;
    *saved_length = *contents_pos = 0;
    if (signed_length) *signed_length = 0;
    if (signed_data) *signed_data = nullptr;

    const std::string utf8_path = wide_to_utf8(path);
    // The size test comes first, so a too-large file is never read whole.
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
    pdf_save_buffer& buffer = process_save_buffer();
    try {
        // The source is read straight into the save buffer and the document
        // opened over it, so the incremental save appends its update where
        // the source lies instead of copying it. An update larger than the
        // room left falls back to a separate copy of the source.
        const std::size_t room = (ec ? 0 : static_cast<std::size_t>(file_size / 64)) + (std::size_t(64) << 20);
        bool in_place = !ec && buffer.load_file(utf8_path, room);
        for (;;) {
            h.doc = in_place ? FPDF_LoadSharedMemDocument(buffer.data(), buffer.size(), "")
                             : FPDF_LoadDocument(utf8_path.c_str(), "");
            if (!h.doc) throw_ex_fmt("unable to open file");
            if (h.doc->repaired)
                throw_ex_fmt("the PDF file is damaged (it had to be repaired when opened) and cannot be signed");

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
            if (!ec && file_size > kMaxSignedSize) throw_ex_fmt("the size of pdf to be signed is limited less than 1G Bytes");

            const FS_RECTF rect{params->x0, params->y1, params->x1, params->y0};
            h.annot = FPDFPage_CreateSignatureField(h.page, field_name, params->reason, params->location, params->contact,
                                                    params->signing_time, &rect, visible ? h.pixels : nullptr,
                                                    visible ? width : 0, visible ? height : 0, params->certify ? 1 : 0,
                                                    params->lock, params->permission, params->timestamp_only,
                                                    placeholder_bytes);
            if (!h.annot) throw_ex_fmt("failed to create sig annot");
            FPDFPage_CloseAnnot(h.annot);
            h.annot = nullptr;

            if (in_place) {
                bool saved_in_place = true;
                try {
                    save_pdf_in_place(h.doc);
                } catch (const std::exception& ex) {
                    if (is_success_exception(ex)) throw;
                    saved_in_place = false;
                }
                if (!saved_in_place) {
                    FPDF_ClosePage(h.page);
                    h.page = nullptr;
                    FPDF_CloseDocument(h.doc);
                    h.doc = nullptr;
                    std::free(h.pixels);
                    h.pixels = nullptr;
                    buffer.reset();
                    in_place = false;
                    continue;
                }
            } else {
                save_pdf(std::wstring(), h.doc, true);
            }
            // The document (and its copy of the source) is not needed any more.
            FPDF_ClosePage(h.page);
            h.page = nullptr;
            FPDF_CloseDocument(h.doc);
            h.doc = nullptr;
            buffer.unpin();
            break;
        }

        const unsigned char* bytes = buffer.data();
        const std::size_t length = buffer.size();

        const std::string marker = marker_text();
        const int64_t p = find_last_bytes(bytes, length, reinterpret_cast<const unsigned char*>(marker.data()),
                                          marker.size());
        if (p < 0) throw_ex_fmt("failed to locate Contents");
        const uint64_t digits = 2 * static_cast<uint64_t>(placeholder_bytes);
        const uint64_t q = static_cast<uint64_t>(p) + digits + 2;
        if (q > length || bytes[q - 1] != '>') throw_ex_fmt("failed to locate Contents");

        static const char kByteRange[] = "/ByteRange[";
        const int64_t b = find_last_bytes(bytes, length, reinterpret_cast<const unsigned char*>(kByteRange),
                                          sizeof kByteRange - 1);
        if (b < 0) throw_ex_fmt("failed to locate byte range");
        // The placeholder runs to its "]"; its width is measured, not assumed.
        const unsigned char* close =
            static_cast<const unsigned char*>(std::memchr(bytes + b, ']', std::min<std::size_t>(length - b, 128)));
        if (!close) throw_ex_fmt("failed to locate byte range");
        const std::size_t width_br = static_cast<std::size_t>(close - (bytes + b)) + 1;
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
        if (!buffer.seek(b, SEEK_SET) || !buffer.write(patch.data(), patch.size()))
            throw_ex_fmt("%s", kUndefinedText);

        if (signed_data && !concat_byte_ranges(ranges, buffer.data(), buffer.size(), signed_data, signed_length))
            throw_ex_fmt("%s", kUndefinedText);
        if (byte_ranges) std::copy(ranges, ranges + 4, byte_ranges);
        *saved = buffer.data();
        *saved_length = buffer.size();
        *contents_pos = static_cast<std::size_t>(p) + 1;
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
                      // The request digests one block: join the two pieces.
                      std::vector<unsigned char> joined;
                      joined.reserve(data.length[0] + data.length[1]);
                      joined.insert(joined.end(), data.data[0], data.data[0] + data.length[0]);
                      joined.insert(joined.end(), data.data[1], data.data[1] + data.length[1]);
                      request_timestamp(joined.data(), static_cast<uint32_t>(joined.size()), tsurl, EVP_sha256(),
                                        der, der_length);
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
