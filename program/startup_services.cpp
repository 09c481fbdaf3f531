#include "program/startup_services.h"

#include "service/report_queue.h"
#include "service/service_hooks.h"
#include "service/usage_reports.h"
#include "service/version_check.h"
#include "service/feedback_dlg.h"
#include "service/version_dlg.h"
#include "ui/dialog_calls.h"

void queue_agreement_report() { report_agreement(); }

void report_worker(report_worker_refs* refs) { report_worker(*refs->first, *refs->second); }

void start_startup_version_check(wxEvtHandler* receiver) { start_version_check(receiver); }

void apply_version_result(const wxThreadEvent& event) { apply_version_check_event(event); }

void install_program_services() {
    install_service_hooks();
    dialog_calls& calls = installed_dialog_calls();
    calls.show_feedback = [](wxWindow* parent) { show_feedback_dialog(parent); };
    calls.show_version = [](wxWindow* parent, int mode) { show_version_dialog(parent, mode); };
    calls.newer_version_found = [] { return new_version_available; };
}
