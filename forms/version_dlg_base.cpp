#include "forms/version_dlg_base.h"

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const wxColour white(255, 255, 255);

wxStaticText* table_label(wxWindow* parent, const char* text) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    l->SetForegroundColour(white);
    return l;
}

}  // namespace

version_dlg_base::version_dlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                   const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxSize(520, 520), wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxColour(60, 60, 60));

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(0, 0, 1, wxEXPAND, 5);
    auto* body = new wxBoxSizer(wxVERTICAL);
    body->Add(0, 20, 0, wxEXPAND, 5);

    status_label = new wxt_active_textctrl(this, wxID_ANY, tr("Current version is the newest now!"),
                                           wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL, "staticText");
    status_label->Wrap(-1);
    status_label->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    status_label->SetForegroundColour(white);
    body->Add(status_label, 1, wxALL | wxEXPAND, 5);

    auto* version_row = new wxBoxSizer(wxHORIZONTAL);
    version_row->Add(0, 0, 1, wxEXPAND, 5);
    auto* table = new wxFlexGridSizer(0, 2, 0, 0);
    table->SetFlexibleDirection(wxBOTH);
    table->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    newest_caption_label = table_label(this, "Newest Version:");
    table->Add(newest_caption_label, 0, wxALL, 5);
    newest_version_label = table_label(this, "1.0.0.0");
    table->Add(newest_version_label, 0, wxALL, 5);
    current_caption_label = table_label(this, "Current version: ");
    table->Add(current_caption_label, 0, wxALL, 5);
    current_version_label = table_label(this, "1.0.0.0");
    table->Add(current_version_label, 0, wxALL, 5);
    version_row->Add(table, 0, wxEXPAND, 5);
    version_row->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(version_row, 2, wxEXPAND, 5);

    auto* notes_row = new wxBoxSizer(wxHORIZONTAL);
    notes_row->Add(0, 0, 1, wxEXPAND, 5);
    release_notes_label = new wxt_active_textctrl(this, wxID_ANY, tr("update log lines, if have new version"),
                                                  wxDefaultPosition, wxDefaultSize, 0, "staticText");
    release_notes_label->Wrap(-1);
    release_notes_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    release_notes_label->SetForegroundColour(white);
    notes_row->Add(release_notes_label, 5, wxALL | wxEXPAND, 5);
    notes_row->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(notes_row, 6, wxEXPAND, 5);

    auto* button_row = new wxBoxSizer(wxHORIZONTAL);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    auto* button_column = new wxBoxSizer(wxVERTICAL);
    button_column->Add(0, 10, 1, wxEXPAND, 5);
    update_button = new wxt_colorbutton(this, wxID_ANY, tr("Update"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                        wxDefaultValidator, "button");
    button_column->Add(update_button, 2, wxALL | wxEXPAND, 5);
    close_button = new wxt_colorbutton(this, wxID_CANCEL, tr("Close"), wxDefaultPosition, wxDefaultSize,
                                       wxBORDER_NONE, wxDefaultValidator, "button");
    close_button->SetDefault();
    button_column->Add(close_button, 2, wxALL | wxEXPAND, 5);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    button_row->Add(button_column, 4, wxEXPAND, 5);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(button_row, 2, wxEXPAND, 5);

    top->Add(body, 30, wxEXPAND, 5);
    top->Add(0, 0, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    answer_dialog_keys(this);
}

version_dlg_base::~version_dlg_base() { wire(false); }

void version_dlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(version_dlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(version_dlg_base::on_init_dialog));
    form_link(c, update_button, wxEVT_BUTTON, wxCommandEventHandler(version_dlg_base::on_update), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(version_dlg_base::on_close_button), this);
}
