#include "ui/expandbar.h"

#include <wx/utils.h>

#include "app/settings.h"
#include "app/theme_colours.h"
#include "document/doc_base.h"
#include "ui/page_glcanvas.h"
#include "ui/view_hooks.h"
#include "widgets/theme_bitmaps.h"

expandbar* left_expandbar = nullptr;
expandbar* right_expandbar = nullptr;

expandbar::expandbar(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name)
    : expandbar_base(parent, id, pos, size, style, name) {
    pressed = false;
    is_left = name == "expandbar-left";
    if (is_left)
        left_expandbar = this;
    else if (name == "expandbar-right")
        right_expandbar = this;
    arrow_left_button->SetBackgroundColour(theme_bar_colour);
    arrow_right_button->SetBackgroundColour(theme_bar_colour);
    normal_first = arrow_left_button->GetBitmapLabel();
    normal_second = arrow_right_button->GetBitmapLabel();
    hover_first = arrow_left_button->GetBitmapCurrent();
    hover_second = arrow_right_button->GetBitmapCurrent();
    recolour_bitmap_for_theme(normal_first);
    recolour_bitmap_for_theme(normal_second);
    show_pictures(false);
}

expandbar::~expandbar() {
    if (left_expandbar == this) left_expandbar = nullptr;
    if (right_expandbar == this) right_expandbar = nullptr;
}

bool expandbar::option() const { return is_left ? is_expand_left : is_expand_right; }

void expandbar::show_pictures(bool hovered) {
    arrow_left_button->SetBitmapLabel(hovered ? hover_first : normal_first);
    arrow_left_button->SetBitmapPosition(wxLEFT);
    arrow_right_button->SetBitmapLabel(hovered ? hover_second : normal_second);
    arrow_right_button->SetBitmapPosition(wxLEFT);
}

void expandbar::set_expanded(bool expand) {
    view_hooks& hooks = the_view_hooks();
    if (is_left) {
        call_hook(hooks.show_pane, true, expand);
        arrow_left_button->Show(expand);
        arrow_right_button->Show(!expand);
        call_hook(hooks.layout_content);
        if (expand)
            call_hook(hooks.focus_pane, true);
        else if (page_canvas)
            page_canvas->fit_page();
        is_expand_left = expand;
    } else {
        call_hook(hooks.show_pane, false, expand);
        arrow_right_button->Show(expand);
        arrow_left_button->Show(!expand);
        call_hook(hooks.layout_content);
        call_hook(hooks.select_stamp, expand);
        if (expand) {
            if (page_canvas && page_canvas->painted && !document_locked_for_signing(current_document))
                page_canvas->fit_page();
            call_hook(hooks.focus_pane, false);
        } else if (page_canvas) {
            page_canvas->fit_page();
        }
        is_expand_right = expand;
    }
    if (!expand && page_canvas) {
        page_canvas->SetCanFocus(true);
        page_canvas->SetFocusFromKbd();
        page_canvas->repaint();
    }
    Layout();
}

void expandbar::on_enter(wxMouseEvent& event) {
    show_pictures(true);
    event.Skip();
}

void expandbar::on_leave(wxMouseEvent& event) {
    show_pictures(false);
    event.Skip();
}

void expandbar::on_left_down(wxMouseEvent& event) {
    pressed = true;
    set_expanded(!option());
    event.Skip();
}

void expandbar::on_left_up(wxMouseEvent& event) {
    pressed = false;
    event.Skip();
}

void expandbar::on_arrow_click(wxCommandEvent& event) {
    set_expanded(!option());
    event.Skip();
}

void expandbar::on_arrow_leave(wxMouseEvent& event) {
    const wxPoint p = ScreenToClient(wxGetMousePosition());
    show_pictures(GetClientRect().Contains(p));
    event.Skip();
}
