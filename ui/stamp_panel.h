#pragma once
// STAND-IN: the side panel shows its form's layout until the real panel is
// written. Keeps the constructor the main window form calls.
#include "forms/stamp_panel_base.h"

class stamp_panel : public stamp_panel_base {
public:
    explicit stamp_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString)
        : stamp_panel_base(parent, id, pos, size, style, name) {}
};
