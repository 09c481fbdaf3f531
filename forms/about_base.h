#pragma once
// The about page of the home page: the product picture, name and version,
// description, slogan, web-site link, Check Update / Agreement / Feedback
// and the support mail link.
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_colorbutton;
class wxt_hyperlink;

class about_base : public wxPanel {
public:
    about_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
               const wxString& name = wxEmptyString);
    ~about_base() override;

protected:
    wxStaticBitmap* logo_bitmap;
    wxStaticText* version_label;
    wxStaticText* description_label;
    wxStaticText* slogan_label;
    wxt_hyperlink* website_link;
    wxt_colorbutton* check_update_button;
    wxt_colorbutton* agreement_button;
    wxt_colorbutton* feedback_button;
    wxStaticText* contact_label;
    wxt_hyperlink* mail_link;

    virtual void on_check_update(wxCommandEvent& event) { skip_event(event); }
    virtual void on_agreement(wxCommandEvent& event) { skip_event(event); }
    virtual void on_feedback(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
