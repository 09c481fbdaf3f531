#pragma once
// STAND-IN: the message bar with only its form, until the real bar is written.
#include "forms/side_forms.h"

class infobar : public infobar_base {
public:
    infobar(wxWindow* parent, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
            const wxString& name = wxEmptyString)
        : infobar_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name) {}
};
