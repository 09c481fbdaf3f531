#pragma once
// STAND-IN: the message bar with only its form and the message operations
// the main window calls, until the real bar is written.
#include "app/theme_colours.h"
#include "forms/side_forms.h"

#include <wx/stattext.h>

// The bar's parts, a bit set.
enum infobar_part : int {
    part_status_icon = 0x01,
    part_signature_details = 0x02,
    part_timestamp_details = 0x04,
    part_mark = 0x08,
    part_busy = 0x10,
    part_add_signature = 0x40,
    part_signature_pane = 0x80,
};

class infobar : public infobar_base {
public:
    infobar(wxWindow* parent, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
            const wxString& name = wxEmptyString)
        : infobar_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name) {}

    // While set, showing the bar hides it instead.
    bool suppress_show = false;

    bool Show(bool show = true) override { return infobar_base::Show(suppress_show ? false : show); }
    void show_info(const wxString& text, int /*parts*/) { show_line(text, button_colour, *wxBLACK); }
    void show_success(int /*parts*/, const wxString& text) { show_line(text, info_colour, ok_colour); }
    void show_error(int /*parts*/, const wxString& text) { show_line(text, error_colour, *wxWHITE); }
    void show_summary() {}

private:
    void show_line(const wxString& text, const wxColour& back, const wxColour& fore) {
        SetBackgroundColour(back);
        message_label->SetForegroundColour(fore);
        message_label->SetLabel(text);
        Show(true);
        Layout();
        Refresh();
    }
};
