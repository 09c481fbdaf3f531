#include "app/data_dirs.h"
#include "app/diagnostics.h"

#include <wx/string.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string data_dir;
std::wstring configs_dir;
std::wstring settings_path;
std::string certstore_dir;

namespace {

const char kDataFolderName[] = "Velkorant";
std::string data_root_override;
// Workers ask for the folder too, possibly while the main thread computes it.
std::mutex dirs_mutex;

std::string with_trailing_slash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// The folder that holds per-user application data by the XDG rules:
// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share. (The
// toolkit's own XDG layout in wx 3.2 covers the configuration folder only.)
std::string user_data_home() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    std::string home_dir = home && home[0] ? home : "";
    if (home_dir.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid())) home_dir = pw->pw_dir ? pw->pw_dir : "";
    }
    return home_dir + "/.local/share";
}

}  // namespace

bool make_private_dirs(const std::string& path) {
    if (path.empty()) return false;
    std::string current;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        current = path.substr(0, next);
        pos = next + 1;
        if (current.empty()) continue;  // the leading "/"
        struct stat st;
        if (::stat(current.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) return false;
            continue;
        }
        if (::mkdir(current.c_str(), 0700) != 0 && errno != EEXIST) return false;
        // The umask can only take rights away; make the mode exact anyway.
        ::chmod(current.c_str(), 0700);
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string app_data_dir() {
    std::lock_guard<std::mutex> lock(dirs_mutex);
    if (data_dir.empty()) {
        std::string base = data_root_override.empty() ? user_data_home() : data_root_override;
        std::string dir = with_trailing_slash(base) + kDataFolderName + "/";
        make_private_dirs(dir);  // a folder that cannot be made is noticed by its users
        data_dir = dir;
        diag_print("\n %s(), appdatadir: %s", "", data_dir.c_str());
    }
    if (configs_dir.empty() || settings_path.empty()) {
        std::string configs = data_dir + "configs/";
        make_private_dirs(configs);
        configs_dir = wxString::FromUTF8(configs).ToStdWstring();
        settings_path = configs_dir + L"reader-configs.xml";
    }
    // Written only when it changes: other threads read these paths unlocked.
    const std::string store = data_dir + "certstore/";
    if (certstore_dir != store) certstore_dir = store;
    return data_dir;
}

void set_data_root(const std::string& root) {
    std::lock_guard<std::mutex> lock(dirs_mutex);
    data_root_override = root;
    data_dir.clear();
    configs_dir.clear();
    settings_path.clear();
    certstore_dir.clear();
}
