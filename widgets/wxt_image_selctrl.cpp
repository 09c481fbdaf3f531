#include "widgets/wxt_image_selctrl.h"

#include <algorithm>

#include <wx/dcbuffer.h>

#include "widgets/form_support.h"
#include "app/screen_layout.h"
#include "app/theme_colours.h"

namespace {
int made_odd(int v) {
    if (v <= 1) return 1;
    return v % 2 == 0 ? v - 1 : v;
}
}  // namespace

wxt_image_selctrl::wxt_image_selctrl(wxWindow* parent, const wxBitmap& bitmap, const wxString& name) {
    const int m = std::max(hover_width, selected_width);
    const wxSize size = bitmap.IsOk() ? wxSize(bitmap.GetWidth() + 2 * m, bitmap.GetHeight() + 2 * m) : wxSize(2 * m, 2 * m);
    Create(parent, wxID_ANY, wxDefaultPosition, size, wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE, wxDefaultValidator,
           "control");
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    fit_to_picture(bitmap);
    SetBackgroundColour(theme_control_colour);
    Layout();
    picture = bitmap;
    SetName(name);
    wire(true);
}

wxt_image_selctrl::~wxt_image_selctrl() { wire(false); }

void wxt_image_selctrl::wire(bool connect) {
    form_link(connect, this, wxEVT_ENTER_WINDOW, wxMouseEventHandler(wxt_image_selctrl::on_enter));
    form_link(connect, this, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(wxt_image_selctrl::on_leave));
    form_link(connect, this, wxEVT_PAINT, wxPaintEventHandler(wxt_image_selctrl::on_paint));
}

wxSize wxt_image_selctrl::fit_to_picture(const wxBitmap& bitmap) {
    const int m = std::max(hover_width, selected_width);
    const int bw = bitmap.IsOk() ? bitmap.GetWidth() : 0;
    const int bh = bitmap.IsOk() ? bitmap.GetHeight() : 0;
    const wxSize size(bw + 2 * m, bh + 2 * m);
    SetMinSize(size);
    SetMaxSize(size);
    SetSize(size);
    return size;
}

void wxt_image_selctrl::set_border_widths(int hover, int selected_w) {
    if (hover == 0 || selected_w == 0) return;
    if (hover == hover_width && selected_w == selected_width) return;
    const int a = made_odd(hover), b = made_odd(selected_w);
    hover_width = std::min(a, b);
    selected_width = std::max(a, b);
    fit_to_picture(picture);
    Refresh();
}

void wxt_image_selctrl::on_enter(wxMouseEvent&) {
    hovered = true;
    Refresh();
}

void wxt_image_selctrl::on_leave(wxMouseEvent&) {
    hovered = false;
    Refresh();
}

void wxt_image_selctrl::on_paint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    const wxSize sz = GetClientSize();
    const int s = selected_width;
    if (picture.IsOk()) dc.DrawBitmap(picture, s, s, true);
    const int half = s / 2;
    const int x1 = sz.x - s + half, y1 = sz.y - s + half;
    wxPen pen = selected ? wxPen(selected_colour, s)
                         : hovered ? wxPen(hover_colour, hover_width) : wxPen(GetBackgroundColour(), s);
    dc.SetPen(pen);
    dc.DrawLine(half, half, x1, half);
    dc.DrawLine(x1, half, x1, y1);
    dc.DrawLine(x1, y1, half, y1);
    dc.DrawLine(half, y1, half, half);
}
