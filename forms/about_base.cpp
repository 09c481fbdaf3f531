#include "forms/about_base.h"

#include <wx/sizer.h>

#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const wxColour page_grey(50, 50, 50);
const wxColour white(255, 255, 255);

wxt_colorbutton* page_button(wxWindow* parent, const char* text) {
    auto* b = new wxt_colorbutton(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE,
                                  wxDefaultValidator, "button");
    b->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    b->SetForegroundColour(white);
    b->SetBackgroundColour(page_grey);
    return b;
}

}  // namespace

about_base::about_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetFont(form_font(wxFONTFAMILY_DEFAULT, 12));
    SetBackgroundColour(page_grey);
    auto* root = new wxBoxSizer(wxHORIZONTAL);
    root->Add(0, 0, 1, wxEXPAND, 5);
    auto* content = new wxBoxSizer(wxVERTICAL);
    content->Add(0, 0, 1, wxEXPAND, 5);

    logo_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_app_128(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    content->Add(logo_bitmap, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    version_label = new wxStaticText(this, wxID_ANY, tr("Velkorant, V1"), wxDefaultPosition, wxDefaultSize,
                                     wxALIGN_CENTRE_HORIZONTAL, "staticText");
    version_label->Wrap(-1);
    version_label->SetFont(form_font(wxFONTFAMILY_MODERN, 14));
    version_label->SetForegroundColour(white);
    content->Add(version_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    const wxString description = tr("a Free application for verifying PDF signatures");
    description_label = new wxStaticText(this, wxID_ANY, description, wxDefaultPosition, wxDefaultSize,
                                         wxALIGN_CENTRE_HORIZONTAL, "staticText");
    description_label->SetLabelMarkup(description);
    description_label->Wrap(-1);
    description_label->SetFont(form_font(wxFONTFAMILY_MODERN, 14));
    description_label->SetForegroundColour(white);
    content->Add(description_label, 0, wxALL | wxEXPAND, 5);
    content->Add(0, 0, 1, wxEXPAND, 5);

    slogan_label = new wxStaticText(this, wxID_ANY, tr("Your signatures, checked on your own machine !"),
                                    wxDefaultPosition, wxDefaultSize, 0, "staticText");
    slogan_label->Wrap(-1);
    slogan_label->SetFont(form_font(wxFONTFAMILY_MODERN, 24, wxFONTSTYLE_ITALIC));
    slogan_label->SetForegroundColour(white);
    content->Add(slogan_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    website_link = new wxt_hyperlink(this, wxID_ANY, tr(maker_web_site), wxDefaultPosition, wxDefaultSize, 0,
                                     "staticText");
    website_link->Wrap(-1);
    website_link->SetFont(form_font(wxFONTFAMILY_MODERN, 20, wxFONTSTYLE_ITALIC, true));
    content->Add(website_link, 0, wxALL | wxALIGN_CENTER, 5);
    content->Add(0, 30, 1, wxEXPAND, 5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    check_update_button = page_button(this, "Check Update");
    buttons->Add(check_update_button, 0, wxALL | wxALIGN_CENTER, 5);
    agreement_button = page_button(this, "Agreement");
    buttons->Add(agreement_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    feedback_button = page_button(this, "Feedback");
    buttons->Add(feedback_button, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    buttons->Add(0, 0, 1, wxEXPAND, 5);
    content->Add(buttons, 0, wxEXPAND, 5);

    auto* contact = new wxBoxSizer(wxHORIZONTAL);
    contact->Add(0, 0, 1, wxEXPAND, 5);
    contact_label =
        new wxStaticText(this, wxID_ANY, tr("Contact:"), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    contact_label->Wrap(-1);
    contact_label->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    contact_label->SetForegroundColour(white);
    contact->Add(contact_label, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    mail_link = new wxt_hyperlink(this, wxID_ANY, tr(maker_support_mail), wxDefaultPosition, wxDefaultSize, 0,
                                  "staticText");
    mail_link->Wrap(-1);
    mail_link->SetFont(form_font(wxFONTFAMILY_MODERN, 12, wxFONTSTYLE_NORMAL, true));
    contact->Add(mail_link, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    contact->Add(0, 0, 1, wxEXPAND, 5);
    content->Add(contact, 0, wxEXPAND, 5);
    content->Add(0, 0, 1, wxEXPAND, 5);

    root->Add(content, 10, wxEXPAND, 5);
    root->Add(0, 0, 1, wxEXPAND, 5);
    SetSizer(root, true);
    Layout();
    wire(true);
}

about_base::~about_base() { wire(false); }

void about_base::wire(bool c) {
    form_link(c, check_update_button, wxEVT_BUTTON, wxCommandEventHandler(about_base::on_check_update), this);
    form_link(c, agreement_button, wxEVT_BUTTON, wxCommandEventHandler(about_base::on_agreement), this);
    form_link(c, feedback_button, wxEVT_BUTTON, wxCommandEventHandler(about_base::on_feedback), this);
}
