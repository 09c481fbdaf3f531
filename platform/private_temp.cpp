#include "platform/private_temp.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {
std::mutex temp_mutex;
std::string temp_root_override;
std::string temp_dir;

std::string temp_root() {
    if (!temp_root_override.empty()) return temp_root_override;
    const char* env = std::getenv("TMPDIR");
    if (env && *env) return env;
    return "/tmp";
}
}  // namespace

void set_private_temp_root(const std::string& root) {
    std::lock_guard<std::mutex> lock(temp_mutex);
    temp_root_override = root;
    temp_dir.clear();
}

const std::string& private_temp_dir() {
    std::lock_guard<std::mutex> lock(temp_mutex);
    struct stat st {};
    if (!temp_dir.empty() && ::stat(temp_dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return temp_dir;
    std::string templ = temp_root() + "/velkorant-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))  // mkdtemp makes the folder 0700
        throw std::runtime_error(std::string("(), cannot create private temporary folder: ") + std::strerror(errno));
    temp_dir = buf.data();
    return temp_dir;
}

std::string make_private_temp_file(const std::string& prefix, const std::string& suffix) {
    std::string templ = private_temp_dir() + "/" + prefix + "XXXXXX" + suffix;
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = ::mkstemps(buf.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        throw std::runtime_error(std::string("(), cannot create temporary file: ") + std::strerror(errno));
    ::fchmod(fd, 0600);
    ::close(fd);
    return buf.data();
}

}  // namespace platform
