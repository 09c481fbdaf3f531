#include "app/text_utils.h"

#include "app/file_buffers.h"
#include "platform/private_temp.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <random>
#include <regex>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
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

// ---------------------------------------------------------------- UTF-8

namespace {

std::wstring decode_utf8(const char* text, std::size_t length) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::wstring out;
    out.reserve(length);
    std::size_t i = 0;
    while (i < length) {
        unsigned char lead = p[i];
        if (lead < 0x80) {
            out.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        int extra;
        char32_t value;
        unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            value = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            value = lead & 0x07;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            throw std::range_error("bad conversion");
        }
        if (length - i <= static_cast<std::size_t>(extra)) throw std::range_error("bad conversion");
        for (int k = 1; k <= extra; ++k) {
            unsigned char c = p[i + k];
            unsigned char lo = k == 1 ? low : 0x80, hi = k == 1 ? high : 0xBF;
            if (c < lo || c > hi) throw std::range_error("bad conversion");
            value = (value << 6) | (c & 0x3F);
        }
        out.push_back(static_cast<wchar_t>(value));
        i += extra + 1;
    }
    return out;
}

}  // namespace

std::wstring utf8_to_wide(const std::string& text) { return decode_utf8(text.data(), text.size()); }

std::wstring utf8_chars_to_wide(const char* text) {
    if (!text) return std::wstring();
    return decode_utf8(text, std::strlen(text));
}

std::string wide_to_utf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        auto c = static_cast<std::uint32_t>(wc);
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// ---------------------------------------------------------------- paths

namespace {
bool is_separator(wchar_t c) { return c == L'/' || c == L'\\'; }
bool has_drive_prefix(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}
}  // namespace

std::wstring file_name_of(const std::wstring& path) {
    std::size_t start = has_drive_prefix(path) ? 2 : 0;
    for (std::size_t i = path.size(); i > start; --i) {
        if (is_separator(path[i - 1])) return path.substr(i);
    }
    return path.substr(start);
}

std::wstring dir_of(const std::wstring& path, bool keep_separator) {
    std::wstring rest = path;
    if (!rest.empty() && is_separator(rest.back())) rest.pop_back();
    std::size_t pos = rest.rfind(L'/');
    if (pos == std::wstring::npos) pos = rest.rfind(L'\\');
    if (pos == std::wstring::npos) return std::wstring();
    return rest.substr(0, keep_separator ? pos + 1 : pos);
}

// ---------------------------------------------------------------- temporary names

namespace {

std::wstring private_folder_with_separator() {
    return utf8_to_wide(platform::private_temp_dir()) + L"/";
}

unsigned next_temp_number() {
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    return static_cast<unsigned>(generator() & 0x7FFFFFFFu);
}

// Creates a new empty file "<number><suffix>" in the private folder and returns its path.
std::wstring create_numbered_temp_file(const std::wstring& suffix) {
    const std::wstring folder = private_folder_with_separator();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring path = folder + std::to_wstring(next_temp_number()) + suffix;
        int fd = ::open(wide_to_utf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw std::runtime_error(std::string("(), cannot create temporary file: ") + std::strerror(errno));
    }
    throw std::runtime_error("(), cannot create temporary file: no free name");
}

}  // namespace

std::wstring temp_path(const std::wstring& name) {
    if (name.empty()) return create_numbered_temp_file(std::wstring());
    return private_folder_with_separator() + name;
}

std::wstring temp_path_with_ext(const std::string& extension) {
    std::wstring suffix = utf8_to_wide(extension);
    if (suffix.empty() || suffix[0] != L'.') suffix.insert(suffix.begin(), L'.');
    return create_numbered_temp_file(suffix);
}

std::wstring unique_temp_path(const std::wstring& avoid) {
    for (;;) {
        std::wstring path = temp_path(std::wstring());
        if (path != avoid) return path;
        // The avoided path did not exist (O_EXCL just made it): put things back and draw again.
        ::unlink(wide_to_utf8(path).c_str());
    }
}

// ---------------------------------------------------------------- patterns

bool is_valid_url(const std::string& text) {
    const std::regex pattern("^https*://.*\\.[^\\.]{2,5}.*", std::regex::ECMAScript);
    return std::regex_match(text, pattern);
}

bool is_blank_text(const std::wstring& text) {
    const std::wregex pattern(L"\\s+", std::regex::ECMAScript);
    return std::regex_match(text, pattern);
}

// ---------------------------------------------------------------- whole files

std::string read_file_string(const std::string& path) {
    unsigned char* raw = nullptr;
    uint32_t size = 0;
    if (!file2buff(path, &raw, &size)) return std::string();  // missing, unreadable, or not a file
    std::string out;
    out.reserve(size);
    for (uint32_t i = 0; i < size; ++i) {
        if (raw[i] == '\r' && i + 1 < size && raw[i + 1] == '\n') continue;
        out.push_back(static_cast<char>(raw[i]));
    }
    std::free(raw);
    return out;
}

bool write_file_replacing(const std::string& path, const void* data, std::size_t size) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    // Write through a symbolic link to the file it names, not over the link.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        auto resolved = std::filesystem::canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    mode_t mode = 0600;
    bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) {
        if (!S_ISREG(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        mode = st.st_mode & 07777;
    }
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty()) {
        errno = EISDIR;
        return false;
    }
    std::string templ = folder + "." + name + ".XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const std::string temp(buf.data());
    auto fail = [&](int saved) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    };
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (n == 0) return fail(EIO);
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    int rc = ::close(fd);
    fd = -1;
    if (rc != 0) return fail(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno);
    return true;
}

bool write_file_string(const std::string& text, const std::string& path) {
    return write_file_replacing(path, text.data(), text.size());
}
