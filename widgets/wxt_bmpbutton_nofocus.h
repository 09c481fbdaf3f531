#pragma once
// A borderless picture button that keyboard navigation passes over.
#include <wx/bmpbuttn.h>

class wxt_bmpbutton_nofocus : public wxBitmapButton {
public:
    wxt_bmpbutton_nofocus(wxWindow* parent, const wxString& name = wxButtonNameStr)
        : wxBitmapButton(parent, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                         wxBU_AUTODRAW | wxBORDER_NONE, wxDefaultValidator, name) {}
    // The form of the other constructors; only parent and name are used.
    wxt_bmpbutton_nofocus(wxWindow* parent, wxWindowID, const wxBitmap&, const wxPoint&, const wxSize&, long,
                          const wxValidator&, const wxString& name)
        : wxt_bmpbutton_nofocus(parent, name) {}

    bool AcceptsFocusFromKeyboard() const override { return false; }
};
