#pragma once
// STAND-IN: a pane toggle bar with only its form, until the real bar is written.
#include "forms/side_forms.h"

class expandbar : public expandbar_base {
public:
    expandbar(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString)
        : expandbar_base(parent, id, pos, size, style, name) {}
};
