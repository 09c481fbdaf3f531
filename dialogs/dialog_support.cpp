#include "dialogs/dialog_support.h"

#include <algorithm>
#include <vector>

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/icon.h>
#include <wx/intl.h>

#include "app/screen_layout.h"
#include "forms/pictures.h"
#include "ui/dialog_calls.h"

bool place_beside_opener(wxDialog* dialog, const wxRect& opener, int display_width) {
    const int step = 15 * std::max(1, screen_scale_percent / 100);
    const wxSize size = dialog->GetSize();
    const int top = opener.y + (opener.height - size.y) / 2;
    int x = opener.x + opener.width - step;
    if (x + size.x > display_width) {
        x = opener.x + step - size.x;
        if (x < 0) return false;
    }
    dialog->Move(x, top);
    return true;
}

void place_beside_opener(wxDialog* dialog, const wxRect* opener) {
    if (!opener) return;
    const int width = wxDisplay(0u).GetGeometry().GetWidth();
    place_beside_opener(dialog, *opener, width);
}

void set_program_icon(wxDialog* dialog) {
    wxIcon icon;
    icon.CopyFromBitmap(bitmap_app_icon());
    if (icon.IsOk()) dialog->SetIcon(icon);
}

wxString dialog_title(const wxString& own_title) { return _("Velkorant") + " - " + own_title; }

dialog_report_hooks& dialog_reports() {
    static dialog_report_hooks hooks;
    return hooks;
}

namespace {
std::vector<wxDialog*>& document_dialogs() {
    static std::vector<wxDialog*> dialogs;
    return dialogs;
}
wxWindow* receiver(const std::function<wxWindow*()>& getter) { return getter ? getter() : nullptr; }
}  // namespace

void register_document_dialog(wxDialog* dialog) { document_dialogs().push_back(dialog); }

void unregister_document_dialog(wxDialog* dialog) {
    auto& list = document_dialogs();
    list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}

void close_document_dialogs() {
    // Destroy at once: the results they point into are about to be freed, so
    // not one more paint or event may reach them.
    std::vector<wxDialog*> list;
    list.swap(document_dialogs());
    for (wxDialog* d : list) {
        d->Hide();
        delete d;
    }
}

size_t document_dialog_count() { return document_dialogs().size(); }

wxWindow* main_window_receiver() { return receiver(dialog_receivers().main_window); }
wxWindow* trust_page_receiver() { return receiver(dialog_receivers().trust_page); }
wxWindow* certstore_page_receiver() { return receiver(dialog_receivers().certstore_page); }
