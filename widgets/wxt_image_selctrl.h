#pragma once
// A picture tile with a coloured frame: orange while hovered, blue while
// selected (the owner sets `selected` and refreshes).
#include <wx/bitmap.h>
#include <wx/control.h>

class wxt_image_selctrl : public wxControl {
public:
    wxt_image_selctrl(wxWindow* parent, const wxBitmap& picture, const wxString& name);
    ~wxt_image_selctrl() override;

    void set_border_widths(int hover, int selected);
    // Sizes the control for the picture and returns the size.
    wxSize fit_to_picture(const wxBitmap& bitmap);

    wxBitmap picture;
    int hover_width = 3;
    int selected_width = 7;
    wxColour hover_colour{255, 128, 61};
    wxColour selected_colour{0, 122, 204};
    bool selected = false;
    bool hovered = false;

protected:
    virtual void on_enter(wxMouseEvent& event);
    virtual void on_leave(wxMouseEvent& event);
    virtual void on_paint(wxPaintEvent& event);

private:
    void wire(bool connect);
};
