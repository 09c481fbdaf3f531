// What the page view does under the wheel, the keys, the scroll bars and the
// mouse: zoom and scroll steps, page turns, hovering over signatures, and
// drawing and moving the stamp rectangle.
#include <wx/defs.h>

#include <cmath>
#include <cstdlib>

#include "app/settings.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "ui/page_view_model.h"
#include "ui/view_hooks.h"

void page_view_model::go_to_page(int target) {
    if (target == page) return;
    const int count = page_count();
    if (count <= 0) {
        highlight = false;
        repaint();
        return;
    }
    if (target < 0)
        go_to_page(0);
    else if (target >= count)
        go_to_page(count - 1);
    else
        requested_page = target;
    highlight = false;
    repaint();
}

void page_view_model::handle_size(int w, int h, int window_w, int window_h) {
    if (w == 0 || h == 0) return;
    client_width = w;
    client_height = h;
    if (w < page_width_px || h < page_height_px) {
        client_width = window_w;
        client_height = window_h;
        v_offset = (client_height - page_height_px) / 2;
        h_offset = (client_width - page_width_px) / 2;
    } else {
        fit_page();
    }
}

void page_view_model::handle_wheel(bool up, bool ctrl, bool shift, bool right_down, bool pointer_inside) {
    if (!painted || !pointer_inside) return;
    const int step = scroll_step_pixels();
    if (ctrl) {
        set_zoom(painted_zoom + (up ? zoom_step : -zoom_step));
    } else if ((shift || right_down) && page_wider()) {
        h_offset = clamp_h(painted_h_offset + (up ? 3 * step : -3 * step));
    } else if (page_count() == 1) {
        set_zoom(painted_zoom + (up ? zoom_step : -zoom_step));
    } else if (!shift) {
        scroll_step(up);
    }
    repaint();
}

void page_view_model::scroll_step(bool up) {
    const int s = 3 * scroll_step_pixels();
    if (!up) {
        if (page_taller() && painted_v_offset != 0)
            v_offset = clamp_v(v_offset + s);
        else
            go_to_page(page + 1);
    } else {
        if (page_taller() && painted_v_offset != client_height - page_height_px)
            v_offset = clamp_v(v_offset - s);
        else
            go_to_page(page - 1);
    }
}

void page_view_model::handle_hscroll(scroll_kind kind, int position) {
    if (!painted) return;
    const int step = scroll_step_pixels();
    switch (kind) {
        case scroll_kind::line_up:
        case scroll_kind::page_up:
            if (page_wider()) h_offset = clamp_h(painted_h_offset + step);
            break;
        case scroll_kind::line_down:
        case scroll_kind::page_down: h_offset = clamp_h(painted_h_offset - step); break;
        case scroll_kind::thumb_track: h_offset = std::abs(h_offset) + h_offset - position; break;
        default: break;
    }
    if (h_offset != painted_h_offset) repaint();
}

void page_view_model::handle_vscroll(scroll_kind kind, int position, int range, int thumb) {
    if (!painted) return;
    const int count = page_count();
    if (count == 1) {
        const int step = scroll_step_pixels();
        switch (kind) {
            case scroll_kind::line_up:
            case scroll_kind::page_up:
                if (!page_taller() || painted_v_offset == client_height - page_height_px) {
                    highlight = false;
                    repaint();
                } else {
                    v_offset = clamp_v(v_offset - step);
                }
                break;
            case scroll_kind::line_down:
            case scroll_kind::page_down:
                if (!page_taller() || painted_v_offset == 0) {
                    highlight = false;
                    repaint();
                } else {
                    v_offset = clamp_v(v_offset + step);
                }
                break;
            case scroll_kind::thumb_track:
                v_offset = v_offset + position - (range - std::abs(painted_v_offset) - thumb);
                break;
            default: break;
        }
        if (v_offset != painted_v_offset) repaint();
        return;
    }
    int target = requested_page;
    switch (kind) {
        case scroll_kind::line_up:
        case scroll_kind::page_up: target = requested_page < 2 ? 0 : requested_page - 1; break;
        case scroll_kind::line_down:
        case scroll_kind::page_down: target = std::min(requested_page + 1, count - 1); break;
        case scroll_kind::thumb_track: target = position; break;
        default: return;
    }
    if (target == page) return;
    go_to_page(target);
}

void page_view_model::handle_key(int key, bool ctrl, bool shift, bool alt) {
    const int step = scroll_step_pixels();
    const int count = page_count();
    // A turn by the arrow and page keys: no repaint of its own (the key's
    // common end decides), clamped to the document.
    auto turn = [&](int target) {
        if (count <= 0) return;
        if (target < 0) target = 0;
        if (target >= count) target = count - 1;
        requested_page = target;
        highlight = false;
    };
    switch (key) {
        case WXK_END:
            if (count == 1) {
                if (page_taller()) v_offset = 0;
            } else {
                go_to_page(count - 1);
            }
            break;
        case WXK_HOME:
            if (count == 1) {
                if (page_taller()) v_offset = client_height - page_height_px;
            } else {
                go_to_page(0);
            }
            break;
        case WXK_LEFT:
            if (page_wider()) h_offset = ctrl ? 0 : clamp_h(painted_h_offset + step);
            break;
        case WXK_RIGHT:
            if (page_wider()) h_offset = ctrl ? client_width - page_width_px : clamp_h(painted_h_offset - step);
            break;
        case WXK_UP:
            if (ctrl) {
                if (page_taller()) v_offset = client_height - page_height_px;
            } else if (!page_taller() || painted_v_offset == client_height - page_height_px) {
                turn(page - 1);
            } else {
                v_offset = clamp_v(v_offset - step);
            }
            break;
        case WXK_DOWN:
            if (ctrl) {
                if (page_taller()) v_offset = 0;
            } else if (page_taller() && painted_v_offset != 0) {
                v_offset = clamp_v(v_offset + step);
            } else {
                turn(page + 1);
            }
            break;
        case WXK_PAGEUP:
            if (client_height < painted_v_offset + page_height_px)
                v_offset = client_height - page_height_px;
            else
                turn(page - 1);
            break;
        case WXK_PAGEDOWN:
            if (painted_v_offset < 0)
                v_offset = 0;
            else
                turn(page + 1);
            break;
        case WXK_NUMPAD_ADD: set_zoom(painted_zoom + zoom_step); break;
        case WXK_NUMPAD_SUBTRACT: set_zoom(painted_zoom - zoom_step); break;
        case WXK_SPACE:
            if (ctrl && alt) fit_page();
            break;
        default: break;
    }
    if (page != requested_page || painted_h_offset != h_offset || painted_v_offset != v_offset ||
        painted_zoom != zoom)
        repaint();
}

void page_view_model::handle_dclick() {
    if (!painted) return;
    drawing = moving = false;
    if (page_view_rect.contains((float)pointer_x, (float)pointer_y)) {
        const int target = (int)(fit_zoom() * 1.5f);
        if (painted_zoom < target)
            set_zoom(target);
        else
            fit_page();
        repaint();
    }
}

void page_view_model::clear_stamp() {
    drawing = moving = false;
    drag_anchor_x = drag_anchor_y = 0;
    stamp_rect = gl_rect{};
    last_good_stamp_rect = gl_rect{};
    hover = highlight = false;
}

bool page_view_model::placing_mode() const {
    return !document_locked_for_signing(current_document) && is_expand_right &&
           ask_hook(the_view_hooks().visible_stamp_selected);
}

bool page_view_model::can_start_stamp() const {
    return placing_mode() && page_view_rect.contains((float)pointer_x, (float)pointer_y) &&
           !stamp_rect.contains((float)pointer_x, (float)pointer_y);
}

bool page_view_model::over_stamp() const {
    return placing_mode() && page_view_rect.contains((float)pointer_x, (float)pointer_y) &&
           stamp_rect.contains((float)pointer_x, (float)pointer_y);
}

namespace {
bool inside_page(const gl_rect& r, const gl_rect& page) {
    return r.x0 >= page.x0 && r.x1 <= page.x1 && r.y0 >= page.y0 && r.y1 <= page.y1;
}
}  // namespace

void page_view_model::fit_stamp_to_drag(int pw, int ph) {
    // A stamp picture that could not be read has no size: no rectangle can
    // keep its proportions, so none is drawn (and nothing divides by zero).
    if (pw <= 0 || ph <= 0) {
        stamp_rect = gl_rect{};
        return;
    }
    const long long dx = pointer_x - drag_anchor_x, dy = pointer_y - drag_anchor_y;
    long long w, h;
    if (std::llabs(dy) < std::llabs(dx)) {
        w = dx;
        h = dx * ph / pw;
    } else {
        w = dy * pw / ph;
        h = dy;
    }
    if ((w < 0) != (dx <= 0)) w = -w;
    if ((h < 0) != (dy <= 0)) h = -h;
    if (w == 0 || h == 0) {
        stamp_rect = gl_rect{};
        return;
    }
    gl_rect r;
    r.x0 = (float)(w < 0 ? drag_anchor_x + w : drag_anchor_x);
    r.y0 = (float)(h < 0 ? drag_anchor_y + h : drag_anchor_y);
    r.x1 = r.x0 + (float)std::llabs(w);
    r.y1 = r.y0 + (float)std::llabs(h);
    stamp_rect = r;
    if (inside_page(r, page_view_rect))
        last_good_stamp_rect = r;
    else
        stamp_rect = last_good_stamp_rect;
}

void page_view_model::move_stamp() {
    const int dx = pointer_x - move_anchor_x, dy = pointer_y - move_anchor_y;
    move_anchor_x = pointer_x;
    move_anchor_y = pointer_y;
    const gl_rect& g = last_good_stamp_rect;
    const gl_rect moved{g.x0 + dx, g.y0 + dy, g.x1 + dx, g.y1 + dy};
    if (inside_page(moved, page_view_rect)) {
        last_good_stamp_rect = moved;
        stamp_rect = moved;
    } else {
        stamp_rect = last_good_stamp_rect;
    }
}

void page_view_model::handle_motion(bool left_down) {
    if (!left_down) {
        // No hover while a verification is about to replace the results, or
        // a signing in place may delete the document.
        if (!placing_mode() && current_document && !document_busy()) {
            for (sig_result* r : current_document->topsigs) {
                if (!r || !r->record) continue;
                const sigcheck_record& c = *r->record;
                const gl_rect rect{c.rect[0], c.rect[1], c.rect[2], c.rect[3]};
                if (rect.degenerate() || c.page_index != page) continue;
                const gl_rect v = page_rect_to_view(rect, c.rotation);
                if (v.contains((float)pointer_x, (float)pointer_y)) {
                    if (!hover) {
                        hover = true;
                        highlight_rect = rect;
                        highlight_rotation = c.rotation;
                        repaint();
                    }
                    break;
                }
                if (hover) {
                    hover = false;
                    highlight_rect = gl_rect{};
                    repaint();
                }
            }
        }
        update_cursor();
        return;
    }
    if (!page_view_rect.contains((float)pointer_x, (float)pointer_y)) return;
    if (placing_mode()) {
        const bool inside = stamp_rect.contains((float)pointer_x, (float)pointer_y);
        if (inside && !drawing && !moving) {
            move_anchor_x = pointer_x;
            move_anchor_y = pointer_y;
            last_good_stamp_rect = stamp_rect;
            moving = true;
        } else if (!inside && !drawing && !moving) {
            clear_stamp();
            drag_anchor_x = pointer_x;
            drag_anchor_y = pointer_y;
            drawing = true;
        }
        if (drawing || moving) repaint();
        return;
    }
    if (page_taller() || page_wider()) {
        if (!drawing) {
            drag_anchor_x = pointer_x;
            drag_anchor_y = pointer_y;
            drawing = true;
            return;
        }
        if (page_wider()) {
            h_offset = clamp_h(h_offset + pointer_x - drag_anchor_x);
            drag_anchor_x = pointer_x;
        }
        if (page_taller()) {
            v_offset = clamp_v(v_offset + drag_anchor_y - pointer_y);
            drag_anchor_y = pointer_y;
        }
        repaint();
    }
}

sig_result* page_view_model::signature_under_pointer() const {
    if (!current_document || document_busy()) return nullptr;
    for (sig_result* r : current_document->topsigs) {
        if (!r || !r->record) continue;
        const sigcheck_record& c = *r->record;
        const gl_rect rect{c.rect[0], c.rect[1], c.rect[2], c.rect[3]};
        if (rect.degenerate() || c.page_index != page) continue;
        if (page_rect_to_view(rect, c.rotation).contains((float)pointer_x, (float)pointer_y)) return r;
    }
    return nullptr;
}

int page_view_model::margin_under_pointer() const {
    if (0 < pointer_x && pointer_x < painted_h_offset) return 1;
    if (painted_h_offset + page_width_px < pointer_x && pointer_x < client_width) return 2;
    return 0;
}
