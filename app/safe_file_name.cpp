#include "app/safe_file_name.h"

namespace {

// Bytes the character takes in UTF-8 (invalid values are written as U+FFFD).
std::size_t utf8_length(wchar_t c) {
    const unsigned long v = static_cast<unsigned long>(c);
    if (v < 0x80) return 1;
    if (v < 0x800) return 2;
    if (v < 0x10000) return 3;
    if (v <= 0x10FFFF) return 4;
    return 3;
}

bool is_control(wchar_t c) {
    const unsigned long v = static_cast<unsigned long>(c);
    return v < 0x20 || v == 0x7F || (v >= 0x80 && v < 0xA0);
}

}  // namespace

std::wstring safe_file_name_component(const std::wstring& text, std::size_t max_bytes) {
    if (max_bytes < 1) max_bytes = 1;
    std::wstring out;
    out.reserve(text.size());
    std::size_t bytes = 0;
    for (wchar_t c : text) {
        wchar_t put = c;
        if (c == L'/' || c == L'\\' || is_control(c)) put = L'_';
        // "." first, or right after another ".", could make "." or "..".
        else if (c == L'.' && (out.empty() || out.back() == L'.')) put = L'_';
        const std::size_t len = utf8_length(put);
        if (bytes + len > max_bytes) break;
        out += put;
        bytes += len;
    }
    if (out.empty()) out = L"_";
    return out;
}
