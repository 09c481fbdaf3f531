#include "forms/recent_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"
#include "widgets/wxt_bmpbutton_nofocus.h"

recent_base::recent_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                         const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    const wxColour page_grey(50, 50, 50);
    const wxColour white(255, 255, 255);
    SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    SetBackgroundColour(page_grey);
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(0, 100, 0, wxEXPAND, 5);

    open_button = new wxt_bmpbutton_nofocus(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                            wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, "button");
    open_button->SetBitmap(bitmap_recent_open_128());
    open_button->SetBitmapPosition(wxLEFT);
    open_button->SetBitmapFocus(bitmap_recent_open_hover_128());
    open_button->SetBitmapCurrent(bitmap_recent_open_hover_128());
    open_button->SetBackgroundColour(page_grey);
    open_button->SetToolTip(tr("Click/Dragdrop to open a document"));
    top->Add(open_button, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    empty_label = new wxStaticText(this, wxID_ANY, tr("There aren't any recent files."), wxDefaultPosition,
                                   wxDefaultSize, 0, "staticText");
    empty_label->Wrap(-1);
    empty_label->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    empty_label->SetForegroundColour(white);
    top->Add(empty_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    hint_label = new wxStaticText(this, wxID_ANY,
                                  tr("Any files you 've opened will appear here.\n"
                                     "Press UP/DOWN key to select one, Press SPACE key to open it, Press Delete will "
                                     "remove it from the list. "),
                                  wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE_HORIZONTAL, "staticText");
    hint_label->Wrap(-1);
    hint_label->SetFont(form_font(wxFONTFAMILY_MODERN, 9, wxFONTSTYLE_ITALIC));
    hint_label->SetForegroundColour(white);
    top->Add(hint_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);

    SetSizer(top, true);
    Layout();
    wire(true);
}

recent_base::~recent_base() { wire(false); }

void recent_base::wire(bool c) {
    form_link(c, open_button, wxEVT_BUTTON, wxCommandEventHandler(recent_base::on_open_click), this);
}
