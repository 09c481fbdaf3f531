// Reading a text document: UTF-16 (either byte order, by its mark), UTF-8, or
// GB 18030 (which covers every Unicode character, and GBK with it).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/doc_text.h"
#include "platform/owned.h"

namespace {

// Each step of reading and decoding handles about this many bytes (a few
// milliseconds of work) before it looks at the stop flag again.
constexpr std::size_t kBlock = std::size_t(1) << 20;

// UTF-16 units (little-endian, or big-endian with `swapped`) up to the first
// zero unit; pairs of surrogates are joined.
std::wstring decode_utf16(const unsigned char* p, size_t n, bool swapped, const std::function<void()>& check_stop) {
    auto unit = [p, swapped](size_t i) -> unsigned {
        return swapped ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8);
    };
    std::wstring out;
    out.reserve(n / 2);
    size_t next_check = 0;
    for (size_t i = 0; i + 1 < n; i += 2) {
        if (i >= next_check) {
            check_stop();
            next_check = i + kBlock;
        }
        unsigned u = unit(i);
        if (u == 0) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            unsigned v = unit(i + 2);
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

// UTF-8 decoded in blocks that end before a byte that starts a character,
// so that a block decodes as it would within the whole. Bytes that are not
// UTF-8 throw std::range_error.
std::wstring decode_utf8_blocks(const char* p, size_t n, const std::function<void()>& check_stop) {
    std::wstring text;
    text.reserve(n);
    for (size_t at = 0; at < n;) {
        check_stop();
        size_t to = std::min(n, at + kBlock);
        while (to < n && (static_cast<unsigned char>(p[to]) & 0xC0) == 0x80) ++to;
        text += utf8_to_wide(std::string(p + at, to - at));
        at = to;
    }
    return text;
}

// GB 18030 bytes as UTF-8, converted a block of output at a time;
// malformed bytes throw std::range_error.
std::string gb18030_to_utf8(const char* bytes, size_t n, const std::function<void()>& check_stop) {
    iconv_t cd = iconv_open("UTF-8", "GB18030");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::range_error("bad conversion");
    struct closer {
        iconv_t cd;
        ~closer() { iconv_close(cd); }
    } close_at_end{cd};
    std::string out;
    char* in = const_cast<char*>(bytes);
    size_t in_left = n;
    while (in_left > 0) {
        check_stop();
        // Every GB 18030 character is at most four bytes of UTF-8.
        const size_t room = std::min(in_left, kBlock) * 4 + 4;
        const size_t used = out.size();
        out.resize(used + room);
        char* to = &out[used];
        size_t out_left = room;
        const size_t done = iconv(cd, &in, &in_left, &to, &out_left);
        out.resize(used + (room - out_left));
        // A full output block only means "go on"; anything else left over
        // is bad or cut-off input.
        if (done == static_cast<size_t>(-1) && errno != E2BIG) throw std::range_error("bad conversion");
    }
    return out;
}

}  // namespace

std::wstring read_text_file(const std::wstring& path, const std::function<bool()>& stopped) {
    const std::function<void()> check_stop = [&stopped] {
        if (stopped && stopped()) throw_ex_fmt("%s(), stopped", "");
    };
    // Read and decoded in blocks, each taking milliseconds, so that a stop
    // request is seen within a block (a 50 MB file takes seconds in all).
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
    const size_t size = bytes.size();
    // A last odd byte of UTF-16 pairs with a zero byte.
    bytes.append(2, '\0');
    auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) return decode_utf16(p + 2, size, false, check_stop);
    if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) return decode_utf16(p + 2, size, true, check_stop);
    size_t start = (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) ? 3 : 0;
    size_t end = start;
    while (end < size && p[end] != 0) ++end;
    // Strict: bytes that are neither UTF-8 nor GB 18030 raise "bad conversion".
    try {
        return decode_utf8_blocks(bytes.data() + start, end - start, check_stop);
    } catch (const std::range_error&) {
        if (start != 0) throw;  // a UTF-8 mark promised UTF-8
        const std::string utf8 = gb18030_to_utf8(bytes.data(), end, check_stop);
        return decode_utf8_blocks(utf8.data(), utf8.size(), check_stop);
    }
}
