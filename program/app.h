#pragma once
// The application object: start-up (OnInit), the result of the start-up
// version check, and the exit handler that the main window's close handler
// runs once every counted worker has ended.
#include <string>

#include <wx/app.h>
#include <wx/intl.h>

#include "program/startup_services.h"

class wxThreadEvent;

class app : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;
    void on_version_checked(wxThreadEvent& event);

    wxLocale ui_locale;
    std::wstring cert_path;
    report_worker_refs worker_refs{nullptr, nullptr};

private:
    // The steps of start-up; true when the main loop is to run, false when
    // start-up ends the program (declined agreement, certificate-file mode).
    // Failures are thrown.
    bool run_startup();
    void show_certificate_file();
    bool exited = false;

    wxDECLARE_EVENT_TABLE();
};

// The one application object; set first thing at start-up.
extern app* app_instance;
