#pragma once
// The one-line message bar between the toolbar and the main book: progress,
// errors of opening, and after each verification a summary of the open
// document's signatures with buttons for the signature dialog and the panes.
#include "forms/side_forms.h"

class wxAnimationCtrl;

// The bar's controls as bits of a part set.
enum infobar_part : int {
    infobar_status_icon = 0x01,
    infobar_signature_button = 0x02,
    infobar_timestamp_button = 0x04,
    infobar_mark_button = 0x08,
    infobar_busy = 0x10,
    infobar_add_signature = 0x40,
    infobar_signature_pane = 0x80,
};

class infobar : public infobar_base {
public:
    infobar(wxWindow* parent, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
            const wxString& name = wxEmptyString);
    ~infobar() override;

    // While suppress_show is set, showing the bar hides it.
    bool Show(bool show = true) override;
    // Hides every part, empties the message and stops the animation.
    void clear();
    void show_info(const wxString& text, int parts);
    void show_success(int parts, const wxString& text);
    void show_error(int parts, const wxString& text);
    // Shows each control whose bit is set; never hides.
    void show_parts(int parts);
    // The verification summary of current_document.
    void show_summary();

    bool suppress_show = false;
    wxAnimationCtrl* busy_animation = nullptr;

    // What the bar shows (for the main window's accelerators and for tests).
    wxString message() const;
    bool part_shown(int bit) const;
    wxColour message_colour() const;

    void on_bar_click(wxMouseEvent& event) override;
    void on_signature_details(wxCommandEvent& event) override;
    void on_timestamp_details(wxCommandEvent& event) override;
    void on_add_signature(wxCommandEvent& event) override;
    void on_signature_pane(wxCommandEvent& event) override;
    void on_mark_button(wxCommandEvent&) override {}

private:
    void setup();
    void show_styled(const wxColour& background, const wxColour& text, const wxString& message, int parts,
                     bool info);
    void finish_message(const wxString& text);
    void open_signature_dialog(int page, wxCommandEvent& event);
};

// The main window's bar (null when none).
extern infobar* the_infobar;
