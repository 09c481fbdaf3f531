#pragma once
// Replacing a file so that readers see either the old or the new content, never
// a half-written one.
#include <cstddef>
#include <cstdint>
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

// A file written piece by piece (at any offset, through fd()) beside its
// target and renamed onto it by commit(), by the same rules as
// write_buffer_atomically. Until then the target is untouched; a writer that
// is discarded or destroyed without commit() removes its temporary file.
class atomic_file_writer {
public:
    atomic_file_writer() = default;
    ~atomic_file_writer() { discard(); }
    atomic_file_writer(const atomic_file_writer&) = delete;
    atomic_file_writer& operator=(const atomic_file_writer&) = delete;

    // Creates the empty temporary file beside `path`. False (errno set) when
    // it cannot be made or `path` names something that is not a regular file.
    // `fresh_mode` is the mode of a new file when `mode` is 0.
    bool open(const std::string& path, mode_t mode = 0, mode_t fresh_mode = 0600);
    int fd() const { return fd_; }
    const std::string& temp_path() const { return temp_; }
    // Sets the mode, flushes the file to disk, closes it and renames it onto
    // the target. False (errno set) on any failure: the temporary file is then
    // removed and the target left as it was.
    bool commit();
    // Removes the temporary file (nothing once committed).
    void discard();

private:
    int fd_ = -1;
    mode_t mode_ = 0600;
    std::string target_, folder_, temp_;
};

// The mode a program gives a document the user creates: read and write for
// everyone, less the process's umask (as open(2) with 0666 would).
mode_t user_file_mode();

// Writes all `size` bytes at `offset` of the file; false (errno set) when not
// every byte was written.
bool write_buffer_at(int fd, const void* data, std::size_t size, uint64_t offset);

// Copies the first `size` bytes of `in` to the start of `out` with the
// kernel's copy (extents are shared where the file system can), falling back
// to reads and writes where it cannot. False (errno set) when not every byte
// was copied; a source shorter than `size` gives EIO.
bool copy_file_prefix(int in, int out, uint64_t size);

}  // namespace platform
