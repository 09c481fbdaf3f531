#pragma once
// MuPDF outputs onto files: a document is written straight to disk, never
// gathered in memory first, and a failed write keeps its errno so that the
// error can say why (a full disk, a folder that cannot be written).
#include "document/pdf_layer_mupdf.h"

#include <cstdint>
#include <string>

// A stream reading the open file `fd` (not closed with the stream) through a
// buffer that grows while it is read in order, up to 1 MB; a seek that stays
// within the buffered bytes reads nothing again. MuPDF's own file stream
// reads again after every seek, which makes comparing a large file with its
// copy (as an incremental save does) cost a system call for every few
// hundred bytes. Throws a MuPDF error when it cannot be made.
fz_stream* open_pdf_file_stream(fz_context* ctx, int fd);

// Where an output writes: an open file (read-write, also read back) and the
// position of the next write.
struct pdf_file_sink {
    int fd = -1;
    int64_t position = 0;
    int error = 0;  // errno of the first write, seek or truncate that failed
};

// A buffered, seekable output onto `sink` (which must outlive it) that MuPDF
// can also truncate and read back. Throws a MuPDF error when it cannot be made.
fz_output* new_pdf_file_output(fz_context* ctx, pdf_file_sink* sink);

// Writes `doc` whole (not incrementally) with `options` to the file at the
// UTF-8 `path`, through a temporary file beside it that is renamed onto it
// once complete and flushed. False on failure, with MuPDF's or the file
// system's reason in `message` and the errno of a failed write in
// `*write_error` (0 when no write failed); `path` is then untouched.
bool write_pdf_to_file(fz_context* ctx, pdf_document* doc, const pdf_write_options& options,
                       const std::string& path, std::string* message, int* write_error);

// Appends the incremental update of `doc` to `sink`, which holds the bytes
// the document was opened from, behind them (the position moves there
// first). False with the reason in `message`; sink->error tells the errno of
// a failed write.
bool append_pdf_update(fz_context* ctx, pdf_document* doc, pdf_file_sink* sink, std::string* message);
