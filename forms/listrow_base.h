#pragma once
// One row of the recent-files list: a check box, a PDF file icon, the
// file's path and a remove icon.
#include <wx/checkbox.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "widgets/form_support.h"

class listrow_base : public wxPanel {
public:
    listrow_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxSize(870, 45), long style = wxTAB_TRAVERSAL,
                 const wxString& name = wxEmptyString);
    ~listrow_base() override;

protected:
    wxCheckBox* select_check;
    wxStaticBitmap* icon_bitmap;
    wxStaticText* path_label;
    wxStaticBitmap* remove_bitmap;

    virtual void on_enter(wxMouseEvent& event) { skip_event(event); }
    virtual void on_leave(wxMouseEvent& event) { skip_event(event); }
    virtual void on_dclick(wxMouseEvent& event) { skip_event(event); }
    virtual void on_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_paint(wxPaintEvent& event) { skip_event(event); }
    virtual void on_check(wxCommandEvent& event) { skip_event(event); }
    virtual void on_check_kill_focus(wxFocusEvent& event) { skip_event(event); }
    virtual void on_icon_dclick(wxMouseEvent& event) { skip_event(event); }
    virtual void on_icon_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_path_dclick(wxMouseEvent& event) { skip_event(event); }
    virtual void on_path_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_remove_left_up(wxMouseEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
