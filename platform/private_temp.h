#pragma once
// A private (0700) temporary folder for this process, and safe temporary files in it.
#include <string>

namespace platform {

// The process's private temporary folder, created on first use with mode 0700
// under $TMPDIR (or /tmp). Throws std::runtime_error when it cannot be made.
const std::string& private_temp_dir();

// Creates a new empty file (mode 0600) in the private folder whose name starts
// with `prefix` and ends with `suffix`, using mkstemps so the name cannot be
// taken by another process. Returns its full path; throws on failure.
std::string make_private_temp_file(const std::string& prefix, const std::string& suffix);

// Redirects the private folder (tests); an empty text returns to the default.
void set_private_temp_root(const std::string& root);

}  // namespace platform
