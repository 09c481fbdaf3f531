#pragma once
// STAND-IN: an empty home-page page with its window name, until the real
// page is written. Keeps the constructor the home page form calls.
#include <wx/panel.h>

class certstore_panel : public wxPanel {
public:
    explicit certstore_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : wxPanel(parent, id, pos, size, style, "wn_certstore") {}
};
