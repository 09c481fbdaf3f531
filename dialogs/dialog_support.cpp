#include "dialogs/dialog_support.h"

#include <algorithm>
#include <vector>

#include <wx/dialog.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/settings.h>
#include <wx/sizer.h>
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
    const wxRect area = display_client_area(dialog);
    place_beside_opener(dialog, *opener, area.GetRight() + 1);
    // Centred on a smaller opener, a tall dialog would start above the screen.
    dialog->Move(rect_inside(dialog->GetRect(), area).GetPosition());
}

void grow_to_fit(wxDialog* dialog) {
    dialog->Layout();
    wxSizer* sizer = dialog->GetSizer();
    if (!sizer) return;
    wxSize needed = sizer->CalcMin();
    // Content already put into a scroller (taller than the screen) still
    // asks for its own width: the dialog widens to it, beside the scroll bar,
    // rather than cutting its right side off (Chinese at 200 %).
    if (wxWindow* scroller = fitted_scroller(dialog); scroller && scroller->GetSizer()) {
        needed = scroller->GetSizer()->CalcMin();
        needed.x += std::max(0, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, dialog));
    }
    const wxSize client = dialog->GetClientSize();
    if (needed.x <= client.x && needed.y <= client.y) return;
    const wxRect area = display_client_area(dialog);
    const wxSize frame = dialog->GetSize() - client;
    dialog->SetClientSize(std::min(std::max(needed.x, client.x), area.width - frame.x),
                          std::min(std::max(needed.y, client.y), area.height - frame.y));
    dialog->Layout();
    // What did not fit scrolls; a dialog grown on screen stays on it.
    fit_to_screen(dialog);
}

wxBitmapBundle picture_pair(const wxBitmap& normal, const wxBitmap& doubled) {
    return wxBitmapBundle::FromBitmaps(normal, doubled);
}

void set_program_icon(wxDialog* dialog) {
    wxIcon icon;
    icon.CopyFromBitmap(bitmap_app_icon());
    if (icon.IsOk()) dialog->SetIcon(icon);
}

wxString chosen_path(const wxFileDialog& dialog) {
    const wxString path = dialog.GetPath();
    if (!path.empty() || dialog.GetFilename().empty()) return path;
    return wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
}

wxString dialog_title(const wxString& own_title) { return _("Velkorant") + " - " + own_title; }

dialog_report_hooks& dialog_reports() {
    static dialog_report_hooks hooks;
    return hooks;
}

namespace {
struct document_dialog {
    wxDialog* dialog;
    std::function<void()> forget;
};
std::vector<document_dialog>& document_dialogs() {
    static std::vector<document_dialog> dialogs;
    return dialogs;
}
wxWindow* receiver(const std::function<wxWindow*()>& getter) { return getter ? getter() : nullptr; }

// The modal loops show_modal_from runs, innermost last.
struct modal_run {
    wxWindow* opener;
    wxDialog* dialog;
};
std::vector<modal_run>& modal_runs() {
    static std::vector<modal_run> runs;
    return runs;
}
// Document dialogs closed while a modal child of theirs was running.
std::vector<wxWindow*>& closing_dialogs() {
    static std::vector<wxWindow*> dialogs;
    return dialogs;
}

bool inside(wxWindow* window, wxWindow* ancestor) {
    for (; window; window = window->GetParent())
        if (window == ancestor) return true;
    return false;
}
bool is_closing(wxWindow* window) {
    for (wxWindow* closing : closing_dialogs())
        if (inside(window, closing)) return true;
    return false;
}
bool has_running_child(wxWindow* dialog) {
    for (const modal_run& run : modal_runs())
        if (inside(run.opener, dialog)) return true;
    return false;
}

// Only the innermost loop can be ended; the ones around it end in turn as
// each show_modal_from returns.
void end_innermost_if_closing() {
    if (modal_runs().empty()) return;
    const modal_run& run = modal_runs().back();
    if (is_closing(run.opener) && run.dialog->IsModal()) run.dialog->EndModal(wxID_CANCEL);
}
}  // namespace

int show_modal_from(wxWindow* opener, wxDialog& dialog) {
    modal_runs().push_back({opener, &dialog});
    const int code = dialog.ShowModal();
    modal_runs().pop_back();
    auto& closing = closing_dialogs();
    for (auto it = closing.begin(); it != closing.end();) {
        if (has_running_child(*it)) {
            ++it;
            continue;
        }
        (*it)->Destroy();
        it = closing.erase(it);
    }
    end_innermost_if_closing();
    return code;
}

void register_document_dialog(wxDialog* dialog, std::function<void()> forget) {
    document_dialogs().push_back({dialog, std::move(forget)});
}

void unregister_document_dialog(wxDialog* dialog) {
    auto& list = document_dialogs();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const document_dialog& d) { return d.dialog == dialog; }),
               list.end());
    auto& closing = closing_dialogs();
    closing.erase(std::remove(closing.begin(), closing.end(), dialog), closing.end());
}

void close_document_dialogs() {
    // The results they point into are freed next: each dialog lets go of them
    // now, so that nothing that reaches it before its deletion (a paint, a
    // queued event) can read freed memory.
    std::vector<document_dialog> list;
    list.swap(document_dialogs());
    for (document_dialog& d : list) {
        if (d.forget) d.forget();
        d.dialog->Hide();
        if (has_running_child(d.dialog))
            closing_dialogs().push_back(d.dialog);
        else
            d.dialog->Destroy();
    }
    end_innermost_if_closing();
}

size_t document_dialog_count() { return document_dialogs().size(); }

wxWindow* main_window_receiver() { return receiver(dialog_receivers().main_window); }
wxWindow* trust_page_receiver() { return receiver(dialog_receivers().trust_page); }
wxWindow* certstore_page_receiver() { return receiver(dialog_receivers().certstore_page); }
