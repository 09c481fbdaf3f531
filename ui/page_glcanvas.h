#pragma once
// STAND-IN: the OpenGL page view, drawing only its surround colour, until the
// real view is written. It draws with the context the main window form made
// current; it never makes one current itself. It keeps the members and
// operations the main window uses, so opening, paging and zooming run now;
// painting marks the requested page as painted once a document is loaded.
#include <atomic>

#include <wx/glcanvas.h>

class page_glcanvas : public wxGLCanvas {
public:
    page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name);
    ~page_glcanvas() override;

    int client_width = 0, client_height = 0;
    int pointer_x = 0, pointer_y = 0;
    int page = -1;
    int requested_page = 0;
    // A page has been painted since the last reset.
    std::atomic<bool> painted{false};
    // While set, painting draws only the background.
    bool hold = true;
    int page_width_px = 0, page_height_px = 0;
    float page_box[4] = {0, 0, 0, 0};  // x0, y0, x1, y1 in points
    int painted_zoom = -1;
    int zoom = 100;
    bool keep_zoom = false;
    int h_offset = 0, v_offset = 0;

    // Requests the page, clamped to the document, and repaints.
    void go_to_page(int target);
    void fit_page();
    void set_zoom(int percent);
    // Forgets the painted page (and, unless keep_zoom, zoom and offsets).
    void reset();
    void on_key(wxKeyEvent& event) { event.Skip(); }

private:
    void on_paint(wxPaintEvent& event);
    void on_size(wxSizeEvent& event);
};

// The one page view; null when none exists.
extern page_glcanvas* page_canvas;
