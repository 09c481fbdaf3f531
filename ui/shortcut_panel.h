#pragma once
// The shortcut page: the form's fixed table of keys and mouse gestures, in
// the theme's colours.
#include <utility>
#include <vector>

#include "forms/shortcut_base.h"

class shortcut_panel : public shortcut_base {
public:
    explicit shortcut_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                            const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);

    // Wraps the mouse column to the room the page leaves it.
    void fit_mouse_column();

private:
    // The mouse column's labels with their texts before wrapping.
    std::vector<std::pair<wxStaticText*, wxString>> mouse_texts;
};
