#pragma once
// Saving an open PDF into the process-wide save buffer and, optionally, a file.
//
// The buffer acts as a seekable output: the PDF layer may pre-fill it with the
// source bytes, write at any position, seek, truncate and read back what it
// wrote (an incremental save appends to the source and re-reads parts of it).
// The buffer is process-wide and unlocked: saves must not overlap (they all
// run on the sign worker, one at a time).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

// Leaves new bytes uninitialised when no value is given, so sizing the
// buffer for a file about to be read into it does not fill it first.
template <typename T>
struct default_init_allocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = default_init_allocator<U>;
    };
    default_init_allocator() = default;
    template <typename U>
    default_init_allocator(const default_init_allocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class pdf_save_buffer {
public:
    // Empties the buffer, frees its memory, unpins it and moves to position 0 (the path is kept).
    void reset();
    // Starts from a copy of `size` bytes (the source of an incremental save);
    // the position moves to the end. When `data` is the buffer's own start
    // (the source was loaded with load_file), nothing is copied.
    void prefill(const void* data, std::size_t size);
    // Empties the buffer and reads the file at `path` (UTF-8) into it, with
    // room for `room` more bytes, then pins it: while pinned, the bytes never
    // move (a document may read them in place), so a write or reserve that
    // would need more room fails instead. False when the file cannot be read
    // or memory is short (the buffer is then empty and unpinned).
    bool load_file(const std::string& path, std::size_t room);
    bool pinned() const { return pinned_; }
    void unpin() { pinned_ = false; }
    // Writes at the position, overwriting and then extending; a gap left by a
    // seek past the end reads as zero bytes. Returns false when out of memory.
    bool write(const void* data, std::size_t size);
    // whence: SEEK_SET, SEEK_CUR or SEEK_END. A position before 0 is refused.
    bool seek(int64_t offset, int whence);
    int64_t tell() const { return static_cast<int64_t>(position_); }
    // Cuts the buffer at the position.
    void truncate();
    // Makes room for `size` bytes in all, so that writes up to it never move
    // the bytes already held. False when out of memory.
    bool reserve(std::size_t size);
    // Copies up to `size` bytes from `offset`; returns how many were copied.
    std::size_t read_at(uint64_t offset, void* out, std::size_t size) const;

    const unsigned char* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    const std::vector<unsigned char, default_init_allocator<unsigned char>>& bytes() const { return bytes_; }

    // The file the finished output also goes to (UTF-8); empty: memory only.
    const std::string& path() const { return path_; }
    void set_path(const std::string& path) { path_ = path; }

private:
    std::vector<unsigned char, default_init_allocator<unsigned char>> bytes_;
    std::size_t position_ = 0;
    bool pinned_ = false;
    std::string path_;
};

// The process-wide save buffer. It lives for the whole process and is
// overwritten by every save.
pdf_save_buffer& process_save_buffer();

// Block writer handed to the PDF library: appends (writes at the position)
// every block of any size to `record` (a pdf_save_buffer, or the process-wide
// one when null). Returns 1, or 0 when the block cannot be stored.
int save_write_block(void* record, const void* data, unsigned long size);

// Implemented by the PDF layer for its document class.
class pdf_savable {
public:
    virtual ~pdf_savable() = default;
    // Writes the whole output (for an incremental save: the source bytes and
    // the update) into `out`, which save_pdf has emptied. Returns 0 on success,
    // otherwise the library's error code.
    virtual int save_into(pdf_save_buffer& out, bool incremental) = 0;
};

// Error codes save_pdf reports besides the library's own.
constexpr int kSavePdfErrorUnknown = 1;  // the output is empty or does not end with "%%EOF"
constexpr int kSavePdfErrorFile = 2;     // the output file could not be written

// Empties the process-wide buffer, remembers `path` (may be empty), has the
// document write itself into the buffer (incrementally when asked) and, once
// the output is complete, writes it to `path` in one checked write and empties
// the buffer again (with an empty path the output stays in the buffer).
// Raises exceptionex "failed to save pdf file: %d" on any failure.
void save_pdf(const std::wstring& path, pdf_savable* document, bool incremental);
// Raises "failed to save pdf file: <code>", followed by ", " and the cause
// when the errno of a failed write names one (write_failure_cause).
[[noreturn]] void throw_save_failure(int code, int write_error = 0);
