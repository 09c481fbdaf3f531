#include "ui/shortcut_panel.h"

#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/theme_colours.h"

shortcut_panel::shortcut_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : shortcut_base(parent, id, pos, size, style, "wn_shortcut") {
    // The form holds its scrolled body at least 600 pixels high, more than a
    // 200 % screen leaves the page: the body scrolls instead of being cut.
    table_panel->SetMinSize(wxSize(-1, -1));
    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_panel_colour);
    // The table panel's own look follows the theme through its colours (the
    // desktop draws no separate dark or light style for it here).
    for (wxWindow* child : table_panel->GetChildren()) {
        if (auto* text = dynamic_cast<wxStaticText*>(child)) {
            text->SetForegroundColour(theme_text_colour);
        } else if (auto* field = dynamic_cast<wxTextCtrl*>(child)) {
            field->SetForegroundColour(theme_text_colour);
            field->SetBackgroundColour(theme_panel_colour);
        }
    }
    for (wxStaticText* label :
         {details_pane_mouse_label, sign_pane_mouse_label, full_page_mouse_label, next_previous_mouse_label,
          zoom_mouse_label, signature_mouse_label})
        mouse_texts.emplace_back(label, label->GetLabel());
    // In English the mouse column reaches past a 200 % page.
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
        event.Skip();
        CallAfter([this] { fit_mouse_column(); });
    });
}

void shortcut_panel::fit_mouse_column() {
    const int room = table_panel->GetClientSize().x - mouse_header_label->GetPosition().x - FromDIP(10);
    bool changed = false;
    for (auto& [label, text] : mouse_texts) {
        const bool fits = room <= 0 || label->GetTextExtent(text).x <= room;
        const wxString shown = label->GetLabel();
        label->SetLabel(text);
        if (!fits) label->Wrap(room);
        changed = changed || label->GetLabel() != shown;
    }
    if (!changed) return;
    table_panel->Layout();
    table_panel->FitInside();
}
