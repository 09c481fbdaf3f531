#include "service/feedback_dlg.h"

#include <wx/icon.h>
#include <wx/statbmp.h>

#include <chrono>
#include <thread>

#include "app/screen_layout.h"
#include "forms/dialog_keys.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "forms/dynamic_resource.h"
#include "platform/shell_open.h"
#include "service/usage_reports.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

int feedback_dlg::worker_pause_ms = 1000;

namespace {

constexpr char kTooShort[] = "Please submit at least 10 words";
constexpr char kNoContact[] = "Please fill your contact infomation";
constexpr std::size_t kShortestMessage = 10;

void set_window_icon(wxTopLevelWindow* window) {
    if (dynamic_resources == nullptr || dynamic_resources->app_icon_bitmap == nullptr) return;
    const wxBitmap bitmap = dynamic_resources->app_icon_bitmap->GetBitmap();
    if (!bitmap.IsOk()) return;
    wxIcon icon;
    icon.CopyFromBitmap(bitmap);
    window->SetIcon(icon);
}

}  // namespace

feedback_dlg::feedback_dlg(wxWindow* parent)
    : feedback_dlg_base(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(646, 480),
                        wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    busy = false;
    mail_link->Hide();

    close_button->set_base_colour(button_colour);
    SetBackgroundColour(theme_dialog_colour);
    intro_label->SetForegroundColour(theme_text_colour);
    contact_caption_label->SetForegroundColour(theme_text_colour);
    result_label->SetForegroundColour(theme_text_colour);
    for (wxTextCtrl* box : {message_text, contact_text}) {
        box->Clear();
        box->SetForegroundColour(theme_text_colour);
        box->SetBackgroundColour(theme_control_colour);
    }
    message_text->SetHint(tr("Say somthing..."));
    contact_text->SetHint(tr("EMAIL / QQ / TEL"));
    result_label->Hide();

    scale_dialog_to_screen(this);
    close_on_escape(this, close_button);
    target = make_event_target(this);
    Bind(wxEVT_THREAD, &feedback_dlg::on_submitted, this);
}

feedback_dlg::~feedback_dlg() {
    target->detach();
    Unbind(wxEVT_THREAD, &feedback_dlg::on_submitted, this);
}

const char* feedback_dlg::validation_error(const std::wstring& message, const std::wstring& contact) {
    if (message.size() < kShortestMessage || is_blank_text(message)) return kTooShort;
    if (contact.empty() || is_blank_text(contact)) return kNoContact;
    return "";
}

void feedback_dlg::on_init_dialog(wxInitDialogEvent& event) {
    set_window_icon(this);
    SetTitle(tr("Velkorant") + " - " + tr("Feedback"));
    Layout();
    event.Skip();
}

void feedback_dlg::on_size(wxSizeEvent& event) {
    Layout();
    event.Skip();
}

void feedback_dlg::on_mail_link(wxHyperlinkEvent& event) { platform::shell_open(event.GetURL()); }

void feedback_dlg::on_submit(wxCommandEvent&) {
    if (busy) return;
    const std::wstring contact = contact_text->GetValue().ToStdWstring();
    const std::wstring message = message_text->GetValue().ToStdWstring();
    const char* refusal = validation_error(message, contact);
    result_label->Show();
    if (*refusal != '\0') {
        result_label->flash_message(warning_colour, tr(refusal));
        Layout();
        return;
    }
    close_button->Enable(false);
    submit_button->Enable(false);
    result_label->flash_message(warning_colour, tr("Submitting..."));
    busy = true;
    try {
        std::thread(&feedback_dlg::submit_worker, target, message, contact).detach();
    } catch (const std::exception&) {
        busy = false;
        close_button->Enable(true);
        submit_button->Enable(true);
        result_label->set_message(wxColour(255, 0, 0), tr("Submit Failed"));
    }
    Layout();
}

void feedback_dlg::submit_worker(event_target_ptr dialog, std::wstring message, std::wstring contact) {
    std::string status;
    try {
        status = send_feedback("any", message, contact);
    } catch (const std::exception&) {
        status = "failed";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(worker_pause_ms));
    wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
    event.SetString(wxString::FromUTF8(status));
    dialog->post(event);
}

void feedback_dlg::on_submitted(wxThreadEvent& event) {
    busy = false;
    result_label->set_message(theme_text_colour, wxEmptyString);
    if (event.GetString() == "Completed") {
        result_label->set_message(ok_colour, tr("Submit completed"));
    } else {
        result_label->set_message(wxColour(255, 0, 0), tr("Sorry") + tr(", ") + tr("Submit Failed") + tr("! ") +
                                                            tr("Server is under maintenance"));
        mail_link->Show();
    }
    close_button->Enable(true);
    submit_button->Enable(true);
    Layout();
}

void feedback_dlg::on_close(wxCloseEvent& event) {
    if (busy && event.CanVeto()) {
        event.Veto();
        return;
    }
    event.Skip();
}

void feedback_dlg::on_close_button(wxCommandEvent&) {
    if (busy) return;
    if (IsModal())
        EndModal(wxID_OK);
    else
        Close();
}

void show_feedback_dialog(wxWindow* parent) {
    feedback_dlg dialog(parent);
    dialog.CentreOnParent();
    dialog.ShowModal();
}
