#include "program/startup_services.h"

#include "app/report_hooks.h"
#include "crypto/x509ui.h"
#include "dialogs/agreement_dlg.h"
#include "dialogs/dialog_support.h"
#include "dialogs/install_dialogs.h"
#include "service/report_queue.h"
#include "service/service_hooks.h"
#include "service/usage_reports.h"
#include "service/version_check.h"
#include "service/feedback_dlg.h"
#include "service/version_dlg.h"
#include "ui/dialog_calls.h"
#include "ui/home_calls.h"

void queue_agreement_report() { report_agreement(); }

void report_worker(report_worker_refs* refs) { report_worker(*refs->first, *refs->second); }

void start_startup_version_check(wxEvtHandler* receiver) { start_version_check(receiver); }

void apply_version_result(const wxThreadEvent& event) { apply_version_check_event(event); }

void install_program_services() {
    install_service_hooks();
    install_dialogs();
    dialog_report_hooks& reports = dialog_reports();
    reports.create_cert = [](bool made, bool stored, const std::wstring& subject, const std::string& algorithm,
                             const std::string& error) {
        service_hooks().create_cert(made, stored, subject, algorithm, error);
    };
    reports.import_pfx = [](bool stored, const x509ui& cert, const std::string& error) {
        service_hooks().import_pfx(stored, cert.subject_cn, cert.issuer_cn, cert.sig_alg, error);
    };
    reports.add_trust = [](const x509ui& cert) { service_hooks().add_trust(cert); };
    home_calls().show_agreement = [](wxWindow* parent) {
        agreement_dlg dialog(parent, agreement_dlg::view_mode);
        dialog.CentreOnScreen();
        dialog.ShowModal();
    };
    dialog_call_table& calls = dialog_calls();
    calls.show_feedback = [](wxWindow* parent) { show_feedback_dialog(parent); };
    calls.show_version = [](wxWindow* parent, int mode) { show_version_dialog(parent, mode); };
    calls.newer_version_found = [] { return new_version_available; };
}
