// The page view's event handlers: they take the pointer and sizes in view
// pixels and hand the decisions to page_view_model.
#include <cmath>

#include <wx/utils.h>

#include "app/settings.h"
#include "document/doc_base.h"
#include "ui/expandbar.h"
#include "ui/page_glcanvas.h"
#include "ui/view_hooks.h"

void page_glcanvas::take_pointer() {
    const wxPoint p = ScreenToClient(wxGetMousePosition());
    const double s = pixel_scale();
    pointer_x = (int)std::lround(p.x * s);
    pointer_y = (int)std::lround(p.y * s);
}

void page_glcanvas::toggle_pane(bool left) {
    expandbar* bar = left ? left_expandbar : right_expandbar;
    if (bar) bar->set_expanded(left ? !is_expand_left : !is_expand_right);
}

void page_glcanvas::on_size(wxSizeEvent& event) {
    const double s = pixel_scale();
    const wxSize client = GetClientSize();
    const int w = (int)std::lround(client.x * s), h = (int)std::lround(client.y * s);
    if (w > 0 && h > 0) {
        handle_size(w, h, w, h);
        Layout();
    }
    Refresh(false);
    event.Skip();
}

void page_glcanvas::on_wheel(wxMouseEvent& event) {
    // A sideways wheel or touch-pad swipe neither scrolls nor turns pages.
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) {
        event.Skip();
        return;
    }
    const wxPoint p = ScreenToClient(wxGetMousePosition());
    const wxSize size = GetClientSize();
    const bool inside = p.x >= 0 && p.y >= 0 && p.x < size.x && p.y < size.y;
    handle_wheel(event.GetWheelRotation() >= 0, event.ControlDown(), event.ShiftDown(), event.RightIsDown(),
                 inside);
    event.Skip();
}

namespace {
page_view_model::scroll_kind kind_of(const wxEventType t) {
    using k = page_view_model::scroll_kind;
    if (t == wxEVT_SCROLLWIN_LINEUP) return k::line_up;
    if (t == wxEVT_SCROLLWIN_LINEDOWN) return k::line_down;
    if (t == wxEVT_SCROLLWIN_PAGEUP) return k::page_up;
    if (t == wxEVT_SCROLLWIN_PAGEDOWN) return k::page_down;
    if (t == wxEVT_SCROLLWIN_THUMBTRACK) return k::thumb_track;
    if (t == wxEVT_SCROLLWIN_TOP) return k::top;
    if (t == wxEVT_SCROLLWIN_BOTTOM) return k::bottom;
    return k::thumb_release;
}
}  // namespace

void page_glcanvas::on_scroll(wxScrollWinEvent& event) {
    if (!painted) return;
    const auto kind = kind_of(event.GetEventType());
    if (event.GetOrientation() == wxHORIZONTAL) {
        handle_hscroll(kind, (int)std::lround(event.GetPosition() * pixel_scale()));
    } else if (page_count() == 1) {
        // The single-page bar counts in window units.
        const double s = pixel_scale();
        handle_vscroll(kind, (int)std::lround(event.GetPosition() * s),
                       (int)std::lround(GetScrollRange(wxVERTICAL) * s),
                       (int)std::lround(GetScrollThumb(wxVERTICAL) * s));
    } else {
        handle_vscroll(kind, event.GetPosition(), GetScrollRange(wxVERTICAL), GetScrollThumb(wxVERTICAL));
    }
}

void page_glcanvas::on_key(wxKeyEvent& event) {
    if (ask_hook(the_view_hooks().home_page_shown)) {
        event.Skip();
        return;
    }
    if (!current_document) return;
    handle_key(event.GetKeyCode(), event.ControlDown(), event.ShiftDown(), event.AltDown());
    event.Skip();
}

void page_glcanvas::on_left_dclick(wxMouseEvent& event) {
    handle_dclick();
    event.Skip();
}

void page_glcanvas::on_left_down(wxMouseEvent& event) {
    left_pressed = true;
    take_pointer();
    if (!painted) {
        toggle_pane(pointer_x < client_width / 2);
        return;
    }
    if (can_start_stamp() || over_stamp()) return;
    if (sig_result* hit = signature_under_pointer()) {
        if (the_view_hooks().show_simple_sigdlg) the_view_hooks().show_simple_sigdlg(this, hit);
    } else {
        const int margin = margin_under_pointer();
        if (margin) toggle_pane(margin == 1);
    }
    event.Skip();
}

void page_glcanvas::on_left_up(wxMouseEvent& event) {
    left_pressed = false;
    if (painted) {
        if (highlight) {
            highlight = false;
            repaint();
        }
        drawing = moving = false;
    }
    event.Skip();
}

void page_glcanvas::on_right_up(wxMouseEvent& event) {
    if (painted && ask_hook(the_view_hooks().visible_stamp_selected) && !stamp_rect.degenerate()) {
        clear_stamp();
        repaint();
    }
    event.Skip();
}

void page_glcanvas::on_motion(wxMouseEvent& event) {
    if (!painted) return;
    take_pointer();
    handle_motion(event.LeftIsDown());
    event.Skip();
}

void page_glcanvas::update_cursor() {
    wxStockCursor c = wxCURSOR_ARROW;
    if (page_view_rect.contains((float)pointer_x, (float)pointer_y)) {
        if (can_start_stamp())
            c = wxCURSOR_CROSS;
        else if (hover)
            c = wxCURSOR_HAND;
        else if (over_stamp() || page_taller() || page_wider())
            c = wxCURSOR_SIZING;
    }
    SetCursor(wxCursor(c));
}
