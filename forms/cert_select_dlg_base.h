#pragma once
// The select-certificate dialog: a title row with a Create/Import link, a
// details box of the selected certificate, the list of signing certificates
// and an OK button.
#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_colorbutton;
class wxt_hyperlink;

class cert_select_dlg_base : public wxDialog {
public:
    cert_select_dlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                         const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(450, 652),
                         long style = wxDEFAULT_DIALOG_STYLE);
    ~cert_select_dlg_base() override;

protected:
    wxStaticBitmap* title_bitmap;
    wxStaticText* title_label;
    wxt_hyperlink* create_import_link;
    wxPanel* details_panel;
    wxStaticText* subject_caption_label;
    wxStaticText* subject_label;
    wxStaticText* issuer_caption_label;
    wxStaticText* issuer_label;
    wxStaticText* expiry_caption_label;
    wxStaticText* expiry_label;
    wxStaticText* serial_caption_label;
    wxStaticText* serial_label;
    wxDataViewListCtrl* cert_list;
    wxDataViewColumn* name_column;
    wxt_colorbutton* ok_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_create_import(wxMouseEvent& event) { skip_event(event); }
    virtual void on_item_activated(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_selection_changed(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_ok(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
