#include "forms/agreement_dlg_base.h"

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "widgets/wxt_colorbutton.h"

agreement_dlg_base::agreement_dlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                       const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxSize(-1, 520), wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxColour(60, 60, 60));

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(0, 0, 1, wxEXPAND, 5);
    auto* body = new wxBoxSizer(wxVERTICAL);
    body->Add(0, 20, 0, wxEXPAND, 5);
    agreement_text = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                    wxTE_MULTILINE | wxTE_READONLY | wxBORDER_NONE, wxDefaultValidator, "text");
    agreement_text->SetForegroundColour(wxColour(255, 255, 255));
    agreement_text->SetBackgroundColour(wxColour(0, 0, 0));
    body->Add(agreement_text, 6, wxALL | wxEXPAND, 5);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(0, 10, 1, wxEXPAND, 5);
    auto* answer_row = new wxBoxSizer(wxHORIZONTAL);
    answer_row->Add(0, 0, 1, wxEXPAND, 5);
    agree_button = new wxt_colorbutton(this, wxID_ANY, tr("Agree"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                       wxDefaultValidator, "button");
    answer_row->Add(agree_button, 2, wxALL | wxEXPAND, 0);
    answer_row->Add(0, 0, 1, wxEXPAND, 5);
    decline_button = new wxt_colorbutton(this, wxID_ANY, tr("Decline"), wxDefaultPosition, wxDefaultSize,
                                         wxBORDER_NONE, wxDefaultValidator, "button");
    answer_row->Add(decline_button, 2, wxALL | wxEXPAND, 0);
    answer_row->Add(0, 0, 1, wxEXPAND, 5);
    buttons->Add(answer_row, 2, wxEXPAND, 5);
    auto* close_row = new wxBoxSizer(wxHORIZONTAL);
    close_row->Add(0, 0, 1, wxEXPAND, 5);
    close_button = new wxt_colorbutton(this, wxID_CANCEL, tr("Close"), wxDefaultPosition, wxDefaultSize,
                                       wxBORDER_NONE, wxDefaultValidator, "button");
    close_button->SetDefault();
    close_row->Add(close_button, 3, wxALL | wxEXPAND, 0);
    close_row->Add(0, 0, 1, wxEXPAND, 5);
    buttons->Add(close_row, 2, wxEXPAND, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(buttons, 1, wxEXPAND, 5);

    top->Add(body, 50, wxEXPAND, 5);
    top->Add(0, 0, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    answer_dialog_keys(this);
}

agreement_dlg_base::~agreement_dlg_base() { wire(false); }

void agreement_dlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(agreement_dlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(agreement_dlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(agreement_dlg_base::on_size));
    form_link(c, agree_button, wxEVT_BUTTON, wxCommandEventHandler(agreement_dlg_base::on_agree), this);
    form_link(c, decline_button, wxEVT_BUTTON, wxCommandEventHandler(agreement_dlg_base::on_decline), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(agreement_dlg_base::on_close_button), this);
}
