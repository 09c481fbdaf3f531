#pragma once
// Stores the screen scale and enlarges a dialog by the part of it that the
// toolkit does not apply itself. GTK already lays windows out in logical
// pixels (at GDK_SCALE=2 every logical pixel is two device pixels), so only
// a DPI above the toolkit's own factor enlarges the dialog further.
#include <wx/window.h>

#include "app/screen_layout.h"

inline void scale_service_dialog(wxWindow* dialog) {
    screen_scale_percent = dpi_scale_percent(dialog);
    const double toolkit = dialog->GetContentScaleFactor() > 0 ? dialog->GetContentScaleFactor() : 1.0;
    scale_dialog(dialog, static_cast<int>(screen_scale_percent / toolkit + 0.5));
}
