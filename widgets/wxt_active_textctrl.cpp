#include "widgets/wxt_active_textctrl.h"

#include <wx/sizer.h>

wxt_active_textctrl::wxt_active_textctrl(wxWindow* parent, wxWindowID, const wxString& label, const wxPoint&,
                                         const wxSize& size, long style, const wxString& name)
    : wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, size, style, name) {
    timer = new wxTimer(this);
    Bind(wxEVT_TIMER, &wxt_active_textctrl::on_timer, this, timer->GetId());
}

wxt_active_textctrl::~wxt_active_textctrl() {
    timer->Stop();
    delete timer;
}

bool wxt_active_textctrl::SetForegroundColour(const wxColour& colour) {
    const bool changed = wxStaticText::SetForegroundColour(colour);
    Refresh();
    return changed;
}

void wxt_active_textctrl::relayout() {
    if (wxSizer* sizer = GetContainingSizer()) sizer->Layout();
}

void wxt_active_textctrl::set_message(const wxColour& colour, const wxString& text) {
    if (timer->IsRunning()) timer->Stop();
    SetLabel(saved_label);
    relayout();
    SetLabel(text);
    SetForegroundColour(colour);
    Refresh();
    Show();
}

void wxt_active_textctrl::flash_message(const wxColour& colour, const wxString& text, int, long long_blink) {
    if (timer->IsRunning()) {
        timer->Stop();
        SetLabel(saved_label);
        relayout();
    }
    flash_colour = colour;
    saved_label = text.empty() ? GetLabel() : text;
    toggle_count = 0;
    toggle_limit = long_blink ? 999 : 6;
    timer->Start(interval);
    SetLabel(wxString());
    Refresh();
    Show();
}

void wxt_active_textctrl::on_timer(wxTimerEvent&) {
    if (toggle_count < toggle_limit) {
        if (toggle_count % 2 == 0) {
            SetForegroundColour(flash_colour);
            SetLabel(saved_label);
        } else {
            SetLabel(wxString());
        }
        ++toggle_count;
    } else {
        timer->Stop();
        SetLabel(saved_label);
        relayout();
    }
    relayout();
}
