#include "document/pdf_save.h"

#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "app/text_utils.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

void pdf_save_buffer::reset() {
    // Give the memory back: after a large file it would otherwise stay taken
    // for the rest of the process.
    decltype(bytes_)().swap(bytes_);
    position_ = 0;
    pinned_ = false;
}

void pdf_save_buffer::prefill(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (p && p == bytes_.data() && size <= bytes_.size()) {
        bytes_.resize(size);
        position_ = size;
        return;
    }
    bytes_.assign(p, p + (p ? size : 0));
    position_ = bytes_.size();
}

bool pdf_save_buffer::write(const void* data, std::size_t size) {
    if (size == 0) return true;
    if (!data) return false;
    if (pinned_ && position_ + size > bytes_.capacity()) return false;
    try {
        if (position_ + size > bytes_.size()) bytes_.resize(position_ + size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    std::memcpy(bytes_.data() + position_, data, size);
    position_ += size;
    return true;
}

bool pdf_save_buffer::seek(int64_t offset, int whence) {
    int64_t base;
    switch (whence) {
        case SEEK_SET: base = 0; break;
        case SEEK_CUR: base = static_cast<int64_t>(position_); break;
        case SEEK_END: base = static_cast<int64_t>(bytes_.size()); break;
        default: return false;
    }
    if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset)) return false;
    position_ = static_cast<std::size_t>(base + offset);
    return true;
}

bool pdf_save_buffer::reserve(std::size_t size) {
    if (pinned_) return size <= bytes_.capacity();
    try {
        bytes_.reserve(size);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

namespace {
// Large pages for a large buffer: filling hundreds of megabytes page by page
// costs more in page faults than in copying.
void advise_huge_pages(void* start, std::size_t size) {
#ifdef MADV_HUGEPAGE
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    if (page == 0 || size < (std::size_t(8) << 20)) return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(start) + page - 1) / page * page;
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(start) + size) / page * page;
    if (end > begin) (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)start;
    (void)size;
#endif
}
}  // namespace

bool pdf_save_buffer::load_file(const std::string& path, std::size_t room) {
    reset();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0;
    const auto length = ok ? static_cast<std::size_t>(st.st_size) : 0;
    try {
        if (ok) {
            bytes_.reserve(length + room);
            advise_huge_pages(bytes_.data(), bytes_.capacity());
            bytes_.resize(length);  // left uninitialised: read() fills it
        }
    } catch (const std::exception&) {
        ok = false;
    }
    std::size_t done = 0;
    while (ok && done < length) {
        const ssize_t n = ::read(fd, bytes_.data() + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    // A file that grew while being read is not taken half-read.
    unsigned char extra = 0;
    if (ok) {
        ssize_t n;
        do n = ::read(fd, &extra, 1);
        while (n < 0 && errno == EINTR);
        ok = n == 0;
    }
    ::close(fd);
    if (!ok) {
        reset();
        return false;
    }
    position_ = length;
    pinned_ = true;
    return true;
}

void pdf_save_buffer::truncate() {
    if (position_ < bytes_.size()) bytes_.resize(position_);
}

std::size_t pdf_save_buffer::read_at(uint64_t offset, void* out, std::size_t size) const {
    if (!out || offset >= bytes_.size()) return 0;
    std::size_t n = std::min<std::size_t>(size, bytes_.size() - static_cast<std::size_t>(offset));
    std::memcpy(out, bytes_.data() + offset, n);
    return n;
}

pdf_save_buffer& process_save_buffer() {
    static pdf_save_buffer* buffer = new pdf_save_buffer();  // never destroyed: the process ends without static destructors
    return *buffer;
}

int save_write_block(void* record, const void* data, unsigned long size) {
    pdf_save_buffer& buffer = record ? *static_cast<pdf_save_buffer*>(record) : process_save_buffer();
    return buffer.write(data, size) ? 1 : 0;
}

namespace {
// The output is complete when it ends with "%%EOF" and, at most, line-end characters.
bool ends_with_eof_marker(const pdf_save_buffer& buffer) {
    std::size_t end = buffer.size();
    while (end > 0 && (buffer.data()[end - 1] == '\n' || buffer.data()[end - 1] == '\r')) --end;
    return end >= 5 && std::memcmp(buffer.data() + end - 5, "%%EOF", 5) == 0;
}
}  // namespace

void throw_save_failure(int code, int write_error) {
    const char* cause = write_error ? write_failure_cause(write_error) : nullptr;
    if (cause) throw_ex_fmt("failed to save pdf file: %d, %s", code, cause);
    throw_ex_fmt("failed to save pdf file: %d", code);
}

void save_pdf(const std::wstring& path, pdf_savable* document, bool incremental) {
    pdf_save_buffer& buffer = process_save_buffer();
    buffer.reset();
    buffer.set_path(wide_to_utf8(path));
    if (!document) throw_save_failure(kSavePdfErrorUnknown);
    int error = document->save_into(buffer, incremental);
    if (error == 0 && !ends_with_eof_marker(buffer)) error = kSavePdfErrorUnknown;
    if (buffer.path().empty()) {
        if (error != 0) throw_save_failure(error);
        return;
    }
    // Written to its file (or failed), the output is not needed in memory any more.
    const bool written = error == 0 && buffer.size() <= UINT32_MAX &&
                         buff2file(buffer.data(), static_cast<uint32_t>(buffer.size()), buffer.path());
    const int cause = written || error != 0 ? 0 : errno;
    buffer.reset();
    if (error != 0) throw_save_failure(error);
    if (!written) throw_save_failure(kSavePdfErrorFile, cause);
}
