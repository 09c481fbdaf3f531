#pragma once
// STAND-IN: the side panel shows its form's layout until the real panel is
// written. Keeps the constructor the main window form calls.
#include "forms/sign_panel_base.h"

class sign_panel : public sign_panel_base {
public:
    explicit sign_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString)
        : sign_panel_base(parent, id, pos, size, style, name) {}

    void on_verify_end() {}
};
