#include "forms/setting_base.h"

#include <wx/sizer.h>

#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const wxColour page_grey(50, 50, 50);
const wxColour white(255, 255, 255);
const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxStaticText* label(wxWindow* parent, const char* text) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    l->SetForegroundColour(white);
    return l;
}

wxCheckBox* check(wxWindow* parent, const char* text, bool checked) {
    auto* c = new wxCheckBox(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                             "check");
    c->SetValue(checked);
    c->SetForegroundColour(white);
    return c;
}

// The form selects no radio button: the page sets each group from the
// settings.
wxRadioButton* radio(wxWindow* parent, const char* text, long style = 0) {
    auto* r = new wxRadioButton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, style,
                                wxDefaultValidator, "radioButton");
    r->SetForegroundColour(white);
    return r;
}

wxStaticBitmap* picture(wxWindow* parent, const wxBitmap& bitmap) {
    return new wxStaticBitmap(parent, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
}

wxt_colorbutton* flat_button(wxWindow* parent, const char* text) {
    auto* b = new wxt_colorbutton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                  wxDefaultValidator, "button");
    b->SetFont(form_font(wxFONTFAMILY_MODERN));
    b->SetForegroundColour(white);
    b->SetBackgroundColour(page_grey);
    return b;
}

}  // namespace

setting_base::setting_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    SetBackgroundColour(page_grey);
    auto* top = new wxBoxSizer(wxHORIZONTAL);

    body_panel = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 650), wxVSCROLL, "panel");
    body_panel->SetScrollRate(5, 5);
    body_panel->SetMinSize(wxSize(-1, 600));
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    body->Add(0, 0, 1, wxEXPAND, 5);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(0, 50, 0, wxEXPAND, 5);

    // General
    auto* general = new wxBoxSizer(wxVERTICAL);
    auto* general_head = new wxBoxSizer(wxHORIZONTAL);
    general_bitmap = picture(body_panel, bitmap_settings_general_28());
    general_head->Add(general_bitmap, 0, centred, 5);
    general_label = label(body_panel, "General");
    general_head->Add(general_label, 0, centred, 5);
    general->Add(general_head, 0, wxEXPAND, 5);
    auto* general_items = new wxBoxSizer(wxVERTICAL);
    check_update_check = check(body_panel, "Check update at startup", false);
    general_items->Add(check_update_check, 0, wxALL, 5);
    open_recent_check = check(body_panel, "Open recent opened file at startup", true);
    general_items->Add(open_recent_check, 0, wxALL, 5);
    remember_position_check = check(body_panel, "Remember window position and size", true);
    general_items->Add(remember_position_check, 0, wxALL, 5);
    auto* page_size = new wxBoxSizer(wxHORIZONTAL);
    page_size_label = label(body_panel, "Default page size");
    page_size->Add(page_size_label, 0, wxALL, 5);
    full_page_radio = radio(body_panel, "full page", wxRB_GROUP);
    page_size->Add(full_page_radio, 0, wxALL, 5);
    full_width_radio = radio(body_panel, "full width");
    page_size->Add(full_width_radio, 0, wxALL, 5);
    full_height_radio = radio(body_panel, "full height");
    page_size->Add(full_height_radio, 0, wxALL, 5);
    general_items->Add(page_size, 0, wxEXPAND, 5);
    associate_files_check =
        check(body_panel, "Associate file type with this application(*.pdf *.cer *.crt)", false);
    general_items->Add(associate_files_check, 0, wxALL, 5);
    auto* text_style = new wxBoxSizer(wxHORIZONTAL);
    text_style_label = label(body_panel, "Text file style");
    text_style->Add(text_style_label, 0, wxALL, 5);
    reopen_note_label = label(body_panel, "(need reopen file)");
    text_style->Add(reopen_note_label, 0, wxALL, 5);
    text_compact_radio = radio(body_panel, "compact", wxRB_GROUP);
    text_style->Add(text_compact_radio, 0, wxALL, 5);
    text_middle_radio = radio(body_panel, "middle");
    text_style->Add(text_middle_radio, 0, wxALL, 5);
    text_loose_radio = radio(body_panel, "loose");
    text_style->Add(text_loose_radio, 0, wxALL, 5);
    general_items->Add(text_style, 0, wxEXPAND, 5);
    disable_tooltip_check = check(body_panel, "Disable tooltip", false);
    general_items->Add(disable_tooltip_check, 0, wxALL, 5);
    general->Add(general_items, 0, wxEXPAND, 5);
    column->Add(general, 0, wxEXPAND, 5);
    column->Add(0, 50, 0, wxEXPAND, 5);

    // Signing and Verifying
    auto* signing = new wxBoxSizer(wxVERTICAL);
    auto* signing_head = new wxBoxSizer(wxHORIZONTAL);
    signing_bitmap = picture(body_panel, bitmap_settings_sign_28x25());
    signing_head->Add(signing_bitmap, 0, centred, 5);
    signing_label = label(body_panel, "Signing and Verifying");
    signing_head->Add(signing_label, 0, centred, 5);
    signing->Add(signing_head, 0, wxEXPAND, 5);
    remember_client_cert_check = check(body_panel, "Remenber client certificate", true);
    signing->Add(remember_client_cert_check, 0, wxALL, 5);
    invalid_marker_check = check(body_panel, "Add a red fork marker on invalid signatures", false);
    signing->Add(invalid_marker_check, 0, wxALL, 5);
    add_timestamp_check = check(body_panel, "Add timestamp in signature", true);
    signing->Add(add_timestamp_check, 0, wxALL, 5);
    auto* tsurl = new wxBoxSizer(wxHORIZONTAL);
    tsurl_label = label(body_panel, "Timestamp URLs");
    tsurl->Add(tsurl_label, 0, centred, 5);
    tsurl_combo = new wxComboBox(body_panel, wxID_ANY, tr(maker_timestamp_url), wxDefaultPosition, wxSize(300, -1),
                                 0, nullptr, 0, wxDefaultValidator, "comboBox");
    tsurl_combo->SetForegroundColour(white);
    tsurl_combo->SetBackgroundColour(page_grey);
    tsurl_combo->SetToolTip(tr("URL begin with \"http(s)://\", up to 5 URLs, the newly added overrides the last"));
    tsurl->Add(tsurl_combo, 0, centred, 5);
    tsurl_delete_button = flat_button(body_panel, "Delete");
    tsurl->Add(tsurl_delete_button, 0, wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL, 5);
    signing->Add(tsurl, 0, wxEXPAND, 5);
    add_ltv_check = check(body_panel, "Add LTV", true);
    signing->Add(add_ltv_check, 0, wxALL, 5);
    column->Add(signing, 0, wxEXPAND, 5);
    column->Add(0, 50, 0, wxEXPAND, 5);

    // Other
    auto* other = new wxBoxSizer(wxVERTICAL);
    auto* other_head = new wxBoxSizer(wxHORIZONTAL);
    other_bitmap = picture(body_panel, bitmap_settings_other_28());
    other_head->Add(other_bitmap, 0, centred, 5);
    other_label = label(body_panel, "Other");
    other_head->Add(other_label, 0, centred, 5);
    restart_note_label = label(body_panel, "(need restart application)");
    other_head->Add(restart_note_label, 0, centred, 5);
    restart_button = flat_button(body_panel, "Restart");
    other_head->Add(restart_button, 0, centred, 5);
    other->Add(other_head, 0, wxEXPAND, 5);
    auto* theme = new wxBoxSizer(wxHORIZONTAL);
    theme_label = label(body_panel, "Colour theme");
    theme->Add(theme_label, 0, wxALL, 5);
    theme_dark_radio = radio(body_panel, "Dark", wxRB_GROUP);
    theme->Add(theme_dark_radio, 0, wxALL, 5);
    theme_light_radio = radio(body_panel, "Light");
    theme->Add(theme_light_radio, 0, wxALL, 5);
    theme_system_radio = radio(body_panel, "System");
    theme->Add(theme_system_radio, 0, wxALL, 5);
    other->Add(theme, 1, wxEXPAND, 5);
    auto* language = new wxBoxSizer(wxHORIZONTAL);
    language_label = label(body_panel, "Language");
    language->Add(language_label, 0, centred, 5);
    const wxString languages[] = {tr("English")};
    language_combo = new wxComboBox(body_panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 1,
                                    languages, wxCB_READONLY, wxDefaultValidator, "comboBox");
    language_combo->SetSelection(0);
    language_combo->SetForegroundColour(white);
    language_combo->SetBackgroundColour(page_grey);
    language->Add(language_combo, 0, centred, 5);
    other->Add(language, 0, wxEXPAND, 5);
    column->Add(other, 0, wxEXPAND, 5);

    body->Add(column, 8, wxEXPAND, 5);
    body->Add(0, 0, 1, wxEXPAND, 5);
    body_panel->SetSizer(body);
    body_panel->Layout();
    top->Add(body_panel, 1, wxALL | wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    wire(true);
}

setting_base::~setting_base() { wire(false); }

void setting_base::wire(bool c) {
    using self = setting_base;
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(self::on_size));
    form_link(c, check_update_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_check_update), this);
    form_link(c, open_recent_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_open_recent), this);
    form_link(c, remember_position_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_remember_position), this);
    form_link(c, full_page_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_full_page), this);
    form_link(c, full_width_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_full_width), this);
    form_link(c, full_height_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_full_height), this);
    form_link(c, associate_files_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_associate_files), this);
    form_link(c, text_compact_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_text_compact), this);
    form_link(c, text_middle_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_text_middle), this);
    form_link(c, text_loose_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_text_loose), this);
    form_link(c, disable_tooltip_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_disable_tooltip), this);
    form_link(c, remember_client_cert_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_remember_client_cert),
              this);
    form_link(c, invalid_marker_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_invalid_marker), this);
    form_link(c, add_timestamp_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_add_timestamp), this);
    form_link(c, tsurl_combo, wxEVT_COMBOBOX, wxCommandEventHandler(self::on_tsurl_select), this);
    form_link(c, tsurl_combo, wxEVT_COMBOBOX_DROPDOWN, wxCommandEventHandler(self::on_tsurl_dropdown), this);
    form_link(c, tsurl_combo, wxEVT_KILL_FOCUS, wxFocusEventHandler(self::on_tsurl_kill_focus), this);
    form_link(c, tsurl_delete_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_tsurl_delete), this);
    form_link(c, add_ltv_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_add_ltv), this);
    form_link(c, restart_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_restart), this);
    form_link(c, theme_dark_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_theme_dark), this);
    form_link(c, theme_light_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_theme_light), this);
    form_link(c, theme_system_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_theme_system), this);
    form_link(c, language_combo, wxEVT_COMBOBOX, wxCommandEventHandler(self::on_language_select), this);
    form_link(c, language_combo, wxEVT_KILL_FOCUS, wxFocusEventHandler(self::on_language_kill_focus), this);
}
