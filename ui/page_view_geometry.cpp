// The page view's geometry: fitting, zooming, page preparation, matrices and
// the conversions between page points and view pixels.
#include <cmath>
#include <cstdlib>

#include "app/settings.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "ui/page_view_model.h"

namespace {
constexpr float kEpsilon = 1.0f / 8388608.0f;  // 2^-23
}

bool document_locked_for_signing(const doc_base* doc) {
    // While a verification runs the results about to be replaced decide nothing.
    if (!doc || doc_verifying) return false;
    for (const sig_result* r : doc->topsigs) {
        if (!r || !r->record) continue;
        if ((r->record->certified != 0 && r->record->permission == 1) || r->record->locked != 0) return true;
    }
    return false;
}

void page_view_model::reset() {
    painted.exchange(false);
    clear_stamp();
    page = -1;
    requested_page = 0;
    pointer_x = pointer_y = 0;
    painted_colour = 0xFFFFFF;
    if (!keep_zoom) {
        painted_zoom = -1;
        zoom = default_zoom;
        painted_h_offset = painted_v_offset = h_offset = 0;
    }
}

int page_view_model::page_count() const { return current_document ? current_document->page_count.load() : 0; }

int page_view_model::fit_zoom() const {
    const float w = std::fabs(page_box.x1 - page_box.x0), h = std::fabs(page_box.y1 - page_box.y0);
    if (w <= 0 || h <= 0 || client_width <= 0 || client_height <= 0 || (int)w <= 0 || (int)h <= 0) return 0;
    if (w / h > (float)client_width / (float)client_height) return (int)(client_width / (float)(int)w * 100);
    return (int)(client_height / (float)(int)h * 100);
}

void page_view_model::fit_page() {
    const float w = std::fabs(page_box.x1 - page_box.x0), h = std::fabs(page_box.y1 - page_box.y0);
    // A page narrower or lower than one point cannot be fitted: a zero divisor.
    if (w <= 0 || h <= 0 || (int)w <= 0 || (int)h <= 0 || client_height <= 0) return;
    if (w / h > (float)client_width / (float)client_height) {
        page_width_px = client_width;
        h_offset = 0;
        zoom = (int)(client_width / (float)(int)w * 100);
        page_height_px = (int)(h * zoom / 100);
        v_offset = (client_height - page_height_px) / 2;
    } else {
        page_height_px = client_height;
        v_offset = 0;
        zoom = (int)(client_height / (float)(int)h * 100);
        page_width_px = (int)(w * zoom / 100);
        h_offset = (client_width - page_width_px) / 2;
    }
}

void page_view_model::set_zoom(int percent) {
    // Zooming out never goes past the fit: a percentage at or below zero (a
    // zoom-out step from a small fit) or one below the fit is the fit.
    const int fit = fit_zoom();
    if (percent <= 0 || percent < fit) {
        fit_page();
        return;
    }
    const float w = std::fabs(page_box.x1 - page_box.x0), h = std::fabs(page_box.y1 - page_box.y0);
    const int width = (int)(w * percent / 100), height = (int)(h * percent / 100);
    if (height < client_height && width < client_width) {
        fit_page();
        return;
    }
    page_width_px = width;
    page_height_px = height;
    zoom = percent;
    v_offset = (client_height - page_height_px) / 2;
    h_offset = (client_width - page_width_px) / 2;
}

void page_view_model::prepare_page() {
    const float old_w = std::fabs(page_box.x1 - page_box.x0), old_h = std::fabs(page_box.y1 - page_box.y0);
    bool was_fitted = page_width_px != 0 && page_height_px != 0 && client_width != 0 && client_height != 0 &&
                      page_box.x0 != page_box.x1 && page_box.y0 != page_box.y1;
    if (was_fitted) was_fitted = old_w / old_h < 1 ? page_height_px == client_height : page_width_px == client_width;

    int32_t width = 0, height = 0;
    if (current_document) current_document->page_size(requested_page, width, height);
    page_box = {0, 0, (float)(uint32_t)width, (float)(uint32_t)height};
    const float w = std::fabs(page_box.x1 - page_box.x0), h = std::fabs(page_box.y1 - page_box.y0);

    if (!painted) {
        if (is_zoom_fullpage) {
            fit_page();
        } else if (is_zoom_auto_h) {
            if ((int)h <= 0) return;
            page_height_px = client_height;
            v_offset = 0;
            zoom = (int)(client_height / (float)(int)h * 100);
            page_width_px = (int)(w * zoom / 100);
            h_offset = (client_width - page_width_px) / 2;
        } else if (is_zoom_auto_w) {
            if ((int)w <= 0) return;
            h_offset = 0;
            page_width_px = client_width;
            zoom = (int)(client_width / (float)(int)w * 100);
            page_height_px = (int)(h * zoom / 100);
            v_offset = (client_height - page_height_px) / 2;
        } else {
            // No default size option: the page is drawn at the default zoom, centred.
            zoom = default_zoom;
            page_width_px = (int)(w * zoom / 100);
            page_height_px = (int)(h * zoom / 100);
            v_offset = page_taller() ? client_height - page_height_px : (client_height - page_height_px) / 2;
            h_offset = page_wider() ? 0 : (client_width - page_width_px) / 2;
        }
        return;
    }
    if (was_fitted) {
        fit_page();
        return;
    }
    page_width_px = (int)(w * zoom / 100);
    page_height_px = (int)(h * zoom / 100);
    if (page_height_px > client_height) {
        if (requested_page + 1 == page)
            v_offset = 0;
        else if (requested_page - 1 == page)
            v_offset = client_height - page_height_px;
    } else {
        v_offset = (client_height - page_height_px) / 2;
    }
    if (page_width_px <= client_width) h_offset = (client_width - page_width_px) / 2;
}

void page_view_model::update_view_matrices(int h, int v) {
    const float w = std::fabs(page_box.x1 - page_box.x0), ht = std::fabs(page_box.y1 - page_box.y0);
    // A page of no size maps everything onto its corner rather than to infinity.
    const float a = w > 0 ? page_width_px / w : 0, d = ht > 0 ? page_height_px / ht : 0;
    const float f = (float)(client_height - page_height_px - v);
    page_to_view = {a, 0, 0, d, (float)h, f};
    const gl_matrix& m = page_to_view;
    const float det = m.a * m.d - m.b * m.c;
    if (det < -kEpsilon || det > kEpsilon) {
        gl_matrix inv;
        inv.a = m.d / det;
        inv.b = -m.b / det;
        inv.c = -m.c / det;
        inv.d = m.a / det;
        inv.e = -m.e * inv.a - m.f * inv.c;
        inv.f = -m.e * inv.b - m.f * inv.d;
        view_to_page = inv;
    } else {
        view_to_page = page_to_view;
    }
    view_to_page_pixels = {1, 0, 0, 1, (float)-h, -f};
    page_view_rect = rect_by_matrix(page_box, page_to_view);
}

gl_rect page_view_model::rotate_rect(int r, const gl_rect& rc) const {
    const float W = std::fabs(page_box.x1 - page_box.x0), H = std::fabs(page_box.y1 - page_box.y0);
    switch (r) {
        case 90: return {rc.y0, H - rc.x1, rc.y1, H - rc.x0};
        case -90: return {H - rc.y1, rc.x0, H - rc.y0, rc.x1};
        case 270: return {W - rc.y1, rc.x0, W - rc.y0, rc.x1};
        case -270: return {rc.y0, W - rc.x1, rc.y1, W - rc.x0};
        case 180:
        case -180: return {W - rc.x1, H - rc.y1, W - rc.x0, H - rc.y0};
        default: return rc;
    }
}

gl_rect page_view_model::page_rect_to_view(const gl_rect& rect, int rotation) const {
    const float H = std::fabs(page_box.y1 - page_box.y0);
    gl_rect r = rotation != 0 ? rotate_rect(rotation, rect) : rect;
    r = {r.x0, H - r.y1, r.x1, H - r.y0};
    return rect_by_matrix(r, page_to_view);
}

gl_rect page_view_model::view_rect_to_page(const gl_rect& rect, int rotation) const {
    const float H = std::fabs(page_box.y1 - page_box.y0);
    const gl_rect r = rect_by_matrix(rect, view_to_page);
    const gl_rect up = {r.x0, H - r.y1, r.x1, H - r.y0};
    return rotation != 0 ? rotate_rect(-rotation, up) : up;
}

int page_view_model::clamp_h(int h) const {
    if (h < client_width - page_width_px) h = client_width - page_width_px;
    return h > 0 ? 0 : h;
}

int page_view_model::clamp_v(int v) const {
    if (v < client_height - page_height_px) v = client_height - page_height_px;
    return v > 0 ? 0 : v;
}

int page_view_model::scroll_step_pixels() const { return painted_zoom / 100 * scroll_unit; }

void page_view_model::commit_painted(uint32_t colour) {
    painted.exchange(true);
    painted_zoom = zoom;
    painted_v_offset = v_offset;
    page = requested_page;
    painted_h_offset = h_offset;
    painted_colour = colour;
    last_good_width = page_width_px;
    last_good_height = page_height_px;
    last_good_v_offset = v_offset;
    last_good_page = requested_page;
    last_good_h_offset = h_offset;
}
