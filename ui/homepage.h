#pragma once
// The home page: a sidebar of six buttons beside a book of six pages, and the
// donation line. It also drives the recent-files list with Space, Delete, Up
// and Down while the Recent page is selected.
#include <map>
#include <vector>

#include "forms/side_forms.h"

class wxButton;

class homepage : public homepage_base {
public:
    homepage(wxWindow* parent, const wxString& name);
    ~homepage() override;

    // Highlights one sidebar button and shows its page.
    void select_page(wxButton* button);

    std::vector<wxButton*> nav_buttons;  // Recent, Settings, TrustList, CertStore, Shortcut, About
    wxButton* selected_button = nullptr;
    std::map<wxButton*, int> page_of_button;

    wxSimplebook* book() const { return page_book; }

protected:
    void on_size(wxSizeEvent& event) override;
    void on_donate(wxCommandEvent& event) override;

private:
    void on_nav_enter(wxMouseEvent& event);
    void on_nav_leave(wxMouseEvent& event);
    void on_nav_click(wxMouseEvent& event);
    void on_char_hook(wxKeyEvent& event);
    void paint_button(wxButton* button, bool hovered);
    wxButton* button_of(wxEvent& event) const;

    wxDECLARE_EVENT_TABLE();
};

// The one home page; set by its constructor.
extern homepage* home_page;
