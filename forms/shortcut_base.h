#pragma once
// The shortcuts page of the home page: a fixed table of functions, their
// hot keys and their mouse actions. It reacts to no event.
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class shortcut_base : public wxPanel {
public:
    shortcut_base(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                  const wxString& name = wxEmptyString);
    ~shortcut_base() override;

protected:
    wxScrolledWindow* table_panel;
    wxStaticText* function_header_label;
    wxStaticText* hotkey_header_label;
    wxStaticText* mouse_header_label;
    wxStaticText* home_function_label;
    wxTextCtrl* home_hotkey_text;
    wxStaticText* home_mouse_label;
    wxStaticText* document_group_label;
    wxStaticText* document_function_label;
    wxTextCtrl* document_hotkey_text;
    wxStaticText* document_mouse_label;
    wxStaticText* details_pane_function_label;
    wxTextCtrl* details_pane_hotkey_text;
    wxStaticText* details_pane_mouse_label;
    wxStaticText* sign_pane_function_label;
    wxTextCtrl* sign_pane_hotkey_text;
    wxStaticText* sign_pane_mouse_label;
    wxStaticText* full_page_function_label;
    wxTextCtrl* full_page_hotkey_text;
    wxStaticText* full_page_mouse_label;
    wxStaticText* full_width_function_label;
    wxTextCtrl* full_width_hotkey_text;
    wxStaticText* full_width_mouse_label;
    wxStaticText* full_height_function_label;
    wxTextCtrl* full_height_hotkey_text;
    wxStaticText* full_height_mouse_label;
    wxStaticText* home_end_function_label;
    wxTextCtrl* home_end_hotkey_text;
    wxStaticText* home_end_mouse_label;
    wxStaticText* next_previous_function_label;
    wxTextCtrl* next_previous_hotkey_text;
    wxStaticText* next_previous_mouse_label;
    wxStaticText* zoom_function_label;
    wxTextCtrl* zoom_hotkey_text;
    wxStaticText* zoom_mouse_label;
    wxStaticText* edge_function_label;
    wxTextCtrl* edge_hotkey_text;
    wxStaticText* signed_group_label;
    wxStaticText* certificate_function_label;
    wxTextCtrl* certificate_hotkey_text;
    wxStaticText* certificate_mouse_label;
    wxStaticText* signature_function_label;
    wxTextCtrl* signature_hotkey_text;
    wxStaticText* signature_mouse_label;
};
