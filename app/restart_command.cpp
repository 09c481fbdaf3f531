#include "app/restart_command.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include <wx/stdpaths.h>
#include <wx/utils.h>

std::wstring restart_command;

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

bool is_own_executable(const std::filesystem::path& candidate) {
    const std::filesystem::path own(wxStandardPaths::Get().GetExecutablePath().utf8_string());
    std::error_code ec;
    return std::filesystem::equivalent(candidate, own, ec) && !ec;
}

}  // namespace

void set_restart_launcher(std::function<bool(const std::vector<std::string>&)> l) { launcher() = std::move(l); }

bool run_restart_command() {
    if (restart_command.empty()) return false;
    const std::string path = wxString(restart_command).utf8_string();
    if (!is_own_executable(std::filesystem::path(path))) {
        std::fprintf(stderr, "\n restart refused, not the program's own executable: %s\n", path.c_str());
        return false;
    }
    const std::vector<std::string> argv{path};
    return launcher() ? launcher()(argv) : start_detached(argv);
}
