#pragma once
// STAND-IN: the home-page page shows its form's layout, with its window
// name, until the real page is written. Keeps the constructor the home page
// form calls.
#include "forms/setting_base.h"

class setting_panel : public setting_base {
public:
    explicit setting_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL)
        : setting_base(parent, id, pos, size, style, "wn_setting") {}
};
