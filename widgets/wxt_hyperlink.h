#pragma once
// A text link. A left-button release opens its target through the desktop
// (platform::shell_open) unless it is an action label, whose owner handles
// the click itself. It draws its own text, since a GTK label reports no mouse
// or paint events.
#include <wx/control.h>
#include <wx/stattext.h>

class wxt_hyperlink : public wxControl {
public:
    wxt_hyperlink(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = 0, const wxString& name = wxStaticTextNameStr);
    ~wxt_hyperlink() override;

    // The link opens address, or the label when address is empty.
    void set_link(const wxString& address, const wxColour& colour, bool hand_cursor);
    // Makes the control an action label: a click only changes the look.
    void set_action_colour(const wxColour& colour, bool hand_cursor);

    // The address a click would open (after the scheme rules), empty for an
    // action label.
    wxString click_target() const;

    bool Enable(bool enable = true) override;
    bool SetForegroundColour(const wxColour& colour) override;
    // Kept for the forms, which treat the link as a static text.
    void Wrap(int width) { wrap_width = width; }

    wxColour link_colour, focus_colour, hover_colour, pressed_colour, disabled_colour;
    bool pressed = false;
    wxString url;
    bool hand_cursor = true;
    bool action = false;

protected:
    virtual void on_set_focus(wxFocusEvent& event);
    virtual void on_kill_focus(wxFocusEvent& event);
    virtual void on_enter(wxMouseEvent& event);
    virtual void on_leave(wxMouseEvent& event);
    virtual void on_left_down(wxMouseEvent& event);
    virtual void on_left_up(wxMouseEvent& event);
    virtual void on_paint(wxPaintEvent& event);

    virtual bool pointer_is_over() const;
    wxSize DoGetBestSize() const override;

private:
    void wire(bool connect);
    void hover_look();
    void set_shown(const wxColour& colour);

    int wrap_width = -1;
};
