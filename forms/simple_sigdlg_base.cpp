#include "forms/simple_sigdlg_base.h"

#include <wx/sizer.h>

#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "widgets/wxt_hyperlink.h"

simple_sigdlg_base::simple_sigdlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                       const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));

    auto* top = new wxBoxSizer(wxVERTICAL);

    auto* status_row = new wxBoxSizer(wxHORIZONTAL);
    status_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_sig_valid_28(), wxDefaultPosition, wxDefaultSize, 0,
                                       "staticBitmap");
    status_row->Add(status_bitmap, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    // A placeholder: the dialog writes the clicked signature's status here.
    status_label = new wxStaticText(
        this, wxID_ANY,
        tr("Valid signature of ") + wxString::FromUTF8(maker_company_name) + " <" +
            wxString::FromUTF8(maker_support_mail) + ">",
        wxDefaultPosition, wxDefaultSize, 0, "staticText");
    status_label->Wrap(-1);
    status_label->SetForegroundColour(wxColour(0, 128, 0));
    status_row->Add(status_label, 10, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    top->Add(status_row, 0, wxEXPAND | wxTOP | wxLEFT, 15);

    auto* detail_row = new wxBoxSizer(wxHORIZONTAL);
    detail_row->Add(0, 0, 1, wxEXPAND | wxALL, 5);
    auto* details = new wxBoxSizer(wxVERTICAL);
    integrity_label = new wxStaticText(this, wxID_ANY,
                                       tr("- The document has not been modified since this signature was applied"),
                                       wxDefaultPosition, wxDefaultSize, 0, "staticText");
    integrity_label->Wrap(-1);
    details->Add(integrity_label, 0, wxALL | wxEXPAND, 5);
    identity_label = new wxStaticText(this, wxID_ANY, tr("- The signer's identity is valid"), wxDefaultPosition,
                                      wxDefaultSize, 0, "staticText");
    identity_label->Wrap(-1);
    details->Add(identity_label, 0, wxALL | wxEXPAND, 5);
    detail_row->Add(details, 10, wxEXPAND | wxLEFT, 0);
    top->Add(detail_row, 1, wxEXPAND | wxLEFT, 15);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    signature_properties_link = new wxt_hyperlink(this, wxID_ANY, tr("Signature Properties..."), wxDefaultPosition,
                                                  wxDefaultSize, 0, "staticText");
    signature_properties_link->Wrap(-1);
    signature_properties_link->SetFont(form_font(wxFONTFAMILY_MODERN, 10, wxFONTSTYLE_NORMAL, true));
    bottom->Add(signature_properties_link, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    certificate_link = new wxt_hyperlink(this, wxID_ANY, tr("Certificate..."), wxDefaultPosition, wxDefaultSize, 0,
                                         "staticText");
    certificate_link->Wrap(-1);
    certificate_link->SetFont(form_font(wxFONTFAMILY_MODERN, 10, wxFONTSTYLE_NORMAL, true));
    bottom->Add(certificate_link, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    auto* close_column = new wxBoxSizer(wxVERTICAL);
    close_column->Add(0, 0, 1, wxEXPAND, 5);
    close_button = new wxButton(this, wxID_ANY, tr("Close"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                                "button");
    close_button->SetDefault();
    close_column->Add(close_button, 3, wxALL | wxEXPAND, 5);
    close_column->Add(0, 0, 1, wxEXPAND, 5);
    bottom->Add(close_column, 2, wxEXPAND, 5);
    bottom->Add(0, 0, 1, wxEXPAND, 5);
    top->Add(bottom, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
}

simple_sigdlg_base::~simple_sigdlg_base() { wire(false); }

void simple_sigdlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(simple_sigdlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(simple_sigdlg_base::on_init_dialog));
    form_link(c, signature_properties_link, wxEVT_LEFT_UP,
              wxMouseEventHandler(simple_sigdlg_base::on_signature_properties), this);
    form_link(c, certificate_link, wxEVT_LEFT_UP, wxMouseEventHandler(simple_sigdlg_base::on_certificate), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(simple_sigdlg_base::on_close_button), this);
}
