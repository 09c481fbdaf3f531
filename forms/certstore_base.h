#pragma once
// The certificate-store page of the home page: the signing certificates of
// this computer, create/import, remove and refresh, a result line, the
// selected certificate's details and an explanation.
#include <wx/button.h>
#include <wx/dataview.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class certstore_base : public wxPanel {
public:
    certstore_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                   const wxString& name = wxEmptyString);
    ~certstore_base() override;

protected:
    wxScrolledWindow* scroll_panel;
    wxStaticText* title_label;
    wxStaticText* hint_label;
    wxDataViewListCtrl* cert_list;
    wxDataViewColumn* name_column;
    wxDataViewColumn* issuer_column;
    wxDataViewColumn* store_column;
    wxDataViewColumn* expired_column;
    wxStaticText* result_label;
    wxButton* create_import_button;
    wxButton* remove_button;
    wxButton* refresh_button;
    wxStaticText* subject_caption_label;
    wxStaticText* subject_value_label;
    wxStaticText* issuer_caption_label;
    wxStaticText* issuer_value_label;
    wxStaticText* expired_caption_label;
    wxStaticText* expired_value_label;
    wxStaticText* sn_caption_label;
    wxStaticText* sn_value_label;
    wxStaticText* info_label;

    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_item_activated(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_selection_changed(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_list_kill_focus(wxFocusEvent& event) { skip_event(event); }
    virtual void on_list_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_create_import(wxCommandEvent& event) { skip_event(event); }
    virtual void on_remove(wxCommandEvent& event) { skip_event(event); }
    virtual void on_refresh(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
