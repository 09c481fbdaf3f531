#pragma once
// A status line: shows a message steadily or blinks it (three times, or for
// minutes when asked for a long blink).
#include <wx/stattext.h>
#include <wx/timer.h>

class wxt_active_textctrl : public wxStaticText {
public:
    wxt_active_textctrl(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                        const wxSize& size = wxDefaultSize, long style = 0,
                        const wxString& name = wxStaticTextNameStr);
    ~wxt_active_textctrl() override;

    bool SetForegroundColour(const wxColour& colour) override;

    void set_message(const wxColour& colour, const wxString& text);
    // Blinks text (the current label when empty); long_blink lasts 999 ticks.
    void flash_message(const wxColour& colour, const wxString& text, int unused = 0, long long_blink = 0);

    wxColour flash_colour;
    wxString saved_label;
    wxTimer* timer = nullptr;
    int interval = 500;
    int toggle_limit = 6;
    int toggle_count = 0;

    // One blink step, as the timer runs it.
    void on_timer(wxTimerEvent& event);

private:
    void relayout();
};
