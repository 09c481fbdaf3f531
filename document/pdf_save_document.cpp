// Saving a document of the PDF layer through the process-wide save buffer.
#include "document/pdf_save_document.h"

#include "document/pdf_save.h"
#include "document/pdf_file_output.h"
#include "document/pdf_layer_mupdf.h"
#include "app/text_utils.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

// The library's file-write record, carrying the buffer its blocks go to.
struct buffer_file_write : FPDF_FILEWRITE {
    pdf_save_buffer* out = nullptr;
};

int write_block(FPDF_FILEWRITE* self, const void* data, unsigned long size) {
    return save_write_block(static_cast<buffer_file_write*>(self)->out, data, size);
}

// MuPDF output callbacks writing straight into a save buffer.
void sb_write(fz_context* ctx, void* opaque, const void* data, size_t n) {
    if (!static_cast<pdf_save_buffer*>(opaque)->write(data, n)) fz_throw(ctx, FZ_ERROR_GENERIC, "out of memory");
}
void sb_seek(fz_context* ctx, void* opaque, int64_t offset, int whence) {
    if (!static_cast<pdf_save_buffer*>(opaque)->seek(offset, whence))
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek in the output");
}
int64_t sb_tell(fz_context*, void* opaque) { return static_cast<pdf_save_buffer*>(opaque)->tell(); }
void sb_truncate(fz_context*, void* opaque) { static_cast<pdf_save_buffer*>(opaque)->truncate(); }
fz_stream* sb_as_stream(fz_context* ctx, void* opaque) {
    auto* b = static_cast<pdf_save_buffer*>(opaque);
    return fz_open_memory(ctx, b->data(), b->size());
}

// Whether the document can be saved incrementally; when not, the layer's
// error says why.
bool can_save_incrementally(fz_context* ctx, FPDF_DOCUMENT doc) {
    volatile int can = 0;
    fz_try(ctx) { can = pdf_can_be_saved_incrementally(ctx, doc->pdf); }
    fz_catch(ctx) { can = 0; }
    if (doc->repaired || !can || !pdf_layer_has_source(doc)) {
        pdf_layer_set_error(FPDF_ERR_FORMAT, pdf_layer_has_source(doc) ? "the PDF is damaged (it had to be repaired "
                                                                         "when opened) and cannot be saved incrementally"
                                                                       : "a new document cannot be saved incrementally");
        return false;
    }
    return true;
}

// An incremental save straight into `out`: the source bytes are copied in
// once and MuPDF appends its update behind them. This keeps a large file in
// memory twice at most (the document's source and the output), where going
// through FPDF_SaveAsCopy holds it three times.
int save_incremental_into(FPDF_DOCUMENT doc, pdf_save_buffer& out) {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    if (!ctx || !doc) return kSavePdfErrorUnknown;
    if (!can_save_incrementally(ctx, doc)) return FPDF_ERR_FORMAT;
    // Room for the update too, so appending never moves the source bytes.
    const std::size_t size = pdf_layer_source_size(doc);
    if (!out.reserve(size + size / 64 + (4u << 20))) return kSavePdfErrorUnknown;
    if (doc->source) {
        out.prefill(doc->source->data, doc->source->len);
    } else {
        // A document opened from its file: the source is copied in from the
        // open file in blocks.
        std::vector<unsigned char> block(std::min<std::size_t>(size, std::size_t(1) << 20));
        for (std::size_t at = 0; at < size; at += block.size()) {
            const std::size_t n = std::min(block.size(), size - at);
            if (!pdf_layer_read_source(doc, at, block.data(), n) || !out.write(block.data(), n)) {
                pdf_layer_set_error(FPDF_ERR_FILE, "the source file cannot be read");
                return FPDF_ERR_FILE;
            }
        }
    }
    fz_output* volatile output = nullptr;
    volatile bool saved = false;
    char message[256] = "";
    fz_try(ctx) {
        output = fz_new_output(ctx, 0, &out, sb_write, nullptr, nullptr);
        output->seek = sb_seek;
        output->tell = sb_tell;
        output->as_stream = sb_as_stream;
        output->truncate = sb_truncate;
        pdf_write_options opts = pdf_default_write_options;
        opts.do_incremental = 1;
        pdf_write_document(ctx, doc->pdf, output, &opts);
        fz_close_output(ctx, output);
        saved = true;
    }
    fz_always(ctx) { fz_drop_output(ctx, output); }
    fz_catch(ctx) { std::snprintf(message, sizeof message, "%s", fz_caught_message(ctx)); }
    if (!saved) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, message[0] ? message : "the PDF cannot be saved");
        return FPDF_ERR_UNKNOWN;
    }
    pdf_layer_set_error(FPDF_ERR_SUCCESS, "");
    return 0;
}

class layer_document : public pdf_savable {
public:
    explicit layer_document(FPDF_DOCUMENT doc) : doc_(doc) {}
    int save_into(pdf_save_buffer& out, bool incremental) override {
        if (incremental) return save_incremental_into(doc_, out);
        buffer_file_write writer;
        writer.version = 1;
        writer.WriteBlock = write_block;
        writer.out = &out;
        if (FPDF_SaveAsCopy(doc_, &writer, incremental ? FPDF_INCREMENTAL : FPDF_NO_INCREMENTAL)) return 0;
        int code = static_cast<int>(FPDF_GetLastError());
        return code ? code : kSavePdfErrorUnknown;
    }

private:
    FPDF_DOCUMENT doc_;
};

}  // namespace

int append_update_to_file(FPDF_DOCUMENT doc, int fd, int* write_error) {
    PDF_LAYER_GUARD;
    int ignored = 0;
    if (!write_error) write_error = &ignored;
    *write_error = 0;
    fz_context* ctx = pdf_layer_context();
    if (!ctx || !doc || fd < 0) return kSavePdfErrorUnknown;
    if (!can_save_incrementally(ctx, doc)) return FPDF_ERR_FORMAT;
    pdf_file_sink sink;
    sink.fd = fd;
    std::string message;
    if (!append_pdf_update(ctx, doc->pdf, &sink, &message)) {
        pdf_layer_set_error(sink.error ? FPDF_ERR_FILE : FPDF_ERR_UNKNOWN, message.c_str());
        *write_error = sink.error;
        return sink.error ? kSavePdfErrorFile : static_cast<int>(FPDF_ERR_UNKNOWN);
    }
    pdf_layer_set_error(FPDF_ERR_SUCCESS, "");
    return 0;
}

namespace {

// Writes the document straight to its file, never holding the output in
// memory: whole, or (incremental) the source's bytes followed by the update,
// through a temporary file beside `path` renamed onto it once complete.
// Returns 0 or an error code; *write_error receives the errno of a failed write.
int save_to_file(FPDF_DOCUMENT doc, const std::string& path, bool incremental, int* write_error) {
    PDF_LAYER_GUARD;
    *write_error = 0;
    fz_context* ctx = pdf_layer_context();
    if (!ctx || !doc) return kSavePdfErrorUnknown;
    std::string message;
    if (!incremental) {
        if (write_pdf_to_file(ctx, doc->pdf, pdf_default_write_options, path, &message, write_error)) return 0;
        pdf_layer_set_error(FPDF_ERR_FILE, message.c_str());
        return *write_error ? kSavePdfErrorFile : static_cast<int>(FPDF_ERR_UNKNOWN);
    }
    if (!can_save_incrementally(ctx, doc)) return FPDF_ERR_FORMAT;
    platform::atomic_file_writer file;
    if (!file.open(path, 0, platform::user_file_mode())) {
        *write_error = errno;
        return kSavePdfErrorFile;
    }
    const std::size_t size = pdf_layer_source_size(doc);
    errno = EIO;
    const bool copied = doc->source ? platform::write_buffer_at(file.fd(), doc->source->data, size, 0)
                                    : doc->fp && platform::copy_file_prefix(fileno(doc->fp), file.fd(), size);
    if (!copied) {
        *write_error = errno;
        return kSavePdfErrorFile;
    }
    const int error = append_update_to_file(doc, file.fd(), write_error);
    if (error != 0) return error;
    if (!file.commit()) {
        *write_error = errno;
        return kSavePdfErrorFile;
    }
    pdf_layer_set_error(FPDF_ERR_SUCCESS, "");
    return 0;
}

}  // namespace

void save_pdf(const std::wstring& path, FPDF_DOCUMENT doc, bool incremental) {
    if (path.empty() || !doc) {
        layer_document document(doc);
        save_pdf(path, doc ? &document : nullptr, incremental);
        return;
    }
    int write_error = 0;
    const int error = save_to_file(doc, wide_to_utf8(path), incremental, &write_error);
    if (error != 0) throw_save_failure(error, write_error);
}
