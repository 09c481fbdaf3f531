#pragma once
// The page view's state and every decision it takes that needs no OpenGL:
// fitting and zooming, the offsets on page turns, the matrices between page
// points and view pixels, the stamp rectangle, and what the wheel, the keys
// and the scroll bars do. `page_glcanvas` draws it; tests drive it alone.
//
// View pixels: x right, y down from the view's top-left corner. Offsets:
// h_offset is the x of the page's left edge; v_offset the height of the
// page's bottom edge above the view's bottom edge (GL's y up).
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "document/gl_texture.h"
#include "ui/gl_draw.h"

class doc_base;
struct sig_result;

// The document takes no new signature: one of its results is a
// certification with permission 1 or has its field locked.
bool document_locked_for_signing(const doc_base* doc);

class page_view_model {
public:
    page_view_model() = default;
    virtual ~page_view_model() = default;

    // --- geometry ---------------------------------------------------------
    // Forgets the painted state; the next paint prepares its page afresh.
    void reset();
    // The requested page differs from the painted one: take its size and
    // place it (fit, or keep the zoom with the offsets a turn gives).
    void prepare_page();
    void fit_page();
    // The zoom fit_page would give, 0 when the page or the view has no size.
    int fit_zoom() const;
    // Zoom to a percentage; at or below zero, or below the fit, the fit.
    void set_zoom(int percent);
    void update_view_matrices(int h, int v);
    gl_rect rotate_rect(int r, const gl_rect& rect) const;
    gl_rect page_rect_to_view(const gl_rect& rect, int rotation) const;
    gl_rect view_rect_to_page(const gl_rect& rect, int rotation) const;
    // Into [client - page, 0], never above 0.
    int clamp_h(int h) const;
    int clamp_v(int v) const;
    int scroll_step_pixels() const;
    bool page_taller() const { return page_height_px > client_height; }
    bool page_wider() const { return page_width_px > client_width; }

    // --- turning pages ----------------------------------------------------
    void go_to_page(int target);
    // After a full paint: the requested state becomes the painted state.
    void commit_painted(uint32_t colour);
    int page_count() const;

    // --- input, in the view's own terms -------------------------------------
    // Returns whether the view must repaint.
    void handle_size(int w, int h, int window_w, int window_h);
    void handle_wheel(bool up, bool ctrl, bool shift, bool right_down, bool pointer_inside);
    void scroll_step(bool up);
    enum class scroll_kind { line_up, line_down, page_up, page_down, thumb_track, top, bottom, thumb_release };
    // Horizontal bar event.
    void handle_hscroll(scroll_kind kind, int position);
    // Vertical bar event; range and thumb are the bar's current values.
    void handle_vscroll(scroll_kind kind, int position, int range, int thumb);
    // A key: the wx key code with the modifiers held. The caller checks the
    // home page and the document.
    void handle_key(int key, bool ctrl, bool shift, bool alt);
    void handle_dclick();
    void clear_stamp();
    bool placing_mode() const;
    bool can_start_stamp() const;
    bool over_stamp() const;
    // Recomputes stamp_rect from the drag for a picture of pw x ph; a
    // picture of no size gives no rectangle.
    void fit_stamp_to_drag(int pw, int ph);
    // Moves the stamp rectangle by the pointer's step, stopping at the page's edge.
    void move_stamp();
    // Left button up: hover over the page's signatures. Left button down:
    // start or continue a stamp drag, or pan the page.
    void handle_motion(bool left_down);
    // The top-level result under the pointer on the painted page, or null.
    sig_result* signature_under_pointer() const;
    // Where a press lands: 1 left margin, 2 right margin, 0 elsewhere.
    int margin_under_pointer() const;

    // --- what the drawing side supplies --------------------------------------
    virtual void repaint() {}
    virtual void update_cursor() {}
    virtual void update_vertical_scrollbar() {}

    // --- members ----------------------------------------------------------
    int client_width = 0, client_height = 0;
    int pointer_x = 0, pointer_y = 0;
    bool left_pressed = false;
    int page = -1;
    int requested_page = 0;
    gl_texture page_texture;
    std::recursive_mutex texture_lock;
    std::map<int, gl_texture> textures;
    std::atomic<bool> painted{false};
    bool hold = true;
    int page_width_px = 0, page_height_px = 0;
    uint32_t painted_colour = 0xFFFFFF;
    gl_rect page_box;
    gl_rect page_view_rect;
    gl_matrix page_to_view;
    gl_matrix view_to_page;
    gl_matrix view_to_page_pixels{1, 0, 0, 1, 0, 0};
    int default_zoom = 100;
    int painted_zoom = -1;
    int zoom = 100;
    bool keep_zoom = false;
    int painted_h_offset = 0, h_offset = 0;
    int painted_v_offset = 0, v_offset = 0;
    int scroll_unit = 18;
    int last_good_page = 0, last_good_h_offset = 0, last_good_v_offset = 0, last_good_width = 0,
        last_good_height = 0;
    std::wstring stamp_picture_path;
    gl_rect stamp_rect;
    bool hover = false;
    bool highlight = false;
    gl_rect highlight_rect;
    int highlight_rotation = 0;
    bool drawing = false;
    bool moving = false;
    int drag_anchor_x = 0, drag_anchor_y = 0;
    int move_anchor_x = 0, move_anchor_y = 0;
    gl_rect last_good_stamp_rect;

    // Outlines a signature chosen in the signature tree (points, unrotated page).
    void set_highlight(const gl_rect& rect, int rotation) {
        highlight = true;
        highlight_rect = rect;
        highlight_rotation = rotation;
    }

    // Zoom steps of the wheel, the keypad and the toolbar.
    static constexpr int zoom_step = 15;
};
