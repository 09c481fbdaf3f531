#include "ui/homepage.h"

#include <wx/button.h>
#include <wx/simplebook.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "forms/dynamic_resource.h"
#include "ui/donate_dlg.h"
#include "ui/home_calls.h"
#include "ui/recent_panel.h"
#include "widgets/wxt_bmpbutton_nofocus.h"
#include "widgets/wxt_colorbutton.h"

homepage* home_page = nullptr;

wxBEGIN_EVENT_TABLE(homepage, homepage_base)
    EVT_CHAR_HOOK(homepage::on_char_hook)
wxEND_EVENT_TABLE()

homepage::homepage(wxWindow* parent, const wxString& name)
    : homepage_base(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name) {
    home_page = this;
    wxButton* const buttons[] = {recent_button,  settings_button, trustlist_button,
                                 certstore_button, shortcut_button, about_button};

    nav_panel->SetForegroundColour(theme_text_colour);
    nav_panel->SetBackgroundColour(theme_panel_colour);
    for (wxButton* b : buttons) {
        b->SetForegroundColour(theme_text_colour);
        b->SetBackgroundColour(theme_panel_colour);
    }
    donate_label->SetForegroundColour(theme_text_colour);
    donate_button->SetBackgroundColour(theme_panel_colour);

    if (screen_scale_percent >= doubled_picture_scale) {
        const int height = recent_button->GetMinSize().y * screen_scale_percent / 100;
        for (wxButton* b : buttons) b->SetMinSize(wxSize(-1, height));
        if (dynamic_resources) {
            logo_bitmap->SetBitmap(dynamic_resources->logo_bitmap_2x->GetBitmap());
            announce_bitmap->SetBitmap(dynamic_resources->announce_bitmap->GetBitmap());
            donate_button->SetBitmap(dynamic_resources->donate_button->GetBitmap(), wxLEFT);
            donate_button->SetBitmapCurrent(dynamic_resources->donate_button->GetBitmapCurrent());
            donate_button->SetBitmapFocus(dynamic_resources->donate_button->GetBitmapCurrent());
        }
    }

    donate_label->SetLabel(wxGetTranslation(L"Velkorant Application") + L" - " + donate_label->GetLabel());
    // Six buttons under the logo need more height than a 200 % screen leaves
    // the home page: the column scrolls rather than losing About below the edge.
    scroll_content(nav_panel);

    int index = 0;
    for (wxButton* b : buttons) {
        b->Bind(wxEVT_ENTER_WINDOW, &homepage::on_nav_enter, this);
        b->Bind(wxEVT_LEAVE_WINDOW, &homepage::on_nav_leave, this);
        b->Bind(wxEVT_LEFT_UP, &homepage::on_nav_click, this);
        nav_buttons.push_back(b);
        page_of_button[b] = index++;
    }
    select_page(recent_button);
}

homepage::~homepage() {
    for (wxButton* b : nav_buttons) {
        b->Unbind(wxEVT_ENTER_WINDOW, &homepage::on_nav_enter, this);
        b->Unbind(wxEVT_LEAVE_WINDOW, &homepage::on_nav_leave, this);
        b->Unbind(wxEVT_LEFT_UP, &homepage::on_nav_click, this);
    }
}

void homepage::paint_button(wxButton* button, bool hovered) {
    button->SetForegroundColour(theme_text_colour);
    button->SetBackgroundColour(hovered ? theme_hover_colour : theme_panel_colour);
    button->Refresh();
}

void homepage::select_page(wxButton* button) {
    const auto page = page_of_button.find(button);
    if (page == page_of_button.end()) return;
    for (wxButton* b : nav_buttons)
        if (b != button) paint_button(b, false);
    button->SetForegroundColour(*wxWHITE);
    button->SetBackgroundColour(accent_colour);
    button->Refresh();
    selected_button = button;
    page_book->ChangeSelection(page->second);
    if (wxWindow* shown = page_book->GetPage(page->second)) shown->SetFocus();
}

wxButton* homepage::button_of(wxEvent& event) const {
    auto* b = dynamic_cast<wxButton*>(event.GetEventObject());
    return page_of_button.count(b) ? b : nullptr;
}

void homepage::on_nav_enter(wxMouseEvent& event) {
    wxButton* b = button_of(event);
    if (b && b != selected_button) paint_button(b, true);
    event.Skip();
}

void homepage::on_nav_leave(wxMouseEvent& event) {
    wxButton* b = button_of(event);
    if (b && b != selected_button) paint_button(b, false);
    event.Skip();
}

void homepage::on_nav_click(wxMouseEvent& event) {
    if (wxButton* b = button_of(event)) select_page(b);
    event.Skip();
}

void homepage::on_size(wxSizeEvent& event) {
    const int w = event.GetSize().GetWidth();
    nav_panel->SetMinSize(wxSize(w / 6, -1));
    page_book->SetMinSize(wxSize(5 * w / 6, -1));
    Layout();
    event.Skip();
}

void homepage::on_char_hook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    const bool ours = key == WXK_SPACE || key == WXK_DELETE || key == WXK_UP || key == WXK_DOWN;
    const auto& in_view = home_calls().home_page_in_view;
    if (ours && ::recent_page && selected_button == recent_button && (!in_view || in_view())) {
        if (key == WXK_UP || key == WXK_DOWN) {
            ::recent_page->move_selection(key == WXK_UP);
        } else if (listrow* row = ::recent_page->selected_row) {
            const wxString path = row->path;
            if (key == WXK_DELETE)
                ::recent_page->remove_row(::recent_page->find_row(path));
            else if (home_calls().open_file)
                home_calls().open_file(path);
        }
    }
    event.Skip();
}

void homepage::on_donate(wxCommandEvent&) {
    donate_dlg dialog(wxGetTopLevelParent(this), wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(761, 600), 0);
    dialog.SetForegroundColour(theme_text_colour);
    dialog.SetBackgroundColour(theme_dialog_colour);
    dialog.style_for_theme();
    screen_scale_percent = dpi_scale_percent(&dialog);
    scale_dialog(&dialog, screen_scale_percent < doubled_picture_scale ? 100 : 130);
    dialog.Layout();
    dialog.Centre(wxBOTH);
    keep_on_screen(&dialog);
    dialog.ShowModal();
}
