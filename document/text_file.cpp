// Reading a text document: UTF-16 (either byte order, by its mark) or UTF-8.
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "app/text_utils.h"
#include "document/doc_text.h"

namespace {

// Strict UTF-8: malformed input, overlong forms, surrogates and values past
// U+10FFFF raise "bad conversion".
std::wstring decode_utf8(const unsigned char* p, size_t n) {
    std::wstring out;
    size_t i = 0;
    while (i < n) {
        unsigned c = p[i];
        unsigned cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            throw std::range_error("bad conversion");
        }
        if (i + len > n) throw std::range_error("bad conversion");
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) throw std::range_error("bad conversion");
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        static const unsigned min_for_len[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < min_for_len[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            throw std::range_error("bad conversion");
        out.push_back((wchar_t)cp);
        i += len;
    }
    return out;
}

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

}  // namespace

std::wstring read_text_file(const std::wstring& path) {
    std::ifstream in(wide_to_mb(path), std::ios::binary);
    if (!in) return std::wstring();
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
    return decode_utf8(p + start, end - start);
}
