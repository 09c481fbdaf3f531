#include "forms/feedback_dlg_base.h"

#include <algorithm>

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "forms/maker_addresses.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace {

const wxColour white(255, 255, 255);

wxFont normal_font() { return form_font(wxFONTFAMILY_MODERN); }

// GTK cannot limit a multi-line field (SetMaxLength asserts there), so the
// field is cut back after a change that makes it too long: the characters
// just inserted before the caret go, as if the field had refused them. GTK
// is still inside its insertion when wxEVT_TEXT arrives, so the cut waits
// for the next turn of the event loop; the change that overflowed goes no
// further, and the cut sends its own wxEVT_TEXT with the kept text.
void cut_back(wxTextCtrl* field, size_t limit) {
    const wxString text = field->GetValue();
    if (text.length() <= limit) return;
    const size_t excess = text.length() - limit;
    const long caret = std::max<long>(field->GetInsertionPoint(), 0);
    const size_t end = std::min<size_t>(static_cast<size_t>(caret), text.length());
    const size_t from = end >= excess ? end - excess : limit;
    field->Remove(static_cast<long>(from), static_cast<long>(from + excess));
    field->SetInsertionPoint(static_cast<long>(from));
}

void limit_length(wxTextCtrl* field, size_t limit) {
    field->Bind(wxEVT_TEXT, [field, limit](wxCommandEvent& event) {
        if (field->GetValue().length() > limit) {
            field->CallAfter([field, limit] { cut_back(field, limit); });
            return;
        }
        event.Skip();
    });
}

}  // namespace

feedback_dlg_base::feedback_dlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                     const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxColour(60, 60, 60));

    const wxString mail = wxString::FromUTF8(maker_support_mail);
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(0, 0, 1, wxEXPAND, 5);
    auto* body = new wxBoxSizer(wxVERTICAL);
    body->Add(0, 20, 0, wxEXPAND, 5);

    intro_label = new wxStaticText(this, wxID_ANY,
                                   tr("Thank you for using Velkorant application, welcome to post any suggestion or "
                                      "bug, we will reply you as soon as possible"),
                                   wxDefaultPosition, wxDefaultSize, 0, "staticText");
    // The sentence is longer than the body with GTK's wider face: GTK would
    // cut it at one line's height, so it breaks at the body's width.
    intro_label->Wrap(size.x > 0 ? size.x * 50 / 52 - 10 : -1);
    intro_label->SetFont(normal_font());
    intro_label->SetForegroundColour(white);
    body->Add(intro_label, 0, wxALL | wxEXPAND, 5);

    message_text = new wxTextCtrl(this, wxID_ANY, tr("Say somthing about this app"), wxDefaultPosition,
                                  wxDefaultSize, wxTE_MULTILINE | wxBORDER_SIMPLE, wxDefaultValidator, "text");
    message_text->SetFont(form_font(wxFONTFAMILY_MODERN, 10));
    message_text->SetForegroundColour(white);
    message_text->SetBackgroundColour(wxColour(0, 0, 0));
    body->Add(message_text, 4, wxALL | wxEXPAND, 5);

    auto* contact_row = new wxBoxSizer(wxHORIZONTAL);
    contact_caption_label = new wxStaticText(this, wxID_ANY, tr("Contact: "), wxDefaultPosition, wxDefaultSize,
                                             wxALIGN_RIGHT, "staticText");
    contact_caption_label->Wrap(-1);
    contact_caption_label->SetFont(normal_font());
    contact_caption_label->SetForegroundColour(white);
    contact_row->Add(contact_caption_label, 1, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    contact_text = new wxTextCtrl(this, wxID_ANY, tr(maker_support_mail), wxDefaultPosition, wxSize(-1, -1),
                                  wxTE_CENTRE | wxBORDER_SIMPLE, wxDefaultValidator, "text");
    contact_text->SetMaxLength(contact_limit);
    contact_text->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    contact_row->Add(contact_text, 5, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    contact_row->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(contact_row, 1, wxEXPAND, 5);

    result_label = new wxt_active_textctrl(this, wxID_ANY, tr("submitting..."), wxDefaultPosition, wxDefaultSize, 0,
                                           "staticText");
    result_label->Wrap(700);
    result_label->SetFont(normal_font());
    result_label->SetForegroundColour(white);
    body->Add(result_label, 1, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    mail_link = new wxHyperlinkCtrl(this, wxID_ANY,
                                    tr("You can also click here to send us an e-mail") + "(" + mail + ")",
                                    "mailto:" + mail, wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE,
                                    "hyperlink");
    mail_link->SetFont(normal_font());
    body->Add(mail_link, 0, wxALL | wxALIGN_CENTER, 5);

    auto* button_row = new wxBoxSizer(wxHORIZONTAL);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    auto* button_column = new wxBoxSizer(wxVERTICAL);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    submit_button = new wxt_colorbutton(this, wxID_ANY, tr("Submit"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                        wxDefaultValidator, "button");
    submit_button->SetDefault();
    button_column->Add(submit_button, 2, wxALL | wxEXPAND, 0);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    close_button = new wxt_colorbutton(this, wxID_ANY, tr("Close"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                       wxDefaultValidator, "button");
    button_column->Add(close_button, 2, wxALL | wxEXPAND, 0);
    button_column->Add(0, 0, 1, wxEXPAND, 5);
    button_row->Add(button_column, 3, wxEXPAND, 5);
    button_row->Add(0, 0, 1, wxEXPAND, 5);
    body->Add(button_row, 2, wxEXPAND, 5);

    top->Add(body, 50, wxEXPAND, 5);
    top->Add(0, 0, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    limit_length(message_text, message_limit);
    answer_dialog_keys(this);
}

feedback_dlg_base::~feedback_dlg_base() { wire(false); }

void feedback_dlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(feedback_dlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(feedback_dlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(feedback_dlg_base::on_size));
    form_link(c, message_text, wxEVT_TEXT, wxCommandEventHandler(feedback_dlg_base::on_text_changed), this);
    form_link(c, mail_link, wxEVT_HYPERLINK, wxHyperlinkEventHandler(feedback_dlg_base::on_mail_link), this);
    form_link(c, submit_button, wxEVT_BUTTON, wxCommandEventHandler(feedback_dlg_base::on_submit), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(feedback_dlg_base::on_close_button), this);
}
