#include "app/screen_layout.h"

#include <algorithm>

#include <vector>

#include <wx/display.h>
#include <wx/scrolwin.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/toplevel.h>
#include <wx/window.h>

std::int32_t screen_scale_percent = 100;

int scale_percent_for_dpi(int dpi) {
    if (dpi <= 0) return 100;  // no screen to measure
    // Integer form of ceil(dpi * 100 / 96.0): exact for every whole dpi.
    return static_cast<int>((static_cast<std::int64_t>(dpi) * 100 + 95) / 96);
}

int dpi_scale_percent(const wxWindow* window) {
    if (!window) return 100;
    // Under GTK sizes and pictures are in logical pixels which the toolkit
    // itself multiplies by its scale (GDK_SCALE=2 reports 192 DPI): only the
    // DPI above that scale is the program's to apply, or every window part
    // sized by this percentage would come out twice too large.
    const double toolkit_scale = window->GetContentScaleFactor();
    const int dpi = window->GetDPI().x;
    if (toolkit_scale > 1.0) return scale_percent_for_dpi(static_cast<int>(dpi / toolkit_scale + 0.5));
    return scale_percent_for_dpi(dpi);
}

wxSize scaled_dialog_size(const wxSize& size, int percent) {
    if (percent <= 100) return size;
    return wxSize(size.x * percent / 100, size.y * percent / 100);
}

void scale_dialog(wxWindow* dialog, int percent) {
    if (!dialog) return;
    // Under GTK window sizes are logical pixels that the toolkit already
    // multiplies by its own scale (GDK_SCALE): enlarge only by what is left.
    const double toolkit_scale = dialog->GetContentScaleFactor();
    if (toolkit_scale > 1.0) percent = static_cast<int>(percent / toolkit_scale + 0.5);
    if (percent <= 100) return;
    dialog->SetSize(scaled_dialog_size(dialog->GetSize(), percent));
    dialog->Layout();
}

namespace {

const char scroller_name[] = "screen_fit_scroller";

// Keeps [pos, pos + length) inside [start, start + extent) where it can.
int fit_axis(int pos, int length, int start, int extent);

// A shown window is placed by whoever opened it (beside its opener, centred
// on its parent): only then is its final rectangle known, and it is checked
// again against the work area.
void fit_when_shown(wxShowEvent& event) {
    event.Skip();
    auto* window = dynamic_cast<wxTopLevelWindow*>(event.GetEventObject());
    if (window && event.IsShown()) fit_to_screen(window);
}

}  // namespace

wxWindow* scroll_content(wxWindow* window) {
    wxSizer* content = window->GetSizer();
    // No size at creation: that would become the scroller's minimum.
    auto* scroller = new wxScrolledWindow(window, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                          wxVSCROLL | wxHSCROLL | wxTAB_TRAVERSAL, scroller_name);
    scroller->SetSize(window->GetClientSize());
    scroller->SetBackgroundColour(window->GetBackgroundColour());
    scroller->SetForegroundColour(window->GetForegroundColour());
    scroller->SetFont(window->GetFont());
    std::vector<wxWindow*> children;
    for (wxWindow* child : window->GetChildren())
        if (child != scroller && !child->IsTopLevel()) children.push_back(child);
    for (wxWindow* child : children) child->Reparent(scroller);
    window->SetSizer(nullptr, false);
    scroller->SetSizer(content);
    scroller->SetScrollRate(10, 10);
    auto* outer = new wxBoxSizer(wxVERTICAL);
    outer->Add(scroller, 1, wxEXPAND);
    window->SetSizer(outer);
    return scroller;
}

void scale_dialog_to_screen(wxWindow* dialog) {
    if (!dialog) return;
    screen_scale_percent = dpi_scale_percent(dialog);
    scale_dialog(dialog, screen_scale_percent);
    keep_on_screen(dynamic_cast<wxTopLevelWindow*>(dialog));
}

void keep_on_screen(wxTopLevelWindow* window) {
    if (!window) return;
    fit_to_screen(window);
    window->Unbind(wxEVT_SHOW, fit_when_shown);
    window->Bind(wxEVT_SHOW, fit_when_shown);
}

wxRect display_client_area(const wxWindow* window) {
    int index = window ? wxDisplay::GetFromWindow(window) : wxNOT_FOUND;
    if (index == wxNOT_FOUND || index >= static_cast<int>(wxDisplay::GetCount())) index = 0;
    return wxDisplay(static_cast<unsigned>(index)).GetClientArea();
}

wxRect rect_inside(const wxRect& rect, const wxRect& area) {
    const int width = std::min(rect.width, area.width);
    const int height = std::min(rect.height, area.height);
    return wxRect(fit_axis(rect.x, width, area.x, area.width), fit_axis(rect.y, height, area.y, area.height), width,
                  height);
}

wxWindow* fitted_scroller(const wxWindow* window) {
    if (!window) return nullptr;
    for (wxWindow* child : window->GetChildren())
        if (child->GetName() == scroller_name) return child;
    return nullptr;
}

void fit_to_screen(wxTopLevelWindow* window) {
    if (!window) return;
    const wxRect area = display_client_area(window);
    // Decorations drawn around the client area by the window manager.
    const wxSize frame = window->GetSize() - window->GetClientSize();
    const wxSize room(area.width - frame.x, area.height - frame.y);
    wxSize size = window->GetSize();
    if (wxSizer* sizer = window->GetSizer(); sizer && !fitted_scroller(window)) {
        const wxSize needed = sizer->CalcMin();
        if (needed.x > room.x || needed.y > room.y) {
            scroll_content(window);
            // Room for the vertical scroll bar beside content as wide as it needs.
            const int bar = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, window);
            size.x = std::max(size.x, needed.x + std::max(bar, 0) + frame.x);
        }
    }
    // A minimum larger than the area would hold the window beyond it.
    const wxSize min = window->GetMinSize();
    if (min.x > area.width || min.y > area.height)
        window->SetMinSize(wxSize(std::min(min.x, area.width), std::min(min.y, area.height)));
    // A window not yet shown is placed by whoever shows it: only its size is
    // fitted now, its position when it is shown.
    const wxRect placed = rect_inside(wxRect(window->GetPosition(), size), area);
    if (!window->IsShown()) {
        if (placed.GetSize() != window->GetSize()) window->SetSize(placed.GetSize());
    } else if (placed != window->GetRect()) {
        window->SetSize(placed);
    }
    window->Layout();
}

namespace {

// Keeps [pos, pos + length) inside [start, start + extent) where it can.
int fit_axis(int pos, int length, int start, int extent) {
    if (pos < start) return start;
    if (pos + length > start + extent) {
        pos -= pos + length - (start + extent);
        if (pos < start) pos = start;
    }
    return pos;
}

}  // namespace

wxRect main_window_placement(const wxRect& area, const wxPoint& position, const wxSize& size) {
    if (size.x <= 0 || size.y <= 0) {
        // No size remembered: a share of the area's width, its full height, centred.
        int width = area.width;
        if (area.width > 1920)
            width = area.width / 2;
        else if (area.width > 1280)
            width = area.width * 7 / 10;
        return wxRect(area.x + (area.width - width) / 2, area.y, width, area.height);
    }
    return rect_inside(wxRect(position, size), area);
}

void place_main_window(wxWindow* window, wxPoint& position, wxSize& size) {
    if (!window) return;
    int index = wxDisplay::GetFromWindow(window);
    if (index == wxNOT_FOUND && size.x > 0 && size.y > 0) index = wxDisplay::GetFromPoint(position);
    if (index == wxNOT_FOUND || index >= static_cast<int>(wxDisplay::GetCount())) index = 0;
    const wxRect area = wxDisplay(static_cast<unsigned>(index)).GetClientArea();

    const bool remembered = size.x > 0 && size.y > 0;
    const wxRect placed = main_window_placement(area, position, size);
    if (!remembered) {
        window->Move(placed.GetPosition());
        window->SetSize(placed.GetSize());
        position = window->GetPosition();
        size = window->GetSize();
    } else {
        window->SetSize(placed.GetSize());
        window->Move(placed.GetPosition());
        position = placed.GetPosition();
        size = placed.GetSize();
    }
}
