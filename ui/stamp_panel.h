#pragma once
// STAND-IN: an empty side panel until the real panel is written. Keeps the
// constructor the main window form calls.
#include <wx/panel.h>

class stamp_panel : public wxPanel {
public:
    explicit stamp_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString)
        : wxPanel(parent, id, pos, size, style, name) {}
};
