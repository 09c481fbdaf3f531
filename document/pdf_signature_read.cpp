// Reading signature fields: enumeration, the getters of a field and of its
// signature dictionary, and the OCSP responses of a /DSS /VRI entry.
#include "document/pdf_layer_mupdf.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Walks the field tree and stops at the `target`-th signature field (or
// counts them all when target < 0). Terminal fields whose (inherited) /FT is
// /Sig are signature fields. Marks guard against /Kids cycles.
void walk_fields(fz_context* ctx, pdf_obj* fields, pdf_obj* inherited_ft, int target, int* count,
                 pdf_obj** found, int depth) {
    if (depth > 64 || *found) return;
    int n = pdf_array_len(ctx, fields);
    for (int i = 0; i < n && !*found; ++i) {
        pdf_obj* field = pdf_array_get(ctx, fields, i);
        if (!pdf_is_dict(ctx, field)) continue;
        if (pdf_mark_obj(ctx, field)) continue;
        fz_try(ctx) {
            pdf_obj* ft = pdf_dict_get(ctx, field, PDF_NAME(FT));
            if (!ft) ft = inherited_ft;
            pdf_obj* kids = pdf_dict_get(ctx, field, PDF_NAME(Kids));
            bool has_child_fields = false;
            for (int k = 0, kn = pdf_array_len(ctx, kids); k < kn; ++k)
                if (pdf_dict_get(ctx, pdf_array_get(ctx, kids, k), PDF_NAME(T))) has_child_fields = true;
            if (has_child_fields) {
                walk_fields(ctx, kids, ft, target, count, found, depth + 1);
            } else if (pdf_name_eq(ctx, ft, PDF_NAME(Sig))) {
                if (*count == target) *found = field;
                ++*count;
            }
        }
        fz_always(ctx) { pdf_unmark_obj(ctx, field); }
        fz_catch(ctx) { fz_rethrow(ctx); }
    }
}

pdf_obj* form_fields(fz_context* ctx, pdf_document* doc) {
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    return pdf_dict_get(ctx, pdf_dict_get(ctx, root, PDF_NAME(AcroForm)), PDF_NAME(Fields));
}

// The signature dictionary (/V) of a field.
pdf_obj* sig_value(fz_context* ctx, FPDF_SIGNATURE sig) {
    pdf_obj* v = pdf_dict_get(ctx, pdf_layer_field(sig), PDF_NAME(V));
    return pdf_is_dict(ctx, v) ? v : nullptr;
}

// Copies `n` bytes and a NUL into the buffer when it holds n + 1 bytes.
unsigned long copy_with_nul(const char* s, size_t n, char* buffer, unsigned long length) {
    unsigned long needed = static_cast<unsigned long>(n + 1);
    if (buffer && length >= needed) {
        std::memcpy(buffer, s, n);
        buffer[n] = 0;
    }
    return needed;
}

// UTF-8 to UTF-16LE with a two-byte terminator; returns the needed length.
unsigned long utf8_to_utf16le(const char* s, void* buffer, unsigned long length) {
    size_t units = 0;
    for (const char* p = s; *p;) {
        int c;
        p += fz_chartorune(&c, p);
        units += c > 0xFFFF ? 2 : 1;
    }
    unsigned long needed = static_cast<unsigned long>((units + 1) * 2);
    if (!buffer || length < needed) return needed;
    auto* out = static_cast<unsigned char*>(buffer);
    auto put = [&out](unsigned u) {
        *out++ = static_cast<unsigned char>(u & 0xFF);
        *out++ = static_cast<unsigned char>(u >> 8);
    };
    for (const char* p = s; *p;) {
        int c;
        p += fz_chartorune(&c, p);
        if (c > 0xFFFF) {
            c -= 0x10000;
            put(0xD800 + ((c >> 10) & 0x3FF));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(static_cast<unsigned>(c));
        }
    }
    put(0);
    return needed;
}

enum class from { field, value };

// A name entry of the field or of its /V, as bytes and a NUL.
unsigned long get_name(FPDF_SIGNATURE sig, from where, pdf_obj* key, char* buffer, unsigned long length) {
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_try(ctx) {
        pdf_obj* dict = where == from::field ? pdf_layer_field(sig) : sig_value(ctx, sig);
        pdf_obj* name = pdf_dict_get(ctx, dict, key);
        if (pdf_is_name(ctx, name)) {
            const char* s = pdf_to_name(ctx, name);
            result = copy_with_nul(s, std::strlen(s), buffer, length);
        }
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

// A byte-string entry of /V, as bytes and a NUL.
unsigned long get_bytes(FPDF_SIGNATURE sig, pdf_obj* key, char* buffer, unsigned long length) {
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_try(ctx) {
        pdf_obj* s = pdf_dict_get(ctx, sig_value(ctx, sig), key);
        if (pdf_is_string(ctx, s)) {
            size_t n = 0;
            const char* p = pdf_to_string(ctx, s, &n);
            result = copy_with_nul(p, n, buffer, length);
        }
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

// A text-string entry of the field or of its /V, as UTF-16LE.
unsigned long get_text(FPDF_SIGNATURE sig, from where, pdf_obj* key, void* buffer, unsigned long length) {
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_try(ctx) {
        pdf_obj* dict = where == from::field ? pdf_layer_field(sig) : sig_value(ctx, sig);
        pdf_obj* s = pdf_dict_get(ctx, dict, key);
        if (pdf_is_string(ctx, s)) result = utf8_to_utf16le(pdf_to_text_string(ctx, s), buffer, length);
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

bool same_object(fz_context* ctx, pdf_obj* a, pdf_obj* b) {
    if (pdf_is_indirect(ctx, a) && pdf_is_indirect(ctx, b)) return pdf_to_num(ctx, a) == pdf_to_num(ctx, b);
    return pdf_resolve_indirect(ctx, a) == pdf_resolve_indirect(ctx, b);
}

// The page that holds the widget: the one its /P names, else the first
// page whose /Annots holds it. Returns the index, -1 when none; *page_obj
// receives the page dictionary.
int find_widget_page(fz_context* ctx, pdf_document* doc, pdf_obj* field, pdf_obj** page_obj) {
    *page_obj = nullptr;
    if (!doc) return -1;
    pdf_obj* p = pdf_dict_get(ctx, field, PDF_NAME(P));
    if (pdf_is_dict(ctx, p)) {
        int index = pdf_lookup_page_number(ctx, doc, p);
        if (index >= 0) {
            *page_obj = p;
            return index;
        }
    }
    int pages = pdf_count_pages(ctx, doc);
    for (int i = 0; i < pages; ++i) {
        pdf_obj* page = pdf_lookup_page_obj(ctx, doc, i);
        pdf_obj* annots = pdf_dict_get(ctx, page, PDF_NAME(Annots));
        for (int k = 0, n = pdf_array_len(ctx, annots); k < n; ++k) {
            if (same_object(ctx, pdf_array_get(ctx, annots, k), field)) {
                *page_obj = page;
                return i;
            }
        }
    }
    return -1;
}

pdf_document* document_of(fz_context* ctx, pdf_obj* obj) {
    pdf_document* doc = pdf_get_indirect_document(ctx, obj);
    return doc ? doc : pdf_get_bound_document(ctx, obj);
}

}  // namespace

int FPDF_GetSignatureCount(FPDF_DOCUMENT doc) {
    PDF_LAYER_GUARD;
    if (!doc) return -1;
    fz_context* ctx = pdf_layer_context();
    int count = 0;
    fz_try(ctx) {
        pdf_obj* found = nullptr;
        walk_fields(ctx, form_fields(ctx, doc->pdf), nullptr, -1, &count, &found, 0);
    }
    fz_catch(ctx) { count = -1; }
    return count;
}

FPDF_SIGNATURE FPDF_GetSignatureObject(FPDF_DOCUMENT doc, int index) {
    PDF_LAYER_GUARD;
    if (!doc || index < 0) return nullptr;
    fz_context* ctx = pdf_layer_context();
    pdf_obj* found = nullptr;
    fz_try(ctx) {
        int count = 0;
        walk_fields(ctx, form_fields(ctx, doc->pdf), nullptr, index, &count, &found, 0);
    }
    fz_catch(ctx) { found = nullptr; }
    return pdf_layer_signature(found);
}

int FPDFSignatureObj_HasValue(FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int result = 0;
    fz_try(ctx) { result = sig_value(ctx, sig) ? 1 : 0; }
    fz_catch(ctx) { result = 0; }
    return result;
}

unsigned long FPDFSignatureObj_GetContents(FPDF_SIGNATURE sig, void* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_try(ctx) {
        pdf_obj* s = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(Contents));
        if (pdf_is_string(ctx, s)) {
            size_t n = 0;
            const char* p = pdf_to_string(ctx, s, &n);
            result = static_cast<unsigned long>(n);
            if (buffer && length >= n) std::memcpy(buffer, p, n);
        }
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

int FPDFSignatureObj_GetByteRange(FPDF_SIGNATURE sig, int* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int result = 0;
    fz_try(ctx) {
        pdf_obj* arr = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(ByteRange));
        int n = pdf_array_len(ctx, arr);
        bool valid = n > 0;
        for (int i = 0; i < n && valid; ++i) {
            pdf_obj* v = pdf_array_get(ctx, arr, i);
            if (!pdf_is_int(ctx, v)) {
                valid = false;
                break;
            }
            int64_t x = pdf_to_int64(ctx, v);
            if (x < 0 || x > INT_MAX) valid = false;
        }
        if (valid) {
            result = n;
            if (buffer && length >= static_cast<unsigned long>(n))
                for (int i = 0; i < n; ++i) buffer[i] = static_cast<int>(pdf_to_int64(ctx, pdf_array_get(ctx, arr, i)));
        }
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

int FPDFSignatureObj_GetByteRange64(FPDF_SIGNATURE sig, int64_t* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int result = 0;
    fz_try(ctx) {
        pdf_obj* arr = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(ByteRange));
        if (arr) {
            int n = pdf_is_array(ctx, arr) ? pdf_array_len(ctx, arr) : -1;
            for (int i = 0; i < n; ++i)
                if (!pdf_is_int(ctx, pdf_array_get(ctx, arr, i))) n = -1;
            result = n;
            if (n > 0 && buffer && length >= static_cast<unsigned long>(n))
                for (int i = 0; i < n; ++i) buffer[i] = pdf_to_int64(ctx, pdf_array_get(ctx, arr, i));
        }
    }
    fz_catch(ctx) { result = -1; }
    return result;
}

namespace {

// Walking one object as it is written in the file, to find where the
// signature dictionary's /Contents value stands. The walk follows MuPDF's
// own lexer, so it reads the object as the library did when it parsed it.
struct contents_walk {
    fz_context* ctx;
    fz_stream* file;
    pdf_lexbuf* lex;
    int64_t start;
    int64_t end;
    int found;
};

constexpr int kMaxWalkDepth = 64;

bool is_pdf_white(int c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

bool walk_value(contents_walk* w, pdf_token tok, const char* const* path, int path_len, bool on_path, int depth);

// The entries of a dictionary whose "<<" has been read. `path` holds the keys
// still to follow from here to the signature dictionary; the dictionary
// reached with an empty path while `on_path` is the signature dictionary.
bool walk_dict(contents_walk* w, const char* const* path, int path_len, bool on_path, int depth) {
    fz_context* ctx = w->ctx;
    pdf_token tok = pdf_lex(ctx, w->file, w->lex);
    for (;;) {
        if (tok == PDF_TOK_CLOSE_DICT) return true;
        if (tok != PDF_TOK_NAME) return false;
        const bool is_signature = on_path && path_len == 0;
        if (is_signature && std::strcmp(w->lex->scratch, "Contents") == 0) {
            int c;
            while ((c = fz_peek_byte(ctx, w->file)) != EOF && is_pdf_white(c)) fz_read_byte(ctx, w->file);
            const int64_t start = fz_tell(ctx, w->file);
            if (pdf_lex(ctx, w->file, w->lex) != PDF_TOK_STRING) return false;
            w->start = start;
            w->end = fz_tell(ctx, w->file);
            ++w->found;
            tok = pdf_lex(ctx, w->file, w->lex);
            continue;
        }
        const bool child_on_path = on_path && path_len > 0 && std::strcmp(w->lex->scratch, path[0]) == 0;
        tok = pdf_lex(ctx, w->file, w->lex);
        if (tok == PDF_TOK_INT) {
            // A number, or a reference "num gen R".
            tok = pdf_lex(ctx, w->file, w->lex);
            if (tok == PDF_TOK_INT) {
                if (pdf_lex(ctx, w->file, w->lex) != PDF_TOK_R) return false;
                tok = pdf_lex(ctx, w->file, w->lex);
            }
            continue;
        }
        if (!walk_value(w, tok, path_len > 0 ? path + 1 : path, path_len > 0 ? path_len - 1 : 0, child_on_path,
                        depth + 1))
            return false;
        tok = pdf_lex(ctx, w->file, w->lex);
    }
}

bool walk_value(contents_walk* w, pdf_token tok, const char* const* path, int path_len, bool on_path, int depth) {
    if (depth > kMaxWalkDepth) return false;
    switch (tok) {
    case PDF_TOK_OPEN_DICT:
        return walk_dict(w, path, path_len, on_path, depth);
    case PDF_TOK_OPEN_ARRAY:
        for (;;) {
            tok = pdf_lex(w->ctx, w->file, w->lex);
            if (tok == PDF_TOK_CLOSE_ARRAY) return true;
            if (!walk_value(w, tok, nullptr, 0, false, depth + 1)) return false;
        }
    case PDF_TOK_ERROR:
    case PDF_TOK_EOF:
    case PDF_TOK_CLOSE_ARRAY:
    case PDF_TOK_CLOSE_DICT:
    case PDF_TOK_OBJ:
    case PDF_TOK_ENDOBJ:
    case PDF_TOK_STREAM:
    case PDF_TOK_ENDSTREAM:
        return false;
    default:
        return true;
    }
}

}  // namespace

int FPDFSignatureObj_GetContentsPlace(FPDF_SIGNATURE sig, int64_t* start, int64_t* end) {
    PDF_LAYER_GUARD;
    if (start) *start = -1;
    if (end) *end = -1;
    if (!sig || !start || !end) return 0;
    fz_context* ctx = pdf_layer_context();
    static const char* const value_key[] = {"V"};
    volatile int result = 0;
    volatile bool lexing = false;
    pdf_lexbuf_large lex_large;
    pdf_lexbuf& lex = lex_large.base;
    contents_walk w{ctx, nullptr, &lex, -1, -1, 0};
    fz_try(ctx) {
        pdf_obj* field = pdf_layer_field(sig);
        pdf_obj* v = pdf_dict_get(ctx, field, PDF_NAME(V));
        // The object the dictionary is written in, and the keys from its top
        // down to the dictionary.
        pdf_obj* holder = nullptr;
        const char* const* path = nullptr;
        int path_len = 0;
        if (pdf_is_indirect(ctx, v)) {
            holder = v;
        } else if (pdf_is_dict(ctx, v) && pdf_is_indirect(ctx, field)) {
            holder = field;
            path = value_key;
            path_len = 1;
        }
        pdf_document* doc = holder ? pdf_get_indirect_document(ctx, holder) : nullptr;
        const int num = holder ? pdf_to_num(ctx, holder) : 0;
        if (doc && doc->file && num > 0 && num < pdf_xref_len(ctx, doc)) {
            // Only an object written directly in the file has a place in it:
            // one inside an object stream is compressed and cannot hold a gap.
            pdf_xref_entry* x = pdf_get_xref_entry(ctx, doc, num);
            if (x && x->type == 'n' && x->ofs > 0) {
                pdf_lexbuf_init(ctx, &lex, PDF_LEXBUF_LARGE);
                lexing = true;
                w.file = doc->file;
                fz_seek(ctx, doc->file, x->ofs, SEEK_SET);
                bool header = pdf_lex(ctx, doc->file, &lex) == PDF_TOK_INT && lex.i == num &&
                              pdf_lex(ctx, doc->file, &lex) == PDF_TOK_INT &&
                              pdf_lex(ctx, doc->file, &lex) == PDF_TOK_OBJ;
                if (header) {
                    pdf_token tok = pdf_lex(ctx, doc->file, &lex);
                    if (tok == PDF_TOK_OPEN_DICT && walk_value(&w, tok, path, path_len, true, 0) && w.found == 1)
                        result = 1;
                }
            }
        }
    }
    fz_always(ctx) {
        if (lexing) pdf_lexbuf_fin(ctx, &lex);
    }
    fz_catch(ctx) { result = 0; }
    if (result) {
        *start = w.start;
        *end = w.end;
    }
    return result;
}

unsigned long FPDFSignatureObj_GetSubFilter(FPDF_SIGNATURE sig, char* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_name(sig, from::value, PDF_NAME(SubFilter), buffer, length);
}

unsigned long FPDFSignatureObj_GetFilter(FPDF_SIGNATURE sig, char* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_name(sig, from::value, PDF_NAME(Filter), buffer, length);
}

unsigned long FPDFSignatureObj_GetTime(FPDF_SIGNATURE sig, char* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_bytes(sig, PDF_NAME(M), buffer, length);
}

unsigned long FPDFSignatureObj_GetReason(FPDF_SIGNATURE sig, void* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_text(sig, from::value, PDF_NAME(Reason), buffer, length);
}

unsigned long FPDFSignatureObj_GetFieldName(FPDF_SIGNATURE sig, void* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_text(sig, from::field, PDF_NAME(T), buffer, length);
}

unsigned long FPDFSignatureObj_GetLocation(FPDF_SIGNATURE sig, void* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_text(sig, from::value, PDF_NAME(Location), buffer, length);
}

unsigned long FPDFSignatureObj_GetContactInfo(FPDF_SIGNATURE sig, void* buffer, unsigned long length) {
    PDF_LAYER_GUARD;
    return get_text(sig, from::value, PDF_NAME(ContactInfo), buffer, length);
}

unsigned int FPDFSignatureObj_GetDocMDPPermission(FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned int result = 0;
    fz_try(ctx) {
        pdf_obj* refs = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(Reference));
        for (int i = 0, n = pdf_array_len(ctx, refs); i < n; ++i) {
            pdf_obj* ref = pdf_array_get(ctx, refs, i);
            if (!pdf_name_eq(ctx, pdf_dict_get(ctx, ref, PDF_NAME(TransformMethod)), PDF_NAME(DocMDP))) continue;
            pdf_obj* params = pdf_dict_get(ctx, ref, PDF_NAME(TransformParams));
            pdf_obj* p = pdf_dict_get(ctx, params, PDF_NAME(P));
            // An absent /P means 2.
            int64_t perm = p ? pdf_to_int64(ctx, p) : 2;
            result = perm >= 1 && perm <= 3 ? static_cast<unsigned int>(perm) : 0;
            break;
        }
    }
    fz_catch(ctx) { result = 0; }
    return result;
}

int FPDFSignatureObj_GetPageIndex(FPDF_DOCUMENT doc, FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!doc || !sig) return -1;
    fz_context* ctx = pdf_layer_context();
    volatile int index = -1;
    fz_try(ctx) {
        pdf_obj* page = nullptr;
        index = find_widget_page(ctx, doc->pdf, pdf_layer_field(sig), &page);
    }
    fz_catch(ctx) { index = -1; }
    return index;
}

int FPDFSignatureObj_GetPageRotation(FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int rotate = 0;
    fz_try(ctx) {
        pdf_obj* field = pdf_layer_field(sig);
        pdf_obj* page = nullptr;
        find_widget_page(ctx, document_of(ctx, field), field, &page);
        if (page) rotate = pdf_to_int(ctx, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Rotate)));
    }
    fz_catch(ctx) { rotate = 0; }
    if (rotate % 90 != 0) return 0;
    rotate %= 360;
    return rotate < 0 ? rotate + 360 : rotate;
}

void FPDFSignatureObj_GetRect(FPDF_SIGNATURE sig, FS_RECTF* rect) {
    PDF_LAYER_GUARD;
    if (!sig || !rect) return;
    *rect = FS_RECTF{0, 0, 0, 0};
    fz_context* ctx = pdf_layer_context();
    float v[4] = {0, 0, 0, 0};
    fz_try(ctx) {
        pdf_obj* field = pdf_layer_field(sig);
        pdf_obj* r = pdf_dict_get(ctx, field, PDF_NAME(Rect));
        if (pdf_array_len(ctx, r) >= 4) {
            for (int i = 0; i < 4; ++i) v[i] = pdf_to_real(ctx, pdf_array_get(ctx, r, i));
            pdf_obj* page = nullptr;
            find_widget_page(ctx, document_of(ctx, field), field, &page);
            pdf_obj* crop = pdf_dict_get(ctx, page, PDF_NAME(CropBox));
            if (pdf_array_len(ctx, crop) >= 4) {
                float c[4];
                for (int i = 0; i < 4; ++i) c[i] = pdf_to_real(ctx, pdf_array_get(ctx, crop, i));
                if (c[0] != v[0] || c[1] != v[1] || c[2] != v[2] || c[3] != v[3]) {
                    v[0] -= c[0];
                    v[2] -= c[0];
                    v[1] -= c[1];
                    v[3] -= c[1];
                }
            }
        }
    }
    fz_catch(ctx) { return; }
    // /Rect is [left bottom right top].
    rect->left = v[0];
    rect->bottom = v[1];
    rect->right = v[2];
    rect->top = v[3];
}

int FPDFSignatureObj_IsLocked(FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int locked = 0;
    fz_try(ctx) {
        pdf_obj* lock = pdf_dict_get(ctx, pdf_layer_field(sig), PDF_NAME(Lock));
        pdf_obj* p = pdf_dict_get(ctx, lock, PDF_NAME(P));
        locked = pdf_is_dict(ctx, lock) && pdf_is_int(ctx, p) && pdf_to_int64(ctx, p) == 1 ? 1 : 0;
    }
    fz_catch(ctx) { locked = 0; }
    return locked;
}

int FPDFSignatureObj_GetCertCount(FPDF_SIGNATURE sig) {
    PDF_LAYER_GUARD;
    if (!sig) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int count = 0;
    fz_try(ctx) {
        pdf_obj* cert = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(Cert));
        count = pdf_is_array(ctx, cert) ? pdf_array_len(ctx, cert) : pdf_is_string(ctx, cert) ? 1 : 0;
    }
    fz_catch(ctx) { count = 0; }
    return count;
}

unsigned long FPDFSignatureObj_GetCert(FPDF_SIGNATURE sig, int index, unsigned char** out) {
    PDF_LAYER_GUARD;
    if (out) *out = nullptr;
    if (!sig || !out || index < 0) return 0;
    fz_context* ctx = pdf_layer_context();
    const char* volatile data = nullptr;
    size_t n = 0;
    fz_try(ctx) {
        pdf_obj* cert = pdf_dict_get(ctx, sig_value(ctx, sig), PDF_NAME(Cert));
        pdf_obj* s = nullptr;
        if (pdf_is_array(ctx, cert))
            s = pdf_array_get(ctx, cert, index);
        else if (pdf_is_string(ctx, cert) && index == 0)
            s = cert;
        if (pdf_is_string(ctx, s)) data = pdf_to_string(ctx, s, &n);
    }
    fz_catch(ctx) { data = nullptr; }
    if (!data || n == 0) return 0;
    auto* copy = static_cast<unsigned char*>(std::malloc(n));
    if (!copy) return 0;
    std::memcpy(copy, data, n);
    *out = copy;
    return static_cast<unsigned long>(n);
}

namespace {

pdf_obj* vri_ocsp(fz_context* ctx, pdf_document* doc, const char* key) {
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    pdf_obj* vri = pdf_dict_gets(ctx, pdf_dict_gets(ctx, root, "DSS"), "VRI");
    pdf_obj* entry = pdf_dict_gets(ctx, vri, key);
    pdf_obj* ocsp = pdf_dict_gets(ctx, entry, "OCSP");
    return pdf_is_array(ctx, ocsp) ? ocsp : nullptr;
}

}  // namespace

int FPDF_GetVRIOCSPCount(FPDF_DOCUMENT doc, const char* vri_key) {
    PDF_LAYER_GUARD;
    if (!doc || !vri_key) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile int count = 0;
    fz_try(ctx) { count = pdf_array_len(ctx, vri_ocsp(ctx, doc->pdf, vri_key)); }
    fz_catch(ctx) { count = 0; }
    return count;
}

unsigned long FPDF_GetVRIOCSP(FPDF_DOCUMENT doc, const char* vri_key, int index, void* buffer,
                              unsigned long length) {
    PDF_LAYER_GUARD;
    if (!doc || !vri_key || index < 0) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_buffer* volatile data = nullptr;
    fz_try(ctx) {
        pdf_obj* ocsp = vri_ocsp(ctx, doc->pdf, vri_key);
        pdf_obj* stream = pdf_array_get(ctx, ocsp, index);
        if (pdf_is_stream(ctx, stream)) {
            data = pdf_load_stream(ctx, stream);
            size_t n = data->len;
            if (n > 0 && buffer && n <= length) {
                std::memcpy(buffer, data->data, n);
                result = static_cast<unsigned long>(n);
            }
        }
    }
    fz_always(ctx) { fz_drop_buffer(ctx, data); }
    fz_catch(ctx) { result = 0; }
    return result;
}

unsigned long FPDF_GetVRIOCSPLength(FPDF_DOCUMENT doc, const char* vri_key, int index) {
    PDF_LAYER_GUARD;
    if (!doc || !vri_key || index < 0) return 0;
    fz_context* ctx = pdf_layer_context();
    volatile unsigned long result = 0;
    fz_buffer* volatile data = nullptr;
    fz_try(ctx) {
        pdf_obj* stream = pdf_array_get(ctx, vri_ocsp(ctx, doc->pdf, vri_key), index);
        if (pdf_is_stream(ctx, stream)) {
            data = pdf_load_stream(ctx, stream);
            result = static_cast<unsigned long>(data->len);
        }
    }
    fz_always(ctx) { fz_drop_buffer(ctx, data); }
    fz_catch(ctx) { result = 0; }
    return result;
}
