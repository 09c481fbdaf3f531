#include "platform/file_association.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/atomic_file.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::string xdg_folder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/" + fallback;
}

std::string entry_path(const std::string& kind) {
    return xdg_folder("XDG_DATA_HOME", ".local/share") + "/applications/" + association_entry_name(kind);
}

std::string mimeapps_path() { return xdg_folder("XDG_CONFIG_HOME", ".config") + "/mimeapps.list"; }

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A desktop-entry argument: quoted, with the characters the format reserves escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// mimeapps.list with the lines naming `entry` dropped from [Default
// Applications], and `add` (type → entry) put at the top of that group.
std::string rewrite_mimeapps(const std::string& text, const std::string& entry,
                             const std::vector<std::string>& add) {
    std::istringstream in(text);
    std::string line, out, group;
    bool seen_group = false;
    auto add_lines = [&] {
        for (const std::string& type : add) out += type + "=" + entry + ";\n";
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            group = line;
            out += line + "\n";
            if (group == "[Default Applications]") {
                seen_group = true;
                add_lines();
            }
            continue;
        }
        if (group == "[Default Applications]") {
            const auto eq = line.find('=');
            const std::string type = eq == std::string::npos ? "" : line.substr(0, eq);
            bool ours = line.find(entry) != std::string::npos;
            for (const std::string& t : add) ours = ours || t == type;
            if (ours) continue;
        }
        out += line + "\n";
    }
    if (!seen_group && !add.empty()) {
        out += "[Default Applications]\n";
        add_lines();
    }
    return out;
}

}  // namespace

std::string association_entry_name(const std::string& kind) { return "velkorant-" + kind + ".desktop"; }

bool associate_file_types(const std::string& kind, const std::vector<std::string>& mime_types,
                          const std::string& program, const std::string& icon) {
    std::string types;
    for (const std::string& t : mime_types) types += t + ";";
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Velkorant\nExec=" + quoted(program) +
                              " %f\nIcon=" + icon + "\nMimeType=" + types + "\nNoDisplay=true\nTerminal=false\n";
    std::error_code ec;
    fs::create_directories(fs::path(entry_path(kind)).parent_path(), ec);
    fs::create_directories(fs::path(mimeapps_path()).parent_path(), ec);
    if (!write_file_atomically(entry_path(kind), entry, 0644)) return false;
    const std::string list = rewrite_mimeapps(read_text(mimeapps_path()), association_entry_name(kind), mime_types);
    return write_file_atomically(mimeapps_path(), list, 0644);
}

bool unassociate_file_types(const std::string& kind) {
    bool ok = true;
    if (fs::exists(mimeapps_path())) {
        const std::string list = rewrite_mimeapps(read_text(mimeapps_path()), association_entry_name(kind), {});
        ok = write_file_atomically(mimeapps_path(), list, 0644);
    }
    std::error_code ec;
    fs::remove(entry_path(kind), ec);
    return ok && !fs::exists(entry_path(kind));
}

bool is_associated(const std::string& kind, const std::string& mime_type) {
    if (!fs::exists(entry_path(kind))) return false;
    std::istringstream in(read_text(mimeapps_path()));
    std::string line, group;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') group = line;
        else if (group == "[Default Applications]" && line == mime_type + "=" + association_entry_name(kind) + ";")
            return true;
    }
    return false;
}

}  // namespace platform
