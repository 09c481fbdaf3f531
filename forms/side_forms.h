#pragma once
// The panel forms the main window places: the message bar, the home page,
// the signature pane and the pane toggle bars.
#include <wx/bmpbuttn.h>
#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/treectrl.h>

#include "widgets/form_support.h"

class wxt_colorbutton;
class wxt_bmpbutton_nofocus;
class recent_base;
class setting_base;
class trustmgr_base;
class certstore_base;
class shortcut_base;
class about_base;

class infobar_base : public wxPanel {
public:
    infobar_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString);
    ~infobar_base() override;

protected:
    wxStaticBitmap* infobar_bitmap;
    wxBitmapButton* signature_details_button;
    wxBitmapButton* timestamp_details_button;
    wxBitmapButton* mark_button;
    wxStaticText* message_label;
    wxt_colorbutton* add_signature_button;
    wxt_colorbutton* signature_pane_button;

    virtual void on_bar_click(wxMouseEvent& event) { skip_event(event); }
    virtual void on_signature_details(wxCommandEvent& event) { skip_event(event); }
    virtual void on_timestamp_details(wxCommandEvent& event) { skip_event(event); }
    virtual void on_mark_button(wxCommandEvent& event) { skip_event(event); }
    virtual void on_add_signature(wxCommandEvent& event) { skip_event(event); }
    virtual void on_signature_pane(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};

class homepage_base : public wxPanel {
public:
    homepage_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString);
    ~homepage_base() override;

protected:
    wxPanel* nav_panel;
    wxStaticBitmap* logo_bitmap;
    wxButton* recent_button;
    wxButton* settings_button;
    wxButton* trustlist_button;
    wxButton* certstore_button;
    wxButton* shortcut_button;
    wxButton* about_button;
    wxStaticText* switch_hint_label;
    wxSimplebook* page_book;
    recent_base* recent_page;
    setting_base* setting_page;
    trustmgr_base* trustmgr_page;
    certstore_base* certstore_page;
    shortcut_base* shortcut_page;
    about_base* about_page;
    wxStaticLine* bottom_line;
    wxPanel* donate_panel;
    wxStaticBitmap* announce_bitmap;
    wxStaticText* donate_label;
    wxt_bmpbutton_nofocus* donate_button;

    virtual void on_init_dialog(wxInitDialogEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_donate(wxCommandEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};

class leftpanel_base : public wxPanel {
public:
    leftpanel_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString);
    ~leftpanel_base() override;

protected:
    wxStaticText* title_label;
    wxTreeCtrl* signature_tree;

    virtual void on_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_title_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_title_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_tree_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_tree_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_tree_begin_label_edit(wxTreeEvent& event) { skip_event(event); }
    virtual void on_tree_item_collapsing(wxTreeEvent& event) { skip_event(event); }
    virtual void on_tree_item_expanding(wxTreeEvent& event) { skip_event(event); }
    virtual void on_tree_sel_changed(wxTreeEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};

class expandbar_base : public wxPanel {
public:
    expandbar_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL, const wxString& name = wxEmptyString);
    ~expandbar_base() override;

protected:
    wxBitmapButton* arrow_left_button;
    wxBitmapButton* arrow_right_button;

    virtual void on_enter(wxMouseEvent& event) { skip_event(event); }
    virtual void on_leave(wxMouseEvent& event) { skip_event(event); }
    virtual void on_left_down(wxMouseEvent& event) { skip_event(event); }
    virtual void on_left_up(wxMouseEvent& event) { skip_event(event); }
    virtual void on_arrow_click(wxCommandEvent& event) { skip_event(event); }
    virtual void on_arrow_leave(wxMouseEvent& event) { skip_event(event); }
    virtual void on_arrow2_click(wxCommandEvent& event) { skip_event(event); }
    virtual void on_arrow2_leave(wxMouseEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
};
