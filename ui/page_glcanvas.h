#pragma once
// STAND-IN: the OpenGL page view, drawing only its surround colour, until the
// real view is written. It draws with the context the main window form made
// current; it never makes one current itself.
#include <wx/glcanvas.h>

class page_glcanvas : public wxGLCanvas {
public:
    page_glcanvas(wxWindow* parent, const wxPoint& pos, const wxString& name);

    // Set by the paint handler each time the view has drawn.
    bool painted = false;

private:
    void on_paint(wxPaintEvent& event);
};
