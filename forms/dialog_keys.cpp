#include "forms/dialog_keys.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

bool usable(wxWindow* w) { return w && w->IsShown() && w->IsEnabled(); }

void click(wxt_colorbutton* button) {
    wxCommandEvent clicked(wxEVT_BUTTON, button->GetId());
    clicked.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(clicked);
}

// Escape: the same search as the toolkit's, over both kinds of button. A
// native button found first is left to the toolkit.
bool escape(wxDialog* dialog) {
    const int escape_id = dialog->GetEscapeId();
    if (escape_id == wxID_NONE) return false;
    const int candidates[] = {escape_id == wxID_ANY ? int(wxID_CANCEL) : escape_id,
                              escape_id == wxID_ANY ? dialog->GetAffirmativeId() : int(wxID_NONE)};
    for (int id : candidates) {
        if (id == wxID_NONE) continue;
        wxWindow* w = dialog->FindWindow(id);
        if (dynamic_cast<wxButton*>(w) && usable(w)) return false;
        if (auto* b = dynamic_cast<wxt_colorbutton*>(w); b && usable(b)) {
            click(b);
            return true;
        }
    }
    return false;
}

// Whether the focused window uses Enter itself.
bool takes_enter(wxWindow* focus) {
    if (!focus) return false;
    if (dynamic_cast<wxButton*>(focus) || dynamic_cast<wxt_colorbutton*>(focus) || dynamic_cast<wxt_hyperlink*>(focus))
        return true;
    // A read-only field has no use for Enter: it goes to the default button.
    if (auto* t = dynamic_cast<wxTextCtrl*>(focus))
        return t->IsEditable() && (t->IsMultiLine() || t->HasFlag(wxTE_PROCESS_ENTER));
    if (auto* c = dynamic_cast<wxComboBox*>(focus)) return c->HasFlag(wxTE_PROCESS_ENTER);
    return false;
}

bool enter(wxDialog* dialog) {
    wxWindow* focus = wxWindow::FindFocus();
    // GTK reports the inner widget of a composite control: look at its parents
    // up to the dialog.
    for (wxWindow* w = focus; w && w != dialog; w = w->GetParent())
        if (takes_enter(w)) return false;
    auto* b = dynamic_cast<wxt_colorbutton*>(dialog->GetDefaultItem());
    if (!b || !usable(b)) return false;
    click(b);
    return true;
}

}  // namespace

void answer_dialog_keys(wxDialog* dialog) {
    dialog->Bind(wxEVT_CHAR_HOOK, [dialog](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        const bool plain = !event.HasAnyModifiers();
        if (plain && key == WXK_ESCAPE && escape(dialog)) return;
        if (plain && (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && enter(dialog)) return;
        event.Skip();
    });
}

void close_on_escape(wxDialog* dialog, wxWindow* button) {
    dialog->Bind(wxEVT_CHAR_HOOK, [button](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE && !event.HasAnyModifiers() && usable(button)) {
            wxCommandEvent clicked(wxEVT_BUTTON, button->GetId());
            clicked.SetEventObject(button);
            button->GetEventHandler()->ProcessEvent(clicked);
            return;
        }
        event.Skip();
    });
}
