#pragma once
// The trust-list page of the home page: the trusted certificates, add,
// distrust and reset, a result line, an explanation and the selected
// certificate's details.
#include <wx/button.h>
#include <wx/dataview.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_hyperlink;

class trustmgr_base : public wxPanel {
public:
    trustmgr_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                  const wxString& name = wxEmptyString);
    ~trustmgr_base() override;

protected:
    wxScrolledWindow* scroll_panel;
    wxStaticText* title_label;
    wxt_hyperlink* trust_source_link;
    wxStaticText* hint_label;
    wxDataViewListCtrl* cert_list;
    wxDataViewColumn* key_column;
    wxDataViewColumn* name_column;
    wxDataViewColumn* issuer_column;
    wxDataViewColumn* source_column;
    wxDataViewColumn* expired_column;
    wxStaticText* result_label;
    wxButton* add_trusted_button;
    wxButton* distrust_button;
    wxButton* reset_button;
    wxStaticText* info_label;
    wxStaticText* subject_caption_label;
    wxStaticText* subject_value_label;
    wxStaticText* issuer_caption_label;
    wxStaticText* issuer_value_label;
    wxStaticText* expired_caption_label;
    wxStaticText* expired_value_label;
    wxStaticText* sn_caption_label;
    wxStaticText* sn_value_label;

    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_item_activated(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_selection_changed(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_list_kill_focus(wxFocusEvent& event) { skip_event(event); }
    virtual void on_add_trusted(wxCommandEvent& event) { skip_event(event); }
    virtual void on_distrust(wxCommandEvent& event) { skip_event(event); }
    virtual void on_reset(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
