#pragma once
// The about page: product name and version, the maker's site, the buttons
// for the version check, the agreement and feedback, and the support mail.
#include "forms/about_base.h"

class about_panel : public about_base {
public:
    explicit about_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);

    // The mail link's target: the support address, the translated subject
    // percent-encoded UTF-8 and a body of one line break.
    static wxString mail_target();
    static wxString percent_encoded(const wxString& text);

protected:
    void on_check_update(wxCommandEvent& event) override;
    void on_agreement(wxCommandEvent& event) override;
    void on_feedback(wxCommandEvent& event) override;
};
