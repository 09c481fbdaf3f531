#pragma once
// STAND-IN: the start page with only its form, until the real page is written.
#include "forms/side_forms.h"

class homepage : public homepage_base {
public:
    homepage(wxWindow* parent, const wxString& name)
        : homepage_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name) {}
};
