#pragma once
// STAND-IN: a pane toggle bar with only its form, until the real bar is
// written. set_expanded records the pane's state in its option only.
#include "app/settings.h"
#include "forms/side_forms.h"

class expandbar : public expandbar_base {
public:
    expandbar(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString)
        : expandbar_base(parent, id, pos, size, style, name) {}

    void set_expanded(bool expand) { (GetName() == "expandbar-left" ? is_expand_left : is_expand_right) = expand; }
};
