#include "app/file_buffers.h"

#include "platform/atomic_file.h"

#include "app/diagnostics.h"
#include "app/text_utils.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool buff2file(const void* data, uint32_t size, const std::string& path) {
    if ((data || size == 0) && platform::write_buffer_atomically(path, data, size)) return true;
    const int cause = errno;
    diag_print("\n\n[ERROR] %s(), faile to save to path: %s [ERROR]\n", "", path.c_str());
    errno = cause;
    return false;
}

bool buff2filew(const void* data, uint32_t size, const std::wstring& path) {
    // File names are UTF-8 bytes whatever the C locale is, so no character is lost.
    const std::string narrow = wide_to_utf8(path);
    if ((data || size == 0) && platform::write_buffer_atomically(narrow, data, size)) return true;
    const int cause = errno;
    // The wide diagnostic line, printed as UTF-8 (stdout stays byte-oriented).
    diag_print("\n\n[ERROR] %s(), faile to save to path: %s [ERROR]\n", "", narrow.c_str());
    errno = cause;
    return false;
}

bool file2buff(const std::string& path, unsigned char** buffer, uint32_t* size) {
    if (!buffer || !size) return false;
    *buffer = nullptr;
    *size = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<unsigned long long>(st.st_size) > UINT32_MAX - 2u) {
        ::close(fd);
        return false;
    }
    const auto length = static_cast<uint32_t>(st.st_size);
    auto* data = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(length) + 2, 1));
    if (!data) {
        ::close(fd);
        return false;
    }
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::read(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // error, or the file shrank while we read it
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done != length) {
        std::free(data);
        return false;
    }
    *buffer = data;
    *size = length;
    return true;
}

bool file2buffw(const std::wstring& path, unsigned char** buffer, uint32_t* size) {
    return file2buff(wide_to_utf8(path), buffer, size);
}
