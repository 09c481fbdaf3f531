#pragma once
// The version dialog: in mode 0 it checks for a new version now, in mode 1
// it shows the last check's result. The program does not update itself on
// Linux: with a newer version the dialog says where it comes from (the
// release page or the distribution's package); it never downloads or starts
// an installer, never closes the program and leaves the agreement alone.
#include <atomic>
#include <string>

#include "forms/version_dlg_base.h"
#include "service/event_target.h"

class version_dlg : public version_dlg_base {
public:
    version_dlg(wxWindow* parent, int mode);
    ~version_dlg() override;

    // A worker started by this dialog has not reported yet.
    bool is_busy() const { return worker_running; }

protected:
    void on_close(wxCloseEvent& event) override;
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_update(wxCommandEvent& event) override;
    virtual void on_thread_event(wxThreadEvent& event);

    void set_status(const wxColour& colour, const wxString& text);
    void show_result();
    void show_notes(const wxString& notes);
    // Only one of Update and Close is shown.
    void show_buttons(bool update, bool close_enabled);

    wxString saved_status;
    int mode = 0;
    std::atomic<bool> worker_running{false};
    event_target_ptr target;
};

// "Velkorant does not install updates on Linux. Get the new version from the
// release page, <download_base>, or from your distribution's package."
wxString where_new_versions_come_from();

// Opens the version dialog modally, centred on parent, and destroys it.
void show_version_dialog(wxWindow* parent, int mode);
