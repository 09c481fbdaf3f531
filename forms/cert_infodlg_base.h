#pragma once
// The certificate properties dialog: a General page (status, purposes and
// the main fields) and a Details page (chain, field list, value, Add Trust,
// Copy Value and Save buttons).
#include <wx/button.h>
#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "widgets/form_support.h"

class wxt_active_textctrl;

class cert_infodlg_base : public wxDialog {
public:
    cert_infodlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                      const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(487, 664),
                      long style = wxDEFAULT_DIALOG_STYLE);
    ~cert_infodlg_base() override;

protected:
    wxNotebook* properties_book;
    wxPanel* general_page;
    wxStaticBitmap* certificate_bitmap;
    wxt_active_textctrl* information_label;
    wxButton* add_trust_button;
    wxStaticLine* general_upper_line;
    wxStaticText* purpose_label;
    wxStaticText* usage_label;
    wxStaticLine* general_lower_line;
    wxStaticText* issued_to_label;
    wxStaticText* issued_to_value_label;
    wxStaticText* issued_by_label;
    wxStaticText* issued_by_value_label;
    wxStaticText* valid_from_label;
    wxStaticText* valid_from_value_label;
    wxStaticText* serial_label;
    wxStaticText* serial_value_label;
    wxStaticText* thumbprint_label;
    wxStaticText* thumbprint_value_label;
    wxPanel* details_page;
    wxStaticBitmap* chain_bitmap;
    wxStaticText* chain_title_label;
    wxTreeCtrl* chain_tree;
    wxStaticBitmap* fields_bitmap;
    wxStaticText* fields_title_label;
    wxButton* add_trust_details_button;
    wxDataViewListCtrl* fields_list;
    wxDataViewColumn* field_column;
    wxDataViewColumn* value_column;
    wxTextCtrl* value_text;
    wxButton* copy_value_button;
    wxButton* save_certificate_button;
    wxButton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_add_trust(wxCommandEvent& event) { skip_event(event); }
    virtual void on_chain_sel_changed(wxTreeEvent& event) { skip_event(event); }
    virtual void on_add_trust_details(wxCommandEvent& event) { skip_event(event); }
    virtual void on_field_selected(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_copy_value(wxCommandEvent& event) { skip_event(event); }
    virtual void on_save_certificate(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
