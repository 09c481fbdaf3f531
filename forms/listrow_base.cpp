#include "forms/listrow_base.h"

#include <wx/sizer.h>

#include "forms/pictures.h"

listrow_base::listrow_base(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                           const wxString& name)
    : wxPanel(parent, id, pos, size, style, name) {
    SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    SetBackgroundColour(wxColour(50, 50, 50));
    SetMaxSize(wxSize(-1, 90));
    auto* row = new wxBoxSizer(wxHORIZONTAL);

    select_check =
        new wxCheckBox(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "check");
    row->Add(select_check, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    icon_bitmap =
        new wxStaticBitmap(this, wxID_ANY, bitmap_file_32(), wxDefaultPosition, wxDefaultSize, 0, "staticBitmap");
    row->Add(icon_bitmap, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    path_label = new wxStaticText(this, wxID_ANY, tr("./test.pdf"), wxDefaultPosition, wxDefaultSize,
                                  wxST_ELLIPSIZE_MIDDLE, "staticText");
    path_label->Wrap(-1);
    path_label->SetFont(form_font(wxFONTFAMILY_MODERN, 12));
    path_label->SetForegroundColour(wxColour(255, 255, 255));
    row->Add(path_label, 1, wxALL | wxALIGN_CENTER, 5);
    row->Add(0, 0, 1, wxEXPAND, 5);
    remove_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap_remove_file_24(), wxDefaultPosition, wxDefaultSize, 0,
                                       "staticBitmap");
    row->Add(remove_bitmap, 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
    row->Add(20, 0, 0, wxEXPAND, 5);

    SetSizer(row, true);
    Layout();
    wire(true);
}

listrow_base::~listrow_base() { wire(false); }

void listrow_base::wire(bool c) {
    using self = listrow_base;
    form_link(c, this, wxEVT_ENTER_WINDOW, wxMouseEventHandler(self::on_enter));
    form_link(c, this, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(self::on_leave));
    form_link(c, this, wxEVT_LEFT_DCLICK, wxMouseEventHandler(self::on_dclick));
    form_link(c, this, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_left_up));
    form_link(c, this, wxEVT_PAINT, wxPaintEventHandler(self::on_paint));
    form_link(c, select_check, wxEVT_CHECKBOX, wxCommandEventHandler(self::on_check), this);
    form_link(c, select_check, wxEVT_KILL_FOCUS, wxFocusEventHandler(self::on_check_kill_focus), this);
    form_link(c, icon_bitmap, wxEVT_LEFT_DCLICK, wxMouseEventHandler(self::on_icon_dclick), this);
    form_link(c, icon_bitmap, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_icon_left_up), this);
    form_link(c, path_label, wxEVT_LEFT_DCLICK, wxMouseEventHandler(self::on_path_dclick), this);
    form_link(c, path_label, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_path_left_up), this);
    form_link(c, remove_bitmap, wxEVT_LEFT_UP, wxMouseEventHandler(self::on_remove_left_up), this);
}
