#pragma once
// The pattern every generated form follows:
//  - the constructor creates the window, then every control in layout order
//    (class settings, font, foreground, background, tool tip, min, max size),
//    sets the top sizer, lays out, and last connects its handlers;
//  - each handler is a virtual member whose own body is skip_event, so an
//    event the derived window does not override goes on to the default
//    handling as if no handler were connected;
//  - one wiring function lists the connections once; the constructor runs it
//    to connect and the destructor runs it to disconnect, in the same order,
//    before the toolkit destroys the children;
//  - every text the user sees goes through tr(); window names and font faces
//    do not;
//  - pictures come from forms/pictures.h, decoded once per process.
#include <wx/event.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/string.h>
#include <wx/window.h>

// The default body of every form handler: let the event go on.
inline void skip_event(wxEvent& event) { event.Skip(); }

// A fixed text of a form, looked up in the translation catalogue.
inline wxString tr(const char* english) { return wxGetTranslation(wxString::FromUTF8(english)); }

// The one font face of the forms, with the toolkit's normal GUI point size
// unless a size is given.
inline wxFont form_font(wxFontFamily family, int point_size = -1, wxFontStyle style = wxFONTSTYLE_NORMAL,
                        bool underlined = false, const wxString& face = wxS("Segoe UI")) {
    if (point_size <= 0) point_size = wxNORMAL_FONT->GetPointSize();
    return wxFont(point_size, family, style, wxFONTWEIGHT_NORMAL, underlined, face);
}

// Connects or disconnects one handler. A null sink means the source handles
// the event itself (the form's own events).
inline void form_link(bool connect, wxEvtHandler* source, wxEventType type, wxObjectEventFunction handler,
                      wxEvtHandler* sink = nullptr) {
    if (connect)
        source->Connect(type, handler, nullptr, sink);
    else
        source->Disconnect(type, handler, nullptr, sink);
}
