#include "document/pdf_file_output.h"

#include "app/worker_flags.h"
#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kFirstRead = std::size_t(16) << 10;
constexpr std::size_t kLargestRead = std::size_t(1) << 20;

struct file_stream_state {
    int fd;
    std::size_t next_read;  // grows while the reads follow each other
    unsigned char buffer[kLargestRead];
};

int file_stream_next(fz_context* ctx, fz_stream* stm, size_t) {
    auto* st = static_cast<file_stream_state*>(stm->state);
    ssize_t n;
    do n = ::pread(st->fd, st->buffer, st->next_read, static_cast<off_t>(stm->pos));
    while (n < 0 && errno == EINTR);
    if (n < 0) fz_throw(ctx, FZ_ERROR_GENERIC, "cannot read the file: %s", std::strerror(errno));
    st->next_read = std::min(st->next_read * 2, kLargestRead);
    stm->rp = st->buffer;
    stm->wp = st->buffer + n;
    stm->pos += n;
    if (n == 0) return EOF;
    return *stm->rp++;
}

void file_stream_seek(fz_context* ctx, fz_stream* stm, int64_t offset, int whence) {
    auto* st = static_cast<file_stream_state*>(stm->state);
    if (whence == SEEK_END) {
        struct stat info {};
        if (::fstat(st->fd, &info) != 0) fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in the file");
        offset += info.st_size;
    } else if (whence == SEEK_CUR) {
        offset += stm->pos - (stm->wp - stm->rp);
    }
    if (offset < 0) fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek before the start of the file");
    const int64_t window_start = stm->pos - (stm->wp - st->buffer);
    if (offset >= window_start && offset <= stm->pos) {
        stm->rp = st->buffer + (offset - window_start);
        return;
    }
    // Elsewhere: read from there, starting small again.
    st->next_read = kFirstRead;
    stm->pos = offset;
    stm->rp = stm->wp = st->buffer;
}

void file_stream_drop(fz_context* ctx, void* state) { fz_free(ctx, state); }

constexpr int kOutputBuffer = 1 << 16;

void sink_write(fz_context* ctx, void* opaque, const void* data, size_t n) {
    // Writing a large document takes seconds; shutdown does not wait for it
    // (the file written is a temporary one, the original stays untouched).
    if (stop_workers.load(std::memory_order_relaxed)) fz_throw(ctx, FZ_ERROR_GENERIC, "stopped");
    auto* sink = static_cast<pdf_file_sink*>(opaque);
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        const ssize_t w = ::pwrite(sink->fd, p, n, sink->position);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) {
            if (!sink->error) sink->error = w < 0 ? errno : EIO;
            fz_throw(ctx, FZ_ERROR_GENERIC, "cannot write the output: %s", std::strerror(sink->error));
        }
        p += w;
        n -= static_cast<size_t>(w);
        sink->position += w;
    }
}

void sink_seek(fz_context* ctx, void* opaque, int64_t offset, int whence) {
    auto* sink = static_cast<pdf_file_sink*>(opaque);
    int64_t base = sink->position;
    if (whence == SEEK_SET) {
        base = 0;
    } else if (whence == SEEK_END) {
        struct stat st {};
        if (::fstat(sink->fd, &st) != 0) {
            if (!sink->error) sink->error = errno;
            fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in the output");
        }
        base = st.st_size;
    }
    if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset))
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in the output");
    sink->position = base + offset;
}

int64_t sink_tell(fz_context*, void* opaque) { return static_cast<pdf_file_sink*>(opaque)->position; }

void sink_truncate(fz_context* ctx, void* opaque) {
    auto* sink = static_cast<pdf_file_sink*>(opaque);
    if (::ftruncate(sink->fd, sink->position) != 0) {
        if (!sink->error) sink->error = errno;
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot truncate the output");
    }
}

// What was written, read back from the file (the output is flushed first).
fz_stream* sink_as_stream(fz_context* ctx, void* opaque) {
    return open_pdf_file_stream(ctx, static_cast<pdf_file_sink*>(opaque)->fd);
}

}  // namespace

fz_stream* open_pdf_file_stream(fz_context* ctx, int fd) {
    auto* st = static_cast<file_stream_state*>(fz_malloc(ctx, sizeof(file_stream_state)));
    st->fd = fd;
    st->next_read = kFirstRead;
    // On failure the library frees the state itself.
    fz_stream* stm = fz_new_stream(ctx, st, file_stream_next, file_stream_drop);
    stm->seek = file_stream_seek;
    stm->rp = stm->wp = st->buffer;
    return stm;
}

fz_output* new_pdf_file_output(fz_context* ctx, pdf_file_sink* sink) {
    fz_output* out = fz_new_output(ctx, kOutputBuffer, sink, sink_write, nullptr, nullptr);
    out->seek = sink_seek;
    out->tell = sink_tell;
    out->truncate = sink_truncate;
    out->as_stream = sink_as_stream;
    return out;
}

namespace {

// Runs MuPDF's writer onto the sink; false with MuPDF's message.
bool write_through(fz_context* ctx, pdf_document* doc, const pdf_write_options& options, pdf_file_sink* sink,
                   std::string* message) {
    pdf_layer_use_document(ctx, doc);
    fz_output* volatile out = nullptr;
    volatile bool written = false;
    char text[256] = "";
    fz_try(ctx) {
        out = new_pdf_file_output(ctx, sink);
        pdf_write_options opts = options;
        pdf_write_document(ctx, doc, out, &opts);
        fz_close_output(ctx, out);
        written = true;
    }
    fz_always(ctx) { fz_drop_output(ctx, out); }
    fz_catch(ctx) { std::snprintf(text, sizeof text, "%s", fz_caught_message(ctx)); }
    if (!written && message) *message = text[0] ? text : "the PDF cannot be written";
    return written;
}

}  // namespace

bool write_pdf_to_file(fz_context* ctx, pdf_document* doc, const pdf_write_options& options,
                       const std::string& path, std::string* message, int* write_error) {
    if (write_error) *write_error = 0;
    platform::atomic_file_writer file;
    if (!file.open(path, 0, platform::user_file_mode())) {
        if (write_error) *write_error = errno;
        if (message) *message = std::string("cannot create the file: ") + std::strerror(errno);
        return false;
    }
    pdf_file_sink sink;
    sink.fd = file.fd();
    if (!write_through(ctx, doc, options, &sink, message)) {
        if (write_error) *write_error = sink.error;
        return false;
    }
    if (!file.commit()) {
        if (write_error) *write_error = errno;
        if (message) *message = std::string("cannot write the file: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool append_pdf_update(fz_context* ctx, pdf_document* doc, pdf_file_sink* sink, std::string* message) {
    struct stat st {};
    if (::fstat(sink->fd, &st) != 0) {
        sink->error = errno;
        if (message) *message = std::string("cannot read the output: ") + std::strerror(errno);
        return false;
    }
    sink->position = st.st_size;
    pdf_write_options opts = pdf_default_write_options;
    opts.do_incremental = 1;
    return write_through(ctx, doc, opts, sink, message);
}
