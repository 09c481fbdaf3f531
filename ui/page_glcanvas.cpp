#include "ui/page_glcanvas.h"
#include "app/diagnostics.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>

#include <wx/dcclient.h>
#include <wx/utils.h>

#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/expandbar.h"
#include "ui/view_hooks.h"

page_glcanvas* page_canvas = nullptr;

namespace {

// The page background the documents render on, 0x00RRGGBB.
uint32_t page_colour() { return doc_bgcolor & 0xFFFFFFu; }

// Largest page picture the view asks a document for: 64-bit sizes, one
// gigabyte of RGBA at most, each side within what a bitmap may have.
bool renderable_size(int width, int height) {
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536) return false;
    return (unsigned long long)width * (unsigned long long)height * 4ull <= (1ull << 30);
}

gl_texture upload_temporary(const unsigned char* rgba, int width, int height) {
    gl_texture t;
    gl_upload_texture_now(&t, rgba, width, height);
    return t;
}

}  // namespace

wxBEGIN_EVENT_TABLE(page_glcanvas, wxGLCanvas)
    EVT_PAINT(page_glcanvas::on_paint)
    EVT_SIZE(page_glcanvas::on_size)
    EVT_MOUSEWHEEL(page_glcanvas::on_wheel)
    EVT_SCROLLWIN(page_glcanvas::on_scroll)
    EVT_LEFT_DOWN(page_glcanvas::on_left_down)
    EVT_LEFT_UP(page_glcanvas::on_left_up)
    EVT_RIGHT_UP(page_glcanvas::on_right_up)
    EVT_LEFT_DCLICK(page_glcanvas::on_left_dclick)
    EVT_MOTION(page_glcanvas::on_motion)
    EVT_KEY_DOWN(page_glcanvas::on_key)
wxEND_EVENT_TABLE()

page_glcanvas::page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name)
    : wxGLCanvas(parent, wxID_ANY, nullptr, pos, wxDefaultSize, wxHSCROLL | wxVSCROLL, name) {
    page_canvas = this;
    hold = true;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxColour(colour_red(theme_canvas_colour), colour_green(theme_canvas_colour),
                                 colour_blue(theme_canvas_colour)));
    // The documents hand their pixels to the texture of this view.
    install_gl_texture_uploader();
}

page_glcanvas::~page_glcanvas() {
    if (own_context_current || !own_context) {
        // Textures belong to the context that is current on this thread.
        gl_delete_texture(page_texture);
    }
    free(stamp_rgba.data);
    stamp_rgba = {};
    {
        std::lock_guard<std::recursive_mutex> guard(texture_lock);
        textures.clear();
    }
    delete own_context;
    if (page_canvas == this) page_canvas = nullptr;
}

void page_glcanvas::use_own_context() {
    if (!own_context) own_context = new wxGLContext(this);
}

double page_glcanvas::pixel_scale() const {
    const double s = GetContentScaleFactor();
    return s > 0 ? s : 1.0;
}

void page_glcanvas::reset() {
    page_view_model::reset();
    SetScrollbar(wxHORIZONTAL, 0, 1, 1, true);
    SetScrollbar(wxVERTICAL, 0, 1, 1, true);
    wxSizeEvent size(GetSize(), GetId());
    size.SetEventObject(this);
    on_size(size);
}

void page_glcanvas::render_page() {
    gl_delete_texture(page_texture);
    // A size no bitmap can have, a failed allocation or a library error all
    // leave the record empty: only the background shows for the page.
    if (renderable_size(page_width_px, page_height_px)) {
        try {
            current_document->render(page_width_px, page_height_px, &page_texture);
        } catch (const std::exception& e) {
            diag_print("\n\n[ERROR] %s(), ex.what(): %s [ERROR]\n", "", e.what());
            gl_delete_texture(page_texture);
        } catch (...) {
            gl_delete_texture(page_texture);
        }
    }
    std::lock_guard<std::recursive_mutex> guard(texture_lock);
    textures[requested_page] = page_texture;
}

void page_glcanvas::on_paint(wxPaintEvent& event) {
    wxPaintDC dc(this);
    if (own_context && !own_context_current) {
        if (!IsShownOnScreen()) return;
        own_context->SetCurrent(*this);
        own_context_current = true;
    }
    const double scale = pixel_scale();
    const wxSize window = GetClientSize();
    glViewport(0, 0, (int)std::lround(window.x * scale), (int)std::lround(window.y * scale));
    glClearColor(colour_red(theme_canvas_colour) / 255.f, colour_green(theme_canvas_colour) / 255.f,
                 colour_blue(theme_canvas_colour) / 255.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);

    document_lock lock(document_mutex);
    if (hold || !current_document) {
        if (before_swap) before_swap();
        SwapBuffers();
        return;
    }
    if (!current_document->loaded) {
        gl_set_view(last_good_h_offset, last_good_v_offset, last_good_width, last_good_height, 0xFFFFFF);
        {
            std::lock_guard<std::recursive_mutex> guard(texture_lock);
            auto it = textures.find(last_good_page);
            if (it != textures.end()) gl_draw_texture(&it->second, false, 0, 0);
        }
        if (before_swap) before_swap();
        SwapBuffers();
        return;
    }
    if (page != requested_page) {
        prepare_page();
        call_hook(the_view_hooks().update_page_number);
    }
    gl_set_view(h_offset, v_offset, page_width_px, page_height_px, 0xFFFFFF);
    if (page != requested_page || painted_zoom != zoom || painted_colour != page_colour()) render_page();
    {
        std::lock_guard<std::recursive_mutex> guard(texture_lock);
        auto it = textures.find(requested_page);
        if (it != textures.end()) gl_draw_texture(&it->second, false, 0, 0);
    }
    commit_painted(page_colour());

    update_horizontal_scrollbar();
    update_vertical_scrollbar();
    update_cursor();
    update_view_matrices(painted_h_offset, painted_v_offset);
    draw_overlays();
    if (before_swap) before_swap();
    SwapBuffers();
    event.Skip();
}

namespace {
bool bar_active(wxWindow* w, int orient) {
    return w->GetScrollRange(orient) > w->GetScrollThumb(orient) && w->GetScrollThumb(orient) >= 1;
}
}  // namespace

void page_glcanvas::set_scrollbar(int orient, int position, int thumb, int range) {
    // The bars are set at every paint. GTK re-queues the window's layout on
    // every change of a bar's adjustment, even to the values it has, and
    // that layout paints the view again: setting only what differs is what
    // lets a shown page go idle.
    // The bar's own rules, so that the comparison sees what it would hold.
    if (range < 1) range = thumb = 1;
    if (thumb < 1) thumb = 1;
    position = std::max(0, std::min(position, range - thumb));
    if (GetScrollPos(orient) == position && GetScrollThumb(orient) == thumb && GetScrollRange(orient) == range)
        return;
    SetScrollbar(orient, position, thumb, range, true);
}

void page_glcanvas::update_horizontal_scrollbar() {
    if (page_texture.texture_id == 0) return;
    const double scale = pixel_scale();
    const bool was_active = bar_active(this, wxHORIZONTAL);
    bool changed;
    // The bar counts in window units; the view works in pixels.
    if (page_width_px > client_width) {
        set_scrollbar(wxHORIZONTAL, (int)(std::abs(painted_h_offset) / scale), (int)(client_width / scale),
                      (int)(page_width_px / scale));
        changed = !was_active;
    } else {
        set_scrollbar(wxHORIZONTAL, 0, (int)(page_width_px / scale), (int)(page_width_px / scale));
        changed = was_active;
    }
    if (changed) Refresh(false);  // the client area changed size: paint again
}

void page_glcanvas::update_vertical_scrollbar() {
    const int count = page_count();
    if (count > 1) {
        set_scrollbar(wxVERTICAL, page, 1, count);
        return;
    }
    if (count != 1 || page_texture.texture_id == 0) return;
    const double scale = pixel_scale();
    const bool was_active = bar_active(this, wxVERTICAL);
    bool changed;
    if (page_height_px > client_height) {
        set_scrollbar(wxVERTICAL, (int)(((page_height_px - client_height) - std::abs(painted_v_offset)) / scale),
                      (int)(client_height / scale), (int)(page_height_px / scale));
        changed = !was_active;
    } else {
        set_scrollbar(wxVERTICAL, 0, (int)(page_height_px / scale), (int)(page_height_px / scale));
        changed = was_active;
    }
    if (changed) Refresh(false);  // the client area changed size: paint again
}

void page_glcanvas::draw_overlays() {
    if (doc_verifying) return;
    if (!current_document) return;
    if (is_addverifyicon) {
        if (!mark_image.IsOk()) {
            wxBitmap mark;
            if (dynamic_resources && dynamic_resources->invalid_mark_bitmap)
                mark = dynamic_resources->invalid_mark_bitmap->GetBitmap();
            if (!mark.IsOk()) mark = bitmap_invalid_mark_255x256();
            if (mark.IsOk()) mark_image = mark.ConvertToImage();
        }
        for (sig_result* r : current_document->topsigs) {
            if (!r || !r->record) continue;
            const sigcheck_record& c = *r->record;
            const gl_rect rect{c.rect[0], c.rect[1], c.rect[2], c.rect[3]};
            if (rect.degenerate()) continue;
            const gl_rect p = rect_by_matrix(page_rect_to_view(rect, c.rotation), view_to_page_pixels);
            if (c.page_index == requested_page && !r->check_valid()) draw_mark(mark_image, p);
        }
    }
    if (hover || highlight) {
        const float H = std::fabs(page_box.y1 - page_box.y0);
        gl_rect r = highlight_rotation != 0 ? rotate_rect(highlight_rotation, highlight_rect) : highlight_rect;
        r = {r.x0, H - r.y1, r.x1, H - r.y0};
        const gl_rect v = rect_by_matrix(r, page_to_view);
        if ((!hover && highlight) || v.contains((float)pointer_x, (float)pointer_y)) {
            const gl_rect p = rect_by_matrix(v, view_to_page_pixels);
            gl_draw_dashed_rect(p.x0, p.y0, p.x1, p.y1);
        }
    }
    if (document_locked_for_signing(current_document)) return;
    if (is_expand_right && ask_hook(the_view_hooks().visible_stamp_selected)) draw_stamp(stamp_picture_path);
}

void page_glcanvas::draw_mark(const wxImage& image, const gl_rect& p) {
    const float w = std::fabs(p.x1 - p.x0), h = std::fabs(p.y1 - p.y0);
    if (!(w > 0) || !(h > 0) || !image.IsOk()) return;
    int side, dx = 0, dy = 0;
    if (w < h) {
        side = (int)w;
        dy = (int)((h - side) * 0.5f);
    } else {
        side = (int)h;
        dx = (int)((w - side) * 0.5f);
    }
    if (side <= 0 || !renderable_size(side, side)) return;
    const wxImage scaled = image.Scale(side, side, wxIMAGE_QUALITY_BILINEAR);
    unsigned char* rgba = image_to_rgba(scaled);
    if (!rgba) return;
    gl_texture t = upload_temporary(rgba, side, side);
    gl_draw_texture(&t, true, p.x0 + dx, p.y0 + dy);
    gl_delete_texture(t);
    free(rgba);
}

void page_glcanvas::draw_stamp(const std::wstring& path) {
    const bool new_picture = path != loaded_stamp_path;
    if (new_picture) {
        stamp_image = wxImage();
        if (!path.empty() && wxFileExists(path)) stamp_image.LoadFile(path, wxBITMAP_TYPE_ANY);
    }
    const bool left_down = wxGetMouseState().LeftIsDown();
    if (drawing && left_down)
        fit_stamp_to_drag(stamp_image.IsOk() ? stamp_image.GetWidth() : 0,
                          stamp_image.IsOk() ? stamp_image.GetHeight() : 0);
    if (moving && left_down) move_stamp();
    const gl_rect r = rect_by_matrix(stamp_rect, view_to_page_pixels);
    if (r.degenerate()) return;
    const int w = (int)std::fabs(r.x1 - r.x0), h = (int)std::fabs(r.y1 - r.y0);
    if (new_picture || ((stamp_rgba.width != w || stamp_rgba.height != h) && !moving)) {
        free(stamp_rgba.data);
        stamp_rgba = {};
        if (stamp_image.IsOk() && stamp_image.GetWidth() > 0 && stamp_image.GetHeight() > 0) {
            wxImage picture = stamp_image;
            if (w > 0 && h > 0 && renderable_size(w, h) && (picture.GetWidth() != w || picture.GetHeight() != h))
                picture = stamp_image.Scale(w, h, wxIMAGE_QUALITY_BILINEAR);
            unsigned char* rgba = picture.IsOk() ? image_to_rgba(picture) : nullptr;
            if (rgba) stamp_rgba = {rgba, picture.GetWidth(), picture.GetHeight()};
        }
        loaded_stamp_path = path;
    }
    if (stamp_rgba.data) {
        gl_texture t = upload_temporary(stamp_rgba.data, stamp_rgba.width, stamp_rgba.height);
        gl_draw_texture(&t, true, r.x0, r.y0);
        gl_delete_texture(t);
    }
    gl_draw_dashed_rect(r.x0, r.y0, r.x1, r.y1);
}

std::vector<unsigned char> page_glcanvas::read_frame(int x, int y, int width, int height) const {
    std::vector<unsigned char> out;
    if (width <= 0 || height <= 0) return out;
    const int view_h = (int)std::lround(GetClientSize().y * pixel_scale());
    std::vector<unsigned char> rows((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, view_h - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    out.resize(rows.size());
    // GL's rows run bottom-up.
    for (int r = 0; r < height; ++r)
        std::copy(rows.begin() + (size_t)(height - 1 - r) * width * 4, rows.begin() + (size_t)(height - r) * width * 4,
                  out.begin() + (size_t)r * width * 4);
    return out;
}
