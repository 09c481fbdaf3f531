#pragma once
// STAND-IN: the signature pane with only its form, until the real pane is written.
#include "forms/side_forms.h"

class left_panel : public leftpanel_base {
public:
    left_panel(wxWindow* parent, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               const wxString& name = wxEmptyString)
        : leftpanel_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name) {}

    void build_tree() {}
    void clear() {}
};
