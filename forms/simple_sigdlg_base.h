#pragma once
// The small signature status dialog: status picture and line, two detail
// lines, links to the signature properties and the signer's certificate.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_hyperlink;

class simple_sigdlg_base : public wxDialog {
public:
    simple_sigdlg_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = wxEmptyString,
                       const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(549, 221),
                       long style = wxDEFAULT_DIALOG_STYLE);
    ~simple_sigdlg_base() override;

protected:
    wxStaticBitmap* status_bitmap;
    wxStaticText* status_label;
    wxStaticText* integrity_label;
    wxStaticText* identity_label;
    wxt_hyperlink* signature_properties_link;
    wxt_hyperlink* certificate_link;
    wxButton* close_button;

    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_signature_properties(wxMouseEvent& event) { skip_event(event); }
    virtual void on_certificate(wxMouseEvent& event) { skip_event(event); }
    virtual void on_close_button(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
