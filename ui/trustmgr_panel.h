#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls.
#include "forms/trustmgr_base.h"

class trustmgr_panel : public trustmgr_base {
public:
    explicit trustmgr_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : trustmgr_base(parent, id, pos, size, style, "wn_trustmgr") {}
};
