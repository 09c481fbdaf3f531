#pragma once
// Registers this program as the opener of some file types for the current
// user, the freedesktop way: a desktop entry under the user's data folder
// ($XDG_DATA_HOME/applications) and default-application lines in the user's
// mimeapps.list ($XDG_CONFIG_HOME). Both folders follow the environment, so
// tests redirect them.
#include <string>
#include <vector>

namespace platform {

// The desktop entry for one kind of file ("pdf", "cer"): "velkorant-<kind>.desktop".
std::string association_entry_name(const std::string& kind);

// Writes the entry (Exec: the program, quoted, with the file as its one
// argument; Icon: the icon file) and makes it the default for each type.
bool associate_file_types(const std::string& kind, const std::vector<std::string>& mime_types,
                          const std::string& program, const std::string& icon);

// Removes the default lines that name this kind's entry, then the entry. True
// when nothing of it is left (also when there was none).
bool unassociate_file_types(const std::string& kind);

// Whether the entry of a kind exists and is the default for the type.
bool is_associated(const std::string& kind, const std::string& mime_type);

}  // namespace platform
