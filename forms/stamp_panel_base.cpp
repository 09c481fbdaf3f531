#include "forms/stamp_panel_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const wxColour panel_grey(60, 60, 60);
const wxColour white(255, 255, 255);
const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxStaticText* label(wxWindow* parent, const char* text) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    return l;
}

wxStaticText* white_label(wxWindow* parent, const char* text) {
    auto* l = label(parent, text);
    l->SetForegroundColour(white);
    return l;
}

wxt_active_textctrl* tip_label(wxWindow* parent, const char* text, int wrap) {
    auto* l = new wxt_active_textctrl(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(wrap);
    return l;
}

wxStaticBitmap* picture(wxWindow* parent, const wxBitmap& bitmap) {
    return new wxStaticBitmap(parent, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
}

wxTextCtrl* entry(wxWindow* parent, long style, unsigned long max_length, const wxSize& size = wxDefaultSize) {
    auto* t = new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, size, style, wxDefaultValidator, "text");
    t->SetMaxLength(max_length);
    return t;
}

wxRadioButton* white_radio(wxWindow* parent, const char* text, long style, bool checked) {
    auto* r = new wxRadioButton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, style,
                                wxDefaultValidator, "radioButton");
    r->SetValue(checked);
    r->SetForegroundColour(white);
    return r;
}

wxt_hyperlink* link(wxWindow* parent, const char* text) {
    auto* l = new wxt_hyperlink(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    l->SetFont(form_font(wxFONTFAMILY_MODERN, -1, wxFONTSTYLE_NORMAL, true));
    l->SetForegroundColour(white);
    return l;
}

}  // namespace

stamp_panel_base::stamp_panel_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                   long style, const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetBackgroundColour(panel_grey);
    auto* top = new wxBoxSizer(wxVERTICAL);

    // Without scroll-bar styles GTK gives a scrolled window no bars at all:
    // the editor, taller than a 200 % screen, would be cut off.
    scroll_panel = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxSize(-1, -1),
                                        wxVSCROLL | wxHSCROLL | wxTAB_TRAVERSAL, "panel");
    scroll_panel->SetScrollRate(5, 5);
    scroll_panel->SetForegroundColour(white);
    auto* scroll = new wxBoxSizer(wxVERTICAL);

    title_label = label(scroll_panel, "Stamp Make Panel");
    title_label->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    title_label->SetForegroundColour(white);
    title_label->SetMaxSize(wxSize(-1, 40));
    scroll->Add(title_label, 0, wxALL | wxALIGN_CENTER, 5);

    cloud_note_label = new wxStaticText(scroll_panel, wxID_ANY,
                                        tr("Cloud Signing won't upload your document to server,\n"
                                           "it only caculate a digest and request a signature from server."),
                                        wxDefaultPosition, wxDefaultSize, wxALIGN_CENTER_HORIZONTAL, "staticText");
    cloud_note_label->Wrap(-1);
    cloud_note_label->SetForegroundColour(white);
    scroll->Add(cloud_note_label, 0, wxALL | wxEXPAND, 5);

    auto* kinds = new wxBoxSizer(wxHORIZONTAL);
    kinds->SetMinSize(wxSize(-1, 50));
    local_signing_button = new wxt_colorbutton(scroll_panel, wxID_ANY, tr("Local Signing"), wxDefaultPosition,
                                               wxSize(150, 30), wxBORDER_NONE, wxDefaultValidator, "button");
    local_signing_button->SetFont(form_font(wxFONTFAMILY_MODERN));
    local_signing_button->SetForegroundColour(white);
    local_signing_button->SetBackgroundColour(wxColour(40, 200, 49));
    kinds->Add(local_signing_button, 1, wxALIGN_CENTER, 0);
    cloud_signing_button = new wxt_colorbutton(scroll_panel, wxID_ANY, tr("Cloud Signing"), wxDefaultPosition,
                                               wxSize(150, 30), wxBORDER_NONE, wxDefaultValidator, "button");
    cloud_signing_button->SetFont(form_font(wxFONTFAMILY_MODERN));
    cloud_signing_button->SetForegroundColour(white);
    cloud_signing_button->SetBackgroundColour(wxColour(192, 192, 192));
    kinds->Add(cloud_signing_button, 1, wxALIGN_CENTER, 0);
    scroll->Add(kinds, 0, wxBOTTOM | wxEXPAND, 5);
    scroll->Add(0, 5, 0, wxEXPAND, 5);

    auto* name_row = new wxBoxSizer(wxHORIZONTAL);
    stamp_name_bitmap = picture(scroll_panel, bitmap_user_32());
    name_row->Add(stamp_name_bitmap, 0, centred, 5);
    stamp_name_label = white_label(scroll_panel, "Stamp name");
    name_row->Add(stamp_name_label, 0, centred, 5);
    stamp_name_text = entry(scroll_panel, 0, 128, wxSize(170, -1));
    name_row->Add(stamp_name_text, 0, centred, 5);
    stamp_name_tip_label = tip_label(scroll_panel, "Empty", -1);
    name_row->Add(stamp_name_tip_label, 0, wxALL | wxALIGN_CENTER, 5);
    name_row->Add(0, 0, 0, wxEXPAND, 5);
    scroll->Add(name_row, 0, wxALL | wxEXPAND, 5);

    signing_book = new wxSimplebook(scroll_panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxEmptyString);

    // The local page: stamp picture and store certificate.
    local_page = new wxPanel(signing_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* local = new wxBoxSizer(wxVERTICAL);
    local->Add(0, 20, 0, wxEXPAND, 5);

    stamp_image_panel =
        new wxPanel(local_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* image = new wxBoxSizer(wxVERTICAL);
    auto* image_row = new wxBoxSizer(wxHORIZONTAL);
    stamp_image_bitmap = picture(stamp_image_panel, bitmap_stamp_32());
    image_row->Add(stamp_image_bitmap, 0, centred, 5);
    stamp_image_label = label(stamp_image_panel, "Stamp image");
    stamp_image_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    stamp_image_label->SetForegroundColour(white);
    image_row->Add(stamp_image_label, 0, centred, 5);
    image_row->Add(50, 0, 1, wxEXPAND, 5);
    visible_radio = white_radio(stamp_image_panel, "visible", wxRB_GROUP, true);
    image_row->Add(visible_radio, 0, centred, 5);
    invisible_radio = white_radio(stamp_image_panel, "invisible", 0, false);
    image_row->Add(invisible_radio, 0, centred, 5);
    image_row->Add(0, 0, 1, wxEXPAND, 5);
    image->Add(image_row, 0, wxALL | wxEXPAND, 0);
    auto* image_hint = new wxBoxSizer(wxVERTICAL);
    stamp_image_hint_label = tip_label(stamp_image_panel,
                                       "* For visible signature, it is required.\n"
                                       "Click the image to add a PNG image / modify image for the stamp.",
                                       420);
    stamp_image_hint_label->SetForegroundColour(white);
    image_hint->Add(stamp_image_hint_label, 0, wxALL | wxEXPAND, 5);
    image->Add(image_hint, 1, wxEXPAND, 5);
    auto* image_button = new wxBoxSizer(wxVERTICAL);
    stamp_image_button = new wxBitmapButton(stamp_image_panel, wxID_ANY, wxNullBitmap, wxDefaultPosition,
                                            wxSize(-1, -1), wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator,
                                            "button");
    stamp_image_button->SetBitmap(bitmap_add_stamp_128());
    stamp_image_button->SetBitmapPosition(wxLEFT);
    stamp_image_button->SetBitmapDisabled(bitmap_add_stamp_disabled_128());
    stamp_image_button->SetBitmapCurrent(bitmap_add_stamp_hover_128());
    stamp_image_button->SetBackgroundColour(panel_grey);
    image_button->Add(stamp_image_button, 0, wxALL | wxALIGN_CENTER, 10);
    image->Add(image_button, 0, wxALL | wxEXPAND, 0);
    stamp_image_panel->SetSizer(image);
    stamp_image_panel->Layout();
    image->Fit(stamp_image_panel);
    local->Add(stamp_image_panel, 0, wxALL | wxEXPAND, 5);

    auto* cert_row = new wxBoxSizer(wxHORIZONTAL);
    certificate_bitmap = picture(local_page, bitmap_certificate_32());
    cert_row->Add(certificate_bitmap, 0, centred, 5);
    certificate_label = label(local_page, "Certificate");
    certificate_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    certificate_label->SetForegroundColour(white);
    cert_row->Add(certificate_label, 0, centred, 5);
    cert_row->Add(0, 0, 1, wxEXPAND, 5);
    create_import_link = link(local_page, "Create/Import...");
    cert_row->Add(create_import_link, 0, centred, 5);
    local->Add(cert_row, 0, wxALL | wxEXPAND, 5);

    auto* cert = new wxBoxSizer(wxVERTICAL);
    certificate_hint_label = tip_label(local_page, "* Select a signing certificate from certificate store.", -1);
    certificate_hint_label->SetForegroundColour(white);
    cert->Add(certificate_hint_label, 0, wxALL | wxEXPAND, 5);
    auto* store_row = new wxBoxSizer(wxHORIZONTAL);
    store_certificate_label = white_label(local_page, "Store certificate:");
    store_row->Add(store_certificate_label, 0, centred, 5);
    store_certificate_text = entry(local_page, wxTE_READONLY, 255, wxSize(-1, -1));
    store_row->Add(store_certificate_text, 1, wxALL | wxALIGN_CENTER, 5);
    select_certificate_button = new wxt_colorbutton(local_page, wxID_ANY, tr("Select"), wxDefaultPosition,
                                                    wxSize(-1, -1), 0, wxDefaultValidator, "button");
    store_row->Add(select_certificate_button, 0, centred, 5);
    cert->Add(store_row, 0, wxEXPAND, 5);
    auto* state_row = new wxBoxSizer(wxHORIZONTAL);
    certificate_state_label = white_label(local_page, "Certificate state:");
    state_row->Add(certificate_state_label, 0, wxALL | wxALIGN_CENTER, 5);
    certificate_status_label =
        tip_label(local_page, "this certificate is EXPIRED!this certificate is EXPIRED", 350);
    certificate_status_label->SetForegroundColour(wxColour(255, 0, 0));
    state_row->Add(certificate_status_label, 1, wxALL | wxALIGN_CENTER, 5);
    certificate_info_bitmap = picture(local_page, bitmap_info_32());
    certificate_info_bitmap->SetToolTip(tr("Certificate detail infomation"));
    state_row->Add(certificate_info_bitmap, 0, wxALL | wxALIGN_CENTER, 5);
    cert->Add(state_row, 0, wxEXPAND, 5);
    cert->Add(0, 20, 0, wxEXPAND, 5);
    local->Add(cert, 0, wxALL | wxEXPAND, 5);

    local_page->SetSizer(local);
    local_page->Layout();
    local->Fit(local_page);
    signing_book->AddPage(local_page, tr("a page"), false);

    // The cloud page: time-stamp mode or a cloud account.
    cloud_page = new wxPanel(signing_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* cloud = new wxBoxSizer(wxVERTICAL);
    cloud->Add(0, 20, 0, wxEXPAND, 5);
    auto* ts_row = new wxBoxSizer(wxHORIZONTAL);
    timestamp_radio = white_radio(cloud_page, "Timestamp", wxRB_GROUP, true);
    ts_row->Add(timestamp_radio, 0, wxALL, 5);
    ts_row->Add(0, 0, 1, wxEXPAND, 5);
    timestamp_setting_link = link(cloud_page, "Setting...");
    ts_row->Add(timestamp_setting_link, 0, wxALL, 5);
    cloud->Add(ts_row, 0, wxEXPAND, 0);
    cloud->Add(0, 10, 0, wxEXPAND, 5);
    auto* url_row = new wxBoxSizer(wxHORIZONTAL);
    tsurl_label = label(cloud_page, "Timestamp url *");
    tsurl_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    tsurl_label->SetForegroundColour(white);
    url_row->Add(tsurl_label, 0, wxALL | wxALIGN_CENTER, 5);
    tsurl_combo = new wxComboBox(cloud_page, wxID_ANY, tr("Combo!"), wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 wxCB_READONLY, wxDefaultValidator, "comboBox");
    url_row->Add(tsurl_combo, 1, wxALL | wxALIGN_CENTER, 5);
    cloud->Add(url_row, 0, wxEXPAND, 5);
    cloud->Add(0, 20, 0, wxEXPAND, 5);
    cloud_account_radio = white_radio(cloud_page, "Cloud account", 0, false);
    cloud->Add(cloud_account_radio, 0, wxALL, 5);
    cloud->Add(0, 10, 0, wxEXPAND, 5);
    auto* account = new wxFlexGridSizer(0, 2, 0, 0);
    account->SetFlexibleDirection(wxBOTH);
    account->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    cloud_address_label = white_label(cloud_page, "Address *");
    account->Add(cloud_address_label, 0, wxALL, 5);
    cloud_address_text = entry(cloud_page, 0, 255);
    account->Add(cloud_address_text, 0, wxALL, 5);
    cloud_user_label = white_label(cloud_page, "User name *");
    account->Add(cloud_user_label, 0, wxALL, 5);
    cloud_user_text = entry(cloud_page, 0, 255);
    account->Add(cloud_user_text, 0, wxALL, 5);
    cloud_password_label = white_label(cloud_page, "Password *");
    account->Add(cloud_password_label, 0, wxALL, 5);
    cloud_password_text = entry(cloud_page, wxTE_PASSWORD, 255);
    account->Add(cloud_password_text, 0, wxALL, 5);
    cloud->Add(account, 0, wxEXPAND, 5);
    cloud->Add(0, 20, 0, wxEXPAND, 5);
    auto* services = new wxBoxSizer(wxVERTICAL);
    cloud_services_label = white_label(cloud_page, "Supported Cloud signing service");
    services->Add(cloud_services_label, 0, wxALL, 5);
    services->Add(0, 10, 0, wxEXPAND, 5);
    cloud_services_panel =
        new wxPanel(cloud_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* logos = new wxFlexGridSizer(0, 3, 10, 10);
    logos->SetFlexibleDirection(wxBOTH);
    logos->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    product_logo_bitmap = picture(cloud_services_panel, bitmap_logo_103x30());
    logos->Add(product_logo_bitmap, 0, wxALL, 5);
    service_logo_bitmap = picture(cloud_services_panel, bitmap_ca_logo_124x33());
    logos->Add(service_logo_bitmap, 0, wxALL, 5);
    cloud_services_panel->SetSizer(logos);
    cloud_services_panel->Layout();
    logos->Fit(cloud_services_panel);
    services->Add(cloud_services_panel, 0, wxALL | wxEXPAND, 5);
    cloud->Add(services, 0, wxEXPAND, 5);
    cloud_page->SetSizer(cloud);
    cloud_page->Layout();
    cloud->Fit(cloud_page);
    signing_book->AddPage(cloud_page, tr("a page"), false);
    scroll->Add(signing_book, 0, wxALL | wxEXPAND, 0);

    // Other information, then the result line and the two buttons.
    auto* other_row = new wxBoxSizer(wxHORIZONTAL);
    other_bitmap = picture(scroll_panel, bitmap_flag_32());
    other_row->Add(other_bitmap, 0, centred, 5);
    other_label = label(scroll_panel, "Other information [optional]");
    other_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    other_label->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    other_row->Add(other_label, 0, centred, 5);
    other_row->Add(0, 0, 1, wxEXPAND, 5);
    expand_other_check = new wxCheckBox(scroll_panel, wxID_ANY, tr("Expand"), wxDefaultPosition, wxDefaultSize, 0,
                                        wxDefaultValidator, "check");
    expand_other_check->SetValue(true);
    other_row->Add(expand_other_check, 0, wxALL | wxALIGN_CENTER, 5);
    scroll->Add(other_row, 0, wxALL | wxEXPAND, 5);

    auto* other = new wxFlexGridSizer(0, 3, 0, 0);
    other->SetFlexibleDirection(wxBOTH);
    other->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    reason_label = white_label(scroll_panel, "Reason: ");
    other->Add(reason_label, 0, centred, 5);
    reason_text = entry(scroll_panel, 0, 255, wxSize(-1, -1));
    other->Add(reason_text, 1, wxALL, 5);
    other->Add(0, 0, 0, wxEXPAND, 5);
    location_label = label(scroll_panel, "Location: ");
    location_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    other->Add(location_label, 0, centred, 5);
    location_text = entry(scroll_panel, 0, 255, wxSize(-1, -1));
    other->Add(location_text, 1, wxALL, 5);
    other->Add(0, 0, 0, wxEXPAND, 5);
    contact_label = label(scroll_panel, "Contact: ");
    contact_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    other->Add(contact_label, 0, wxALL, 5);
    contact_text = entry(scroll_panel, 0, 255, wxSize(-1, -1));
    other->Add(contact_text, 1, wxALL, 5);
    contact_hint_label = label(scroll_panel, "email / tel no...");
    other->Add(contact_hint_label, 0, centred, 5);
    scroll->Add(other, 0, wxALL | wxEXPAND, 5);
    scroll->Add(0, 20, 0, wxEXPAND, 5);

    result_tip_label = tip_label(scroll_panel, "result remind tip", -1);
    result_tip_label->SetForegroundColour(white);
    scroll->Add(result_tip_label, 0, wxALL | wxALIGN_CENTER, 5);
    scroll->Add(0, 15, 0, wxEXPAND, 5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(0, 20, 1, wxEXPAND, 5);
    save_button = new wxt_colorbutton(scroll_panel, wxID_ANY, tr("Save"), wxDefaultPosition, wxSize(-1, -1),
                                      wxBORDER_NONE, wxDefaultValidator, "button");
    save_button->SetDefault();
    save_button->SetMinSize(wxSize(-1, 40));
    buttons->Add(save_button, 3, wxALL | wxALIGN_CENTER, 0);
    buttons->Add(0, 20, 1, wxRIGHT | wxEXPAND, 5);
    cancel_button = new wxt_colorbutton(scroll_panel, wxID_ANY, tr("Cancel"), wxDefaultPosition, wxSize(-1, -1),
                                        wxBORDER_NONE, wxDefaultValidator, "button");
    cancel_button->SetMinSize(wxSize(-1, 40));
    buttons->Add(cancel_button, 3, wxALL | wxALIGN_CENTER, 0);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    scroll->Add(buttons, 0, wxEXPAND, 5);

    scroll_panel->SetSizer(scroll);
    scroll_panel->Layout();
    scroll->Fit(scroll_panel);
    top->Add(scroll_panel, 10, wxALL | wxEXPAND, 5);
    SetSizer(top, true);
    Layout();
    wire(true);
}

stamp_panel_base::~stamp_panel_base() { wire(false); }

void stamp_panel_base::wire(bool c) {
    using self = stamp_panel_base;
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(self::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(self::on_size));
    form_link(c, scroll_panel, wxEVT_LEFT_DOWN, wxMouseEventHandler(self::on_title_left_down), this);
    form_link(c, scroll_panel, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_title_left_up), this);
    form_link(c, local_signing_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_local_signing), this);
    form_link(c, cloud_signing_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_cloud_signing), this);
    form_link(c, stamp_name_text, wxEVT_TEXT, wxCommandEventHandler(self::on_stamp_name), this);
    form_link(c, visible_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_visible), this);
    form_link(c, invisible_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_invisible), this);
    form_link(c, stamp_image_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_stamp_image), this);
    form_link(c, create_import_link, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_create_import), this);
    form_link(c, select_certificate_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_select_certificate), this);
    form_link(c, certificate_info_bitmap, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_certificate_info), this);
    form_link(c, timestamp_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_timestamp_mode), this);
    form_link(c, timestamp_setting_link, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_timestamp_setting), this);
    form_link(c, tsurl_combo, wxEVT_COMBOBOX, wxCommandEventHandler(self::on_tsurl_select), this);
    form_link(c, tsurl_combo, wxEVT_COMBOBOX_DROPDOWN, wxCommandEventHandler(self::on_tsurl_dropdown), this);
    form_link(c, cloud_account_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(self::on_cloud_account), this);
    form_link(c, expand_other_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_expand_other), this);
    form_link(c, save_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_save), this);
    form_link(c, cancel_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_cancel), this);
}
