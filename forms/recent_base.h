#pragma once
// The recent-files page of the home page: the open-a-document button, the
// empty-list line and the key hint. The page adds its file rows to this
// form's top sizer, after the form's own items.
#include <wx/panel.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class wxt_bmpbutton_nofocus;

class recent_base : public wxPanel {
public:
    recent_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                const wxString& name = wxEmptyString);
    ~recent_base() override;

protected:
    wxt_bmpbutton_nofocus* open_button;
    wxStaticText* empty_label;
    wxStaticText* hint_label;

    virtual void on_open_click(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
