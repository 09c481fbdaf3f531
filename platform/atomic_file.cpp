#include "platform/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool write_buffer_atomically(const std::string& path, const void* data, std::size_t size, mode_t new_mode) {
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
    mode_t mode = new_mode ? new_mode : 0600;
    bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) {
        if (!S_ISREG(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (!new_mode) mode = st.st_mode & 07777;
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
    // Make the new directory entry durable as well.
    int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool write_file_atomically(const std::string& path, const std::string& bytes, mode_t mode) {
    return write_buffer_atomically(path, bytes.data(), bytes.size(), mode);
}

}  // namespace platform
