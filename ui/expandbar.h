#pragma once
// The thin bars beside the page view: the left one opens and closes the
// signature pane, the right one the signing book. The pane states are the
// options is_expand_left and is_expand_right; a bar toggles by reading them.
#include "forms/side_forms.h"

class expandbar : public expandbar_base {
public:
    // The window name decides the side: "expandbar-left" or "expandbar-right".
    expandbar(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString);
    ~expandbar() override;

    // Opens or closes this bar's pane.
    void set_expanded(bool expand);
    bool AcceptsFocusFromKeyboard() const override { return false; }

    // A left press on the bar is in progress (the signature pane reads and clears it).
    bool pressed = false;
    bool is_left = false;

    bool option() const;
    // Which arrow shows: the first (left-pointing) arrow button's state.
    bool first_arrow_shown() const { return arrow_left_button->IsShown(); }

protected:
    void on_enter(wxMouseEvent& event) override;
    void on_leave(wxMouseEvent& event) override;
    void on_left_down(wxMouseEvent& event) override;
    void on_left_up(wxMouseEvent& event) override;
    void on_arrow_click(wxCommandEvent& event) override;
    void on_arrow_leave(wxMouseEvent& event) override;
    void on_arrow2_click(wxCommandEvent& event) override { on_arrow_click(event); }
    void on_arrow2_leave(wxMouseEvent& event) override { on_arrow_leave(event); }

    void show_pictures(bool hovered);

    wxBitmap normal_first, normal_second, hover_first, hover_second;
};

// The two bars of the main window (null when not built).
extern expandbar* left_expandbar;
extern expandbar* right_expandbar;
