#pragma once
// The shortcut page: the form's fixed table of keys and mouse gestures, in
// the theme's colours.
#include "forms/shortcut_base.h"

class shortcut_panel : public shortcut_base {
public:
    explicit shortcut_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                            const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);
};
