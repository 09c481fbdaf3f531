#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls.
#include "forms/certstore_base.h"

class certstore_panel : public certstore_base {
public:
    explicit certstore_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : certstore_base(parent, id, pos, size, style, "wn_certstore") {}
};
