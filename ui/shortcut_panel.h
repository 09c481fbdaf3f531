#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls.
#include "forms/shortcut_base.h"

class shortcut_panel : public shortcut_base {
public:
    explicit shortcut_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : shortcut_base(parent, id, pos, size, style, "wn_shortcut") {}
};
