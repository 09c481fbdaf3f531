#pragma once
// STAND-IN: the start page with only its form and its page switching, until
// the real page is written.
#include <vector>

#include <wx/button.h>
#include <wx/simplebook.h>

#include "forms/side_forms.h"

class homepage : public homepage_base {
public:
    homepage(wxWindow* parent, const wxString& name)
        : homepage_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name) {
        nav_buttons = {recent_button, settings_button, trustlist_button,
                       certstore_button, shortcut_button, about_button};
        selected_button = recent_button;
    }

    // The sidebar buttons in their order, and the highlighted one.
    std::vector<wxButton*> nav_buttons;
    wxButton* selected_button = nullptr;

    void select_page(wxButton* button) {
        for (size_t i = 0; i < nav_buttons.size(); ++i)
            if (nav_buttons[i] == button) {
                selected_button = button;
                page_book->SetSelection(i);
            }
    }
};
