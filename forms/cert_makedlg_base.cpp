#include "forms/cert_makedlg_base.h"

#include <wx/sizer.h>

#include "forms/dialog_keys.h"
#include "forms/maker_addresses.h"
#include "forms/pictures.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"
#include "widgets/wxt_hyperlink.h"

namespace {

const long centred = wxALL | wxALIGN_CENTER_VERTICAL;

wxStaticText* label(wxWindow* parent, const char* text) {
    auto* l = new wxStaticText(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    return l;
}

// The form was drawn with 300-pixel fields for a narrow 9-point face; with
// GTK's wider default face a caption, a 300-pixel field and the "Save
// Password" box overrun the 538-pixel dialog, so the fields are laid out at
// this width.
const int narrow_field = 240;

wxTextCtrl* field(wxWindow* parent, long style, unsigned long max_length) {
    auto* t = new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, wxSize(300, -1), style,
                             wxDefaultValidator, "text");
    t->SetMaxLength(max_length);
    t->SetMinSize(wxSize(narrow_field, -1));
    return t;
}

wxCheckBox* save_password(wxWindow* parent) {
    auto* c = new wxCheckBox(parent, wxID_ANY, tr("Save Password"), wxDefaultPosition, wxDefaultSize, 0,
                             wxDefaultValidator, "check");
    c->SetValue(false);
    c->SetToolTip(tr("it's Encrypted at local"));
    return c;
}

wxt_active_textctrl* result_line(wxWindow* parent, const char* text) {
    auto* l = new wxt_active_textctrl(parent, wxID_ANY, tr(text), wxDefaultPosition, wxDefaultSize, 0, "staticText");
    l->Wrap(-1);
    return l;
}

wxt_colorbutton* colour_button(wxWindow* parent, const char* text, long style, const wxSize& size = wxDefaultSize) {
    return new wxt_colorbutton(parent, wxID_ANY, tr(text), wxDefaultPosition, size, style, wxDefaultValidator,
                               "button");
}

// A row that gives its button half of the width, a quarter on each side.
wxBoxSizer* button_row(wxt_colorbutton* button) {
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(0, 0, 1, wxEXPAND, 5);
    row->Add(button, 2, wxALL | wxEXPAND, 5);
    row->Add(0, 0, 1, wxEXPAND, 5);
    return row;
}

wxFlexGridSizer* three_columns() {
    auto* grid = new wxFlexGridSizer(0, 3, 0, 0);
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    return grid;
}

}  // namespace

cert_makedlg_base::cert_makedlg_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                                     const wxSize& size, long style) {
    Create(parent, id, title, pos, size, style, "dialog");
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetFont(form_font(wxFONTFAMILY_MODERN));
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));

    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(0, 0, 1, wxEXPAND, 5);
    auto* main = new wxBoxSizer(wxVERTICAL);

    // ---- make a self-signed certificate
    auto* make_head = new wxBoxSizer(wxHORIZONTAL);
    make_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_user_32(), wxDefaultPosition, wxDefaultSize, 0,
                                     "staticBitmap");
    make_head->Add(make_bitmap, 0, centred, 5);
    make_title_label = label(this, "Make a Digital Certificate");
    make_title_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    make_head->Add(make_title_label, 0, centred, 5);
    main->Add(make_head, 1, wxALL | wxEXPAND, 5);
    make_note_label = label(this, "Make a free selfsigned certificate, signed files need to be add trust by "
                                  "recepient manually");
    // The two notes are longer than the column: GTK would wrap them into a
    // one-line height and cut the rest, so they break at the column's width.
    const int column = size.x > 0 ? size.x * 20 / 22 - 10 : -1;
    make_note_label->Wrap(column);
    main->Add(make_note_label, 1, wxALL, 5);

    auto* make_grid = three_columns();
    name_label = label(this, "Common Name: ");
    make_grid->Add(name_label, 0, centred, 5);
    name_text = field(this, 0, 25);
    make_grid->Add(name_text, 0, centred, 5);
    make_grid->Add(0, 0, 1, wxEXPAND, 5);
    algorithm_label = label(this, "Algorithm:");
    make_grid->Add(algorithm_label, 0, centred, 5);
    algorithm_combo = new wxComboBox(this, wxID_ANY, tr("RSA/ECC/SM"), wxDefaultPosition, wxSize(300, -1), 0,
                                     nullptr, wxCB_READONLY, wxDefaultValidator, "comboBox");
    algorithm_combo->SetMinSize(wxSize(narrow_field, -1));
    make_grid->Add(algorithm_combo, 0, centred, 5);
    make_grid->Add(0, 0, 1, wxEXPAND, 5);
    password_label = label(this, "Password: ");
    make_grid->Add(password_label, 0, centred, 5);
    password_text = field(this, wxTE_PASSWORD, 20);
    make_grid->Add(password_text, 0, centred, 5);
    save_password_check = save_password(this);
    make_grid->Add(save_password_check, 0, centred, 5);
    main->Add(make_grid, 3, wxEXPAND, 5);

    create_result_label = result_line(this, "create result");
    main->Add(create_result_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    create_button = colour_button(this, "Create", wxBORDER_NONE);
    main->Add(button_row(create_button), 1, wxEXPAND, 5);

    // ---- import a PFX file
    auto* import_head = new wxBoxSizer(wxHORIZONTAL);
    import_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_certificate_32(), wxDefaultPosition, wxDefaultSize, 0,
                                       "staticBitmap");
    import_head->Add(import_bitmap, 0, centred, 5);
    import_title_label = label(this, "Import a Pfx Certificate to Certificate store");
    import_title_label->SetFont(form_font(wxFONTFAMILY_MODERN));
    import_head->Add(import_title_label, 0, centred, 5);
    import_head->Add(25, 0, 0, wxEXPAND, 5);
    main->Add(import_head, 1, wxEXPAND, 5);
    import_note_label = label(this, "An identity certificate issued by a certificate authority can be imported "
                                    "here, it is trusted automatically");
    import_note_label->Wrap(column);
    main->Add(import_note_label, 1, wxALL, 5);
    const wxString mail = wxString::FromUTF8(maker_support_mail);
    request_link = new wxt_hyperlink(this, wxID_ANY,
                                     tr("Ask us for an identity certificate: ") + "<" + mail + ">",
                                     wxDefaultPosition, wxDefaultSize, 0, "staticText");
    request_link->Wrap(-1);
    request_link->SetFont(form_font(wxFONTFAMILY_MODERN, -1, wxFONTSTYLE_NORMAL, true));
    // The label is a whole sentence: a click mails the address alone.
    request_link->set_link("mailto:" + mail, request_link->link_colour, request_link->hand_cursor);
    main->Add(request_link, 1, wxALL, 5);

    auto* import_grid = three_columns();
    pfx_path_label = label(this, "PFX file path: ");
    import_grid->Add(pfx_path_label, 0, centred, 5);
    pfx_path_text = field(this, 0, 255);
    import_grid->Add(pfx_path_text, 0, centred, 5);
    select_pfx_button = colour_button(this, "Select", 0);
    import_grid->Add(select_pfx_button, 0, centred, 5);
    pfx_password_label = label(this, "PFX password: ");
    import_grid->Add(pfx_password_label, 0, centred, 5);
    pfx_password_text = field(this, wxTE_PASSWORD, 20);
    import_grid->Add(pfx_password_text, 0, centred, 5);
    save_pfx_password_check = save_password(this);
    import_grid->Add(save_pfx_password_check, 0, centred, 5);
    main->Add(import_grid, 2, wxEXPAND, 5);

    import_result_label = result_line(this, "import pfx result");
    main->Add(import_result_label, 0, wxALL | wxALIGN_CENTER_HORIZONTAL, 5);
    import_button = colour_button(this, "Import", wxBORDER_NONE);
    main->Add(button_row(import_button), 1, wxEXPAND, 5);

    auto* close_area = new wxBoxSizer(wxVERTICAL);
    close_area->Add(0, 0, 2, wxEXPAND, 5);
    auto* close_row = new wxBoxSizer(wxHORIZONTAL);
    close_row->Add(0, 0, 1, wxEXPAND, 5);
    close_button = colour_button(this, "Close", wxBORDER_NONE, wxSize(-1, -1));
    close_button->SetDefault();
    close_row->Add(close_button, 1, wxALL | wxEXPAND, 0);
    close_row->Add(0, 0, 1, wxEXPAND, 5);
    close_area->Add(close_row, 2, wxEXPAND, 5);
    close_area->Add(0, 0, 1, wxEXPAND, 5);
    main->Add(close_area, 2, wxEXPAND, 5);

    top->Add(main, 20, wxEXPAND, 5);
    top->Add(0, 0, 1, wxEXPAND, 5);

    SetSizer(top, true);
    Layout();
    Centre(wxBOTH);
    wire(true);
    answer_dialog_keys(this);
}

cert_makedlg_base::~cert_makedlg_base() { wire(false); }

void cert_makedlg_base::wire(bool c) {
    form_link(c, this, wxEVT_CLOSE_WINDOW, wxCloseEventHandler(cert_makedlg_base::on_close));
    form_link(c, this, wxEVT_INIT_DIALOG, wxInitDialogEventHandler(cert_makedlg_base::on_init_dialog));
    form_link(c, this, wxEVT_SIZE, wxSizeEventHandler(cert_makedlg_base::on_size));
    form_link(c, algorithm_combo, wxEVT_COMBOBOX, wxCommandEventHandler(cert_makedlg_base::on_algorithm_changed),
              this);
    form_link(c, create_button, wxEVT_BUTTON, wxCommandEventHandler(cert_makedlg_base::on_create), this);
    form_link(c, select_pfx_button, wxEVT_BUTTON, wxCommandEventHandler(cert_makedlg_base::on_select_pfx), this);
    form_link(c, import_button, wxEVT_BUTTON, wxCommandEventHandler(cert_makedlg_base::on_import), this);
    form_link(c, close_button, wxEVT_BUTTON, wxCommandEventHandler(cert_makedlg_base::on_close_button), this);
}
