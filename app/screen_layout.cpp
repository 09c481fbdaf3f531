#include "app/screen_layout.h"

#include <algorithm>

#include <wx/display.h>
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

void scale_dialog_to_screen(wxWindow* dialog) {
    if (!dialog) return;
    screen_scale_percent = dpi_scale_percent(dialog);
    scale_dialog(dialog, screen_scale_percent);
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
    const int width = std::min(size.x, area.width);
    const int height = std::min(size.y, area.height);
    const int x = fit_axis(position.x, size.x, area.x, area.width);
    const int y = fit_axis(position.y, size.y, area.y, area.height);
    return wxRect(x, y, width, height);
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
