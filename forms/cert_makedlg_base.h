#pragma once
// The make-certificate dialog: make a self-signed certificate (upper half)
// or import a PFX file (lower half) into the certificate store.
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;
class wxt_colorbutton;
class wxt_hyperlink;

class cert_makedlg_base : public wxDialog {
public:
    cert_makedlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                      const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(538, 664),
                      long style = wxDEFAULT_DIALOG_STYLE);
    ~cert_makedlg_base() override;

protected:
    wxStaticBitmap* make_bitmap;
    wxStaticText* make_title_label;
    wxStaticText* make_note_label;
    wxStaticText* name_label;
    wxTextCtrl* name_text;
    wxStaticText* algorithm_label;
    wxComboBox* algorithm_combo;
    wxStaticText* password_label;
    wxTextCtrl* password_text;
    wxCheckBox* save_password_check;
    wxt_active_textctrl* create_result_label;
    wxt_colorbutton* create_button;
    wxStaticBitmap* import_bitmap;
    wxStaticText* import_title_label;
    wxStaticText* import_note_label;
    wxt_hyperlink* request_link;
    wxStaticText* pfx_path_label;
    wxTextCtrl* pfx_path_text;
    wxt_colorbutton* select_pfx_button;
    wxStaticText* pfx_password_label;
    wxTextCtrl* pfx_password_text;
    wxCheckBox* save_pfx_password_check;
    wxt_active_textctrl* import_result_label;
    wxt_colorbutton* import_button;
    wxt_colorbutton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_algorithm_changed(wxCommandEvent& event) { skip_event(event); }
    virtual void on_create(wxCommandEvent& event) { skip_event(event); }
    virtual void on_select_pfx(wxCommandEvent& event) { skip_event(event); }
    virtual void on_import(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
