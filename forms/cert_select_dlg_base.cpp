#include "forms/cert_select_dlg_base.h"

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "forms/pictures.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

wxStaticText* detail(wxWindow* parent, const char* text) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    l->SetForegroundColour(wxColour(0, 0, 0));
    return l;
}

}  // namespace

cert_select_dlg_base::cert_select_dlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                           const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxSize(450, 600), wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(0, 0, 1, wxEXPAND, 5);
    auto* main = new wxBoxSizer(wxVERTICAL);

    auto* title_row = new wxBoxSizer(wxHORIZONTAL);
    title_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_info_32(), wxDefaultPosition, wxDefaultSize, 0,
                                      "staticBitmap");
    title_row->Add(title_bitmap, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    title_label = new wxStaticText(this, wxID_ANY, tr("Select a Digital Certificate"), wxDefaultPosition,
                                   wxDefaultSize, 0, "staticText");
    title_label->Wrap(-1);
    title_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    title_row->Add(title_label, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    title_row->Add(0, 0, 1, wxEXPAND, 5);
    create_import_link = new wxt_hyperlink(this, wxID_ANY, tr("Create/Import..."), wxDefaultPosition, wxDefaultSize,
                                           0, "staticText");
    create_import_link->Wrap(-1);
    create_import_link->SetFont(form_font(wxFONTFAMILY_MODERN, -1, wxFONTSTYLE_NORMAL, true));
    title_row->Add(create_import_link, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    main->Add(title_row, 0, wxALL | wxEXPAND, 5);

    auto* list_column = new wxBoxSizer(wxVERTICAL);
    details_panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    details_panel->SetBackgroundColour(wxColour(227, 227, 227));
    auto* grid = new wxFlexGridSizer(0, 2, 0, 0);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    subject_caption_label = detail(details_panel, "Subject: ");
    grid->Add(subject_caption_label, 0, wxALL, 5);
    subject_label = detail(details_panel, "MyLabel");
    grid->Add(subject_label, 0, wxALL | wxEXPAND, 5);
    issuer_caption_label = detail(details_panel, "Issuer: ");
    grid->Add(issuer_caption_label, 0, wxALL, 5);
    issuer_label = detail(details_panel, "MyLabel");
    grid->Add(issuer_label, 0, wxALL | wxEXPAND, 5);
    expiry_caption_label = detail(details_panel, "Expired: ");
    grid->Add(expiry_caption_label, 0, wxALL, 5);
    expiry_label = detail(details_panel, "MyLabel");
    grid->Add(expiry_label, 0, wxALL | wxEXPAND, 5);
    serial_caption_label = detail(details_panel, "Sn: ");
    grid->Add(serial_caption_label, 0, wxALL, 5);
    serial_label = detail(details_panel, "MyLabel");
    grid->Add(serial_label, 0, wxALL | wxEXPAND, 5);
    details_panel->SetSizer(grid, true);
    details_panel->Layout();
    grid->Fit(details_panel);
    list_column->Add(details_panel, 0, wxALL | wxEXPAND, 5);

    cert_list = new wxDataViewListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(-1, -1),
                                       wxDV_NO_HEADER | wxDV_ROW_LINES | wxDV_VARIABLE_LINE_HEIGHT, wxDefaultValidator);
    cert_list->SetForegroundColour(wxColour(0, 0, 0));
    cert_list->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    name_column = cert_list->AppendIconTextColumn(tr("Name"), wxDATAVIEW_CELL_INERT, wxCOL_WIDTH_DEFAULT, wxALIGN_LEFT,
                                                  wxDATAVIEW_COL_RESIZABLE | wxDATAVIEW_COL_SORTABLE);
    list_column->Add(cert_list, 1, wxALL | wxEXPAND, 5);
    main->Add(list_column, 8, wxEXPAND, 5);

    auto* ok_column = new wxBoxSizer(wxVERTICAL);
    ok_column->Add(0, 0, 1, wxEXPAND, 5);
    ok_button = new wxt_colorbutton(this, wxID_ANY, tr("OK"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                    wxDefaultValidator, "button");
    ok_column->Add(ok_button, 3, wxALL | wxEXPAND, 0);
    ok_column->Add(0, 0, 1, wxEXPAND, 5);
    main->Add(ok_column, 1, wxEXPAND, 5);

    top->Add(main, 50, wxEXPAND, 5);
    top->Add(0, 0, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    answer_dialog_keys(this);
}

cert_select_dlg_base::~cert_select_dlg_base() { wire(false); }

void cert_select_dlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(cert_select_dlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(cert_select_dlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(cert_select_dlg_base::on_size));
    form_link(c, create_import_link, wxEVT_LEFT_UP, wxMouseEventHandler(cert_select_dlg_base::on_create_import), this);
    form_link(c, cert_list, wxEVT_DATAVIEW_ITEM_ACTIVATED,
              wxDataViewEventHandler(cert_select_dlg_base::on_item_activated), this);
    form_link(c, cert_list, wxEVT_DATAVIEW_SELECTION_CHANGED,
              wxDataViewEventHandler(cert_select_dlg_base::on_selection_changed), this);
    form_link(c, ok_button, wxEVT_BUTTON, wxCommandEventHandler(cert_select_dlg_base::on_ok), this);
}
