#include "app/text_utils.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <vector>

std::string wide_to_mb(const std::wstring& text) {
    // Size the buffer from the real conversion so multi-byte characters are never cut.
    std::size_t needed = std::wcstombs(nullptr, text.c_str(), 0);
    if (needed == static_cast<std::size_t>(-1)) {
        // Stop at the first character the code page cannot hold: convert the longest good prefix.
        std::string out;
        std::mbstate_t state{};
        char buf[MB_LEN_MAX];
        for (wchar_t wc : text) {
            std::size_t n = std::wcrtomb(buf, wc, &state);
            if (n == static_cast<std::size_t>(-1) || wc == L'\0') break;
            out.append(buf, n);
        }
        return out;
    }
    std::vector<char> buffer(needed + 1, '\0');
    std::wcstombs(buffer.data(), text.c_str(), needed + 1);
    return std::string(buffer.data());
}

std::wstring mb_to_wide(const std::string& text) {
    std::size_t needed = std::mbstowcs(nullptr, text.c_str(), 0);
    if (needed == static_cast<std::size_t>(-1)) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    std::mbstowcs(buffer.data(), text.c_str(), needed + 1);
    return std::wstring(buffer.data());
}
