#include "app/diagnostics.h"
#include "app/restart_command.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include <wx/stdpaths.h>

#include "app/process_exit.h"

std::wstring restart_command;

namespace {

std::function<bool(const std::vector<std::string>&)>& launcher() {
    static std::function<bool(const std::vector<std::string>&)> installed;
    return installed;
}

// The new program takes the place of the ending one at the very end of
// shutdown, after everything was saved: it keeps the terminal, the standard
// streams and the process id that a waiting shell knows.
bool replace_at_exit(const std::vector<std::string>& args) {
    set_exec_at_exit(args);
    return true;
}

bool same_file(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool may_start(const std::filesystem::path& candidate) {
    return same_file(candidate, wxStandardPaths::Get().GetExecutablePath().utf8_string());
}

}  // namespace

void set_restart_launcher(std::function<bool(const std::vector<std::string>&)> l) { launcher() = std::move(l); }

bool run_restart_command() {
    if (restart_command.empty()) return false;
    const std::string path = wxString(restart_command).utf8_string();
    if (!may_start(std::filesystem::path(path))) {
        diag_print("\n restart refused, not the program itself: %s\n", path.c_str());
        return false;
    }
    const std::vector<std::string> argv{path};
    return launcher() ? launcher()(argv) : replace_at_exit(argv);
}
