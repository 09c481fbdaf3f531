#pragma once
// Replacing a file so that readers see either the old or the new content, never
// a half-written one.
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform {

// Writes the bytes to a new temporary file beside `path` (mkostemp), flushes
// it to disk and renames it over `path`; a symbolic link is written through to
// the file it names. The file gets `mode`, or with mode 0 keeps the mode of the
// file it replaces (0600 for a new file). On any failure the temporary file is
// removed, `path` is left as it was, errno tells why and false is returned.
bool write_buffer_atomically(const std::string& path, const void* data, std::size_t size, mode_t mode = 0);
bool write_file_atomically(const std::string& path, const std::string& bytes, mode_t mode = 0);

}  // namespace platform
