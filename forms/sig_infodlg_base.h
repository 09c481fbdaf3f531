#pragma once
// The signature properties dialog: a Signature page (summary, validity,
// embedded signatures) and a Timestamp page (summary, validity).
#include <wx/button.h>
#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class sig_infodlg_base : public wxDialog {
public:
    sig_infodlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                     const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(487, 664),
                     long style = wxDEFAULT_DIALOG_STYLE);
    ~sig_infodlg_base() override;

protected:
    wxNotebook* properties_book;
    wxPanel* signature_page;
    wxStaticBitmap* signature_summary_bitmap;
    wxStaticText* signature_summary_title_label;
    wxStaticText* signature_summary_label;
    wxButton* signer_certificate_button;
    wxStaticBitmap* signature_validity_bitmap;
    wxStaticText* signature_validity_title_label;
    wxStaticText* signature_validity_label;
    wxStaticBitmap* embedded_bitmap;
    wxStaticText* embedded_title_label;
    wxDataViewListCtrl* embedded_list;
    wxDataViewColumn* embedded_signer_column;
    wxDataViewColumn* embedded_algorithm_column;
    wxDataViewColumn* embedded_time_column;
    wxButton* embedded_details_button;
    wxPanel* timestamp_page;
    wxStaticBitmap* timestamp_summary_bitmap;
    wxStaticText* timestamp_summary_title_label;
    wxStaticText* timestamp_summary_label;
    wxButton* timestamper_certificate_button;
    wxStaticBitmap* timestamp_validity_bitmap;
    wxStaticText* timestamp_validity_title_label;
    wxStaticText* timestamp_note_label;
    wxButton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_show_signer_cert(wxCommandEvent& event) { skip_event(event); }
    virtual void on_embedded_activated(wxDataViewEvent& event) { skip_event(event); }
    virtual void on_embedded_details(wxCommandEvent& event) { skip_event(event); }
    virtual void on_show_timestamp_cert(wxCommandEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
