#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls.
#include "forms/about_base.h"

class about_panel : public about_base {
public:
    explicit about_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : about_base(parent, id, pos, size, style, "wn_about") {}
};
