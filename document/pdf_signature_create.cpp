// Creating a new, still unsigned signature field on a page: the signature
// dictionary with placeholder /Contents and /ByteRange, the field and widget,
// the lock, the certification entries, the visible appearance and the
// entries in /AcroForm and the page's /Annots. Nothing is saved here.
#include "document/pdf_signature_create.h"

#include <cstring>
#include <initializer_list>
#include <new>

const char kSignatureContentsMarker[] = "VelkorantContentPos";

namespace {

constexpr int kMarkerLength = 19;
constexpr int64_t kByteRangePlaceholder = 1000000000;
const char kProducerName[] = "Velkorant Software";

struct rect_size {
    float w, h;
};

rect_size size_of(const FS_RECTF* rect) { return {rect->right - rect->left, rect->top - rect->bottom}; }

pdf_obj* new_array_of(fz_context* ctx, pdf_document* doc, std::initializer_list<double> values) {
    pdf_obj* a = pdf_new_array(ctx, doc, static_cast<int>(values.size()));
    fz_try(ctx) {
        for (double v : values) pdf_array_push_real(ctx, a, v);
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, a);
        fz_rethrow(ctx);
    }
    return a;
}

// The keys every layer of the appearance shares.
void put_form_keys(fz_context* ctx, pdf_document* doc, pdf_obj* dict, double w, double h, bool form_type) {
    pdf_dict_put(ctx, dict, PDF_NAME(Type), PDF_NAME(XObject));
    pdf_dict_put(ctx, dict, PDF_NAME(Subtype), PDF_NAME(Form));
    pdf_dict_put_drop(ctx, dict, PDF_NAME(Matrix), new_array_of(ctx, doc, {1, 0, 0, 1, 0, 0}));
    pdf_dict_put_drop(ctx, dict, PDF_NAME(BBox), new_array_of(ctx, doc, {0, 0, w, h}));
    if (form_type) pdf_dict_put_int(ctx, dict, PDF_NAME(FormType), 1);
}

void set_stream_text(fz_context* ctx, pdf_document* doc, pdf_obj* stream, const char* text) {
    fz_buffer* buf = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(text),
                                                    std::strlen(text));
    fz_try(ctx) { pdf_update_stream(ctx, doc, stream, buf, 0); }
    fz_always(ctx) { fz_drop_buffer(ctx, buf); }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

// /Resources << /XObject << /name ref ... >> >>
void put_xobject_resources(fz_context* ctx, pdf_obj* dict, const char* const* names, pdf_obj* const* refs,
                           int n) {
    pdf_obj* res = pdf_dict_put_dict(ctx, dict, PDF_NAME(Resources), 1);
    pdf_obj* xobj = pdf_dict_put_dict(ctx, res, PDF_NAME(XObject), n);
    for (int i = 0; i < n; ++i) pdf_dict_puts(ctx, xobj, names[i], refs[i]);
}

// A deflated stream object from raw bytes, with the given dictionary.
pdf_obj* add_deflated_stream(fz_context* ctx, pdf_document* doc, const unsigned char* data, size_t n,
                             pdf_obj* dict) {
    size_t packed_len = 0;
    unsigned char* packed = fz_new_deflated_data(ctx, &packed_len, data, n, FZ_DEFLATE_DEFAULT);
    fz_buffer* buf = nullptr;
    pdf_obj* ref = nullptr;
    fz_var(buf);
    fz_try(ctx) {
        buf = fz_new_buffer_from_data(ctx, packed, packed_len);
        packed = nullptr;
        pdf_dict_put(ctx, dict, PDF_NAME(Filter), PDF_NAME(FlateDecode));
        ref = pdf_add_stream(ctx, doc, buf, dict, 1);
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, buf);
        fz_free(ctx, packed);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
    return ref;
}

pdf_obj* new_image_dict(fz_context* ctx, pdf_document* doc, int width, int height, pdf_obj* colorspace) {
    pdf_obj* d = pdf_new_dict(ctx, doc, 7);
    fz_try(ctx) {
        pdf_dict_put(ctx, d, PDF_NAME(Type), PDF_NAME(XObject));
        pdf_dict_put(ctx, d, PDF_NAME(Subtype), PDF_NAME(Image));
        pdf_dict_put_int(ctx, d, PDF_NAME(Width), width);
        pdf_dict_put_int(ctx, d, PDF_NAME(Height), height);
        pdf_dict_put(ctx, d, PDF_NAME(ColorSpace), colorspace);
        pdf_dict_put_int(ctx, d, PDF_NAME(BitsPerComponent), 8);
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, d);
        fz_rethrow(ctx);
    }
    return d;
}

// An image XObject (RGB with a soft mask) from BGRA pixels.
pdf_obj* add_bgra_image(fz_context* ctx, pdf_document* doc, const unsigned char* pixels, int width,
                        int height) {
    size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    unsigned char* rgb = nullptr;
    unsigned char* alpha = nullptr;
    pdf_obj* mask_dict = nullptr;
    pdf_obj* image_dict = nullptr;
    pdf_obj* mask = nullptr;
    pdf_obj* image = nullptr;
    fz_var(rgb);
    fz_var(alpha);
    fz_var(mask_dict);
    fz_var(image_dict);
    fz_var(mask);
    fz_var(image);
    fz_try(ctx) {
        rgb = static_cast<unsigned char*>(fz_malloc(ctx, count * 3));
        alpha = static_cast<unsigned char*>(fz_malloc(ctx, count));
        for (size_t i = 0; i < count; ++i) {
            rgb[i * 3] = pixels[i * 4 + 2];
            rgb[i * 3 + 1] = pixels[i * 4 + 1];
            rgb[i * 3 + 2] = pixels[i * 4];
            alpha[i] = pixels[i * 4 + 3];
        }
        mask_dict = new_image_dict(ctx, doc, width, height, PDF_NAME(DeviceGray));
        mask = add_deflated_stream(ctx, doc, alpha, count, mask_dict);
        image_dict = new_image_dict(ctx, doc, width, height, PDF_NAME(DeviceRGB));
        pdf_dict_put(ctx, image_dict, PDF_NAME(SMask), mask);
        image = add_deflated_stream(ctx, doc, rgb, count * 3, image_dict);
    }
    fz_always(ctx) {
        fz_free(ctx, rgb);
        fz_free(ctx, alpha);
        pdf_drop_obj(ctx, mask_dict);
        pdf_drop_obj(ctx, image_dict);
        pdf_drop_obj(ctx, mask);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
    return image;
}

// A new, empty stream object (filled by one of the layer steps).
pdf_obj* new_stream(fz_context* ctx, pdf_document* doc) {
    fz_buffer* buf = fz_new_buffer(ctx, 1);
    pdf_obj* ref = nullptr;
    fz_try(ctx) { ref = pdf_add_stream(ctx, doc, buf, nullptr, 0); }
    fz_always(ctx) { fz_drop_buffer(ctx, buf); }
    fz_catch(ctx) { fz_rethrow(ctx); }
    return ref;
}

}  // namespace

bool GenerateBlankLayer(pdf_document* doc, pdf_obj* stream) {
    PDF_LAYER_GUARD;
    if (!doc || !stream) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    fz_try(ctx) {
        put_form_keys(ctx, doc, stream, 100, 100, true);
        set_stream_text(ctx, doc, stream, "% DSBlank\n");
        ok = true;
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool GenerateImageLayer(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect,
                        const unsigned char* pixels, int width, int height) {
    PDF_LAYER_GUARD;
    if (!doc || !stream || !rect || !pixels || width <= 0 || height <= 0 || width > 65536 || height > 65536)
        return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    pdf_obj* image = nullptr;
    fz_var(image);
    fz_try(ctx) {
        rect_size s = size_of(rect);
        image = add_bgra_image(ctx, doc, pixels, width, height);
        char name[32];
        fz_snprintf(name, sizeof name, "img%d", pdf_to_num(ctx, image));
        char content[128];
        fz_snprintf(content, sizeof content, "q %d 0 0 %d 0 0 cm /%s Do Q\n", static_cast<int>(s.w),
                    static_cast<int>(s.h), name);
        put_form_keys(ctx, doc, stream, s.w, s.h, false);
        const char* names[] = {name};
        pdf_obj* refs[] = {image};
        put_xobject_resources(ctx, stream, names, refs, 1);
        set_stream_text(ctx, doc, stream, content);
        ok = true;
    }
    fz_always(ctx) { pdf_drop_obj(ctx, image); }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool GenerateLayeredForm(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect, pdf_obj* n0, pdf_obj* n2) {
    PDF_LAYER_GUARD;
    if (!doc || !stream || !rect || !n0 || !n2) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    fz_try(ctx) {
        rect_size s = size_of(rect);
        put_form_keys(ctx, doc, stream, s.w, s.h, true);
        const char* names[] = {"n0", "n2"};
        pdf_obj* refs[] = {n0, n2};
        put_xobject_resources(ctx, stream, names, refs, 2);
        set_stream_text(ctx, doc, stream, "q 1 0 0 1 0 0 cm /n0 Do Q\nq 1 0 0 1 0 0 cm /n2 Do Q\n");
        ok = true;
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool GenerateAppearanceStream(pdf_document* doc, pdf_obj* stream, const FS_RECTF* rect, pdf_obj* frm) {
    PDF_LAYER_GUARD;
    if (!doc || !stream || !rect || !frm) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    fz_try(ctx) {
        rect_size s = size_of(rect);
        put_form_keys(ctx, doc, stream, s.w, s.h, true);
        const char* names[] = {"FRM"};
        pdf_obj* refs[] = {frm};
        put_xobject_resources(ctx, stream, names, refs, 1);
        set_stream_text(ctx, doc, stream, "q 1 0 0 1 0 0 cm /FRM Do Q\n");
        ok = true;
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool FillSignatureDictionary(pdf_document* doc, pdf_obj* sig, const char* reason, const char* location,
                             const char* contact, const char* signing_time, int permission,
                             int timestamp_only, int contents_size) {
    if (!doc || !sig || !signing_time || contents_size < kMinSignatureContentsSize) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    char* contents = nullptr;
    fz_var(contents);
    fz_try(ctx) {
        pdf_dict_put(ctx, sig, PDF_NAME(Type), PDF_NAME(Sig));
        pdf_dict_put(ctx, sig, PDF_NAME(Filter), PDF_NAME(Adobe_PPKLite));
        pdf_dict_put_name(ctx, sig, PDF_NAME(SubFilter), timestamp_only ? "ETSI.RFC3161" : "adbe.pkcs7.detached");
        pdf_obj* build = pdf_dict_put_dict(ctx, sig, PDF_NAME(Prop_Build), 1);
        pdf_obj* app = pdf_dict_put_dict(ctx, build, PDF_NAME(App), 1);
        pdf_dict_put_string(ctx, app, PDF_NAME(Name), kProducerName, sizeof kProducerName - 1);
        if (reason && *reason) pdf_dict_put_text_string(ctx, sig, PDF_NAME(Reason), reason);
        if (location && *location) pdf_dict_put_text_string(ctx, sig, PDF_NAME(Location), location);
        if (contact && *contact) pdf_dict_put_text_string(ctx, sig, PDF_NAME(ContactInfo), contact);
        if (*signing_time) pdf_dict_put_string(ctx, sig, PDF_NAME(M), signing_time, std::strlen(signing_time));

        if (permission >= 1 && permission <= 3) {
            pdf_obj* refs = pdf_dict_put_array(ctx, sig, PDF_NAME(Reference), 1);
            pdf_obj* ref = pdf_new_dict(ctx, doc, 3);
            pdf_array_push_drop(ctx, refs, ref);
            pdf_dict_put(ctx, ref, PDF_NAME(TransformMethod), PDF_NAME(DocMDP));
            pdf_obj* params = pdf_dict_put_dict(ctx, ref, PDF_NAME(TransformParams), 3);
            pdf_dict_put_int(ctx, params, PDF_NAME(P), permission);
            pdf_dict_put(ctx, params, PDF_NAME(Type), PDF_NAME(TransformParams));
            pdf_dict_put_real(ctx, params, PDF_NAME(V), 1.2);
            pdf_dict_put(ctx, ref, PDF_NAME(Type), PDF_NAME(SigRef));

            // The catalog's /Perms names this signature as the certifying one.
            pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
            pdf_obj* perms = pdf_dict_put_dict(ctx, root, PDF_NAME(Perms), 1);
            pdf_dict_put(ctx, perms, PDF_NAME(DocMDP), sig);
        }

        contents = static_cast<char*>(fz_calloc(ctx, static_cast<size_t>(contents_size), 1));
        std::memcpy(contents, kSignatureContentsMarker, kMarkerLength);
        pdf_dict_put_string(ctx, sig, PDF_NAME(Contents), contents, static_cast<size_t>(contents_size));

        pdf_obj* range = pdf_dict_put_array(ctx, sig, PDF_NAME(ByteRange), 4);
        for (int i = 0; i < 4; ++i) pdf_array_push_int(ctx, range, kByteRangePlaceholder);
        ok = true;
    }
    fz_always(ctx) { fz_free(ctx, contents); }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool FillSignatureFieldDictionary(pdf_document* doc, pdf_obj* page, pdf_obj* field, const char* field_name,
                                  bool visible, const FS_RECTF* rect, int lock, pdf_obj* sig,
                                  pdf_obj* appearance, pdf_obj* frm) {
    if (!doc || !field || !field_name || !sig) return false;
    // The appearance comes whole or not at all.
    const int given = (visible ? 1 : 0) + (appearance ? 1 : 0) + (frm ? 1 : 0);
    if (given != 0 && given != 3) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    fz_try(ctx) {
        pdf_dict_put(ctx, field, PDF_NAME(FT), PDF_NAME(Sig));
        pdf_dict_put_text_string(ctx, field, PDF_NAME(T), field_name);
        pdf_dict_put(ctx, field, PDF_NAME(V), sig);
        pdf_dict_put_int(ctx, field, PDF_NAME(F), 132);
        pdf_dict_put(ctx, field, PDF_NAME(Type), PDF_NAME(Annot));
        pdf_dict_put(ctx, field, PDF_NAME(Subtype), PDF_NAME(Widget));

        // /Rect is [left bottom right top], moved by the origin of the page's
        // own crop box unless the rectangle is that crop box.
        float r[4] = {0, 0, 0, 0};
        if (rect) {
            r[0] = rect->left;
            r[1] = rect->bottom;
            r[2] = rect->right;
            r[3] = rect->top;
        }
        pdf_obj* crop = page ? pdf_dict_get(ctx, page, PDF_NAME(CropBox)) : nullptr;
        if (pdf_array_len(ctx, crop) >= 4) {
            float c[4];
            for (int i = 0; i < 4; ++i) c[i] = pdf_to_real(ctx, pdf_array_get(ctx, crop, i));
            if (c[0] != r[0] || c[1] != r[1] || c[2] != r[2] || c[3] != r[3]) {
                r[0] += c[0];
                r[2] += c[0];
                r[1] += c[1];
                r[3] += c[1];
            }
        }
        pdf_dict_put_drop(ctx, field, PDF_NAME(Rect), new_array_of(ctx, doc, {r[0], r[1], r[2], r[3]}));

        if (visible) {
            pdf_obj* ap = pdf_dict_put_dict(ctx, field, PDF_NAME(AP), 1);
            pdf_dict_put(ctx, ap, PDF_NAME(N), appearance);
        }
        if (lock) {
            pdf_obj* l = pdf_add_new_dict(ctx, doc, 3);
            pdf_dict_put_drop(ctx, field, PDF_NAME(Lock), l);
            pdf_dict_put(ctx, l, PDF_NAME(Action), PDF_NAME(All));
            pdf_dict_put_int(ctx, l, PDF_NAME(P), 1);
            pdf_dict_put_name(ctx, l, PDF_NAME(Type), "SigFieldLock");
        }
        if (page) pdf_dict_put(ctx, field, PDF_NAME(P), page);
        if (visible) {
            pdf_obj* dr = pdf_dict_put_dict(ctx, field, PDF_NAME(DR), 1);
            pdf_obj* xobj = pdf_dict_put_dict(ctx, dr, PDF_NAME(XObject), 1);
            pdf_dict_put(ctx, xobj, PDF_NAME(FRM), frm);
        }
        ok = true;
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

bool AddFieldToAcroForm(pdf_document* doc, pdf_obj* field) {
    PDF_LAYER_GUARD;
    if (!doc || !field) return false;
    fz_context* ctx = pdf_layer_context();
    volatile bool ok = false;
    fz_try(ctx) {
        pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, doc), PDF_NAME(Root));
        pdf_obj* form = pdf_dict_get(ctx, root, PDF_NAME(AcroForm));
        if (!pdf_is_dict(ctx, form)) form = pdf_dict_put_dict(ctx, root, PDF_NAME(AcroForm), 2);
        pdf_obj* fields = pdf_dict_get(ctx, form, PDF_NAME(Fields));
        if (!pdf_is_array(ctx, fields)) fields = pdf_dict_put_array(ctx, form, PDF_NAME(Fields), 1);
        pdf_array_push(ctx, fields, field);
        pdf_dict_put_int(ctx, form, PDF_NAME(SigFlags), 3);
        ok = true;
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

struct fpdf_annotation_t__ {
    FPDF_PAGE page = nullptr;
    pdf_obj* field = nullptr;
};

FPDF_ANNOTATION FPDFPage_CreateSignatureField(FPDF_PAGE page, const char* field_name, const char* reason,
                                              const char* location, const char* contact,
                                              const char* signing_time, const FS_RECTF* rect,
                                              const unsigned char* pixels, int width, int height, int certify,
                                              int lock, int permission, int timestamp_only, int contents_size) {
    PDF_LAYER_GUARD;
    pdf_page* p = pdf_layer_page(page);
    pdf_document* doc = p ? page->doc->pdf : nullptr;
    if (!p || !doc) return nullptr;
    auto* annot = new (std::nothrow) fpdf_annotation_t__;
    if (!annot) return nullptr;

    fz_context* ctx = pdf_layer_context();
    const bool visible = pixels && width != 0 && height != 0 && rect && rect->right - rect->left != 0 &&
                         rect->top - rect->bottom != 0;
    pdf_obj* n0 = nullptr;
    pdf_obj* n2 = nullptr;
    pdf_obj* frm = nullptr;
    pdf_obj* ap = nullptr;
    pdf_obj* sig = nullptr;
    pdf_obj* field = nullptr;
    volatile bool ok = false;
    fz_var(visible);
    fz_var(n0);
    fz_var(n2);
    fz_var(frm);
    fz_var(ap);
    fz_var(sig);
    fz_var(field);
    fz_try(ctx) {
        if (visible) {
            n0 = new_stream(ctx, doc);
            n2 = new_stream(ctx, doc);
            frm = new_stream(ctx, doc);
            ap = new_stream(ctx, doc);
            if (!GenerateBlankLayer(doc, n0) || !GenerateImageLayer(doc, n2, rect, pixels, width, height) ||
                !GenerateLayeredForm(doc, frm, rect, n0, n2) || !GenerateAppearanceStream(doc, ap, rect, frm))
                fz_throw(ctx, FZ_ERROR_GENERIC, "the appearance cannot be made");
        }
        sig = pdf_add_new_dict(ctx, doc, 10);
        if (!FillSignatureDictionary(doc, sig, reason, location, contact, signing_time, certify == 1 ? permission : 0,
                                     timestamp_only, contents_size))
            fz_throw(ctx, FZ_ERROR_GENERIC, "the signature dictionary cannot be made");
        field = pdf_add_new_dict(ctx, doc, 12);
        if (!FillSignatureFieldDictionary(doc, p->obj, field, field_name, visible, rect, certify == 0 ? lock : 0,
                                          sig, ap, frm))
            fz_throw(ctx, FZ_ERROR_GENERIC, "the field dictionary cannot be made");
        if (!AddFieldToAcroForm(doc, field)) fz_throw(ctx, FZ_ERROR_GENERIC, "the field cannot join the form");
        pdf_obj* annots = pdf_dict_get(ctx, p->obj, PDF_NAME(Annots));
        if (!pdf_is_array(ctx, annots)) annots = pdf_dict_put_array(ctx, p->obj, PDF_NAME(Annots), 1);
        pdf_array_push(ctx, annots, field);
        ok = true;
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, n0);
        pdf_drop_obj(ctx, n2);
        pdf_drop_obj(ctx, frm);
        pdf_drop_obj(ctx, ap);
        pdf_drop_obj(ctx, sig);
    }
    fz_catch(ctx) { ok = false; }
    if (!ok) {
        pdf_drop_obj(ctx, field);
        delete annot;
        pdf_layer_set_error(FPDF_ERR_UNKNOWN, "the signature field cannot be created");
        return nullptr;
    }
    annot->page = page;
    annot->field = field;
    return annot;
}

void FPDFPage_CloseAnnot(FPDF_ANNOTATION annot) {
    PDF_LAYER_GUARD;
    if (!annot) return;
    pdf_drop_obj(pdf_layer_context(), annot->field);
    delete annot;
}
