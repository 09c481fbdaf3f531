#include "widgets/wxt_colorbutton.h"

#include <wx/dcbuffer.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include "widgets/form_support.h"

namespace {

const wxColour accent(0, 122, 204);
const wxColour button_grey(216, 216, 216);
const wxColour disabled_border(148, 148, 148);

wxColour shade(const wxColour& c, int lightness) { return c.ChangeLightness(lightness); }

}  // namespace

wxt_colorbutton::wxt_colorbutton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint&,
                                 const wxSize& size, long style, const wxValidator&, const wxString& name) {
    if (!(style & wxBORDER_NONE)) {
        border = true;
        style |= wxBORDER_NONE;
    }
    Create(parent, id, wxDefaultPosition, size, style | wxFULL_REPAINT_ON_RESIZE, wxDefaultValidator, name);
    SetLabel(label);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetInitialSize(size);
    timer = new wxTimer(this);
    Bind(wxEVT_TIMER, &wxt_colorbutton::on_timer, this, timer->GetId());
    Bind(wxEVT_KEY_DOWN, &wxt_colorbutton::on_key, this);
    preset_green();
    wire(true);
}

wxt_colorbutton::~wxt_colorbutton() {
    wire(false);
    timer->Stop();
    delete timer;
}

void wxt_colorbutton::wire(bool connect) {
    form_link(connect, this, wxEVT_SET_FOCUS, wxFocusEventHandler(wxt_colorbutton::on_set_focus));
    form_link(connect, this, wxEVT_KILL_FOCUS, wxFocusEventHandler(wxt_colorbutton::on_kill_focus));
    form_link(connect, this, wxEVT_ENTER_WINDOW, wxMouseEventHandler(wxt_colorbutton::on_enter));
    form_link(connect, this, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(wxt_colorbutton::on_leave));
    form_link(connect, this, wxEVT_LEFT_DOWN, wxMouseEventHandler(wxt_colorbutton::on_left_down));
    form_link(connect, this, wxEVT_LEFT_UP, wxMouseEventHandler(wxt_colorbutton::on_left_up));
    form_link(connect, this, wxEVT_PAINT, wxPaintEventHandler(wxt_colorbutton::on_paint));
}

void wxt_colorbutton::SetDefault() {
    if (wxTopLevelWindow* tlw = wxDynamicCast(wxGetTopLevelParent(this), wxTopLevelWindow)) tlw->SetDefaultItem(this);
}

void wxt_colorbutton::set_colours(const wxColour& b) {
    normal_colours = {*wxWHITE, b};
    focused_colours = {*wxWHITE, shade(b, 90)};
    hovered_colours = {*wxWHITE, shade(b, 80)};
    pressed_colours = {*wxWHITE, shade(b, 70)};
    disabled_colours = {*wxWHITE, button_grey};
    border_colour = *wxWHITE;
    apply_look(current_look());
    if (!pointer_is_over()) Refresh();
}

void wxt_colorbutton::set_base_colour(const wxColour& b) {
    normal_colours = {*wxBLACK, b};
    focused_colours = {accent, shade(b, 110)};
    hovered_colours = {accent, shade(b, 120)};
    pressed_colours = {accent, shade(b, 90)};
    disabled_colours = {disabled_border, b};
    border_colour = *wxBLACK;
    apply_look(current_look());
    if (!pointer_is_over()) Refresh();
}

void wxt_colorbutton::set_plain_colours(const wxColour& t, const wxColour& b) {
    normal_colours = focused_colours = hovered_colours = pressed_colours = {t, b};
    disabled_colours = {button_grey, b};
    border_colour = t;
    apply_look(current_look());
}

void wxt_colorbutton::preset_orange() {
    set_colours(wxColour(255, 128, 61));
    apply_look(look::focused);
}

const wxt_colorbutton::state_colours& wxt_colorbutton::colours_of(look which) const {
    switch (which) {
        case look::focused: return focused_colours;
        case look::hovered: return hovered_colours;
        case look::pressed: return pressed_colours;
        case look::disabled: return disabled_colours;
        case look::normal: break;
    }
    return normal_colours;
}

wxt_colorbutton::look wxt_colorbutton::current_look() const {
    if (!IsEnabled() && disabled_look) return look::disabled;
    if (!pointer_is_over()) return HasFocus() ? look::focused : look::normal;
    return pressed ? look::pressed : look::hovered;
}

void wxt_colorbutton::apply_look(look which) {
    const state_colours& c = colours_of(which);
    shown_text_colour = c.text;
    shown_background_colour = c.background;
    if (border) border_colour = which == look::disabled ? disabled_border : c.text;
}

bool wxt_colorbutton::pointer_is_over() const {
    for (wxWindow* w = wxFindWindowAtPoint(wxGetMousePosition()); w; w = w->GetParent())
        if (w == this) return true;
    return false;
}

void wxt_colorbutton::on_set_focus(wxFocusEvent&) {
    apply_look(look::focused);
    Refresh();
    Update();
}

void wxt_colorbutton::on_kill_focus(wxFocusEvent& event) {
    apply_look(look::normal);
    Refresh();
    event.Skip();
}

void wxt_colorbutton::on_enter(wxMouseEvent& event) {
    Refresh();
    event.Skip();
}

void wxt_colorbutton::on_leave(wxMouseEvent& event) {
    pressed = false;
    Refresh();
    event.Skip();
}

void wxt_colorbutton::on_left_down(wxMouseEvent& event) {
    pressed = true;
    Refresh();
    event.Skip();
}

void wxt_colorbutton::on_left_up(wxMouseEvent& event) {
    const bool was_pressed = pressed;
    pressed = false;
    if (timer->IsRunning()) return;  // a second release right after a click is swallowed
    timer->Start(200);
    event.Skip();
    if (was_pressed) click();
}

void wxt_colorbutton::click() {
    if (!IsEnabled()) return;
    wxCommandEvent clicked(wxEVT_BUTTON, GetId());
    clicked.SetEventObject(this);
    ProcessWindowEvent(clicked);
}

void wxt_colorbutton::on_key(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_SPACE || key == WXK_RETURN || key == WXK_NUMPAD_ENTER)
        click();
    else
        event.Skip();
}

void wxt_colorbutton::on_timer(wxTimerEvent&) {
    if (!IsEnabled()) return;
    timer->Stop();
    Refresh();
    Update();
}

bool wxt_colorbutton::Enable(bool enable) {
    const bool changed = wxControl::Enable(enable);
    apply_look(enable ? look::normal : look::disabled);
    if (!enable && border) border_colour = disabled_border;
    Refresh();
    Update();
    return changed;
}

void wxt_colorbutton::on_paint(wxPaintEvent&) {
    apply_look(current_look());
    wxAutoBufferedPaintDC dc(this);
    const wxSize sz = GetClientSize();
    dc.SetBackground(wxBrush(shown_background_colour));
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetTextForeground(shown_text_colour);
    const wxString label = wxControl::RemoveMnemonics(GetLabel());
    const wxSize text = dc.GetTextExtent(label);
    dc.DrawText(label, (sz.x - text.x) / 2, (sz.y - text.y) / 2);
    if (border) {
        const int w = sz.x, h = sz.y;
        int pen_width = border_width;
        if (pen_width % 2 == 0) pen_width -= 1;
        if (pen_width < 1) pen_width = 1;
        dc.SetPen(wxPen(border_colour, pen_width, wxPENSTYLE_SOLID));
        dc.DrawLine(0, 0, w, 0);
        dc.DrawLine(w - 1, 0, w - 1, h);
        dc.DrawLine(w, h - 1, 0, h - 1);
        dc.DrawLine(0, h, 0, 0);
    }
}

wxSize wxt_colorbutton::DoGetBestSize() const {
    wxClientDC dc(const_cast<wxt_colorbutton*>(this));
    dc.SetFont(GetFont());
    const wxSize text = dc.GetTextExtent(wxControl::RemoveMnemonics(GetLabel()));
    return wxSize(text.x + FromDIP(24), text.y + FromDIP(12));
}
