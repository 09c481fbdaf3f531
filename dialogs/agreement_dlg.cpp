#include "dialogs/agreement_dlg.h"

#include <wx/sizer.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "forms/dynamic_resource.h"
#include "platform/resources.h"
#include "widgets/wxt_colorbutton.h"

namespace {

constexpr char kTextResourceType[] = "TXTFILE";

// The row that holds Agree and Decline, found from the sizer that holds Agree.
wxSizer* sizer_holding(wxSizer* sizer, wxWindow* window) {
    if (!sizer) return nullptr;
    for (wxSizerItem* item : sizer->GetChildren()) {
        if (item->GetWindow() == window) return sizer;
        if (wxSizer* found = sizer_holding(item->GetSizer(), window)) return found;
    }
    return nullptr;
}

}  // namespace

agreement_dlg::agreement_dlg(wxWindow* parent, int mode)
    : agreement_dlg_base(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(700, 520),
                         wxDEFAULT_DIALOG_STYLE | wxSTAY_ON_TOP),
      mode(mode) {
    decline_button->preset_grey();
    close_button->preset_grey();
    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_dialog_colour);
    agreement_text->SetForegroundColour(theme_text_colour);
    agreement_text->SetBackgroundColour(theme_control_colour);
    // The text area's native theme (light or dark scroll bars) follows the
    // desktop under GTK: nothing to set per window.
    scale_dialog_to_screen(this);
    Layout();
}

wxString agreement_dlg::agreement_text_for_ui() {
    const std::string bytes =
        platform::resource_bytes(is_chinese_ui() ? "AGREE-CN" : "AGREE-EN", kTextResourceType);
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (!text.empty() && text[0] == wxUniChar(0xFEFF)) text.erase(0, 1);
    return text;
}

void agreement_dlg::on_init_dialog(wxInitDialogEvent& event) {
    if (dynamic_resources && dynamic_resources->app_icon_bitmap) {
        wxIcon icon;
        icon.CopyFromBitmap(dynamic_resources->app_icon_bitmap->GetBitmap());
        SetIcon(icon);
    }
    SetTitle(tr("Velkorant") + " - " + tr("Application Agreement"));

    agreement_text->SetValue(agreement_text_for_ui() + "\n");
    agreement_text->SetInsertionPointEnd();
    // The caret waits at the end, but the reader starts at the top: GTK
    // scrolls to the caret, so the view is moved back once the text is laid out.
    CallAfter([this] { agreement_text->ShowPosition(0); });

    const bool first_run = mode == first_run_mode;
    if (wxSizer* row = sizer_holding(GetSizer(), agree_button)) row->ShowItems(first_run);
    agree_button->Show(first_run);
    decline_button->Show(first_run);
    close_button->Show(!first_run);
    // Escape answers as the visible way out does: Decline in the first run,
    // Close in view mode.
    SetEscapeId(first_run ? decline_button->GetId() : wxID_ANY);
    Layout();
    event.Skip();
}

void agreement_dlg::finish(int result) {
    if (IsModal())
        EndModal(result);
    else
        Close();
}

void agreement_dlg::on_agree(wxCommandEvent&) { finish(wxID_OK); }

void agreement_dlg::on_decline(wxCommandEvent&) { finish(wxID_CANCEL); }

void agreement_dlg::on_close_button(wxCommandEvent& event) {
    event.StopPropagation();
    finish(wxID_OK);
}
