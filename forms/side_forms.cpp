#include "forms/side_forms.h"

#include <wx/sizer.h>

#include "widgets/form_support.h"
#include "forms/pictures.h"
#include "forms/about_base.h"
#include "forms/certstore_base.h"
#include "forms/recent_base.h"
#include "forms/setting_base.h"
#include "forms/shortcut_base.h"
#include "forms/trustmgr_base.h"
#include "forms/window_parts.h"
#include "widgets/wxt_bmpbutton_nofocus.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxBitmapButton* flat_bitmap_button(wxWindow* parent, wxWindowID id, const wxBitmap& normal) {
    auto* b = new wxBitmapButton(parent, id, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                 wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    b->SetBitmap(normal, wxLEFT);
    return b;
}

}  // namespace

// ---------------------------------------------------------------- infobar_base

infobar_base::infobar_base(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize& size, long, const wxString& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, size, wxTAB_TRAVERSAL, name) {
    const wxColour bar(188, 220, 246);
    SetBackgroundColour(bar);
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    sizer->Add(5, 0, 0, wxEXPAND, 5);

    infobar_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_infobar_28(), wxDefaultPosition, wxDefaultSize, 0,
                                        "staticBitmap");
    sizer->Add(infobar_bitmap, 0, centred, 5);

    signature_details_button = flat_bitmap_button(this, 1015, bitmap_certificate_32());
    signature_details_button->SetBackgroundColour(bar);
    signature_details_button->SetToolTip(tr("Show Signature Details (CTRL-SHIFT-S)"));
    sizer->Add(signature_details_button, 0, centred, 5);

    timestamp_details_button = flat_bitmap_button(this, 1016, bitmap_timestamp_32());
    timestamp_details_button->SetBackgroundColour(bar);
    timestamp_details_button->SetToolTip(tr("Show Timestamp Details (CTRL-SHIFT-T)"));
    sizer->Add(timestamp_details_button, 0, centred, 5);

    mark_button = flat_bitmap_button(this, wxID_ANY, bitmap_mark_32());
    mark_button->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    sizer->Add(mark_button, 0, centred, 5);

    message_label = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    message_label->Wrap(-1);
    message_label->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    message_label->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    sizer->Add(message_label, 0, centred, 5);

    sizer->Add(0, 0, 1, wxEXPAND, 5);

    add_signature_button = new wxt_colorbutton(this, wxID_ANY, tr("Add Signature..."), wxDefaultPosition,
                                               wxDefaultSize, 0, wxDefaultValidator, "button");
    add_signature_button->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    add_signature_button->SetToolTip(tr("Sign panel (CTRL-K)"));
    sizer->Add(add_signature_button, 0, wxEXPAND | wxALL, 5);

    signature_pane_button = new wxt_colorbutton(this, 1017, tr("Signature Details..."), wxDefaultPosition,
                                                wxDefaultSize, 0, wxDefaultValidator, "button");
    signature_pane_button->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    signature_pane_button->SetToolTip(tr("Signature details pane (CTRL-J)"));
    sizer->Add(signature_pane_button, 0, wxEXPAND | wxALL, 5);

    SetSizer(sizer, true);
    Layout();
    wire(true);
}

infobar_base::~infobar_base() { wire(false); }

void infobar_base::wire(bool c) {
    form_link(c, this, wxEVT_LEFT_UP, wxMouseEventHandler(infobar_base::on_bar_click));
    form_link(c, signature_details_button, wxEVT_BUTTON, wxCommandEventHandler(infobar_base::on_signature_details), this);
    form_link(c, timestamp_details_button, wxEVT_BUTTON, wxCommandEventHandler(infobar_base::on_timestamp_details), this);
    form_link(c, mark_button, wxEVT_BUTTON, wxCommandEventHandler(infobar_base::on_mark_button), this);
    form_link(c, add_signature_button, wxEVT_BUTTON, wxCommandEventHandler(infobar_base::on_add_signature), this);
    form_link(c, signature_pane_button, wxEVT_BUTTON, wxCommandEventHandler(infobar_base::on_signature_pane), this);
}

// --------------------------------------------------------------- homepage_base

homepage_base::homepage_base(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize&, long, const wxString& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, name) {
    const wxColour page(50, 50, 50);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(page);
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);

    nav_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "homepage_left");
    // The block of logo and buttons is centred by two stretching spacers.
    // Nothing in it stretches: a box sizer's minimum gives each stretching
    // item its minimum at its share, so stretching buttons of 50 px made
    // the column's minimum (and, scrolled at 200 %, its gap) many times taller.
    auto* nav = new wxBoxSizer(wxVERTICAL);
    nav->AddStretchSpacer(1);
    logo_bitmap = new wxStaticBitmap(nav_panel, wxID_ANY, bitmap_logo_103x30(), wxDefaultPosition, wxDefaultSize, 0,
                                     "staticBitmap");
    nav->Add(logo_bitmap, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    nav->Add(0, 10, 0, wxEXPAND, 5);
    const char* labels[] = {"Recent", "Settings", "TrustList", "CertStore", "Shortcut", "About"};
    wxButton** buttons[] = {&recent_button, &settings_button, &trustlist_button,
                            &certstore_button, &shortcut_button, &about_button};
    for (int i = 0; i < 6; ++i) {
        auto* b = new wxButton(nav_panel, wxID_ANY, tr(labels[i]), wxDefaultPosition, wxSize(-1, 50), wxBORDER_NONE,
                               wxDefaultValidator, "button");
        b->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
        b->SetForegroundColour(wxColour(255, 255, 255));
        b->SetBackgroundColour(page);
        b->SetMinSize(wxSize(-1, 50));
        nav->Add(b, 0, wxEXPAND | wxALL, 5);
        *buttons[i] = b;
    }
    switch_hint_label = new wxStaticText(nav_panel, wxID_ANY, tr("CTRL-TAB Switch Panels"), wxDefaultPosition,
                                         wxDefaultSize, 0, "staticText");
    switch_hint_label->Wrap(-1);
    switch_hint_label->SetFont(form_font(wxFONTFAMILY_MODERN, 8, wxFONTSTYLE_ITALIC));
    switch_hint_label->SetForegroundColour(wxColour(160, 160, 160));
    nav->Add(switch_hint_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    nav->AddStretchSpacer(1);
    nav_panel->SetSizer(nav, true);
    nav_panel->Layout();
    nav->Fit(nav_panel);
    row->Add(nav_panel, 1, wxEXPAND | wxALL, 20);

    page_book = new wxSimplebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, wxEmptyString);
    const window_parts& parts = installed_window_parts();
    recent_page = parts.make_recent_page(page_book);
    page_book->AddPage(recent_page, tr("recent panel"), false);
    setting_page = parts.make_setting_page(page_book);
    page_book->AddPage(setting_page, tr("setting panel"), false);
    trustmgr_page = parts.make_trustmgr_page(page_book);
    page_book->AddPage(trustmgr_page, tr("trustmgr panel"), false);
    certstore_page = parts.make_certstore_page(page_book);
    page_book->AddPage(certstore_page, tr("certstore panel"), false);
    shortcut_page = parts.make_shortcut_page(page_book);
    page_book->AddPage(shortcut_page, tr("shortcut panel"), false);
    about_page = parts.make_about_page(page_book);
    page_book->AddPage(about_page, tr("about panel"), false);
    row->Add(page_book, 6, wxEXPAND | wxALL, 5);
    top->Add(row, 20, wxEXPAND, 5);

    bottom_line = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL, "staticLine");
    top->Add(bottom_line, 0, wxEXPAND | wxALL, 5);

    donate_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* donate = new wxBoxSizer(wxHORIZONTAL);
    donate->Add(0, 0, 1, wxEXPAND, 5);
    announce_bitmap = new wxStaticBitmap(donate_panel, wxID_ANY, bitmap_announce_32(), wxDefaultPosition,
                                         wxDefaultSize, 0, "staticBitmap");
    donate->Add(announce_bitmap, 0, centred, 5);
    donate_label = new wxStaticText(donate_panel, wxID_ANY, tr("Free software, donate is welcome"), wxDefaultPosition,
                                    wxDefaultSize, 0, "staticText");
    donate_label->Wrap(-1);
    donate_label->SetForegroundColour(wxColour(255, 255, 255));
    donate->Add(donate_label, 0, centred, 5);
    donate_button = new wxt_bmpbutton_nofocus(donate_panel, "button");
    donate_button->SetBitmap(bitmap_donate_32(), wxLEFT);
    donate_button->SetBitmapFocus(bitmap_donate_hover_32());
    donate_button->SetBitmapCurrent(bitmap_donate_hover_32());
    donate_button->SetBackgroundColour(page);
    donate->Add(donate_button, 0, centred, 5);
    donate->Add(0, 0, 1, wxEXPAND, 5);
    donate_panel->SetSizer(donate, true);
    donate_panel->Layout();
    donate->Fit(donate_panel);
    top->Add(donate_panel, 0, wxEXPAND | wxALL, 5);

    SetSizer(top, true);
    Layout();
    wire(true);
}

homepage_base::~homepage_base() { wire(false); }

void homepage_base::wire(bool c) {
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(homepage_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(homepage_base::on_size));
    form_link(c, donate_button, wxEVT_BUTTON, wxCommandEventHandler(homepage_base::on_donate), this);
}

// -------------------------------------------------------------- leftpanel_base

leftpanel_base::leftpanel_base(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize& size, long,
                               const wxString& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, size, wxTAB_TRAVERSAL, name) {
    SetBackgroundColour(wxColour(60, 60, 60));
    auto* main = new wxBoxSizer(wxVERTICAL);
    auto* title = new wxBoxSizer(wxHORIZONTAL);
    title->SetMinSize(wxSize(-1, 40));
    title_label = new wxStaticText(this, wxID_ANY, tr("Signatures Panel"), wxDefaultPosition, wxDefaultSize, 0,
                                   "staticText");
    title_label->Wrap(-1);
    title_label->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    title_label->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    title->Add(title_label, 0, centred, 10);
    title->Add(0, 0, 1, wxEXPAND, 5);
    title->Add(10, 0, 0, wxEXPAND, 5);
    main->Add(title, 0, wxEXPAND, 5);

    signature_tree = new wxTreeCtrl(this, 1018, wxDefaultPosition, wxDefaultSize,
                                    wxTR_HAS_BUTTONS | wxTR_NO_LINES | wxTR_LINES_AT_ROOT | wxTR_TWIST_BUTTONS |
                                        wxTR_EDIT_LABELS | wxTR_HIDE_ROOT,
                                    wxDefaultValidator, "treeCtrl");
    signature_tree->SetFont(form_font(wxFONTFAMILY_MODERN));
    signature_tree->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    signature_tree->SetBackgroundColour(wxColour(60, 60, 60));
    main->Add(signature_tree, 1, wxEXPAND | wxALL, 5);

    SetSizer(main, true);
    Layout();
    wire(true);
}

leftpanel_base::~leftpanel_base() { wire(false); }

void leftpanel_base::wire(bool c) {
    form_link(c, this, wxEVT_LEFT_DOWN, wxMouseEventHandler(leftpanel_base::on_left_down));
    form_link(c, this, wxEVT_LEFT_UP, wxMouseEventHandler(leftpanel_base::on_left_up));
    form_link(c, title_label, wxEVT_LEFT_DOWN, wxMouseEventHandler(leftpanel_base::on_title_left_down), this);
    form_link(c, title_label, wxEVT_LEFT_UP, wxMouseEventHandler(leftpanel_base::on_title_left_up), this);
    form_link(c, signature_tree, wxEVT_LEFT_DOWN, wxMouseEventHandler(leftpanel_base::on_tree_left_down), this);
    form_link(c, signature_tree, wxEVT_LEFT_UP, wxMouseEventHandler(leftpanel_base::on_tree_left_up), this);
    form_link(c, signature_tree, wxEVT_TREE_BEGIN_LABEL_EDIT,
              wxTreeEventHandler(leftpanel_base::on_tree_begin_label_edit), this);
    form_link(c, signature_tree, wxEVT_TREE_ITEM_COLLAPSING,
              wxTreeEventHandler(leftpanel_base::on_tree_item_collapsing), this);
    form_link(c, signature_tree, wxEVT_TREE_ITEM_EXPANDING,
              wxTreeEventHandler(leftpanel_base::on_tree_item_expanding), this);
    form_link(c, signature_tree, wxEVT_TREE_SEL_CHANGED, wxTreeEventHandler(leftpanel_base::on_tree_sel_changed),
              this);
}

// -------------------------------------------------------------- expandbar_base

expandbar_base::expandbar_base(wxWindow* parent, wxWindowID, const wxPoint&, const wxSize& size, long,
                               const wxString& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, size, wxTAB_TRAVERSAL, name) {
    const wxColour bar(51, 51, 51);
    SetBackgroundColour(bar);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->SetMinSize(wxSize(20, -1));
    sizer->Add(0, 0, 1, wxEXPAND, 5);

    arrow_left_button = flat_bitmap_button(this, wxID_ANY, bitmap_arrow_left_20x32());
    arrow_left_button->SetBitmapFocus(bitmap_arrow_left_hover_20x32());
    arrow_left_button->SetBitmapCurrent(bitmap_arrow_left_hover_20x32());
    arrow_left_button->SetBackgroundColour(bar);
    arrow_left_button->SetToolTip(tr("Signature details pane (CTRL-J)"));
    sizer->Add(arrow_left_button, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 0);

    arrow_right_button = flat_bitmap_button(this, wxID_ANY, bitmap_arrow_right_20x32());
    arrow_right_button->SetBitmapFocus(bitmap_arrow_right_hover_20x32());
    arrow_right_button->SetBitmapCurrent(bitmap_arrow_right_hover_20x32());
    arrow_right_button->SetBackgroundColour(bar);
    arrow_right_button->SetToolTip(tr("Signature details pane (CTRL-J)"));
    sizer->Add(arrow_right_button, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    sizer->Add(0, 0, 1, wxEXPAND, 5);
    SetSizer(sizer, true);
    Layout();
    wire(true);
}

expandbar_base::~expandbar_base() { wire(false); }

void expandbar_base::wire(bool c) {
    form_link(c, this, wxEVT_ENTER_WINDOW, wxMouseEventHandler(expandbar_base::on_enter));
    form_link(c, this, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(expandbar_base::on_leave));
    form_link(c, this, wxEVT_LEFT_DOWN, wxMouseEventHandler(expandbar_base::on_left_down));
    form_link(c, this, wxEVT_LEFT_UP, wxMouseEventHandler(expandbar_base::on_left_up));
    form_link(c, arrow_left_button, wxEVT_BUTTON, wxCommandEventHandler(expandbar_base::on_arrow_click), this);
    form_link(c, arrow_left_button, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(expandbar_base::on_arrow_leave), this);
    form_link(c, arrow_right_button, wxEVT_BUTTON, wxCommandEventHandler(expandbar_base::on_arrow2_click), this);
    form_link(c, arrow_right_button, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(expandbar_base::on_arrow2_leave), this);
}
