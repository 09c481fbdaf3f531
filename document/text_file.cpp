// Reading a text document: UTF-16 (either byte order, by its mark), UTF-8, or
// GB 18030 (which covers every Unicode character, and GBK with it).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/doc_text.h"
#include "platform/owned.h"

namespace {

// UTF-16 LE units up to the first zero unit; pairs of surrogates are joined.
std::wstring decode_utf16le(const unsigned char* p, size_t n) {
    std::wstring out;
    for (size_t i = 0; i + 1 < n; i += 2) {
        unsigned u = p[i] | (p[i + 1] << 8);
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            unsigned v = p[i + 2] | (p[i + 3] << 8);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                out.push_back((wchar_t)(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back((wchar_t)u);
    }
    return out;
}

// GB 18030 bytes as UTF-8; malformed bytes throw std::range_error.
std::string gb18030_to_utf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::range_error("bad conversion");
    std::string out(bytes.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    char* to = &out[0];
    size_t out_left = out.size();
    const size_t done = iconv(cd, &in, &in_left, &to, &out_left);
    iconv_close(cd);
    // Every GB 18030 character is at most four bytes of UTF-8, so only bad
    // or cut-off input stops the conversion.
    if (done == static_cast<size_t>(-1) || in_left != 0) throw std::range_error("bad conversion");
    out.resize(out.size() - out_left);
    return out;
}

}  // namespace

std::wstring read_text_file(const std::wstring& path, const std::atomic<bool>* stop) {
    auto check_stop = [stop] {
        if (stop && stop->load(std::memory_order_relaxed)) throw_ex_fmt("%s(), stopped", "");
    };
    // Read and decoded in blocks, each taking milliseconds, so that a stop
    // request is seen within a block (a 50 MB file takes seconds in all).
    constexpr std::size_t kBlock = std::size_t(1) << 20;
    owned<FILE> in(std::fopen(wide_to_utf8(path).c_str(), "rbe"));
    if (!in) return std::wstring();
    std::string bytes;
    std::vector<char> block(kBlock);
    for (;;) {
        check_stop();
        const std::size_t n = std::fread(block.data(), 1, block.size(), in.get());
        bytes.append(block.data(), n);
        if (n < block.size()) break;
    }
    bytes.append(2, '\0');
    auto* p = reinterpret_cast<unsigned char*>(&bytes[0]);
    const size_t size = bytes.size() - 2;
    if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) return decode_utf16le(p + 2, bytes.size() - 2);
    if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(p[i], p[i + 1]);
        return decode_utf16le(p + 2, bytes.size() - 2);
    }
    size_t start = (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
    size_t end = start;
    while (end < size && p[end] != 0) ++end;
    // Strict: bytes that are neither UTF-8 nor GB 18030 raise "bad
    // conversion". UTF-8 is decoded in blocks that end before a byte that
    // starts a character, so a block decodes as it would within the whole.
    std::wstring text;
    text.reserve(end - start);
    try {
        for (size_t at = start; at < end;) {
            check_stop();
            size_t to = std::min(end, at + kBlock);
            while (to < end && (p[to] & 0xC0) == 0x80) ++to;
            text += utf8_to_wide(std::string(reinterpret_cast<const char*>(p + at), to - at));
            at = to;
        }
    } catch (const std::range_error&) {
        if (start != 0) throw;  // a UTF-8 mark promised UTF-8
        check_stop();
        return utf8_to_wide(gb18030_to_utf8(std::string(reinterpret_cast<const char*>(p), end)));
    }
    return text;
}
