#pragma once
// A flat button with one colour pair (text, background) per state: normal,
// focused, hovered, pressed, disabled. It draws itself, since a native GTK
// button reports no paint or hover events; a click still raises wxEVT_BUTTON
// with the button's id.
#include <wx/button.h>
#include <wx/control.h>
#include <wx/timer.h>

class wxt_colorbutton : public wxControl {
public:
    struct state_colours {
        wxColour text;
        wxColour background;
    };
    enum class look { normal, focused, hovered, pressed, disabled };

    wxt_colorbutton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                    const wxSize& size = wxDefaultSize, long style = 0, const wxValidator& validator = wxDefaultValidator,
                    const wxString& name = wxButtonNameStr);
    ~wxt_colorbutton() override;

    bool Enable(bool enable = true) override;
    // Makes the button the default item of its top-level window.
    void SetDefault();

    // White text on the background, darker shades for focus, hover, press.
    void set_colours(const wxColour& background);
    // Black text on a light background with accent highlights.
    void set_base_colour(const wxColour& background);
    // One look for every state.
    void set_plain_colours(const wxColour& text, const wxColour& background);

    void preset_green() { set_colours(wxColour(13, 147, 45)); }
    void preset_bright_green() { set_colours(wxColour(1, 202, 73)); }
    void preset_blue() { set_colours(wxColour(0, 122, 204)); }
    void preset_light_blue() { set_colours(wxColour(35, 170, 242)); }
    void preset_orange();
    void preset_grey() { set_base_colour(wxColour(216, 216, 216)); }

    // The look the button would draw now, and the colours it shows.
    look current_look() const;
    const state_colours& colours_of(look which) const;
    const wxColour& shown_text() const { return shown_text_colour; }
    const wxColour& shown_background() const { return shown_background_colour; }

    bool disabled_look = true;
    int border_width = 1;
    wxColour border_colour;
    state_colours normal_colours, focused_colours, hovered_colours, pressed_colours, disabled_colours;
    bool pressed = false;
    bool border = false;  // the caller did not ask for wxBORDER_NONE: draw a frame
    wxTimer* timer = nullptr;

protected:
    virtual void on_set_focus(wxFocusEvent& event);
    virtual void on_kill_focus(wxFocusEvent& event);
    virtual void on_enter(wxMouseEvent& event);
    virtual void on_leave(wxMouseEvent& event);
    virtual void on_left_down(wxMouseEvent& event);
    virtual void on_left_up(wxMouseEvent& event);
    virtual void on_paint(wxPaintEvent& event);

    // Whether the window under the mouse pointer is this button or inside it.
    virtual bool pointer_is_over() const;

    wxSize DoGetBestSize() const override;

private:
    void apply_look(look which);
    void wire(bool connect);
    void on_timer(wxTimerEvent& event);
    void on_key(wxKeyEvent& event);
    void click();

    wxColour shown_text_colour, shown_background_colour;
};
