#include "app/diagnostics.h"
#include "app/restart_command.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include <wx/stdpaths.h>
#include <wx/utils.h>

std::wstring restart_command;
std::wstring verified_installer;

namespace {

std::function<bool(const std::vector<std::string>&)>& launcher() {
    static std::function<bool(const std::vector<std::string>&)> installed;
    return installed;
}

bool start_detached(const std::vector<std::string>& args) {
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return wxExecute(const_cast<char**>(argv.data()), wxEXEC_ASYNC) > 0;
}

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool may_start(const std::filesystem::path& candidate) {
    if (same_file(candidate, wxStandardPaths::Get().GetExecutablePath().utf8_string())) return true;
    return !verified_installer.empty() && same_file(candidate, wxString(verified_installer).utf8_string());
}

}  // namespace

void set_restart_launcher(std::function<bool(const std::vector<std::string>&)> l) { launcher() = std::move(l); }

bool run_restart_command() {
    if (restart_command.empty()) return false;
    const std::string path = wxString(restart_command).utf8_string();
    if (!may_start(std::filesystem::path(path))) {
        diag_print("\n restart refused, neither the program nor a verified installer: %s\n", path.c_str());
        return false;
    }
    const std::vector<std::string> argv{path};
    return launcher() ? launcher()(argv) : start_detached(argv);
}
