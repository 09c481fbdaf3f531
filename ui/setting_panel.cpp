#include "ui/setting_panel.h"
#include "app/diagnostics.h"

#include <algorithm>
#include <filesystem>

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>
#include <wx/tooltip.h>
#include <wx/valtext.h>

#include "app/data_dirs.h"
#include "app/file_buffers.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "forms/dynamic_resource.h"
#include "platform/file_association.h"
#include "platform/resources.h"
#include "ui/home_calls.h"
#include "widgets/wxt_colorbutton.h"

const wchar_t* const setting_panel::default_timestamp_url = L"http://timestamp.digicert.com";

namespace {

wxString add_url_item() { return wxGetTranslation(L"Add a timestamp url"); }

struct file_kind {
    const char* kind;
    const char* icon;
    const char* resource;
    std::vector<std::string> mime_types;
    const char* failure;
};

const std::vector<file_kind>& file_kinds() {
    static const std::vector<file_kind> kinds = {
        {"pdf", "vlk-pdf.ico", "PDF_FILE_ICO", {"application/pdf"}, "associate PDF type failed"},
        {"cer", "vlk-cer.ico", "CER_FILE_ICO", {"application/pkix-cert", "application/x-x509-ca-cert"},
         "associate CER type failed"},
    };
    return kinds;
}

}  // namespace

setting_panel::setting_panel(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : setting_base(parent, id, pos, size, style, "wn_setting") {
    // The form holds its scrolled body at least 600 pixels high, more than a
    // 200 % screen leaves the page: the body scrolls instead of being cut.
    body_panel->SetMinSize(wxSize(-1, -1));
    apply_colours();
    if (screen_scale_percent >= doubled_picture_scale && dynamic_resources) {
        general_bitmap->SetBitmap(dynamic_resources->settings_general_bitmap->GetBitmap());
        signing_bitmap->SetBitmap(dynamic_resources->settings_sign_bitmap->GetBitmap());
        other_bitmap->SetBitmap(dynamic_resources->settings_other_bitmap->GetBitmap());
    }

    open_recent_check->SetValue(is_open_recent);
    // The box shows the stored option (it used to be shown checked whatever
    // the option held, so a user who had turned it off saw it on).
    remember_position_check->SetValue(is_rem_possize);
    full_page_radio->SetValue(is_zoom_fullpage);
    full_width_radio->SetValue(is_zoom_auto_w);
    full_height_radio->SetValue(is_zoom_auto_h);
    text_compact_radio->SetValue(txt_font_style == 1);
    text_middle_radio->SetValue(txt_font_style == 2);
    text_loose_radio->SetValue(txt_font_style == 3);
    disable_tooltip_check->SetValue(is_disable_tooltip);
    // The page is built at start with the main window: the saved switch
    // takes effect from here on.
    wxToolTip::Enable(!is_disable_tooltip);
    remember_client_cert_check->SetValue(is_rem_clientcer);
    remember_client_cert_check->Hide();
    invalid_marker_check->SetValue(is_addverifyicon);
    add_timestamp_check->SetValue(is_timestamp);
    add_ltv_check->SetValue(is_ltv);
    check_update_check->SetValue(checkversion_startup);

    wxTextValidator ascii(wxFILTER_ASCII);
    tsurl_combo->SetValidator(ascii);
    if (timestamp_urls.empty()) timestamp_urls.push_back(default_timestamp_url);
    fill_timestamp_url_combo();

    language_combo->Clear();
    language_combo->Append(wxString::FromUTF8("中文"));
    language_combo->Append("English");
    language_combo->SetSelection(is_chinese_ui() ? 0 : 1);

    theme_dark_radio->SetValue(is_dark_theme);
    theme_light_radio->SetValue(!is_dark_theme);
    if (theme == L"system") theme_system_radio->SetValue(true);
    Layout();
}

void setting_panel::apply_colours() {
    SetForegroundColour(theme_text_colour);
    SetBackgroundColour(theme_panel_colour);
    body_panel->SetBackgroundColour(theme_panel_colour);
    for (wxWindow* child : body_panel->GetChildren()) {
        if (dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxCheckBox*>(child) ||
            dynamic_cast<wxRadioButton*>(child))
            child->SetForegroundColour(theme_text_colour);
    }
    for (wxComboBox* list : {tsurl_combo, language_combo}) {
        list->SetForegroundColour(theme_text_colour);
        list->SetBackgroundColour(theme_panel_colour);
    }
    tsurl_delete_button->preset_blue();
    restart_button->preset_blue();
}

void setting_panel::fill_timestamp_url_combo() {
    tsurl_combo->Clear();
    for (const std::wstring& url : timestamp_urls) tsurl_combo->Append(wxString(url));
    tsurl_combo->Append(add_url_item());
    tsurl_combo->SetSelection(0);
}

int setting_panel::find_timestamp_url(const std::wstring& url) {
    const auto it = std::find(timestamp_urls.begin(), timestamp_urls.end(), url);
    return it == timestamp_urls.end() ? -1 : int(it - timestamp_urls.begin());
}

void setting_panel::on_size(wxSizeEvent& event) {
    tsurl_combo->SetMinSize(wxSize(event.GetSize().GetWidth() / 3, -1));
    Layout();
    event.Skip();
}

void setting_panel::on_check_update(wxCommandEvent& event) {
    checkversion_startup = check_update_check->GetValue();
    save_ui_status();
    event.Skip();
}

void setting_panel::on_open_recent(wxCommandEvent& event) {
    is_open_recent = open_recent_check->GetValue();
    save_ui_status();
    event.Skip();
}

void setting_panel::on_remember_position(wxCommandEvent& event) {
    is_rem_possize = remember_position_check->GetValue();
    save_ui_status();
    event.Skip();
}

void setting_panel::set_zoom_option(bool page, bool width, bool height) {
    is_zoom_fullpage = page;
    is_zoom_auto_w = width;
    is_zoom_auto_h = height;
    save_ui_status();
}

void setting_panel::on_full_page(wxCommandEvent& event) {
    set_zoom_option(true, false, false);
    event.Skip();
}
void setting_panel::on_full_width(wxCommandEvent& event) {
    set_zoom_option(false, true, false);
    event.Skip();
}
void setting_panel::on_full_height(wxCommandEvent& event) {
    set_zoom_option(false, false, true);
    event.Skip();
}

void setting_panel::set_text_style(int style) {
    txt_font_style = style;
    save_ui_status();
}
void setting_panel::on_text_compact(wxCommandEvent& event) {
    set_text_style(1);
    event.Skip();
}
void setting_panel::on_text_middle(wxCommandEvent& event) {
    set_text_style(2);
    event.Skip();
}
void setting_panel::on_text_loose(wxCommandEvent& event) {
    set_text_style(3);
    event.Skip();
}

void setting_panel::on_disable_tooltip(wxCommandEvent& event) {
    is_disable_tooltip = disable_tooltip_check->GetValue();
    save_ui_status();
    // A checked box turns tool tips off (passing its state on unchanged would
    // turn them on).
    wxToolTip::Enable(!is_disable_tooltip);
    event.Skip();
}

void setting_panel::on_remember_client_cert(wxCommandEvent& event) {
    is_rem_clientcer = remember_client_cert_check->GetValue();
    save_signature();
    event.Skip();
}

void setting_panel::on_invalid_marker(wxCommandEvent& event) {
    is_addverifyicon = invalid_marker_check->GetValue();
    save_signature();
    event.Skip();
}

void setting_panel::on_add_timestamp(wxCommandEvent& event) {
    is_timestamp = add_timestamp_check->GetValue();
    save_signature();
    event.Skip();
}

void setting_panel::on_add_ltv(wxCommandEvent& event) {
    is_ltv = add_ltv_check->GetValue();
    save_signature();
    event.Skip();
}

void setting_panel::on_tsurl_select(wxCommandEvent& event) {
    const wxString text = tsurl_combo->GetValue();
    if (text == add_url_item()) {
        tsurl_combo->ChangeValue(wxString());
        event.Skip();
        return;
    }
    const int at = find_timestamp_url(text.ToStdWstring());
    if (at > 0) {
        const std::wstring url = timestamp_urls[at];
        timestamp_urls.erase(timestamp_urls.begin() + at);
        timestamp_urls.insert(timestamp_urls.begin(), url);
    }
    fill_timestamp_url_combo();
    save_timestamp_urls();
    event.Skip();
}

void setting_panel::on_tsurl_dropdown(wxCommandEvent& event) {
    if (!timestamp_urls.empty()) {
        tsurl_combo->Clear();
        for (const std::wstring& url : timestamp_urls) tsurl_combo->Append(wxString(url));
    } else {
        timestamp_urls.push_back(default_timestamp_url);
    }
    if (tsurl_combo->GetCount() > 0) tsurl_combo->SetSelection(0);
    event.Skip();
}

void setting_panel::on_tsurl_kill_focus(wxFocusEvent& event) {
    const wxString text = tsurl_combo->GetValue();
    if (text.empty() || text == add_url_item()) {
        tsurl_combo->SetSelection(0);
    } else if (find_timestamp_url(text.ToStdWstring()) >= 0) {
        // already listed
    } else if (is_valid_url(text.utf8_string())) {
        if (timestamp_urls.size() >= 5) timestamp_urls.erase(timestamp_urls.begin() + 4);
        timestamp_urls.insert(timestamp_urls.begin(), text.ToStdWstring());
        fill_timestamp_url_combo();
        save_timestamp_urls();
    } else {
        wxMessageBox(wxGetTranslation(L"Timestamp URL is begin with \"http(s)://\", please check it"),
                     wxGetTranslation(L"Settings - Timestamp URL"), wxOK | wxICON_INFORMATION, this);
        tsurl_combo->ChangeValue(timestamp_urls.empty() ? wxString() : wxString(timestamp_urls.front()));
    }
    event.Skip();
}

void setting_panel::on_tsurl_delete(wxCommandEvent& event) {
    const int at = find_timestamp_url(tsurl_combo->GetValue().ToStdWstring());
    if (at >= 0) {
        timestamp_urls.erase(timestamp_urls.begin() + at);
        if (timestamp_urls.empty()) timestamp_urls.push_back(default_timestamp_url);
        fill_timestamp_url_combo();
        save_timestamp_urls();
    }
    event.Skip();
}

void setting_panel::unassociate_extensions(const std::string& kind) {
    if (!platform::unassociate_file_types(kind))
        diag_print("\n\n[ERROR] %s(), unassociate \"%s\" failed [ERROR]\n", "", kind.c_str());
}

void setting_panel::associate_files(bool on) {
    const std::string configs = wxString(configs_dir).utf8_string();
    bool icons_there = true;
    for (const file_kind& k : file_kinds()) icons_there = icons_there && std::filesystem::exists(configs + k.icon);
    if (!icons_there) {
        for (const file_kind& k : file_kinds()) {
            const std::string bytes = platform::resource_bytes(k.resource, "ANYTYPE");
            buff2file(bytes.data(), uint32_t(bytes.size()), configs + k.icon);
        }
    }
    const std::string program = wxStandardPaths::Get().GetExecutablePath().utf8_string();
    for (const file_kind& k : file_kinds()) {
        unassociate_extensions(k.kind);
        if (on && !platform::associate_file_types(k.kind, k.mime_types, program, configs + k.icon))
            diag_print("\n\n[ERROR] %s(), %s [ERROR]\n", "", k.failure);
    }
}

void setting_panel::on_associate_files(wxCommandEvent& event) {
    associate_files(associate_files_check->GetValue());
    event.Skip();
}

void setting_panel::on_restart(wxCommandEvent& event) {
    if (home_calls().restart) home_calls().restart();
    event.Skip();
}

// The choice is saved whatever theme runs now: comparing with the running
// theme lost a choice made back to it (Dark, Light, Dark kept "light").
void setting_panel::choose_theme(const wchar_t* name) {
    theme = name;
    save_ui_status();
}

void setting_panel::on_theme_dark(wxCommandEvent& event) {
    choose_theme(L"dark");
    event.Skip();
}
void setting_panel::on_theme_light(wxCommandEvent& event) {
    choose_theme(L"light");
    event.Skip();
}
void setting_panel::on_theme_system(wxCommandEvent& event) {
    choose_theme(L"system");
    event.Skip();
}

void setting_panel::save_language() {
    language = language_combo->GetValue().ToStdWstring();
    save_ui_status();
}
void setting_panel::on_language_select(wxCommandEvent& event) {
    save_language();
    event.Skip();
}
void setting_panel::on_language_kill_focus(wxFocusEvent& event) {
    save_language();
    event.Skip();
}
