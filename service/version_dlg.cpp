#include "service/version_dlg.h"

#include <algorithm>

#include <wx/icon.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>

#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "document/doc_services.h"
#include "forms/dynamic_resource.h"
#include "service/device_id.h"
#include "service/usage_reports.h"
#include "service/version_check.h"
#include "net/service_addresses.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const wxColour kRed(255, 0, 0);

wxWindow* main_window() {
    auto get = doc_services().main_window;
    return get ? dynamic_cast<wxWindow*>(get()) : nullptr;
}

}  // namespace

version_dlg::version_dlg(wxWindow* parent, int mode_)
    : version_dlg_base(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(520, 520),
                       wxDEFAULT_DIALOG_STYLE) {
    SetForegroundColour(theme_text_colour);
    for (wxWindow* text : {static_cast<wxWindow*>(status_label), static_cast<wxWindow*>(newest_caption_label),
                           static_cast<wxWindow*>(newest_version_label), static_cast<wxWindow*>(current_caption_label),
                           static_cast<wxWindow*>(current_version_label), static_cast<wxWindow*>(release_notes_label)})
        text->SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_dialog_colour);
    close_button->set_base_colour(button_colour);

    // A thirteenth of the dialog, but no more than the button's share: the
    // body's rows share 11 parts below its first 20 px, the buttons' row 2
    // of them and a button half of that, less its border. A taller button
    // made the proportional layout ask for more than the dialog's height
    // (at 200 % the content was pushed into a scroller). Sized before the
    // dialog is fitted to the screen, and again at its scaled size.
    const auto size_buttons = [this] {
        const int share = (GetClientSize().y - 20) / 11 - 10;
        const int button_height = std::min(GetClientSize().y / 13, share);
        for (wxWindow* button : {static_cast<wxWindow*>(update_button), static_cast<wxWindow*>(close_button)}) {
            button->SetMinSize(wxSize(button->GetMinSize().x, button_height));
            button->SetMaxSize(wxSize(-1, button_height));
        }
    };
    update_button->Hide();  // one of the two is ever shown
    size_buttons();
    scale_dialog_to_screen(this);
    size_buttons();

    saved_status = status_label->GetLabel();
    mode = mode_;
    release_notes_label->SetLabelText(wxEmptyString);
    target = make_event_target(this);
    Bind(wxEVT_THREAD, &version_dlg::on_thread_event, this);
}

version_dlg::~version_dlg() {
    target->detach();
    Unbind(wxEVT_THREAD, &version_dlg::on_thread_event, this);
}

void version_dlg::set_status(const wxColour& colour, const wxString& text) { status_label->set_message(colour, text); }

void version_dlg::show_buttons(bool update, bool close_enabled) {
    update_button->Show(update);
    update_button->Enable(update);
    close_button->Show(!update);
    close_button->Enable(close_enabled);
}

void version_dlg::on_init_dialog(wxInitDialogEvent& event) {
    // Showing the dialog again while its check runs starts no second one.
    if (worker_running) {
        event.Skip();
        return;
    }
    if (dynamic_resources != nullptr && dynamic_resources->app_icon_bitmap != nullptr &&
        dynamic_resources->app_icon_bitmap->GetBitmap().IsOk()) {
        wxIcon icon;
        icon.CopyFromBitmap(dynamic_resources->app_icon_bitmap->GetBitmap());
        SetIcon(icon);
    }
    SetTitle(tr("Velkorant") + " - " + tr("Check Update"));
    newest_caption_label->Hide();
    newest_version_label->Hide();
    current_version_label->SetLabelText(wxString::FromUTF8(own_file_version()));

    if (mode == 1) {
        show_result();
        show_buttons(false, true);
    } else {
        set_status(warning_colour, tr("Checking new version..."));
        newest_version_label->SetLabelText(wxEmptyString);
        show_buttons(false, false);
        worker_running = true;
        if (!start_version_check(target)) {
            // Another check or download runs: this dialog does not wait for it.
            worker_running = false;
            set_status(kRed, tr("Failed to check update !"));
            show_buttons(false, true);
        }
    }
    Layout();
    event.Skip();
}

void version_dlg::show_result() {
    if (new_version_available) {
        set_status(ok_colour, tr("There is new version now~~~"));
        if (wxWindow* frame = main_window()) post_thread_event(frame, wxt_thread_event(evt_newtip));
    } else {
        set_status(theme_text_colour, saved_status);
    }
    newest_caption_label->Show();
    newest_version_label->Show();
    newest_version_label->SetLabelText(wxString::FromUTF8(latest_version));
    wxString notes = new_version_available ? wxString(release_notes) : wxString();
    if (new_version_available) notes += (notes.empty() ? "" : "\n\n") + where_new_versions_come_from();
    show_notes(notes);
}

void version_dlg::show_notes(const wxString& notes) {
    // A long line (the release page's address) made the layout ask for more
    // than the dialog's width: at 200 % the content was pushed into a
    // scroller, off the dialog. The notes take their column's share (five
    // sevenths of the width, less the border), and GTK wraps them there.
    release_notes_label->SetLabelText(notes);
    // The body is 30 of the dialog's 32 parts across, the notes 5 of its 7.
    release_notes_label->SetMinSize(wxSize(std::max(100, GetClientSize().x * 30 / 32 * 5 / 7 - 10), -1));
}

wxString where_new_versions_come_from() {
    return wxString::Format(tr("Velkorant does not install updates on Linux. Get the new version from the "
                               "release page, %s, or from your distribution's package."),
                            wxString::FromUTF8(download_base));
}

// Nothing is downloaded or installed here: the button stays hidden, and a
// click that still arrives only says where the new version comes from.
void version_dlg::on_update(wxCommandEvent&) {
    if (worker_running) return;
    show_buttons(false, true);
    show_notes(where_new_versions_come_from());
    Layout();
}

void version_dlg::on_thread_event(wxThreadEvent& event) {
    const wxString tag = event.GetString();
    if (tag == evt_check_succeed || tag == evt_check_failed || tag == evt_download_succeed ||
        tag == evt_download_failed)
        worker_running = false;

    if (tag == evt_check_succeed && apply_version_check_event(event)) {
        show_result();
        show_buttons(false, true);
    } else if (tag == evt_check_succeed || tag == evt_check_failed) {
        set_status(kRed, tr("Failed to check update !"));
        release_notes_label->SetLabelText(wxEmptyString);
        show_buttons(false, true);
        report_check_version(own_file_version(), latest_version);
    } else if (tag == evt_download_succeed || tag == evt_download_failed) {
        // No download is started here; an event that claims one changes nothing.
        show_buttons(false, true);
    }
    Layout();
}

void version_dlg::on_close(wxCloseEvent& event) {
    if (worker_running && event.CanVeto()) {
        event.Veto();
        return;
    }
    event.Skip();
}

void show_version_dialog(wxWindow* parent, int mode) {
    version_dlg dialog(parent, mode);
    dialog.CentreOnParent();
    dialog.ShowModal();
}

void on_version_checked(const wxThreadEvent& event, wxWindow* parent) {
    if (!apply_version_check_event(event)) return;
    if (!new_version_available && !updated_tip) return;
    version_dlg dialog(parent, 1);
    dialog.Centre(wxBOTH);
    dialog.ShowModal();
    updated_tip = false;
}
