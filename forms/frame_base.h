#pragma once
// The main window's form: the tool bar row, the message bar and a two-page
// book holding the home page and the document view with its side panes.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/glcanvas.h>
#include <wx/panel.h>
#include <wx/simplebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "widgets/form_support.h"

class wxt_hyperlink;
class infobar_base;
class homepage_base;
class leftpanel_base;
class expandbar_base;
class sign_panel_base;
class stamp_panel_base;

class frame_base : public wxFrame {
public:
    frame_base(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxSize(1024, 768), const long& style = wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL);
    ~frame_base() override;

protected:
    wxPanel* toolbar_panel;
    wxBitmapButton* home_button;
    wxBitmapButton* document_button;
    wxBitmapButton* open_button;
    wxBitmapButton* previous_page_button;
    wxBitmapButton* next_page_button;
    wxTextCtrl* page_text;
    wxStaticText* page_count_label;
    wxBitmapButton* fit_page_button;
    wxBitmapButton* fit_width_button;
    wxBitmapButton* fit_height_button;
    wxBitmapButton* zoom_in_button;
    wxBitmapButton* zoom_out_button;
    wxComboBox* zoom_combo;
    wxPanel* colour_panel;
    wxButton* colour_button;
    wxBitmapButton* sign_panel_button;
    wxBitmapButton* feedback_button;
    wxt_hyperlink* new_version_link;
    infobar_base* info_bar;
    wxSimplebook* main_book;
    homepage_base* home_page;
    wxPanel* content_panel;
    leftpanel_base* signatures_panel;
    expandbar_base* left_expandbar;
    wxGLCanvas* page_view;
    expandbar_base* right_expandbar;
    wxSimplebook* side_book;
    sign_panel_base* signing_panel;
    stamp_panel_base* stamp_editor;

    virtual void on_activate(wxActivateEvent& event) { skip_event(event); }
    virtual void on_activate_app(wxActivateEvent& event) { skip_event(event); }
    virtual void on_close(wxCloseEvent& event) { skip_event(event); }
    virtual void on_mouse_wheel(wxMouseEvent& event) { skip_event(event); }
    virtual void on_move(wxMoveEvent& event) { skip_event(event); }
    virtual void on_paint(wxPaintEvent& event) { skip_event(event); }
    virtual void on_size(wxSizeEvent& event) { skip_event(event); }
    virtual void on_home_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_document_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_open_document(wxCommandEvent& event) { skip_event(event); }
    virtual void on_previous_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_next_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_page_number(wxCommandEvent& event) { skip_event(event); }
    virtual void on_fit_page(wxCommandEvent& event) { skip_event(event); }
    virtual void on_fit_width(wxCommandEvent& event) { skip_event(event); }
    virtual void on_fit_height(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_in(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_out(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_select(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_closeup(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_dropdown(wxCommandEvent& event) { skip_event(event); }
    virtual void on_zoom_enter(wxCommandEvent& event) { skip_event(event); }
    virtual void on_background_colour(wxCommandEvent& event) { skip_event(event); }
    virtual void on_sign_panel(wxCommandEvent& event) { skip_event(event); }
    virtual void on_feedback(wxCommandEvent& event) { skip_event(event); }
    virtual void on_new_version(wxMouseEvent& event) { skip_event(event); }

private:
    void wire(bool connect);
    // The process's one GL context; made current on the page view at its first
    // paint (a GTK GL context cannot be made current before it is shown).
    wxGLContext* gl_context = nullptr;
    void on_first_view_paint(wxPaintEvent& event);
};
