#include "widgets/wxt_hyperlink.h"

#include <wx/dcbuffer.h>
#include <wx/utils.h>

#include "widgets/form_support.h"
#include "platform/shell_open.h"

wxt_hyperlink::wxt_hyperlink(wxWindow* parent, wxWindowID, const wxString& label, const wxPoint&, const wxSize&,
                             long style, const wxString& name) {
    Create(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE,
           wxDefaultValidator, name);
    SetLabel(label);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetInitialSize();
    set_link(label, wxColour(0, 122, 204), true);
    wire(true);
}

wxt_hyperlink::~wxt_hyperlink() { wire(false); }

void wxt_hyperlink::wire(bool connect) {
    form_link(connect, this, wxEVT_SET_FOCUS, wxFocusEventHandler(wxt_hyperlink::on_set_focus));
    form_link(connect, this, wxEVT_KILL_FOCUS, wxFocusEventHandler(wxt_hyperlink::on_kill_focus));
    form_link(connect, this, wxEVT_ENTER_WINDOW, wxMouseEventHandler(wxt_hyperlink::on_enter));
    form_link(connect, this, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(wxt_hyperlink::on_leave));
    form_link(connect, this, wxEVT_LEFT_DOWN, wxMouseEventHandler(wxt_hyperlink::on_left_down));
    form_link(connect, this, wxEVT_LEFT_UP, wxMouseEventHandler(wxt_hyperlink::on_left_up));
    form_link(connect, this, wxEVT_PAINT, wxPaintEventHandler(wxt_hyperlink::on_paint));
}

void wxt_hyperlink::set_shown(const wxColour& colour) { wxControl::SetForegroundColour(colour); }

bool wxt_hyperlink::SetForegroundColour(const wxColour& colour) {
    const bool changed = wxControl::SetForegroundColour(colour);
    Refresh();
    return changed;
}

void wxt_hyperlink::set_link(const wxString& address, const wxColour& colour, bool hand) {
    url = address;
    link_colour = colour;
    set_shown(colour);
    focus_colour = colour.ChangeLightness(90);
    hover_colour = colour.ChangeLightness(80);
    pressed_colour = colour.ChangeLightness(70);
    disabled_colour = colour;
    hand_cursor = hand;
}

void wxt_hyperlink::set_action_colour(const wxColour& colour, bool hand) {
    action = true;
    set_link(wxString(), colour, hand);
}

wxString wxt_hyperlink::click_target() const {
    if (action) return wxString();
    const wxString target = url.empty() ? GetLabel() : url;
    if (target.StartsWith("mailto:") || target.StartsWith("http:") || target.StartsWith("https://")) return target;
    // A bare address: a mail address when it holds "@", a web host otherwise.
    if (target.Find('@') != wxNOT_FOUND) return "mailto:" + target;
    return "http://" + target;
}

bool wxt_hyperlink::pointer_is_over() const {
    for (wxWindow* w = wxFindWindowAtPoint(wxGetMousePosition()); w; w = w->GetParent())
        if (w == this) return true;
    return false;
}

void wxt_hyperlink::hover_look() {
    set_shown(hover_colour);
    if (hand_cursor) SetCursor(wxCursor(wxCURSOR_HAND));
}

void wxt_hyperlink::on_set_focus(wxFocusEvent&) {
    set_shown(focus_colour);
    Refresh();
}

void wxt_hyperlink::on_kill_focus(wxFocusEvent& event) {
    set_shown(link_colour);
    if (hand_cursor) SetCursor(wxNullCursor);
    Refresh();
    event.Skip();
}

void wxt_hyperlink::on_enter(wxMouseEvent& event) {
    hover_look();
    Refresh();
    event.Skip();
}

void wxt_hyperlink::on_leave(wxMouseEvent& event) {
    pressed = false;
    set_shown(link_colour);
    if (hand_cursor) SetCursor(wxNullCursor);
    Refresh();
    event.Skip();
}

void wxt_hyperlink::on_left_down(wxMouseEvent& event) {
    pressed = true;
    set_shown(pressed_colour);
    Refresh();
    event.Skip();
}

void wxt_hyperlink::on_left_up(wxMouseEvent& event) {
    if (!action) {
        const wxString target = click_target();
        platform::shell_open(target);
        if (target.StartsWith("https://")) {
            event.Skip();
            return;
        }
    }
    pressed = false;
    set_shown(focus_colour);
    Refresh();
    event.Skip();
}

void wxt_hyperlink::on_paint(wxPaintEvent&) {
    if (!IsEnabled()) {
        set_shown(disabled_colour);
    } else if (!pointer_is_over()) {
        set_shown(HasFocus() ? focus_colour : link_colour);
        if (hand_cursor) SetCursor(wxNullCursor);
    } else if (pressed) {
        set_shown(pressed_colour);
    } else {
        hover_look();
    }
    wxAutoBufferedPaintDC dc(this);
    wxColour back = GetBackgroundColour();
    if (!back.IsOk()) back = GetParent()->GetBackgroundColour();
    dc.SetBackground(wxBrush(back));
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetTextForeground(GetForegroundColour());
    dc.DrawText(GetLabel(), 0, (GetClientSize().y - dc.GetTextExtent(GetLabel()).y) / 2);
}

bool wxt_hyperlink::Enable(bool enable) {
    const bool changed = wxControl::Enable(enable);
    if (!enable) {
        set_shown(disabled_colour);
    } else {
        set_shown(link_colour);
        if (hand_cursor) SetCursor(wxNullCursor);
    }
    Refresh();
    Update();
    return changed;
}

wxSize wxt_hyperlink::DoGetBestSize() const {
    wxClientDC dc(const_cast<wxt_hyperlink*>(this));
    dc.SetFont(GetFont());
    return dc.GetTextExtent(GetLabel());
}
