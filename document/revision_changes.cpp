// Sorting the updates written after a signature into classes of change.
//
// The signed revision is opened as a document of its own over the first
// `signed_end` bytes of the document's own open stream, so both revisions are
// read by MuPDF as any reader would read them. Objects whose cross-reference
// entries did not move are the same bytes and are never loaded; only the
// others are compared, and each is judged by the part it plays in the signed
// revision (page content, page tree, annotation, form field, signature,
// validation data), found by walking that revision from its catalog.
//
// MuPDF unwinds with longjmp: the functions that run inside fz_try below keep
// no object with a destructor of their own; their containers live in a
// `walk_state` made outside, and grow only through as_mupdf_error (no C++
// exception may cross fz_try).
#include "document/revision_changes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/diagnostics.h"
#include "document/pdf_layer_mupdf.h"

namespace {

// ---- the signed revision as a document of its own ---------------------------

// A seekable window on the first `length` bytes of another stream. It seeks
// its source before every read, as MuPDF does with its own file, so it and
// the document that owns the source take turns without disturbing each
// other (both only under the library lock).
struct prefix_state {
    fz_stream* source;
    int64_t length;
    int64_t at;
    unsigned char buffer[16384];
};

int prefix_next(fz_context* ctx, fz_stream* stm, size_t max) {
    auto* s = static_cast<prefix_state*>(stm->state);
    if (s->at >= s->length) return EOF;
    size_t n = sizeof s->buffer;
    if (n > max) n = max;
    if (static_cast<int64_t>(n) > s->length - s->at) n = static_cast<size_t>(s->length - s->at);
    fz_seek(ctx, s->source, s->at, SEEK_SET);
    n = fz_read(ctx, s->source, s->buffer, n);
    if (n == 0) return EOF;
    stm->rp = s->buffer;
    stm->wp = s->buffer + n;
    s->at += static_cast<int64_t>(n);
    stm->pos = s->at;
    return *stm->rp++;
}

void prefix_seek(fz_context*, fz_stream* stm, int64_t offset, int whence) {
    auto* s = static_cast<prefix_state*>(stm->state);
    if (whence == SEEK_END) offset += s->length;
    else if (whence == SEEK_CUR) offset += stm->pos;
    offset = std::max<int64_t>(0, std::min(offset, s->length));
    s->at = offset;
    stm->pos = offset;
    stm->rp = stm->wp = s->buffer;
}

void prefix_drop(fz_context* ctx, void* state) {
    auto* s = static_cast<prefix_state*>(state);
    fz_drop_stream(ctx, s->source);
    fz_free(ctx, s);
}

// A new stream over bytes [0, length) of `source` (kept).
fz_stream* open_prefix(fz_context* ctx, fz_stream* source, int64_t length) {
    auto* s = static_cast<prefix_state*>(fz_calloc(ctx, 1, sizeof(prefix_state)));
    s->source = fz_keep_stream(ctx, source);
    s->length = length;
    fz_stream* stm = nullptr;
    fz_try(ctx) { stm = fz_new_stream(ctx, s, prefix_next, prefix_drop); }
    fz_catch(ctx) {
        fz_drop_stream(ctx, s->source);
        fz_free(ctx, s);
        fz_rethrow(ctx);
    }
    stm->seek = prefix_seek;
    return stm;
}

// ---- the parts objects play in the signed revision --------------------------

enum role : unsigned char {
    role_none = 0,     // not reached from the catalog: a change of it alone changes nothing
    role_content,      // page content, resources, fonts, images, and catalog entries beyond the ones below
    role_page_node,    // an inner node of the page tree
    role_page,
    role_catalog,
    role_annots,       // a page's /Annots array written as an object of its own
    role_annot,        // an annotation other than a widget
    role_widget,       // a widget or a form field
    role_fields,       // /AcroForm /Fields written as an object of its own
    role_acroform,
    role_signature,    // a signature dictionary (and what it holds)
    role_annot_part,   // what an annotation holds (appearance streams, pop-ups)
    role_widget_part,  // what a widget holds, and the form's default resources
    role_dss,          // validation data
    role_metadata,     // the document's XMP metadata: signing tools update it, nothing draws it
};

// Names MuPDF has no constant for.
bool name_is(fz_context* ctx, pdf_obj* name, const char* text) {
    return pdf_is_name(ctx, name) && std::strcmp(pdf_to_name(ctx, name), text) == 0;
}

struct walk_state {
    std::unordered_map<int, role> roles;
    std::unordered_set<int> moved;  // objects whose cross-reference entry changed after signing
    std::vector<pdf_obj*> content_roots;
    std::vector<std::pair<pdf_obj*, role>> part_roots;
    std::vector<pdf_obj*> stack;
};

role role_of(const walk_state* w, int num) {
    auto it = w->roles.find(num);
    return it == w->roles.end() ? role_none : it->second;
}

void give_role(fz_context* ctx, walk_state* w, int num, role r) {
    as_mupdf_error(ctx, [&] { w->roles[num] = r; });
}

template <typename T>
void push(fz_context* ctx, std::vector<T>& v, T item) {
    as_mupdf_error(ctx, [&] { v.push_back(item); });
}

// Marks every indirect object reached from `root` with `r`, stopping at
// objects that already have a part: the skeleton first, then content (the
// strictest), then the parts of annotations, widgets and validation data.
void mark_reached(fz_context* ctx, walk_state* w, pdf_obj* root, role r) {
    w->stack.clear();
    push(ctx, w->stack, root);
    while (!w->stack.empty()) {
        pdf_obj* o = w->stack.back();
        w->stack.pop_back();
        if (pdf_is_indirect(ctx, o)) {
            int num = pdf_to_num(ctx, o);
            if (role_of(w, num) != role_none) continue;
            give_role(ctx, w, num, r);
            o = pdf_resolve_indirect(ctx, o);
        }
        if (pdf_is_dict(ctx, o)) {
            for (int i = 0, n = pdf_dict_len(ctx, o); i < n; ++i) push(ctx, w->stack, pdf_dict_get_val(ctx, o, i));
        } else if (pdf_is_array(ctx, o)) {
            for (int i = 0, n = pdf_array_len(ctx, o); i < n; ++i) push(ctx, w->stack, pdf_array_get(ctx, o, i));
        }
    }
}

void set_role(fz_context* ctx, walk_state* w, pdf_obj* o, role r) {
    if (pdf_is_indirect(ctx, o)) give_role(ctx, w, pdf_to_num(ctx, o), r);
}

// The parts of an annotation or widget: everything it holds but its page and
// parent (the skeleton reaches those).
void note_annotation(fz_context* ctx, walk_state* w, pdf_obj* annot) {
    pdf_obj* dict = pdf_resolve_indirect(ctx, annot);
    if (!pdf_is_dict(ctx, dict)) return;
    const bool widget = pdf_name_eq(ctx, pdf_dict_get(ctx, dict, PDF_NAME(Subtype)), PDF_NAME(Widget));
    if (pdf_is_indirect(ctx, annot) && role_of(w, pdf_to_num(ctx, annot)) != role_widget)
        set_role(ctx, w, annot, widget ? role_widget : role_annot);
    for (int i = 0, n = pdf_dict_len(ctx, dict); i < n; ++i) {
        pdf_obj* key = pdf_dict_get_key(ctx, dict, i);
        if (pdf_name_eq(ctx, key, PDF_NAME(P)) || pdf_name_eq(ctx, key, PDF_NAME(Parent)) ||
            pdf_name_eq(ctx, key, PDF_NAME(Kids)) || pdf_name_eq(ctx, key, PDF_NAME(V)))
            continue;
        push(ctx, w->part_roots, {pdf_dict_get_val(ctx, dict, i), widget ? role_widget_part : role_annot_part});
    }
}

void walk_pages(fz_context* ctx, walk_state* w, pdf_obj* node, int depth) {
    if (depth > 64 || !pdf_is_dict(ctx, pdf_resolve_indirect(ctx, node))) return;
    if (pdf_is_indirect(ctx, node) && role_of(w, pdf_to_num(ctx, node)) != role_none) return;  // a loop
    pdf_obj* kids = pdf_dict_get(ctx, node, PDF_NAME(Kids));
    if (pdf_is_array(ctx, kids)) {
        set_role(ctx, w, node, role_page_node);
        set_role(ctx, w, kids, role_page_node);
        for (int i = 0, n = pdf_array_len(ctx, kids); i < n; ++i) walk_pages(ctx, w, pdf_array_get(ctx, kids, i), depth + 1);
        // What a node passes on to its pages (resources, boxes) is content.
        pdf_obj* dict = pdf_resolve_indirect(ctx, node);
        for (int i = 0, n = pdf_dict_len(ctx, dict); i < n; ++i) {
            pdf_obj* key = pdf_dict_get_key(ctx, dict, i);
            if (!pdf_name_eq(ctx, key, PDF_NAME(Kids)) && !pdf_name_eq(ctx, key, PDF_NAME(Parent)))
                push(ctx, w->content_roots, pdf_dict_get_val(ctx, dict, i));
        }
        return;
    }
    set_role(ctx, w, node, role_page);
    pdf_obj* page = pdf_resolve_indirect(ctx, node);
    for (int i = 0, n = pdf_dict_len(ctx, page); i < n; ++i) {
        pdf_obj* key = pdf_dict_get_key(ctx, page, i);
        pdf_obj* val = pdf_dict_get_val(ctx, page, i);
        if (pdf_name_eq(ctx, key, PDF_NAME(Parent))) continue;
        if (pdf_name_eq(ctx, key, PDF_NAME(Annots))) {
            set_role(ctx, w, val, role_annots);
            for (int k = 0, m = pdf_array_len(ctx, val); k < m; ++k) note_annotation(ctx, w, pdf_array_get(ctx, val, k));
            continue;
        }
        push(ctx, w->content_roots, val);
    }
}

void walk_fields(fz_context* ctx, walk_state* w, pdf_obj* fields, int depth) {
    if (depth > 64) return;
    for (int i = 0, n = pdf_array_len(ctx, fields); i < n; ++i) {
        pdf_obj* field = pdf_array_get(ctx, fields, i);
        if (!pdf_is_dict(ctx, field)) continue;
        if (pdf_is_indirect(ctx, field) && role_of(w, pdf_to_num(ctx, field)) == role_widget &&
            !pdf_dict_get(ctx, field, PDF_NAME(Kids)))
            continue;  // seen
        set_role(ctx, w, field, role_widget);
        note_annotation(ctx, w, field);
        pdf_obj* v = pdf_dict_get(ctx, field, PDF_NAME(V));
        if (pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(FT)), PDF_NAME(Sig))) {
            if (v) {
                set_role(ctx, w, v, role_signature);
                mark_reached(ctx, w, v, role_signature);
            }
        } else if (v) {
            push(ctx, w->part_roots, {v, role_widget_part});
        }
        pdf_obj* kids = pdf_dict_get(ctx, field, PDF_NAME(Kids));
        if (pdf_is_array(ctx, kids)) {
            set_role(ctx, w, kids, role_fields);
            walk_fields(ctx, w, kids, depth + 1);
        }
    }
}

// The parts of the signed revision, from its trailer.
void walk_revision(fz_context* ctx, pdf_document* doc, walk_state* w) {
    pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
    set_role(ctx, w, root, role_catalog);
    pdf_obj* catalog = pdf_resolve_indirect(ctx, root);
    walk_pages(ctx, w, pdf_dict_get(ctx, catalog, PDF_NAME(Pages)), 0);
    pdf_obj* acroform = pdf_dict_get(ctx, catalog, PDF_NAME(AcroForm));
    set_role(ctx, w, acroform, role_acroform);
    pdf_obj* fields = pdf_dict_get(ctx, acroform, PDF_NAME(Fields));
    set_role(ctx, w, fields, role_fields);
    walk_fields(ctx, w, fields, 0);
    for (int i = 0, n = pdf_dict_len(ctx, acroform); i < n; ++i)
        if (!pdf_name_eq(ctx, pdf_dict_get_key(ctx, acroform, i), PDF_NAME(Fields)))
            push(ctx, w->part_roots, {pdf_dict_get_val(ctx, acroform, i), role_widget_part});
    for (int i = 0, n = pdf_dict_len(ctx, catalog); i < n; ++i) {
        pdf_obj* key = pdf_dict_get_key(ctx, catalog, i);
        pdf_obj* val = pdf_dict_get_val(ctx, catalog, i);
        if (pdf_name_eq(ctx, key, PDF_NAME(Pages)) || pdf_name_eq(ctx, key, PDF_NAME(AcroForm))) continue;
        if (name_is(ctx, key, "DSS") || name_is(ctx, key, "Extensions"))
            push(ctx, w->part_roots, {val, role_dss});
        else if (pdf_name_eq(ctx, key, PDF_NAME(Metadata)))
            push(ctx, w->part_roots, {val, role_metadata});
        else if (pdf_name_eq(ctx, key, PDF_NAME(Perms)))
            mark_reached(ctx, w, val, role_signature);
        else
            push(ctx, w->content_roots, val);
    }
    for (pdf_obj* o : w->content_roots) mark_reached(ctx, w, o, role_content);
    for (const auto& p : w->part_roots) mark_reached(ctx, w, p.first, p.second);
}

// ---- comparing the two revisions ----------------------------------------------

struct compare_state {
    pdf_document* old_doc;
    pdf_document* new_doc;
    int64_t signed_end;
    pdf_locked_fields* locked;
    revision_changes* out;
    const char* other;  // the first change of the class "anything else"
    int other_num;      // and the object it was found in
    int num;            // the object being compared
    char field_name[256];
};

void note_other(compare_state* c, const char* what) {
    c->out->other_changes = true;
    if (c->other) return;
    c->other = what;
    c->other_num = c->num;
}

// Equal values: references by number, arrays and dictionaries item by item,
// the rest as MuPDF compares them. Not pdf_objcmp for arrays and
// dictionaries of two documents: for two alike dictionaries MuPDF 1.21 looks
// up the second one's object number in the first one's document, and writes
// past the end of its cross-reference table when the number lies beyond it.
bool same_value(fz_context* ctx, pdf_obj* a, pdf_obj* b) {
    if (a == b) return true;
    if (pdf_is_indirect(ctx, a) || pdf_is_indirect(ctx, b))
        return pdf_is_indirect(ctx, a) && pdf_is_indirect(ctx, b) && pdf_to_num(ctx, a) == pdf_to_num(ctx, b) &&
               pdf_to_gen(ctx, a) == pdf_to_gen(ctx, b);
    if (pdf_is_array(ctx, a) || pdf_is_array(ctx, b)) {
        const int n = pdf_array_len(ctx, a);
        if (!pdf_is_array(ctx, a) || !pdf_is_array(ctx, b) || n != pdf_array_len(ctx, b)) return false;
        for (int i = 0; i < n; ++i)
            if (!same_value(ctx, pdf_array_get(ctx, a, i), pdf_array_get(ctx, b, i))) return false;
        return true;
    }
    if (pdf_is_dict(ctx, a) || pdf_is_dict(ctx, b)) {
        const int n = pdf_dict_len(ctx, a);
        if (!pdf_is_dict(ctx, a) || !pdf_is_dict(ctx, b) || n != pdf_dict_len(ctx, b)) return false;
        for (int i = 0; i < n; ++i)
            if (!same_value(ctx, pdf_dict_get_val(ctx, a, i), pdf_dict_get(ctx, b, pdf_dict_get_key(ctx, a, i))))
                return false;
        return true;
    }
    return pdf_objcmp(ctx, a, b) == 0;
}

// Calls `changed(key, old value, new value)` once for every key whose value
// differs between the two dictionaries (a key of either one).
template <typename F>
void for_each_changed_key(fz_context* ctx, pdf_obj* old_d, pdf_obj* new_d, F changed) {
    for (pdf_obj* d : {old_d, new_d})
        for (int i = 0, n = pdf_dict_len(ctx, d); i < n; ++i) {
            pdf_obj* key = pdf_dict_get_key(ctx, d, i);
            if (d == new_d && pdf_dict_get(ctx, old_d, key)) continue;  // seen with the old dictionary
            pdf_obj* a = pdf_dict_get(ctx, old_d, key);
            pdf_obj* b = pdf_dict_get(ctx, new_d, key);
            if (!same_value(ctx, a, b)) changed(key, a, b);
        }
}

bool is_signature_field(fz_context* ctx, pdf_obj* field) {
    return pdf_name_eq(ctx, pdf_dict_get_inheritable(ctx, field, PDF_NAME(FT)), PDF_NAME(Sig));
}

bool is_document_timestamp(fz_context* ctx, pdf_obj* v) {
    return name_is(ctx, pdf_dict_get(ctx, v, PDF_NAME(Type)), "DocTimeStamp") ||
           name_is(ctx, pdf_dict_get(ctx, v, PDF_NAME(SubFilter)), "ETSI.RFC3161");
}

void count_signature(fz_context* ctx, compare_state* c, pdf_obj* v) {
    ++c->out->signatures_added;
    if (is_document_timestamp(ctx, v)) ++c->out->timestamps_added;
}

// True (and noted as `what`) when the rewritten object is no dictionary any
// more: it was removed.
bool removed(fz_context* ctx, compare_state* c, pdf_obj* now, const char* what) {
    if (pdf_is_dict(ctx, now)) return false;
    note_other(c, what);
    return true;
}

// A field or widget that existed in the signed revision and was rewritten.
void compare_field(fz_context* ctx, compare_state* c, pdf_obj* old_f, pdf_obj* new_f) {
    if (removed(ctx, c, new_f, "a form field was removed")) return;
    const bool sig = is_signature_field(ctx, old_f);
    bool filled = false;
    for_each_changed_key(ctx, old_f, new_f, [&](pdf_obj* key, pdf_obj* a, pdf_obj* b) {
        if (pdf_name_eq(ctx, key, PDF_NAME(V))) {
            if (sig) {
                if (a) note_other(c, "a signature was replaced");
                else if (pdf_is_dict(ctx, b)) count_signature(ctx, c, b);
            } else {
                filled = true;
            }
        } else if (pdf_name_eq(ctx, key, PDF_NAME(AP)) || pdf_name_eq(ctx, key, PDF_NAME(AS)) ||
                   pdf_name_eq(ctx, key, PDF_NAME(MK))) {
            if (!sig) filled = true;
        } else if (sig && (pdf_name_eq(ctx, key, PDF_NAME(P)) || pdf_name_eq(ctx, key, PDF_NAME(F)))) {
            // Signing an empty field may place its widget.
        } else {
            note_other(c, "a form field was changed beyond its value");
        }
    });
    if (!filled) return;
    c->out->form_filled = true;
    if (c->locked) {
        char* name = pdf_field_name(ctx, new_f);
        const bool locked = name && pdf_is_field_locked(ctx, c->locked, name);
        fz_free(ctx, name);
        if (locked) c->out->locked_field_changed = true;
    }
}

int ref_num(fz_context* ctx, pdf_obj* o) { return pdf_is_indirect(ctx, o) ? pdf_to_num(ctx, o) : 0; }

bool array_holds(fz_context* ctx, pdf_obj* array, pdf_obj* item) {
    for (int i = 0, n = pdf_array_len(ctx, array); i < n; ++i) {
        pdf_obj* x = pdf_array_get(ctx, array, i);
        if (pdf_is_indirect(ctx, item) ? ref_num(ctx, x) == pdf_to_num(ctx, item) : same_value(ctx, x, item))
            return true;
    }
    return false;
}

// /AcroForm /Fields (or a field's /Kids) of the two revisions.
void compare_fields(fz_context* ctx, compare_state* c, pdf_obj* old_a, pdf_obj* new_a) {
    for (int i = 0, n = pdf_array_len(ctx, old_a); i < n; ++i)
        if (!array_holds(ctx, new_a, pdf_array_get(ctx, old_a, i))) note_other(c, "a form field was removed");
    for (int i = 0, n = pdf_array_len(ctx, new_a); i < n; ++i) {
        pdf_obj* f = pdf_array_get(ctx, new_a, i);
        if (array_holds(ctx, old_a, f)) continue;
        if (!is_signature_field(ctx, f)) {
            note_other(c, "a form field was added");
            continue;
        }
        pdf_obj* v = pdf_dict_get(ctx, f, PDF_NAME(V));
        if (pdf_is_dict(ctx, v)) count_signature(ctx, c, v);
        else if (!v) ++c->out->empty_fields_added;
    }
}

// A page's /Annots of the two revisions.
void compare_annots(fz_context* ctx, compare_state* c, pdf_obj* old_a, pdf_obj* new_a) {
    for (int i = 0, n = pdf_array_len(ctx, old_a); i < n; ++i) {
        pdf_obj* a = pdf_array_get(ctx, old_a, i);
        if (array_holds(ctx, new_a, a)) continue;
        if (pdf_name_eq(ctx, pdf_dict_get(ctx, a, PDF_NAME(Subtype)), PDF_NAME(Widget)))
            note_other(c, "a form field's widget was removed");
        else
            c->out->annotations_changed = true;
    }
    for (int i = 0, n = pdf_array_len(ctx, new_a); i < n; ++i) {
        pdf_obj* a = pdf_array_get(ctx, new_a, i);
        if (array_holds(ctx, old_a, a)) continue;
        if (!pdf_name_eq(ctx, pdf_dict_get(ctx, a, PDF_NAME(Subtype)), PDF_NAME(Widget)))
            c->out->annotations_changed = true;
        else if (!is_signature_field(ctx, a))
            note_other(c, "a form field was added");
    }
}

void compare_page(fz_context* ctx, compare_state* c, pdf_obj* old_p, pdf_obj* new_p) {
    if (removed(ctx, c, new_p, "a page was removed")) return;
    for_each_changed_key(ctx, old_p, new_p, [&](pdf_obj* key, pdf_obj* a, pdf_obj* b) {
        if (!pdf_name_eq(ctx, key, PDF_NAME(Annots))) {
            note_other(c, "a page's content, resources or geometry changed");
            return;
        }
        // The array written as an object of its own is compared as that
        // object; moved to another object, it is compared here.
        compare_annots(ctx, c, a, b);
    });
}

void compare_acroform(fz_context* ctx, compare_state* c, pdf_obj* old_f, pdf_obj* new_f) {
    for_each_changed_key(ctx, old_f, new_f, [&](pdf_obj* key, pdf_obj* a, pdf_obj* b) {
        if (pdf_name_eq(ctx, key, PDF_NAME(Fields)))
            compare_fields(ctx, c, a, b);
        else if (pdf_name_eq(ctx, key, PDF_NAME(DR)) || pdf_name_eq(ctx, key, PDF_NAME(DA)) ||
                 name_is(ctx, key, "NeedAppearances"))
            c->out->form_filled = true;
        else if (!pdf_name_eq(ctx, key, PDF_NAME(SigFlags)))
            note_other(c, "the form's dictionary changed");
    });
}

void compare_catalog(fz_context* ctx, compare_state* c, pdf_obj* old_c, pdf_obj* new_c) {
    for_each_changed_key(ctx, old_c, new_c, [&](pdf_obj* key, pdf_obj* a, pdf_obj* b) {
        if (name_is(ctx, key, "DSS") || name_is(ctx, key, "Extensions")) {
            c->out->validation_data = true;
        } else if (pdf_name_eq(ctx, key, PDF_NAME(Version))) {
            // Raised with the extensions that validation data declares.
        } else if (pdf_name_eq(ctx, key, PDF_NAME(Metadata)) && pdf_is_indirect(ctx, b)) {
            // New metadata written as an object of its own: nothing draws it.
        } else if (pdf_name_eq(ctx, key, PDF_NAME(AcroForm))) {
            // A form added to a document that had none holds only what its
            // fields are judged by.
            if (!a && pdf_is_dict(ctx, b)) compare_fields(ctx, c, nullptr, pdf_dict_get(ctx, b, PDF_NAME(Fields)));
            else if (pdf_is_indirect(ctx, a) || pdf_is_indirect(ctx, b)) note_other(c, "the form was replaced");
            else compare_acroform(ctx, c, a, b);
        } else {
            note_other(c, "the document catalog changed");
        }
    });
}

// Same dictionary and, for streams, the same raw bytes.
bool same_object(fz_context* ctx, compare_state* c, int num, pdf_obj* a, pdf_obj* b) {
    if (!same_value(ctx, a, b)) return false;
    if (!pdf_is_stream(ctx, a) && !pdf_is_stream(ctx, b)) return true;
    if (!pdf_is_stream(ctx, a) || !pdf_is_stream(ctx, b)) return false;
    fz_buffer* x = nullptr;
    fz_buffer* y = nullptr;
    int same = 0;
    fz_var(x);
    fz_var(y);
    fz_try(ctx) {
        x = pdf_load_raw_stream_number(ctx, c->old_doc, num);
        y = pdf_load_raw_stream_number(ctx, c->new_doc, num);
        unsigned char *px = nullptr, *py = nullptr;
        size_t nx = fz_buffer_storage(ctx, x, &px), ny = fz_buffer_storage(ctx, y, &py);
        same = nx == ny && (nx == 0 || std::memcmp(px, py, nx) == 0);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, x);
        fz_drop_buffer(ctx, y);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
    return same != 0;
}

bool entry_moved(fz_context* ctx, compare_state* c, int num) {
    pdf_xref_entry* e = pdf_get_xref_entry(ctx, c->new_doc, num);
    pdf_xref_entry* o = num < pdf_xref_len(ctx, c->old_doc) ? pdf_get_xref_entry(ctx, c->old_doc, num) : nullptr;
    const char et = e ? e->type : 0, ot = o ? o->type : 0;
    const bool e_used = et == 'n' || et == 'o', o_used = ot == 'n' || ot == 'o';
    if (!e_used && !o_used) return false;
    if (e_used != o_used || et != ot || e->ofs != o->ofs || e->gen != o->gen) return true;
    if (et == 'o') {
        // Same place inside an object stream: the same bytes only if that
        // stream did not move either.
        const int stm = static_cast<int>(e->ofs);
        if (stm <= 0 || stm == num || stm >= pdf_xref_len(ctx, c->new_doc)) return true;
        pdf_xref_entry* es = pdf_get_xref_entry(ctx, c->new_doc, stm);
        pdf_xref_entry* os = stm < pdf_xref_len(ctx, c->old_doc) ? pdf_get_xref_entry(ctx, c->old_doc, stm) : nullptr;
        return !es || !os || es->type != os->type || es->ofs != os->ofs;
    }
    return false;
}

void compare_revisions(fz_context* ctx, compare_state* c, walk_state* w) {
    pdf_obj* old_trailer = pdf_trailer(ctx, c->old_doc);
    pdf_obj* new_trailer = pdf_trailer(ctx, c->new_doc);
    if (ref_num(ctx, pdf_dict_get(ctx, old_trailer, PDF_NAME(Root))) !=
        ref_num(ctx, pdf_dict_get(ctx, new_trailer, PDF_NAME(Root))))
        note_other(c, "the trailer names another catalog");
    if (!same_value(ctx, pdf_dict_get(ctx, old_trailer, PDF_NAME(Encrypt)),
                    pdf_dict_get(ctx, new_trailer, PDF_NAME(Encrypt))))
        note_other(c, "the encryption changed");

    walk_revision(ctx, c->old_doc, w);

    const int old_len = pdf_xref_len(ctx, c->old_doc);
    for (int num = 1, n = pdf_xref_len(ctx, c->new_doc); num < n; ++num) {
        if (!entry_moved(ctx, c, num)) continue;
        c->num = num;
        as_mupdf_error(ctx, [&] { w->moved.insert(num); });
        pdf_xref_entry* e = pdf_get_xref_entry(ctx, c->new_doc, num);
        // A later table that sends an object back into the signed bytes
        // picks another definition the signature did not sign as current.
        if (e && e->type == 'n' && e->ofs < c->signed_end) note_other(c, "a later xref points into the signed bytes");
        const role r = role_of(w, num);
        // New objects are judged where they are referenced. A number the
        // signed revision referred to without defining it (null there) is no
        // new object: defining it later changes what the reference draws.
        if (r == role_none) continue;
        pdf_obj* a = num < old_len ? pdf_load_object(ctx, c->old_doc, num) : nullptr;
        pdf_obj* b = nullptr;
        fz_var(a);
        fz_var(b);
        fz_try(ctx) {
            if (e && (e->type == 'n' || e->type == 'o')) b = pdf_load_object(ctx, c->new_doc, num);
            if (!same_object(ctx, c, num, a, b)) {
                switch (r) {
                    case role_content: note_other(c, "page content, resources or document-level objects changed"); break;
                    case role_page_node: note_other(c, "the page tree changed"); break;
                    case role_page: compare_page(ctx, c, a, b); break;
                    case role_catalog: compare_catalog(ctx, c, a, b); break;
                    case role_annots: compare_annots(ctx, c, a, b); break;
                    case role_annot:
                    case role_annot_part: c->out->annotations_changed = true; break;
                    case role_widget: compare_field(ctx, c, a, b); break;
                    case role_fields: compare_fields(ctx, c, a, b); break;
                    case role_acroform: compare_acroform(ctx, c, a, b); break;
                    case role_signature: note_other(c, "a signature dictionary changed"); break;
                    case role_widget_part: c->out->form_filled = true; break;
                    case role_dss: c->out->validation_data = true; break;
                    case role_metadata: break;
                    case role_none: break;
                }
            }
        }
        fz_always(ctx) {
            pdf_drop_obj(ctx, a);
            pdf_drop_obj(ctx, b);
        }
        fz_catch(ctx) { fz_rethrow(ctx); }
    }
}

void refuse(revision_changes& r, const char* why) {
    if (!r.permitted) return;
    r.permitted = false;
    r.first_refused = why;
}

// ---- what the pages show ------------------------------------------------------

// This runs only when the objects allow every change, so the page contents
// and everything they reach are the same objects in both revisions and draw
// alike. What may still draw differently are the annotations and widgets:
// each page's annotations and widgets of both revisions are rendered at a low
// resolution and compared, leaving out only the rectangles of those whose own
// objects were judged above (added, removed or rewritten: signatures added,
// fields filled, annotations changed). A widget or an annotation that was not
// rewritten but draws differently (through a shared resource, the form's
// defaults) is a change of what was signed. The page contents are not drawn:
// a page holding a picture of hundreds of megabytes would be decoded twice
// for nothing.
constexpr float kCompareSide = 160.0f;  // pixels of the longer side of a page
constexpr int kMaskMargin = 2;           // pixels around a left-out rectangle

struct page_render {
    fz_pixmap* pixmap = nullptr;
    fz_matrix ctm;  // page space to pixels
};

page_render render_page(fz_context* ctx, pdf_page* page) {
    page_render r;
    fz_rect box = pdf_bound_page(ctx, page);
    const float side = std::max(box.x1 - box.x0, box.y1 - box.y0);
    const float scale = side > 0 ? kCompareSide / side : 1.0f;
    const fz_matrix to_pixels = fz_scale(scale, scale);
    fz_matrix page_ctm;
    pdf_page_transform(ctx, page, nullptr, &page_ctm);
    r.ctm = fz_concat(page_ctm, to_pixels);
    r.pixmap = fz_new_pixmap_with_bbox(ctx, fz_device_gray(ctx), fz_round_rect(fz_transform_rect(box, to_pixels)),
                                       nullptr, 0);
    fz_device* dev = nullptr;
    fz_var(dev);
    fz_try(ctx) {
        fz_clear_pixmap_with_value(ctx, r.pixmap, 255);
        dev = fz_new_draw_device(ctx, fz_identity, r.pixmap);
        pdf_run_page_annots_with_usage(ctx, page, dev, to_pixels, "View", nullptr);
        pdf_run_page_widgets_with_usage(ctx, page, dev, to_pixels, "View", nullptr);
        fz_close_device(ctx, dev);
    }
    fz_always(ctx) { fz_drop_device(ctx, dev); }
    fz_catch(ctx) {
        fz_drop_pixmap(ctx, r.pixmap);
        fz_rethrow(ctx);
    }
    return r;
}

bool annot_judged(fz_context* ctx, const std::unordered_set<int>* moved, pdf_obj* annot, pdf_obj* other_annots) {
    if (!pdf_is_indirect(ctx, annot)) return true;
    const int num = pdf_to_num(ctx, annot);
    return moved->count(num) != 0 || !array_holds(ctx, other_annots, annot);
}

// Blanks the rectangles of the judged annotations of `annots` in both renders.
void mask_judged(fz_context* ctx, const std::unordered_set<int>* moved, pdf_obj* annots, pdf_obj* other_annots,
                 const page_render& in, page_render* a, page_render* b) {
    for (int i = 0, n = pdf_array_len(ctx, annots); i < n; ++i) {
        pdf_obj* annot = pdf_array_get(ctx, annots, i);
        if (!annot_judged(ctx, moved, annot, other_annots)) continue;
        fz_irect box = fz_round_rect(fz_transform_rect(pdf_dict_get_rect(ctx, annot, PDF_NAME(Rect)), in.ctm));
        box.x0 -= kMaskMargin;
        box.y0 -= kMaskMargin;
        box.x1 += kMaskMargin;
        box.y1 += kMaskMargin;
        for (page_render* r : {a, b}) {
            fz_irect area = fz_intersect_irect(box, fz_pixmap_bbox(ctx, r->pixmap));
            if (fz_is_empty_irect(area)) continue;
            fz_clear_pixmap_rect_with_value(ctx, r->pixmap, 255, area);
        }
    }
}

bool pixmaps_differ(fz_context* ctx, fz_pixmap* a, fz_pixmap* b) {
    if (fz_pixmap_width(ctx, a) != fz_pixmap_width(ctx, b) || fz_pixmap_height(ctx, a) != fz_pixmap_height(ctx, b))
        return true;
    const int w = fz_pixmap_width(ctx, a), h = fz_pixmap_height(ctx, a), n = fz_pixmap_components(ctx, a);
    const unsigned char* pa = fz_pixmap_samples(ctx, a);
    const unsigned char* pb = fz_pixmap_samples(ctx, b);
    const int sa = fz_pixmap_stride(ctx, a), sb = fz_pixmap_stride(ctx, b);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * n; ++x)
            if (std::abs(pa[y * sa + x] - pb[y * sb + x]) > 24) return true;
    return false;
}

void compare_page_renders(fz_context* ctx, pdf_document* old_doc, pdf_document* new_doc, int index,
                          const std::unordered_set<int>* moved, revision_changes& out) {
    pdf_page* old_page = nullptr;
    pdf_page* new_page = nullptr;
    page_render a, b;
    fz_var(old_page);
    fz_var(new_page);
    fz_var(a);
    fz_var(b);
    fz_try(ctx) {
        // Each document in turn has the resource store to itself.
        pdf_layer_use_document(ctx, old_doc);
        old_page = pdf_load_page(ctx, old_doc, index);
        pdf_layer_use_document(ctx, new_doc);
        new_page = pdf_load_page(ctx, new_doc, index);
        pdf_layer_use_document(ctx, old_doc);
        a = render_page(ctx, old_page);
        pdf_layer_use_document(ctx, new_doc);
        b = render_page(ctx, new_page);
        pdf_obj* old_annots = pdf_dict_get(ctx, old_page->obj, PDF_NAME(Annots));
        pdf_obj* new_annots = pdf_dict_get(ctx, new_page->obj, PDF_NAME(Annots));
        mask_judged(ctx, moved, old_annots, new_annots, a, &a, &b);
        mask_judged(ctx, moved, new_annots, old_annots, b, &a, &b);
        if (pixmaps_differ(ctx, a.pixmap, b.pixmap)) out.pages_differ = true;
    }
    fz_always(ctx) {
        fz_drop_pixmap(ctx, a.pixmap);
        fz_drop_pixmap(ctx, b.pixmap);
        fz_drop_page(ctx, old_page ? &old_page->super : nullptr);
        fz_drop_page(ctx, new_page ? &new_page->super : nullptr);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

void compare_pages(fz_context* ctx, pdf_document* old_doc, pdf_document* new_doc, const std::unordered_set<int>* moved,
                   revision_changes& out) {
    const int pages = pdf_count_pages(ctx, old_doc);
    out.pages_compared = true;
    if (pages != pdf_count_pages(ctx, new_doc)) {
        out.pages_differ = true;
        return;
    }
    for (int i = 0; i < pages && !out.pages_differ; ++i) compare_page_renders(ctx, old_doc, new_doc, i, moved, out);
}

}  // namespace

revision_changes changes_after_signing(FPDF_DOCUMENT doc, int field_index, int64_t signed_end, int certification,
                                       int locked_all) {
    revision_changes out;
    PDF_LAYER_GUARD;
    if (!doc || !doc->pdf || signed_end <= 0) return out;
    const auto size = static_cast<int64_t>(pdf_layer_source_size(doc));
    if (signed_end >= size) return out;

    fz_context* ctx = pdf_layer_context();
    walk_state walk;
    compare_state c{};
    c.new_doc = doc->pdf;
    c.signed_end = signed_end;
    c.out = &out;
    fz_stream* base = nullptr;
    fz_stream* prefix = nullptr;
    pdf_document* old_doc = nullptr;
    const char* failure = nullptr;
    fz_var(base);
    fz_var(prefix);
    fz_var(old_doc);
    fz_var(failure);
    fz_try(ctx) {
        base = doc->file ? fz_keep_stream(ctx, doc->file) : fz_open_buffer(ctx, doc->source);
        prefix = open_prefix(ctx, base, signed_end);
        failure = "the signed bytes are not a whole revision of the document";
        old_doc = pdf_open_document_with_stream(ctx, prefix);
        if (old_doc->repair_attempted || pdf_count_pages(ctx, old_doc) <= 0) fz_throw(ctx, FZ_ERROR_GENERIC, "repaired");
        failure = "the document could not be compared with its signed revision";
        c.old_doc = old_doc;
        out.later_revisions = std::max(0, pdf_count_versions(ctx, doc->pdf) - pdf_count_versions(ctx, old_doc));
        if (doc->repaired) note_other(&c, "the document's cross-reference table had to be repaired");
        pdf_obj* field = pdf_layer_field(FPDF_GetSignatureObject(doc, field_index));
        if (field) c.locked = pdf_find_locked_fields_for_sig(ctx, doc->pdf, field);
        compare_revisions(ctx, &c, &walk);
        // What the pages show, once the objects allow the change: a change
        // that keeps the objects but alters what they draw is seen here.
        if (!out.other_changes) {
            c.num = 0;
            compare_pages(ctx, old_doc, doc->pdf, &walk.moved, out);
            if (out.pages_differ) note_other(&c, "the pages draw differently from the signed revision");
        }
        failure = nullptr;
    }
    fz_always(ctx) {
        pdf_drop_locked_fields(ctx, c.locked);
        // The store forgets the closed revision with it.
        pdf_layer_drop_document(ctx, old_doc);
        fz_drop_stream(ctx, prefix);
        fz_drop_stream(ctx, base);
    }
    fz_catch(ctx) {
        out.other_changes = true;
        if (!c.other) c.other = failure ? failure : "the later revisions could not be read";
    }

    if (out.other_changes) {
        std::string why = c.other ? c.other : "anything else";
        if (c.other_num > 0) why += " (object " + std::to_string(c.other_num) + ")";
        refuse(out, why.c_str());
    }
    if (out.locked_field_changed) refuse(out, "a locked field was changed");
    const int approvals = out.signatures_added - out.timestamps_added;
    if (certification == 1 || locked_all) {
        if (out.form_filled) refuse(out, "form filling where the certification permits no change");
        if (out.annotations_changed) refuse(out, "annotations where the certification permits no change");
        if (approvals > 0) refuse(out, "a signature where the certification permits no change");
    } else if (certification == 2 && out.annotations_changed) {
        refuse(out, "annotations where the certification permits form filling only");
    }
    if (!out.permitted)
        diag_print("\n [INFO] %s(), signature %d: not permitted after signing: %s\n", "", field_index,
                   out.first_refused.c_str());
    return out;
}
