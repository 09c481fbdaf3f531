#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool atomic_file_writer::open(const std::string& path, mode_t new_mode, mode_t fresh_mode) {
    discard();
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
    mode_t mode = new_mode ? new_mode : fresh_mode;
    if (::stat(target.c_str(), &st) == 0) {
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
    const int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0) return false;
    fd_ = fd;
    mode_ = mode;
    target_ = target;
    folder_ = folder;
    temp_ = buf.data();
    return true;
}

void atomic_file_writer::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) {
        const int saved = errno;
        ::unlink(temp_.c_str());
        errno = saved;
    }
    temp_.clear();
}

bool atomic_file_writer::commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return false;
    }
    auto fail = [&] {
        discard();
        return false;
    };
    if (::fchmod(fd_, mode_) != 0 || ::fsync(fd_) != 0) return fail();
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) return fail();
    temp_.clear();
    // Make the new directory entry durable as well.
    const int dfd = ::open(folder_.empty() ? "." : folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool write_buffer_atomically(const std::string& path, const void* data, std::size_t size, mode_t new_mode) {
    atomic_file_writer file;
    if (!file.open(path, new_mode)) return false;
    if (!write_buffer_at(file.fd(), data, size, 0)) {
        file.discard();
        return false;
    }
    return file.commit();
}

bool write_file_atomically(const std::string& path, const std::string& bytes, mode_t mode) {
    return write_buffer_atomically(path, bytes.data(), bytes.size(), mode);
}

mode_t user_file_mode() {
    // The umask is read from /proc: umask(2) can only read it by changing it,
    // which would race with files other threads create meanwhile.
    mode_t mask = 022;
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value) & 0777;
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

bool write_buffer_at(int fd, const void* data, std::size_t size, uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t w = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (w == 0) errno = EIO;
            return false;
        }
        p += w;
        size -= static_cast<std::size_t>(w);
        offset += static_cast<uint64_t>(w);
    }
    return true;
}

namespace {

bool copy_by_reading(int in, int out, off_t at, uint64_t size) {
    std::vector<char> block(std::size_t(1) << 20);
    while (static_cast<uint64_t>(at) < size) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(block.size(), size - at));
        const ssize_t n = ::pread(in, block.data(), want, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        if (!write_buffer_at(out, block.data(), static_cast<std::size_t>(n), static_cast<uint64_t>(at))) return false;
        at += n;
    }
    return true;
}

}  // namespace

bool copy_file_prefix(int in, int out, uint64_t size) {
    loff_t from = 0, to = 0;
    while (static_cast<uint64_t>(from) < size) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(size - from, std::size_t(1) << 30));
        const ssize_t n = ::copy_file_range(in, &from, out, &to, want, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return copy_by_reading(in, out, from, size);
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
    }
    return true;
}

}  // namespace platform
