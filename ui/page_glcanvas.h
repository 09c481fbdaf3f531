#pragma once
// The OpenGL page view in the middle of the main window's document page. It
// shows one page of the open document at a time and draws on it a red cross
// over each invalid signature, a dashed outline around the signature under
// the pointer or chosen in the tree, and the stamp being placed. Geometry and
// input decisions live in page_view_model; this class draws and listens.
//
// The GL context: the main window's form makes its context current at the
// first paint (GTK refuses before the window is shown). A view used on its
// own calls use_own_context() and does the same itself.
#include <functional>
#include <vector>

#include <wx/glcanvas.h>
#include <wx/image.h>

#include "ui/page_view_model.h"

class page_glcanvas : public wxGLCanvas, public page_view_model {
public:
    page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name);
    ~page_glcanvas() override;

    // Prepares the view for another document (the painted texture stays
    // until the next render, so a paint before the load ends still shows it).
    void reset();
    // The view's key handling; the main window forwards keys here as well.
    void on_key(wxKeyEvent& event);
    // Zoom, never below the fit, and repaint.
    void zoom_to(int percent) {
        set_zoom(percent);
        repaint();
    }
    // For a view without the main window's form: a context of its own, made
    // current at the first paint.
    void use_own_context();
    // Called after the frame is drawn and before the buffers swap (tests read
    // the frame back here with read_frame).
    std::function<void()> before_swap;
    // RGBA of the drawn frame's rectangle in view pixels (y down), rows top first.
    std::vector<unsigned char> read_frame(int x, int y, int width, int height) const;

    // Scale of view pixels to the toolkit's window units (2 at GDK_SCALE=2).
    double pixel_scale() const;

    void repaint() override { Refresh(false); }
    void update_cursor() override;
    void update_vertical_scrollbar() override;

    // The stamp picture's RGBA cache (pixels at the rectangle's size).
    struct rgba_pixels {
        unsigned char* data = nullptr;
        int width = 0, height = 0;
    };

protected:
    void on_paint(wxPaintEvent& event);
    void on_size(wxSizeEvent& event);
    void on_wheel(wxMouseEvent& event);
    void on_scroll(wxScrollWinEvent& event);
    void on_left_down(wxMouseEvent& event);
    void on_left_up(wxMouseEvent& event);
    void on_right_up(wxMouseEvent& event);
    void on_left_dclick(wxMouseEvent& event);
    void on_motion(wxMouseEvent& event);

    void draw_overlays();
    void draw_mark(const wxImage& image, const gl_rect& p);
    void draw_stamp(const std::wstring& path);
    void render_page();
    void update_horizontal_scrollbar();
    // SetScrollbar, when any of the values differs from the bar's.
    void set_scrollbar(int orient, int position, int thumb, int range);
    void take_pointer();
    void toggle_pane(bool left);

    wxImage mark_image;
    std::wstring loaded_stamp_path;
    wxImage stamp_image;
    rgba_pixels stamp_rgba;
    wxGLContext* own_context = nullptr;
    bool own_context_current = false;

    wxDECLARE_EVENT_TABLE();
};

// The one page view (null when none), through which the main window, the
// signature tree, the signing panel and the signing code reach it.
extern page_glcanvas* page_canvas;
