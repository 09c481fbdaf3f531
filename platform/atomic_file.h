#pragma once
// Replacing a file so that readers see either the old or the new content, never
// a half-written one.
#include <string>
#include <sys/types.h>

namespace platform {

// Writes `bytes` to a new temporary file in the folder of `path` (created with
// mkstemp, then given `mode`), flushes it to disk and renames it over `path`.
// On any failure the temporary file is removed, `path` is left as it was and
// false is returned.
bool write_file_atomically(const std::string& path, const std::string& bytes, mode_t mode = 0600);

}  // namespace platform
