// A picture as a one-page PDF of exactly the picture's size, one pixel per point.
#include <cstdio>
#include <vector>

#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "document/mupdf_owned.h"
#include "document/pdf_conversion.h"
#include "document/pdf_file_output.h"
#include "document/pdf_layer_mupdf.h"
#include "platform/private_temp.h"

std::wstring image_to_pdf(const unsigned char* pixels, uint32_t width, uint32_t height, const std::wstring& path) {
    if (!pixels || width == 0 || height == 0 || width > 0x7FFFFFFF / 4 || height > 0x7FFFFFFF / (width * 4))
        throw_ex_fmt("%s(), invalid picture %ux%u", "", width, height);
    PDF_LAYER_GUARD;
    fz_context* ctx = pdf_layer_context();
    if (!ctx) throw_ex_fmt("%s(), %s", "", FPDF_GetLastErrorText());

    // MuPDF takes no BGR pixmaps: swap to RGBA. A picture without any
    // transparent pixel is stored without an alpha channel (no soft mask).
    const size_t count = (size_t)width * height;
    bool has_alpha = false;
    for (size_t p = 0; p < count && !has_alpha; ++p) has_alpha = pixels[p * 4 + 3] != 255;
    const int n = has_alpha ? 4 : 3;
    std::vector<unsigned char> samples(count * n);
    for (size_t p = 0; p < count; ++p) {
        const unsigned char* src = pixels + p * 4;
        unsigned char* dst = samples.data() + p * n;
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
        if (has_alpha) {
            // MuPDF pixmaps with alpha hold premultiplied colour.
            unsigned a = src[3];
            dst[0] = (unsigned char)((dst[0] * a + 127) / 255);
            dst[1] = (unsigned char)((dst[1] * a + 127) / 255);
            dst[2] = (unsigned char)((dst[2] * a + 127) / 255);
            dst[3] = (unsigned char)a;
        }
    }

    std::string target = path.empty() ? platform::make_private_temp_file("", ".pdf") : wide_to_utf8(path);

    pdf_document* doc = nullptr;
    fz_pixmap* pix = nullptr;
    fz_image* image = nullptr;
    pdf_obj* image_ref = nullptr;
    pdf_obj* resources = nullptr;
    pdf_obj* page = nullptr;
    fz_buffer* contents = nullptr;
    volatile bool failed = false;
    char message[256] = "";
    fz_var(doc);
    fz_var(pix);
    fz_var(image);
    fz_var(image_ref);
    fz_var(resources);
    fz_var(page);
    fz_var(contents);
    fz_try(ctx) {
        doc = pdf_create_document(ctx);
        pix = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), (int)width, (int)height, nullptr, has_alpha ? 1 : 0,
                                      (int)(width * n), samples.data());
        image = fz_new_image_from_pixmap(ctx, pix, nullptr);
        image_ref = pdf_add_image(ctx, doc, image);
        resources = pdf_new_dict(ctx, doc, 1);
        pdf_obj* xobjects = pdf_dict_put_dict(ctx, resources, PDF_NAME(XObject), 1);
        pdf_dict_puts(ctx, xobjects, "Im0", image_ref);
        contents = fz_new_buffer(ctx, 64);
        fz_append_printf(ctx, contents, "q\n%u 0 0 %u 0 0 cm\n/Im0 Do\nQ\n", width, height);
        page = pdf_add_page(ctx, doc, fz_make_rect(0, 0, (float)width, (float)height), 0, resources, contents);
        pdf_insert_page(ctx, doc, -1, page);
    }
    fz_always(ctx) {
        pdf_drop_obj(ctx, page);
        fz_drop_buffer(ctx, contents);
        pdf_drop_obj(ctx, resources);
        pdf_drop_obj(ctx, image_ref);
        fz_drop_image(ctx, image);
        fz_drop_pixmap(ctx, pix);
    }
    fz_catch(ctx) {
        failed = true;
        snprintf(message, sizeof message, "%s", fz_caught_message(ctx));
    }
    mupdf_owned<pdf_document> owner(ctx, doc);  // dropped on every way out
    if (failed) {
        owner.reset();
        if (path.empty()) remove(target.c_str());
        throw_ex_fmt("failed to save pdf file: %s", message);
    }
    // Written straight to the file, never gathered in memory first.
    std::string reason;
    int write_error = 0;
    pdf_write_options opts = pdf_default_write_options;
    opts.do_compress = 1;
    opts.do_compress_images = 1;
    const bool saved = write_pdf_to_file(ctx, doc, opts, target, &reason, &write_error);
    owner.reset();
    if (!saved && path.empty()) remove(target.c_str());
    const char* cause = saved ? nullptr : write_failure_cause(write_error);
    if (!saved) throw_ex_fmt("failed to save pdf file: %s%s%s", reason.c_str(), cause ? ", " : "", cause ? cause : "");
    return utf8_to_wide(target);
}
