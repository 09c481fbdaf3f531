// Reading a text document: UTF-16 (either byte order, by its mark) or UTF-8.
#include <fstream>
#include <iterator>
#include <string>

#include "app/text_utils.h"
#include "document/doc_text.h"

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

}  // namespace

std::wstring read_text_file(const std::wstring& path) {
    std::ifstream in(wide_to_utf8(path), std::ios::binary);
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
    // Strict: malformed UTF-8 raises "bad conversion".
    return utf8_to_wide(std::string(reinterpret_cast<const char*>(p + start), end - start));
}
