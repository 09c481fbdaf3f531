#include "forms/cert_infodlg_base.h"

#include <wx/sizer.h>

#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "widgets/wxt_active_textctrl.h"

namespace {

const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxFont title_font() { return form_font(wxFONTFAMILY_MODERN); }
wxFont caption_font() { return form_font(wxFONTFAMILY_DEFAULT); }
wxFont link_font() { return form_font(wxFONTFAMILY_MODERN, 9, wxFONTSTYLE_NORMAL, true); }

wxStaticText* label(wxWindow* parent, const wxString& text) {
    auto* l = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    return l;
}

wxStaticText* label(wxWindow* parent, const wxString& text, const wxFont& font) {
    wxStaticText* l = label(parent, text);
    l->SetFont(font);
    return l;
}

wxStaticBitmap* picture(wxWindow* parent, const wxBitmap& bitmap) {
    return new wxStaticBitmap(parent, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
}

wxButton* button(wxWindow* parent, const char* text) {
    return new wxButton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "button");
}

// Both Add Trust buttons look alike: a flat picture button with a link-like text.
wxButton* trust_button(wxWindow* parent) {
    auto* b = new wxButton(parent, wxID_ANY, tr("Add Trust"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                           wxDefaultValidator, "button");
    b->SetBitmap(bitmap_add_28(), wxLEFT);
    b->SetFont(link_font());
    b->SetForegroundColour(wxColour(0, 0, 0));
    b->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    b->SetToolTip(tr("Add this certificate to Trust List"));
    return b;
}

}  // namespace

cert_infodlg_base::cert_infodlg_base(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                                     const wxSize& size, long style) {
    Create(parent, id, caption, pos, size, style, "dialog");
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));

    auto* top = new wxBoxSizer(wxVERTICAL);
    properties_book = new wxNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNB_FIXEDWIDTH);
    properties_book->SetFont(form_font(wxFONTFAMILY_SWISS, 9));

    // ---- General page
    general_page = new wxPanel(properties_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* general = new wxBoxSizer(wxVERTICAL);

    auto* head = new wxBoxSizer(wxHORIZONTAL);
    head->SetMinSize(wxSize(-1, 50));
    certificate_bitmap = picture(general_page, bitmap_certificate_32());
    head->Add(certificate_bitmap, 0, centred, 5);
    information_label = new wxt_active_textctrl(general_page, wxID_ANY, tr("Certification Information"),
                                                wxDefaultPosition, wxDefaultSize, 0, "staticText");
    information_label->Wrap(-1);
    information_label->SetFont(title_font());
    head->Add(information_label, 0, centred, 5);
    head->Add(0, 0, 1, wxEXPAND, 5);
    add_trust_button = trust_button(general_page);
    head->Add(add_trust_button, 0, centred, 5);
    general->Add(head, 0, wxALL | wxEXPAND, 5);

    general_upper_line = new wxStaticLine(general_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL,
                                          "staticLine");
    general->Add(general_upper_line, 0, wxALL | wxEXPAND, 5);
    auto* purposes = new wxBoxSizer(wxVERTICAL);
    purpose_label = label(general_page, tr("purpose, or revoke..."), title_font());
    purposes->Add(purpose_label, 0, wxALL | wxEXPAND, 5);
    usage_label = label(general_page, tr("- digital signaure, encryption..."), title_font());
    purposes->Add(usage_label, 0, wxALL | wxEXPAND, 5);
    general->Add(purposes, 1, wxALL | wxEXPAND, 5);
    general_lower_line = new wxStaticLine(general_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL,
                                          "staticLine");
    general->Add(general_lower_line, 0, wxALL | wxEXPAND, 5);

    auto* grid = new wxFlexGridSizer(0, 2, 25, 20);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    issued_to_label = label(general_page, tr("Issued to: "), caption_font());
    grid->Add(issued_to_label, 0, wxALIGN_RIGHT, 5);
    issued_to_value_label = label(general_page, wxString::FromUTF8(maker_company_name));
    grid->Add(issued_to_value_label, 0, wxALL | wxEXPAND | wxALIGN_CENTER_VERTICAL, 0);
    issued_by_label = label(general_page, tr("Issued by: "), caption_font());
    grid->Add(issued_by_label, 0, wxALIGN_RIGHT, 0);
    issued_by_value_label = label(general_page, tr("Velkorant CA"));
    grid->Add(issued_by_value_label, 0, wxALL | wxEXPAND, 0);
    valid_from_label = label(general_page, tr("Valid from: "), caption_font());
    grid->Add(valid_from_label, 0, wxALIGN_RIGHT, 0);
    valid_from_value_label = label(general_page, tr("2020-12-22"));
    grid->Add(valid_from_value_label, 0, wxALL | wxEXPAND, 0);
    serial_label = label(general_page, tr("Seriel No: "), caption_font());
    grid->Add(serial_label, 0, wxALIGN_RIGHT, 0);
    serial_value_label = label(general_page, tr("SLDFJWEOPRU20390237850238402"));
    grid->Add(serial_value_label, 0, wxALL | wxEXPAND, 0);
    thumbprint_label = label(general_page, tr("Thumbprint: "), caption_font());
    grid->Add(thumbprint_label, 0, wxALL | wxALIGN_RIGHT, 0);
    thumbprint_value_label = label(general_page, tr("SLDFJWEOPRU20390237850238402"));
    grid->Add(thumbprint_value_label, 0, wxALL | wxEXPAND, 0);
    general->Add(grid, 3, wxALL | wxEXPAND, 30);

    general_page->SetSizer(general, true);
    general_page->Layout();
    general->Fit(general_page);
    properties_book->AddPage(general_page, tr("General"), false);

    // ---- Details page
    details_page = new wxPanel(properties_book, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    auto* details = new wxBoxSizer(wxVERTICAL);

    auto* chain_head = new wxBoxSizer(wxHORIZONTAL);
    chain_bitmap = picture(details_page, bitmap_cert_chain_32());
    chain_head->Add(chain_bitmap, 0, centred, 5);
    chain_title_label = label(details_page, tr("Certificate Chain"));
    chain_head->Add(chain_title_label, 0, centred, 5);
    details->Add(chain_head, 0, wxALL | wxEXPAND, 5);
    chain_tree = new wxTreeCtrl(details_page, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                wxTR_HAS_BUTTONS | wxTR_NO_LINES | wxTR_TWIST_BUTTONS, wxDefaultValidator, "treeCtrl");
    chain_tree->SetFont(title_font());
    details->Add(chain_tree, 1, wxALL | wxEXPAND, 5);

    auto* fields_head = new wxBoxSizer(wxHORIZONTAL);
    fields_bitmap = picture(details_page, bitmap_cert_fields_32());
    fields_head->Add(fields_bitmap, 0, centred, 5);
    fields_title_label = label(details_page, tr("Certificate"));
    fields_head->Add(fields_title_label, 0, centred, 5);
    fields_head->Add(0, 0, 1, wxEXPAND, 5);
    add_trust_details_button = trust_button(details_page);
    fields_head->Add(add_trust_details_button, 0, centred, 5);
    details->Add(fields_head, 0, wxALL | wxEXPAND, 5);

    fields_list = new wxDataViewListCtrl(details_page, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0,
                                         wxDefaultValidator);
    field_column = fields_list->AppendIconTextColumn(tr("Field"), wxDATAVIEW_CELL_INERT, 150, wxALIGN_LEFT,
                                                     wxDATAVIEW_COL_RESIZABLE);
    value_column = fields_list->AppendTextColumn(tr("Value"), wxDATAVIEW_CELL_INERT, 280, wxALIGN_LEFT,
                                                 wxDATAVIEW_COL_RESIZABLE);
    details->Add(fields_list, 2, wxALL | wxEXPAND, 5);
    value_text = new wxTextCtrl(details_page, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP, wxDefaultValidator, "text");
    details->Add(value_text, 1, wxEXPAND | wxLEFT | wxRIGHT, 5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(0, 0, 4, wxEXPAND, 5);
    copy_value_button = button(details_page, "Copy Value");
    buttons->Add(copy_value_button, 0, wxRIGHT, 5);
    save_certificate_button = button(details_page, "Save Certificate to File...");
    buttons->Add(save_certificate_button, 0, 0, 5);
    details->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT, 5);

    details_page->SetSizer(details, true);
    details_page->Layout();
    details->Fit(details_page);
    properties_book->AddPage(details_page, tr("Details"), true);
    top->Add(properties_book, 10, wxALL | wxEXPAND, 5);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    auto* close_column = new wxBoxSizer(wxVERTICAL);
    close_column->Add(0, 0, 1, 0, 5);
    close_button = button(this, "Close");
    close_button->SetDefault();
    close_column->Add(close_button, 4, wxALL | wxEXPAND, 0);
    close_column->Add(0, 0, 1, 0, 5);
    bottom->Add(close_column, 1, wxEXPAND, 5);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    top->Add(bottom, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
}

cert_infodlg_base::~cert_infodlg_base() { wire(false); }

void cert_infodlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(cert_infodlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(cert_infodlg_base::on_init_dialog));
    form_link(c, add_trust_button, wxEVT_BUTTON, wxCommandEventHandler(cert_infodlg_base::on_add_trust), this);
    form_link(c, chain_tree, wxEVT_TREE_SEL_CHANGED, wxTreeEventHandler(cert_infodlg_base::on_chain_sel_changed),
              this);
    form_link(c, add_trust_details_button, wxEVT_BUTTON,
              wxCommandEventHandler(cert_infodlg_base::on_add_trust_details), this);
    form_link(c, fields_list, wxEVT_DATAVIEW_SELECTION_CHANGED,
              wxDataViewEventHandler(cert_infodlg_base::on_field_selected), this);
    form_link(c, copy_value_button, wxEVT_BUTTON, wxCommandEventHandler(cert_infodlg_base::on_copy_value), this);
    form_link(c, save_certificate_button, wxEVT_BUTTON,
              wxCommandEventHandler(cert_infodlg_base::on_save_certificate), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(cert_infodlg_base::on_close_button), this);
}
