#include "ui/page_glcanvas.h"

#include <GL/gl.h>
#include <wx/dcclient.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"

page_glcanvas::page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name)
    : wxGLCanvas(parent, wxID_ANY, nullptr, pos, wxDefaultSize, wxHSCROLL | wxVSCROLL, name) {
    Bind(wxEVT_PAINT, &page_glcanvas::on_paint, this);
}

void page_glcanvas::on_paint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    glViewport(0, 0, size.x, size.y);
    glClearColor(colour_red(theme_canvas_colour) / 255.f, colour_green(theme_canvas_colour) / 255.f,
                 colour_blue(theme_canvas_colour) / 255.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    SwapBuffers();
    painted = true;
}
