#include "ui/page_glcanvas.h"

#include <GL/gl.h>
#include <wx/dcclient.h>

#include <algorithm>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "ui/frame.h"

page_glcanvas* page_canvas = nullptr;

page_glcanvas::page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name)
    : wxGLCanvas(parent, wxID_ANY, nullptr, pos, wxDefaultSize, wxHSCROLL | wxVSCROLL, name) {
    page_canvas = this;
    Bind(wxEVT_PAINT, &page_glcanvas::on_paint, this);
    Bind(wxEVT_SIZE, &page_glcanvas::on_size, this);
}

page_glcanvas::~page_glcanvas() {
    if (page_canvas == this) page_canvas = nullptr;
}

void page_glcanvas::go_to_page(int target) {
    const int count = current_document ? current_document->page_count : 0;
    requested_page = std::max(0, std::min(target, count - 1));
    Refresh(false);
}

void page_glcanvas::fit_page() {}

void page_glcanvas::set_zoom(int percent) { zoom = std::max(10, std::min(percent, 600)); }

void page_glcanvas::reset() {
    painted = false;
    page = -1;
    if (!keep_zoom) {
        zoom = 100;
        h_offset = v_offset = 0;
    }
}

void page_glcanvas::on_size(wxSizeEvent& event) {
    client_width = event.GetSize().x;
    client_height = event.GetSize().y;
    event.Skip();
}

void page_glcanvas::on_paint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    glViewport(0, 0, size.x, size.y);
    glClearColor(colour_red(theme_canvas_colour) / 255.f, colour_green(theme_canvas_colour) / 255.f,
                 colour_blue(theme_canvas_colour) / 255.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers();
    document_lock lock(document_mutex);
    if (hold || !current_document || !current_document->loaded || current_document->page_count <= 0) return;
    const int target = std::max(0, std::min(requested_page, current_document->page_count - 1));
    int32_t w = 0, h = 0;
    current_document->page_size(target, w, h);
    page_box[2] = static_cast<float>(w);
    page_box[3] = static_cast<float>(h);
    painted_zoom = zoom;
    const bool changed = target != page;
    page = target;
    painted = true;
    if (changed && main_frame) main_frame->update_page_number();
}
