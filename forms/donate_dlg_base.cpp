#include "forms/donate_dlg_base.h"

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "forms/pictures.h"
#include "widgets/wxt_colorbutton.h"

// The picture table draws both codes once per process (function statics).
wxBitmap& bitmap_qr_alipay_320() { return bitmap_donate_code_a_320(); }
wxBitmap& bitmap_qr_wechat_320() { return bitmap_donate_code_b_320(); }

namespace {

// One payment service: its name above its code, on the service's colour.
wxPanel* service_panel(wxWindow* parent, const wxColour& colour, const char* name, const wxBitmap& code,
                       wxStaticText*& name_label, wxStaticBitmap*& code_bitmap) {
    auto* panel = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "panel");
    panel->SetBackgroundColour(colour);
    auto* root = new wxBoxSizer(wxVERTICAL);
    auto* name_area = new wxBoxSizer(wxVERTICAL);
    name_area->Add(0, 0, 1, wxEXPAND, 5);
    name_label = new wxStaticText(panel, wxID_ANY, tr(name), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    name_label->Wrap(-1);
    name_label->SetFont(form_font(wxFONTFAMILY_DEFAULT, 20));
    name_label->SetForegroundColour(wxColour(255, 255, 255));
    name_area->Add(name_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    name_area->Add(0, 0, 1, wxEXPAND, 5);
    root->Add(name_area, 2, wxEXPAND, 5);
    code_bitmap = new wxStaticBitmap(panel, wxID_ANY, code, wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    root->Add(code_bitmap, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    root->Add(0, 0, 1, wxEXPAND, 5);
    panel->SetSizer(root, true);
    panel->Layout();
    root->Fit(panel);
    return panel;
}

}  // namespace

donate_dlg_base::donate_dlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                 const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxSize(-1, 600), wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxColour(60, 60, 60));

    auto* root = new wxBoxSizer(wxVERTICAL);
    auto* message_area = new wxBoxSizer(wxVERTICAL);
    message_area->Add(0, 0, 1, wxEXPAND, 5);
    message_label = new wxStaticText(this, wxID_ANY, tr("This's a Free Software, your donation is a great support !"),
                                     wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL, "staticText");
    message_label->Wrap(-1);
    message_label->SetFont(form_font(wxFONTFAMILY_MODERN, 15));
    message_label->SetForegroundColour(wxColour(255, 255, 255));
    message_area->Add(message_label, 2, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    message_area->Add(0, 0, 1, wxEXPAND, 5);
    root->Add(message_area, 1, wxEXPAND, 5);

    auto* code_row = new wxBoxSizer(wxHORIZONTAL);
    alipay_panel = service_panel(this, wxColour(25, 119, 225), "AliPay", bitmap_qr_alipay_320(), alipay_label,
                                 alipay_bitmap);
    code_row->Add(alipay_panel, 1, wxEXPAND | wxALL, 0);
    wechat_panel = service_panel(this, wxColour(36, 169, 62), "WeChat", bitmap_qr_wechat_320(), wechat_label,
                                 wechat_bitmap);
    code_row->Add(wechat_panel, 1, wxEXPAND | wxALL, 0);
    root->Add(code_row, 5, wxEXPAND, 5);

    auto* button_row = new wxBoxSizer(wxHORIZONTAL);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    auto* button_column = new wxBoxSizer(wxVERTICAL);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    close_button = new wxt_colorbutton(this, wxID_OK, tr("Close"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                       wxDefaultValidator, "button");
    close_button->SetDefault();
    close_button->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    button_column->Add(close_button, 2, wxEXPAND | wxALL, 0);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    button_row->Add(button_column, 3, wxEXPAND, 5);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    root->Add(button_row, 1, wxEXPAND, 5);

    SetSizer(root, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    answer_dialog_keys(this);
}

donate_dlg_base::~donate_dlg_base() { wire(false); }

void donate_dlg_base::wire(bool c) {
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(donate_dlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(donate_dlg_base::on_size));
}
