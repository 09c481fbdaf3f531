#include "forms/trustmgr_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const wxColour page_grey(50, 50, 50);
const wxColour white(255, 255, 255);

wxStaticText* label(wxWindow* parent, const char* text, long style, int wrap) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, style, "staticText");
    l->Wrap(wrap);
    return l;
}

wxStaticText* white_label(wxWindow* parent, const char* text, long style = 0, int wrap = -1, int points = 0,
                          wxFontStyle font_style = wxFONTSTYLE_NORMAL) {
    auto* l = label(parent, text, style, wrap);
    if (points > 0) l->SetFont(form_font(wxFONTFAMILY_MODERN, points, font_style));
    l->SetForegroundColour(white);
    return l;
}

// A text button with a picture at the left of its label.
wxButton* picture_button(wxWindow* parent, const char* text, const wxBitmap& normal, const wxBitmap& hover) {
    auto* b = new wxButton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                           wxDefaultValidator, "button");
    b->SetBitmap(normal, wxLEFT);
    b->SetBitmapFocus(hover);
    b->SetBitmapCurrent(hover);
    b->SetForegroundColour(white);
    b->SetBackgroundColour(page_grey);
    return b;
}

}  // namespace

trustmgr_base::trustmgr_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                             const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    SetBackgroundColour(page_grey);
    auto* top = new wxBoxSizer(wxVERTICAL);
    scroll_panel = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL, "panel");
    scroll_panel->SetScrollRate(5, 5);
    auto* scroll = new wxBoxSizer(wxVERTICAL);
    const long centred = wxALL | wxALIGN_CENTER_HORIZONTAL;

    scroll->Add(0, 50, 0, wxEXPAND, 5);
    title_label = white_label(scroll_panel, "Trusted Certificate are list here", 0, -1, 14);
    scroll->Add(title_label, 0, centred, 5);

    trust_source_link =
        new wxt_hyperlink(scroll_panel, wxID_ANY, tr("Source of Trust obtained from Velkorant Approved Trust List(VATL)"),
                          wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL, "staticText");
    trust_source_link->Wrap(-1);
    trust_source_link->SetFont(form_font(wxFONTFAMILY_MODERN, 9, wxFONTSTYLE_ITALIC, true));
    trust_source_link->SetForegroundColour(white);
    scroll->Add(trust_source_link, 0, centred, 5);

    hint_label = white_label(scroll_panel,
                             "You can also manually import certificates that your trust here.Double-Click/Enter\n"
                             "to view details",
                             wxALIGN_CENTRE_HORIZONTAL, -1, 9, wxFONTSTYLE_ITALIC);
    scroll->Add(hint_label, 0, centred, 5);

    cert_list = new wxDataViewListCtrl(scroll_panel, wxID_ANY, wxDefaultPosition, wxSize(700, 300), 0,
                                       wxDefaultValidator);
    cert_list->SetName("dataviewCtrl");
    cert_list->SetForegroundColour(white);
    cert_list->SetBackgroundColour(wxColour(48, 48, 48));
    const int shown = wxDATAVIEW_COL_RESIZABLE | wxDATAVIEW_COL_SORTABLE;
    key_column = cert_list->AppendTextColumn(tr("Name"), wxDATAVIEW_CELL_INERT, -1, wxALIGN_LEFT,
                                             wxDATAVIEW_COL_HIDDEN);
    name_column = cert_list->AppendIconTextColumn(tr("Name"), wxDATAVIEW_CELL_INERT, -1, wxALIGN_LEFT, shown);
    issuer_column = cert_list->AppendTextColumn(tr("Issuer"), wxDATAVIEW_CELL_INERT, -1, wxALIGN_LEFT, shown);
    source_column =
        cert_list->AppendIconTextColumn(tr("Trust Source"), wxDATAVIEW_CELL_INERT, -1, wxALIGN_CENTER, shown);
    expired_column = cert_list->AppendTextColumn(tr("Expired"), wxDATAVIEW_CELL_INERT, -1, wxALIGN_CENTER, shown);
    scroll->Add(cert_list, 0, centred, 5);

    result_label = white_label(scroll_panel, "Operation result!", wxALIGN_CENTRE_HORIZONTAL, 500, 10);
    scroll->Add(result_label, 0, centred, 5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    add_trusted_button =
        picture_button(scroll_panel, "Add Trusted Certificate", bitmap_plus_32(), bitmap_plus_hover_32());
    buttons->Add(add_trusted_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    distrust_button =
        picture_button(scroll_panel, "Distrust Selected Certificate", bitmap_minus_32(), bitmap_minus_hover_32());
    buttons->Add(distrust_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    reset_button = picture_button(scroll_panel, "Reset", bitmap_reset_32(), bitmap_reset_hover_32());
    buttons->Add(reset_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    scroll->Add(buttons, 0, wxEXPAND, 5);
    scroll->Add(0, 15, 0, wxEXPAND, 5);

    info_label = white_label(scroll_panel,
                             "This is a list of the Digital Certificate that are available for you on this computer. "
                             "They are used when you sign or verify a file. Only those files signed with trusted "
                             "certificate can be successfully verified.",
                             0, 500, 10);
    scroll->Add(info_label, 0, centred, 5);

    auto* details_row = new wxBoxSizer(wxHORIZONTAL);
    details_row->Add(0, 0, 1, wxEXPAND, 5);
    auto* details = new wxFlexGridSizer(0, 2, 0, 0);
    details->SetFlexibleDirection(wxBOTH);
    details->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    subject_caption_label = white_label(scroll_panel, "Subject: ");
    details->Add(subject_caption_label, 0, wxALL, 5);
    subject_value_label = white_label(scroll_panel, "MyLabel");
    details->Add(subject_value_label, 0, wxALL | wxEXPAND, 5);
    issuer_caption_label = white_label(scroll_panel, "Issuer: ");
    details->Add(issuer_caption_label, 0, wxALL, 5);
    issuer_value_label = white_label(scroll_panel, "MyLabel");
    details->Add(issuer_value_label, 0, wxALL | wxEXPAND, 5);
    expired_caption_label = white_label(scroll_panel, "Expired: ");
    details->Add(expired_caption_label, 0, wxALL, 5);
    expired_value_label = white_label(scroll_panel, "MyLabel");
    details->Add(expired_value_label, 0, wxALL | wxEXPAND, 5);
    sn_caption_label = white_label(scroll_panel, "Sn: ");
    details->Add(sn_caption_label, 0, wxALL, 5);
    sn_value_label = white_label(scroll_panel, "MyLabel");
    details->Add(sn_value_label, 0, wxALL | wxEXPAND, 5);
    details_row->Add(details, 0, 0, 5);
    details_row->Add(0, 0, 1, wxEXPAND, 5);
    scroll->Add(details_row, 0, wxEXPAND, 5);

    scroll_panel->SetSizer(scroll);
    scroll_panel->Layout();
    scroll->Fit(scroll_panel);
    top->Add(scroll_panel, 1, wxALL | wxEXPAND, 5);
    SetSizer(top, true);
    Layout();
    wire(true);
}

trustmgr_base::~trustmgr_base() { wire(false); }

void trustmgr_base::wire(bool c) {
    using self = trustmgr_base;
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(self::on_size));
    form_link(c, cert_list, wxEVT_DATAVIEW_ITEM_ACTIVATED, wxDataViewEventHandler(self::on_item_activated), this);
    form_link(c, cert_list, wxEVT_DATAVIEW_SELECTION_CHANGED, wxDataViewEventHandler(self::on_selection_changed),
              this);
    form_link(c, cert_list, wxEVT_KILL_FOCUS, wxFocusEventHandler(self::on_list_kill_focus), this);
    form_link(c, add_trusted_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_add_trusted), this);
    form_link(c, distrust_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_distrust), this);
    form_link(c, reset_button, wxEVT_BUTTON, wxCommandEventHandler(self::on_reset), this);
}
