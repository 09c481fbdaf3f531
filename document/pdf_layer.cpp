// The PDF layer on MuPDF: library set-up, per-thread contexts, documents,
// pages, bitmaps, rendering and saving.
#include "document/pdf_layer_mupdf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

namespace {

// ---- contexts -----------------------------------------------------------------

// Recursive: under load, MuPDF 1.21 can take the allocation lock again on the
// thread that holds it (store scavenging inside an allocation), which
// deadlocked with plain mutexes.
std::recursive_mutex g_fz_locks[FZ_LOCK_MAX];

void fz_lock_cb(void*, int lock) { g_fz_locks[lock].lock(); }
void fz_unlock_cb(void*, int lock) { g_fz_locks[lock].unlock(); }

fz_locks_context g_locks_context = {nullptr, fz_lock_cb, fz_unlock_cb};

std::once_flag g_base_once;
fz_context* g_base_context = nullptr;

// MuPDF's warnings go to stderr in bursts for damaged files; keep them quiet
// and let errors speak through the results.
void quiet_warning(void*, const char*) {}

fz_context* base_context() {
    std::call_once(g_base_once, [] {
        g_base_context = fz_new_context(nullptr, &g_locks_context, FZ_STORE_DEFAULT);
        if (g_base_context) fz_set_warning_callback(g_base_context, quiet_warning, nullptr);
    });
    return g_base_context;
}

// The base context is never dropped: clones still alive in other threads
// share its store and locks.
struct thread_context {
    fz_context* ctx = nullptr;
    ~thread_context() {
        if (!ctx) return;
        // A clone shares the store and the caches it drops its references to.
        std::lock_guard<std::recursive_mutex> guard(pdf_library_lock());
        fz_drop_context(ctx);
    }
};
thread_local thread_context t_context;

thread_local unsigned long t_last_error = FPDF_ERR_SUCCESS;
thread_local char t_last_error_text[512];

void set_success() {
    t_last_error = FPDF_ERR_SUCCESS;
    t_last_error_text[0] = 0;
}

}  // namespace

std::recursive_mutex& pdf_library_lock() {
    static std::recursive_mutex lock;
    return lock;
}

namespace {

// The document whose objects the store may hold as keys (null: none).
pdf_document* g_store_document = nullptr;

}  // namespace

void pdf_layer_use_document(fz_context* ctx, pdf_document* doc) {
    // The store finds a key that is not an indirect object (a font
    // dictionary written inline, say) by comparing it with every such key
    // it holds, and MuPDF 1.21 compares two alike dictionaries by looking up
    // the second one's object number in the first one's document: past the
    // end of its cross-reference table when the other document is larger,
    // where it writes. Documents open side by side (a worker's beside the
    // one on screen) would corrupt the heap that way, so the store only ever
    // holds the objects of one document at a time.
    if (!ctx || doc == g_store_document) return;
    if (g_store_document) fz_empty_store(ctx);
    g_store_document = doc;
}

void pdf_layer_drop_document(fz_context* ctx, pdf_document* doc) {
    if (!ctx || !doc) return;
    PDF_LAYER_GUARD;
    if (doc == g_store_document) g_store_document = nullptr;
    // The resource store is shared by all contexts and keyed by PDF objects.
    // An item whose key belongs to a dropped document stays behind as a key
    // into freed memory: the next lookup compares against it (reading the
    // freed cross-reference table) and the next reap drops it. So the store
    // forgets the document's items while the document is still whole, and
    // is emptied once more after the drop for anything the drop released.
    fz_try(ctx) { pdf_empty_store(ctx, doc); }
    fz_catch(ctx) { fz_empty_store(ctx); }
    pdf_drop_document(ctx, doc);
    fz_empty_store(ctx);
}

fz_context* pdf_layer_context() {
    if (!t_context.ctx) {
        fz_context* base = base_context();
        if (base) t_context.ctx = fz_clone_context(base);
    }
    return t_context.ctx;
}

void pdf_layer_set_error(unsigned long code, const char* text) {
    t_last_error = code;
    std::snprintf(t_last_error_text, sizeof t_last_error_text, "%s", text ? text : "");
}

void FPDF_InitLibrary() { pdf_layer_context(); }

void FPDF_InitLibraryWithConfig(const FPDF_LIBRARY_CONFIG*) { pdf_layer_context(); }

void FPDF_DestroyLibrary() {
    // Contexts live as long as their threads; nothing to release here. Not
    // even the library lock is taken: shutdown calls this while a worker may
    // still be inside a long library call.
}

unsigned long FPDF_GetLastError() { return t_last_error; }

const char* FPDF_GetLastErrorText() { return t_last_error_text; }

// ---- documents ------------------------------------------------------------------

namespace {

// Opens a document from bytes (`buf`) or from an open file (`file` over
// `fp`, with its size); takes over whichever is given.
FPDF_DOCUMENT open_document(fz_context* ctx, fz_buffer* buf, fz_stream* file, FILE* fp, int64_t file_size,
                            const char* password) {
    const volatile int64_t size = file_size;
    pdf_document* volatile doc = nullptr;
    fz_stream* volatile stm = nullptr;
    volatile bool opened = false;
    char message[256] = "";
    fz_try(ctx) {
        stm = buf ? fz_open_buffer(ctx, buf) : fz_keep_stream(ctx, file);
        doc = pdf_open_document_with_stream(ctx, stm);
        opened = true;
    }
    fz_always(ctx) { fz_drop_stream(ctx, stm); }
    fz_catch(ctx) { std::snprintf(message, sizeof message, "%s", fz_caught_message(ctx)); }
    // What the handle would own, released on every failure below.
    auto release = [&] {
        fz_drop_buffer(ctx, buf);
        fz_drop_stream(ctx, file);
        if (fp) std::fclose(fp);
    };
    if (!opened) {
        // MuPDF dropped the half-opened document itself: forget whatever of
        // it reached the store.
        fz_empty_store(ctx);
        release();
        pdf_layer_set_error(FPDF_ERR_FORMAT, message[0] ? message : "not a PDF file");
        return nullptr;
    }

    volatile int needs = 0, authenticated = 0, repaired = 0, pages = -1;
    fz_try(ctx) {
        needs = pdf_needs_password(ctx, doc);
        if (needs) authenticated = pdf_authenticate_password(ctx, doc, password ? password : "");
        if (!needs || authenticated) {
            // Counting the pages loads the page tree, which is where a broken
            // file usually shows itself (and gets repaired).
            pages = pdf_count_pages(ctx, doc);
            repaired = pdf_was_repaired(ctx, doc);
        }
    }
    fz_catch(ctx) {
        std::snprintf(message, sizeof message, "%s", fz_caught_message(ctx));
        pages = -1;
    }
    if (needs && !authenticated) {
        pdf_layer_drop_document(ctx, doc);
        release();
        pdf_layer_set_error(FPDF_ERR_PASSWORD, "the PDF needs a password");
        return nullptr;
    }
    if (pages < 0) {
        pdf_layer_drop_document(ctx, doc);
        release();
        pdf_layer_set_error(FPDF_ERR_FORMAT, message[0] ? message : "the PDF cannot be read");
        return nullptr;
    }

    auto* handle = new (std::nothrow) fpdf_document_t__;
    if (!handle) {
        pdf_layer_drop_document(ctx, doc);
        release();
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "out of memory");
        return nullptr;
    }
    handle->pdf = doc;
    handle->source = buf;
    handle->file = file;
    handle->fp = fp;
    handle->file_size = file ? size : 0;
    handle->repaired = repaired != 0;
    set_success();
    return handle;
}

// Opens a document read from `file` (over `fp` when given), measuring its
// size first; takes both over.
FPDF_DOCUMENT open_file_stream(fz_context* ctx, fz_stream* file, FILE* fp, const char* password) {
    volatile int64_t size = -1;
    fz_try(ctx) {
        fz_seek(ctx, file, 0, SEEK_END);
        size = fz_tell(ctx, file);
        fz_seek(ctx, file, 0, SEEK_SET);
    }
    fz_catch(ctx) { size = -1; }
    if (size < 0) {
        fz_drop_stream(ctx, file);
        if (fp) std::fclose(fp);
        pdf_layer_set_error(FPDF_ERR_FILE, "the file cannot be opened");
        return nullptr;
    }
    return open_document(ctx, nullptr, file, fp, size, password);
}

}  // namespace

FPDF_DOCUMENT FPDF_LoadDocument(const char* path, const char* password) {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    if (!ctx) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "the PDF library cannot start");
        return nullptr;
    }
    struct stat st;
    if (!path || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || ::access(path, R_OK) != 0) {
        pdf_layer_set_error(FPDF_ERR_FILE, "the file cannot be opened");
        return nullptr;
    }
    // The document reads the file as it needs it: a large file is never held
    // in memory whole. The open file keeps its inode, so a rename that
    // replaces the file on disk (signing in place) does not disturb it.
    // Opened here (not by MuPDF) so that the descriptor is not inherited by
    // programs this process starts.
    FILE* fp = std::fopen(path, "rbe");
    if (!fp) {
        pdf_layer_set_error(FPDF_ERR_FILE, "the file cannot be opened");
        return nullptr;
    }
    fz_stream* volatile file = nullptr;
    fz_try(ctx) { file = fz_open_file_ptr_no_close(ctx, fp); }
    fz_catch(ctx) { file = nullptr; }
    if (!file) {
        std::fclose(fp);
        pdf_layer_set_error(FPDF_ERR_FILE, "the file cannot be opened");
        return nullptr;
    }
    return open_file_stream(ctx, file, fp, password);
}

FPDF_DOCUMENT pdf_layer_load_stream(fz_stream* file, const char* password) {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    if (!ctx || !file) {
        if (ctx) fz_drop_stream(ctx, file);
        pdf_layer_set_error(FPDF_ERR_FILE, "the file cannot be opened");
        return nullptr;
    }
    return open_file_stream(ctx, file, nullptr, password);
}

namespace {

// Opens a document over `size` bytes, copied into a buffer of the library's
// own or (shared) used where they lie, which must then outlive the document.
FPDF_DOCUMENT open_from_memory(const void* data, size_t size, const char* password, bool shared) {
    fz_context* ctx = pdf_layer_context();
    if (!ctx || (!data && size)) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "no data");
        return nullptr;
    }
    fz_buffer* volatile buf = nullptr;
    volatile bool made = false;
    fz_try(ctx) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        buf = shared ? fz_new_buffer_from_shared_data(ctx, bytes, size)
                     : fz_new_buffer_from_copied_data(ctx, bytes, size);
        made = true;
    }
    fz_catch(ctx) {}
    if (!made) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "out of memory");
        return nullptr;
    }
    return open_document(ctx, buf, nullptr, nullptr, 0, password);
}

}  // namespace

FPDF_DOCUMENT FPDF_LoadMemDocument64(const void* data, size_t size, const char* password) {
    PDF_LAYER_GUARD;
    return open_from_memory(data, size, password, false);
}

FPDF_DOCUMENT FPDF_LoadSharedMemDocument(const void* data, size_t size, const char* password) {
    PDF_LAYER_GUARD;
    return open_from_memory(data, size, password, true);
}

FPDF_DOCUMENT FPDF_LoadMemDocument(const void* data, int size, const char* password) {
    PDF_LAYER_GUARD;
    if (size < 0) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "no data");
        return nullptr;
    }
    return FPDF_LoadMemDocument64(data, static_cast<size_t>(size), password);
}

FPDF_DOCUMENT FPDF_CreateNewDocument() {
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    if (!ctx) return nullptr;
    pdf_document* volatile doc = nullptr;
    fz_try(ctx) { doc = pdf_create_document(ctx); }
    fz_catch(ctx) { doc = nullptr; }
    if (!doc) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "the document cannot be created");
        return nullptr;
    }
    auto* handle = new (std::nothrow) fpdf_document_t__;
    if (!handle) {
        pdf_layer_drop_document(ctx, doc);
        return nullptr;
    }
    handle->pdf = doc;
    return handle;
}

void FPDF_CloseDocument(FPDF_DOCUMENT doc) {
    PDF_LAYER_GUARD;
    if (!doc) return;
    fz_context* ctx = pdf_layer_context();
    pdf_layer_drop_document(ctx, doc->pdf);
    fz_drop_buffer(ctx, doc->source);
    fz_drop_stream(ctx, doc->file);  // the document's own reference went with it: the stream is gone
    if (doc->fp) std::fclose(doc->fp);
    delete doc;
}

pdf_document* pdf_layer_document(FPDF_DOCUMENT doc) { return doc ? doc->pdf : nullptr; }

bool pdf_layer_has_source(FPDF_DOCUMENT doc) { return doc && (doc->source || doc->file); }

size_t pdf_layer_source_size(FPDF_DOCUMENT doc) {
    if (!doc) return 0;
    if (doc->source) return doc->source->len;
    return doc->file ? static_cast<size_t>(doc->file_size) : 0;
}

bool pdf_layer_read_source(FPDF_DOCUMENT doc, size_t offset, void* out, size_t n) {
    PDF_LAYER_GUARD;
    const size_t size = pdf_layer_source_size(doc);
    if (!pdf_layer_has_source(doc) || offset > size || n > size - offset) return false;
    if (doc->source) {
        if (n) std::memcpy(out, doc->source->data + offset, n);
        return true;
    }
    // MuPDF seeks its file before every read of its own, so reading it here
    // (under the library lock) does not disturb the document.
    fz_context* ctx = pdf_layer_context();
    volatile size_t got = 0;
    fz_try(ctx) {
        fz_seek(ctx, doc->file, static_cast<int64_t>(offset), SEEK_SET);
        while (got < n) {
            size_t k = fz_read(ctx, doc->file, static_cast<unsigned char*>(out) + got, n - got);
            if (k == 0) break;
            got += k;
        }
    }
    fz_catch(ctx) { return false; }
    return got == n;
}

pdf_page* pdf_layer_page(FPDF_PAGE page) { return page ? page->page : nullptr; }

int FPDF_GetPageCount(FPDF_DOCUMENT doc) {
    PDF_LAYER_GUARD;
    if (!doc) return 0;
    fz_context* ctx = pdf_layer_context();
    int n = 0;
    fz_var(n);
    fz_try(ctx) { n = pdf_count_pages(ctx, doc->pdf); }
    fz_catch(ctx) { n = 0; }
    return n;
}

// ---- saving ---------------------------------------------------------------------

namespace {

// A seekable output into an fz_buffer, so that MuPDF can append an
// incremental update behind the source bytes and read back what it wrote.
struct buffer_output_state {
    fz_buffer* buf;
    size_t pos;
};

void bo_write(fz_context* ctx, void* opaque, const void* data, size_t n) {
    auto* st = static_cast<buffer_output_state*>(opaque);
    const auto* p = static_cast<const unsigned char*>(data);
    size_t len = st->buf->len;
    if (st->pos > len) {
        // Seeking past the end leaves a gap of zero bytes.
        fz_resize_buffer(ctx, st->buf, st->pos);
        std::memset(st->buf->data + len, 0, st->pos - len);
        st->buf->len = st->pos;
        len = st->pos;
    }
    size_t overlap = len - st->pos < n ? len - st->pos : n;
    if (overlap) std::memcpy(st->buf->data + st->pos, p, overlap);
    if (n > overlap) fz_append_data(ctx, st->buf, p + overlap, n - overlap);
    st->pos += n;
}

void bo_seek(fz_context* ctx, void* opaque, int64_t offset, int whence) {
    auto* st = static_cast<buffer_output_state*>(opaque);
    int64_t base = whence == SEEK_END ? static_cast<int64_t>(st->buf->len)
                   : whence == SEEK_CUR ? static_cast<int64_t>(st->pos)
                                        : 0;
    int64_t target = base + offset;
    if (target < 0) fz_throw(ctx, FZ_ERROR_GENERIC, "cannot seek before the start of the output");
    st->pos = static_cast<size_t>(target);
}

int64_t bo_tell(fz_context*, void* opaque) {
    return static_cast<int64_t>(static_cast<buffer_output_state*>(opaque)->pos);
}

fz_stream* bo_as_stream(fz_context* ctx, void* opaque) {
    auto* st = static_cast<buffer_output_state*>(opaque);
    return fz_open_buffer(ctx, st->buf);
}

void bo_truncate(fz_context*, void* opaque) {
    auto* st = static_cast<buffer_output_state*>(opaque);
    if (st->pos < st->buf->len) st->buf->len = st->pos;
}

}  // namespace

FPDF_BOOL FPDF_SaveAsCopy(FPDF_DOCUMENT doc, FPDF_FILEWRITE* file_write, FPDF_DWORD flags) {
    PDF_LAYER_GUARD;
    if (!doc || !file_write || !file_write->WriteBlock) {
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "nothing to save");
        return 0;
    }
    fz_context* ctx = pdf_layer_context();
    pdf_layer_use_document(ctx, doc->pdf);
    const bool incremental = flags == FPDF_INCREMENTAL;
    if (incremental) {
        volatile int can = 0;
        fz_try(ctx) { can = pdf_can_be_saved_incrementally(ctx, doc->pdf); }
        fz_catch(ctx) { can = 0; }
        if (doc->repaired || !can || !pdf_layer_has_source(doc)) {
            pdf_layer_set_error(FPDF_ERR_FORMAT,
                                pdf_layer_has_source(doc) ? "the PDF is damaged (it had to be repaired when opened) "
                                              "and cannot be saved incrementally"
                                            : "a new document cannot be saved incrementally");
            return 0;
        }
    }

    buffer_output_state state{nullptr, 0};
    fz_output* volatile out = nullptr;
    volatile bool saved = false;
    char message[256] = "";
    fz_try(ctx) {
        if (incremental && doc->source) {
            state.buf = fz_new_buffer_from_copied_data(ctx, doc->source->data, doc->source->len);
            state.pos = state.buf->len;
        } else if (incremental) {
            const size_t size = pdf_layer_source_size(doc);
            state.buf = fz_new_buffer(ctx, size + 1);
            if (!pdf_layer_read_source(doc, 0, state.buf->data, size))
                fz_throw(ctx, FZ_ERROR_GENERIC, "the source file cannot be read");
            state.buf->len = size;
            state.pos = size;
        } else {
            state.buf = fz_new_buffer(ctx, 64 * 1024);
        }
        out = fz_new_output(ctx, 0, &state, bo_write, nullptr, nullptr);
        out->seek = bo_seek;
        out->tell = bo_tell;
        out->as_stream = bo_as_stream;
        out->truncate = bo_truncate;
        pdf_write_options opts = pdf_default_write_options;
        opts.do_incremental = incremental ? 1 : 0;
        if (flags == FPDF_REMOVE_SECURITY) opts.do_encrypt = PDF_ENCRYPT_NONE;
        pdf_write_document(ctx, doc->pdf, out, &opts);
        fz_close_output(ctx, out);
        saved = true;
    }
    fz_always(ctx) { fz_drop_output(ctx, out); }
    fz_catch(ctx) { std::snprintf(message, sizeof message, "%s", fz_caught_message(ctx)); }
    if (!saved) {
        fz_drop_buffer(ctx, state.buf);
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, message[0] ? message : "the PDF cannot be saved");
        return 0;
    }

    // Hand the output over in blocks small enough for any writer.
    const unsigned char* data = state.buf->data;
    size_t left = state.buf->len;
    int ok = 1;
    while (ok && left) {
        size_t n = left > (1u << 30) ? (1u << 30) : left;
        ok = file_write->WriteBlock(file_write, data, static_cast<unsigned long>(n));
        data += n;
        left -= n;
    }
    fz_drop_buffer(ctx, state.buf);
    if (!ok) {
        pdf_layer_set_error(FPDF_ERR_FILE, "the output cannot be written");
        return 0;
    }
    set_success();
    return 1;
}

// ---- pages ----------------------------------------------------------------------

FPDF_PAGE FPDF_LoadPage(FPDF_DOCUMENT doc, int page_index) {
    PDF_LAYER_GUARD;
    if (!doc || page_index < 0) {
        pdf_layer_set_error(FPDF_ERR_PAGE, "no such page");
        return nullptr;
    }
    fz_context* ctx = pdf_layer_context();
    pdf_layer_use_document(ctx, doc->pdf);
    pdf_page* volatile page = nullptr;
    fz_try(ctx) {
        if (page_index < pdf_count_pages(ctx, doc->pdf)) page = pdf_load_page(ctx, doc->pdf, page_index);
    }
    fz_catch(ctx) { page = nullptr; }
    if (!page) {
        pdf_layer_set_error(FPDF_ERR_PAGE, "no such page");
        return nullptr;
    }
    auto* handle = new (std::nothrow) fpdf_page_t__;
    if (!handle) {
        fz_drop_page(ctx, &page->super);
        return nullptr;
    }
    handle->doc = doc;
    handle->page = page;
    handle->index = page_index;
    return handle;
}

void FPDF_ClosePage(FPDF_PAGE page) {
    PDF_LAYER_GUARD;
    if (!page) return;
    fz_drop_page(pdf_layer_context(), &page->page->super);
    delete page;
}

namespace {

fz_rect page_bounds(fz_context* ctx, FPDF_PAGE page) {
    fz_rect r = fz_empty_rect;
    fz_try(ctx) { r = pdf_bound_page(ctx, page->page); }
    fz_catch(ctx) { r = fz_empty_rect; }
    return r;
}

}  // namespace

float FPDF_GetPageWidthF(FPDF_PAGE page) {
    PDF_LAYER_GUARD;
    if (!page) return 0;
    fz_rect r = page_bounds(pdf_layer_context(), page);
    return fz_is_empty_rect(r) ? 0.0f : r.x1 - r.x0;
}

float FPDF_GetPageHeightF(FPDF_PAGE page) {
    PDF_LAYER_GUARD;
    if (!page) return 0;
    fz_rect r = page_bounds(pdf_layer_context(), page);
    return fz_is_empty_rect(r) ? 0.0f : r.y1 - r.y0;
}

double FPDF_GetPageWidth(FPDF_PAGE page) { return FPDF_GetPageWidthF(page); }

double FPDF_GetPageHeight(FPDF_PAGE page) { return FPDF_GetPageHeightF(page); }

int FPDFPage_GetRotation(FPDF_PAGE page) {
    PDF_LAYER_GUARD;
    if (!page) return -1;
    fz_context* ctx = pdf_layer_context();
    int stored = 0;
    fz_var(stored);
    fz_try(ctx) { stored = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, page->page->obj, PDF_NAME(Rotate))); }
    fz_catch(ctx) { return -1; }
    int rotate = stored;
    if (rotate % 90 != 0) return 0;
    rotate %= 360;
    if (rotate < 0) rotate += 360;
    return rotate / 90;
}

FPDF_BOOL FPDFPage_HasTransparency(FPDF_PAGE page) { return page && page->page->transparency ? 1 : 0; }

// ---- bitmaps --------------------------------------------------------------------

struct fpdf_bitmap_t__ {
    int width = 0;
    int height = 0;
    bool alpha = false;
    unsigned char* data = nullptr;
};

FPDF_BITMAP FPDFBitmap_Create(int width, int height, int alpha) {
    PDF_LAYER_GUARD;
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536) return nullptr;
    size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    auto* bmp = new (std::nothrow) fpdf_bitmap_t__;
    if (!bmp) return nullptr;
    bmp->data = new (std::nothrow) unsigned char[size];
    if (!bmp->data) {
        delete bmp;
        return nullptr;
    }
    bmp->width = width;
    bmp->height = height;
    bmp->alpha = alpha != 0;
    // New bitmaps are transparent black, or opaque black without alpha.
    for (size_t i = 0; i < size; i += 4) {
        bmp->data[i] = bmp->data[i + 1] = bmp->data[i + 2] = 0;
        bmp->data[i + 3] = bmp->alpha ? 0 : 255;
    }
    return bmp;
}

void FPDFBitmap_Destroy(FPDF_BITMAP bitmap) {
    PDF_LAYER_GUARD;
    if (!bitmap) return;
    delete[] bitmap->data;
    delete bitmap;
}

void* FPDFBitmap_GetBuffer(FPDF_BITMAP bitmap) { return bitmap ? bitmap->data : nullptr; }
int FPDFBitmap_GetWidth(FPDF_BITMAP bitmap) { return bitmap ? bitmap->width : 0; }
int FPDFBitmap_GetHeight(FPDF_BITMAP bitmap) { return bitmap ? bitmap->height : 0; }
int FPDFBitmap_GetStride(FPDF_BITMAP bitmap) { return bitmap ? bitmap->width * 4 : 0; }

FPDF_BOOL FPDFBitmap_FillRect(FPDF_BITMAP bitmap, int left, int top, int width, int height,
                              FPDF_DWORD color) {
    PDF_LAYER_GUARD;
    if (!bitmap) return 0;
    int x0 = left < 0 ? 0 : left, y0 = top < 0 ? 0 : top;
    long long x1l = static_cast<long long>(left) + width, y1l = static_cast<long long>(top) + height;
    int x1 = x1l > bitmap->width ? bitmap->width : static_cast<int>(x1l);
    int y1 = y1l > bitmap->height ? bitmap->height : static_cast<int>(y1l);
    unsigned char a = bitmap->alpha ? static_cast<unsigned char>(color >> 24) : 255;
    unsigned char r = static_cast<unsigned char>(color >> 16), g = static_cast<unsigned char>(color >> 8),
                  b = static_cast<unsigned char>(color);
    for (int y = y0; y < y1; ++y) {
        unsigned char* p = bitmap->data + (static_cast<size_t>(y) * bitmap->width + x0) * 4;
        for (int x = x0; x < x1; ++x, p += 4) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = a;
        }
    }
    return 1;
}

// ---- rendering ------------------------------------------------------------------

namespace {

// MuPDF draws premultiplied colour; bitmaps hold straight colour.
void premultiply(unsigned char* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += 4) {
        unsigned a = p[3];
        if (a == 255) continue;
        p[0] = static_cast<unsigned char>((p[0] * a + 127) / 255);
        p[1] = static_cast<unsigned char>((p[1] * a + 127) / 255);
        p[2] = static_cast<unsigned char>((p[2] * a + 127) / 255);
    }
}

void unpremultiply(unsigned char* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += 4) {
        unsigned a = p[3];
        if (a == 255) continue;
        if (a == 0) {
            p[0] = p[1] = p[2] = 0;
            continue;
        }
        for (int c = 0; c < 3; ++c) {
            unsigned v = (p[c] * 255u + a / 2) / a;
            p[c] = static_cast<unsigned char>(v > 255 ? 255 : v);
        }
    }
}

}  // namespace

void FPDF_RenderPageBitmap(FPDF_BITMAP bitmap, FPDF_PAGE page, int start_x, int start_y, int size_x,
                           int size_y, int rotate, int flags) {
    PDF_LAYER_GUARD;
    if (!bitmap || !page || size_x == 0 || size_y == 0) return;
    fz_context* ctx = pdf_layer_context();
    pdf_layer_use_document(ctx, page->page->doc);
    fz_rect bounds = page_bounds(ctx, page);
    if (fz_is_empty_rect(bounds)) return;

    fz_matrix m = fz_translate(-bounds.x0, -bounds.y0);
    m = fz_concat(m, fz_rotate(static_cast<float>(((rotate % 4) + 4) % 4 * 90)));
    fz_rect rb = fz_transform_rect(bounds, m);
    m = fz_concat(m, fz_translate(-rb.x0, -rb.y0));
    m = fz_concat(m, fz_scale(static_cast<float>(size_x) / (rb.x1 - rb.x0),
                              static_cast<float>(size_y) / (rb.y1 - rb.y0)));
    m = fz_concat(m, fz_translate(static_cast<float>(start_x), static_cast<float>(start_y)));

    const size_t pixels = static_cast<size_t>(bitmap->width) * bitmap->height;
    if (bitmap->alpha) premultiply(bitmap->data, pixels);
    fz_pixmap* volatile pix = nullptr;
    fz_device* volatile dev = nullptr;
    fz_try(ctx) {
        pix = fz_new_pixmap_with_data(ctx, fz_device_bgr(ctx), bitmap->width, bitmap->height, nullptr, 1,
                                      bitmap->width * 4, bitmap->data);
        dev = fz_new_draw_device(ctx, fz_identity, pix);
        if (flags & FPDF_ANNOT)
            pdf_run_page(ctx, page->page, dev, m, nullptr);
        else
            pdf_run_page_contents(ctx, page->page, dev, m, nullptr);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx) {
        fz_drop_device(ctx, dev);
        fz_drop_pixmap(ctx, pix);
    }
    fz_catch(ctx) {
        // A page that fails half-way keeps what was drawn.
    }
    if (bitmap->alpha) {
        unpremultiply(bitmap->data, pixels);
    } else {
        unsigned char* p = bitmap->data;
        for (size_t i = 0; i < pixels; ++i, p += 4) p[3] = 255;
    }
}

struct fpdf_form_handle_t__ {
    FPDF_DOCUMENT doc = nullptr;
};

FPDF_FORMHANDLE FPDFDOC_InitFormFillEnvironment(FPDF_DOCUMENT doc, FPDF_FORMFILLINFO*) {
    PDF_LAYER_GUARD;
    if (!doc) return nullptr;
    auto* form = new (std::nothrow) fpdf_form_handle_t__;
    if (form) form->doc = doc;
    return form;
}

void FPDFDOC_ExitFormFillEnvironment(FPDF_FORMHANDLE form) { delete form; }

void FPDF_FFLDraw(FPDF_FORMHANDLE, FPDF_BITMAP, FPDF_PAGE, int, int, int, int, int, int) {
    PDF_LAYER_GUARD;
    // Widgets were drawn with the page (FPDF_RenderPageBitmap with FPDF_ANNOT).
}
