#include "forms/sign_panel_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const wxColour panel_grey(60, 60, 60);
const wxColour white(255, 255, 255);
const long centre_all = wxALL | wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;
const long centre_both = wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL;

wxBitmapButton* stamp_button(wxWindow* parent, const wxBitmap& normal, const wxBitmap& hover, const char* tip) {
    auto* b = new wxBitmapButton(parent, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                 wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    b->SetBitmap(normal, wxLEFT);
    b->SetBitmapFocus(hover);
    b->SetBitmapCurrent(hover);
    b->SetBackgroundColour(panel_grey);
    b->SetToolTip(tr(tip));
    return b;
}

wxStaticText* white_label(wxWindow* parent, const char* text, long style = 0) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, style, "staticText");
    l->Wrap(-1);
    l->SetForegroundColour(white);
    return l;
}

}  // namespace

sign_panel_base::sign_panel_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                                 const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetBackgroundColour(panel_grey);
    auto* top = new wxBoxSizer(wxVERTICAL);

    body_panel = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                      wxHSCROLL | wxVSCROLL | wxTAB_TRAVERSAL, "panel");
    body_panel->SetScrollRate(5, 5);
    auto* body = new wxBoxSizer(wxVERTICAL);

    title_label = new wxStaticText(body_panel, wxID_ANY, tr("Signature Make Panel"), wxDefaultPosition,
                                   wxDefaultSize, 0, "staticText");
    title_label->Wrap(-1);
    title_label->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    title_label->SetForegroundColour(white);
    title_label->SetMaxSize(wxSize(-1, 40));
    body->Add(title_label, 0, centre_all, 5);

    hint_label = white_label(body_panel,
                             "Select a stamp, then drag a rectangel in a page.\n"
                             "Right click view/modify stamp detail info.\n",
                             wxALIGN_CENTRE_HORIZONTAL);
    hint_label->SetMaxSize(wxSize(-1, 160));
    body->Add(hint_label, 0, wxALL | wxEXPAND, 5);

    stamp_list_panel = new wxScrolledWindow(body_panel, wxID_ANY, wxDefaultPosition, wxSize(-1, 320),
                                            wxVSCROLL | wxBORDER_SIMPLE, "panel");
    stamp_list_panel->SetScrollRate(5, 5);
    stamp_list_panel->SetMinSize(wxSize(-1, 320));
    auto* list = new wxBoxSizer(wxVERTICAL);
    list->Add(0, 0, 1, wxEXPAND, 5);
    add_stamp_button = stamp_button(stamp_list_panel, bitmap_add_stamp_128(), bitmap_add_stamp_hover_128(),
                                    "Add a new certificate stamp");
    list->Add(add_stamp_button, 0, centre_all, 5);
    list->Add(0, 0, 1, wxEXPAND, 5);
    stamp_list_panel->SetSizer(list);
    stamp_list_panel->Layout();
    body->Add(stamp_list_panel, 0, wxALL | wxEXPAND, 5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    add_stamp_small_button =
        stamp_button(body_panel, bitmap_plus_32(), bitmap_plus_hover_32(), "Add a new certificate stamp");
    buttons->Add(add_stamp_small_button, 0, wxALL, 5);
    buttons->Add(25, 0, 0, wxEXPAND, 5);
    top_stamp_button = stamp_button(body_panel, bitmap_move_top_32(), bitmap_move_top_hover_32(),
                                    "Top the selected certificate stamp");
    buttons->Add(top_stamp_button, 0, wxALL, 5);
    buttons->Add(25, 0, 1, wxEXPAND, 5);
    remove_stamp_button = stamp_button(body_panel, bitmap_minus_32(), bitmap_minus_hover_32(),
                                       "Remove the selected certificate stamp");
    buttons->Add(remove_stamp_button, 0, wxALL, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(buttons, 0, centre_both, 5);

    auto* selected = new wxFlexGridSizer(0, 2, 0, 0);
    selected_caption_label = white_label(body_panel, "Selected: ");
    selected->Add(selected_caption_label, 0, wxALL, 5);
    selected_stamp_label = white_label(body_panel, "MyLabel");
    selected->Add(selected_stamp_label, 0, wxALL | wxEXPAND, 5);
    subject_caption_label = white_label(body_panel, "Subject: ");
    selected->Add(subject_caption_label, 0, wxALL, 5);
    subject_label = white_label(body_panel, "MyLabel", wxST_ELLIPSIZE_MIDDLE);
    selected->Add(subject_label, 0, wxALL | wxEXPAND, 5);
    body->Add(selected, 0, centre_both, 5);

    separator_line =
        new wxStaticLine(body_panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "staticLine");
    separator_line->SetForegroundColour(wxColour(204, 11, 185));
    separator_line->SetBackgroundColour(wxColour(192, 192, 192));
    body->Add(separator_line, 0, wxALL | wxEXPAND, 5);
    body->Add(0, 10, 0, wxEXPAND, 5);

    auto* modes = new wxGridSizer(0, 2, 0, 0);
    modes->SetMinSize(wxSize(-1, 30));
    certify_mode_radio = new wxRadioButton(body_panel, wxID_ANY, tr("Certify mode"), wxDefaultPosition,
                                           wxDefaultSize, wxRB_GROUP, wxDefaultValidator, "radioButton");
    certify_mode_radio->SetValue(true);
    certify_mode_radio->SetForegroundColour(white);
    certify_mode_radio->SetToolTip(tr("if you are the author of this file"));
    modes->Add(certify_mode_radio, 0, wxALL, 5);
    sign_mode_radio = new wxRadioButton(body_panel, wxID_ANY, tr("Sign mode"), wxDefaultPosition, wxDefaultSize, 0,
                                        wxDefaultValidator, "radioButton");
    sign_mode_radio->SetValue(false);
    sign_mode_radio->SetForegroundColour(white);
    sign_mode_radio->SetToolTip(tr("countersign this file"));
    modes->Add(sign_mode_radio, 0, wxALL, 5);
    body->Add(modes, 0, centre_all, 5);

    auto* permission = new wxBoxSizer(wxHORIZONTAL);
    permission_label = white_label(body_panel, "certify permission");
    permission->Add(permission_label, 0, wxALIGN_CENTER_VERTICAL, 5);
    permission_text = new wxTextCtrl(body_panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                     wxDefaultValidator, "text");
    permission->Add(permission_text, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    body->Add(permission, 0, centre_both, 5);

    lock_document_check = new wxCheckBox(body_panel, wxID_ANY, tr("Lock document after signing"), wxDefaultPosition,
                                         wxDefaultSize, 0, wxDefaultValidator, "check");
    lock_document_check->SetValue(false);
    lock_document_check->SetForegroundColour(white);
    body->Add(lock_document_check, 0, centre_all, 5);
    body->Add(0, 10, 0, wxEXPAND, 5);

    sign_result_label = new wxt_active_textctrl(body_panel, wxID_ANY, tr("sign succeed / error msg"),
                                                wxDefaultPosition, wxDefaultSize, 0, "staticText");
    sign_result_label->Wrap(250);
    sign_result_label->SetForegroundColour(white);
    sign_result_label->SetMaxSize(wxSize(-1, 40));
    body->Add(sign_result_label, 0, centre_all, 5);

    auto* password = new wxBoxSizer(wxHORIZONTAL);
    password->Add(0, 0, 1, wxEXPAND, 5);
    password_text = new wxTextCtrl(body_panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                   wxTE_PASSWORD | wxTE_CENTRE, wxDefaultValidator, "text");
    password->Add(password_text, 4, wxALL | wxEXPAND, 5);
    password->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(password, 0, wxEXPAND, 5);
    body->Add(0, 10, 0, wxEXPAND, 5);

    auto* start = new wxBoxSizer(wxHORIZONTAL);
    start->Add(0, 0, 1, wxEXPAND, 5);
    start_sign_button = new wxt_colorbutton(body_panel, wxID_ANY, tr("Start Sign"), wxDefaultPosition, wxDefaultSize,
                                            0, wxDefaultValidator, "button");
    start_sign_button->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    start_sign_button->SetMinSize(wxSize(-1, 40));
    start->Add(start_sign_button, 3, centre_all, 5);
    start->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(start, 0, wxEXPAND, 5);
    body->Add(0, 0, 1, wxEXPAND, 5);

    body_panel->SetSizer(body);
    body_panel->Layout();
    body->Fit(body_panel);
    top->Add(body_panel, 10, wxALL | wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    wire(true);
}

sign_panel_base::~sign_panel_base() { wire(false); }

void sign_panel_base::wire(bool c) {
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(sign_panel_base::on_size));
    form_link(c, body_panel, wxEVT_LEFT_DOWN, wxMouseEventHandler(sign_panel_base::on_title_left_down), this);
    form_link(c, body_panel, wxEVT_LEFT_UP, wxMouseEventHandler(sign_panel_base::on_title_left_up), this);
    form_link(c, hint_label, wxEVT_LEFT_DOWN, wxMouseEventHandler(sign_panel_base::on_hint_left_down), this);
    form_link(c, hint_label, wxEVT_LEFT_UP, wxMouseEventHandler(sign_panel_base::on_hint_left_up), this);
    form_link(c, stamp_list_panel, wxEVT_LEFT_DOWN, wxMouseEventHandler(sign_panel_base::on_list_left_down), this);
    form_link(c, stamp_list_panel, wxEVT_LEFT_UP, wxMouseEventHandler(sign_panel_base::on_list_left_up), this);
    form_link(c, add_stamp_button, wxEVT_BUTTON, wxCommandEventHandler(sign_panel_base::on_add_stamp), this);
    form_link(c, add_stamp_button, wxEVT_RIGHT_UP, wxMouseEventHandler(sign_panel_base::on_add_stamp_right_up), this);
    form_link(c, add_stamp_small_button, wxEVT_BUTTON, wxCommandEventHandler(sign_panel_base::on_add_stamp_small),
              this);
    form_link(c, top_stamp_button, wxEVT_BUTTON, wxCommandEventHandler(sign_panel_base::on_top_stamp), this);
    form_link(c, remove_stamp_button, wxEVT_BUTTON, wxCommandEventHandler(sign_panel_base::on_remove_stamp), this);
    form_link(c, certify_mode_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(sign_panel_base::on_certify_mode), this);
    form_link(c, sign_mode_radio, wxEVT_RADIOBUTTON, wxCommandEventHandler(sign_panel_base::on_sign_mode), this);
    form_link(c, lock_document_check, wxEVT_CHECKBOX, wxCommandEventHandler(sign_panel_base::on_lock_document), this);
    form_link(c, start_sign_button, wxEVT_BUTTON, wxCommandEventHandler(sign_panel_base::on_start_sign), this);
}
