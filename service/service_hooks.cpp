#include "app/diagnostics.h"
#include "service/service_hooks.h"

#include <cstdio>

#include "app/report_hooks.h"
#include "crypto/trust_list.h"
#include "document/sig_result.h"
#include "document/sign_operation.h"
#include "service/feedback_dlg.h"
#include "service/usage_reports.h"
#include "service/version_check.h"
#include "service/version_dlg.h"

namespace {

// Reports never fail towards the flow that made them.
template <typename F>
void guarded(const char* what, F&& f) {
    try {
        f();
    } catch (const std::exception& ex) {
        diag_print("\n\n[ERROR] %s(), %s report: %s [ERROR]\n", "", what, ex.what());
    } catch (...) {
        diag_print("\n\n[ERROR] %s(), %s report failed [ERROR]\n", "", what);
    }
}

void trust_update_report(const std::string& old_id, const std::string& new_id, bool ok) {
    guarded("update-trustlist", [&] { report_update_trustlist(ok, old_id, new_id); });
}
void sigdata_report(const char* type, int32_t status, const unsigned char* bytes, uint32_t length) {
    guarded("sigdata", [&] { report_sigdata(type, status, bytes, length); });
}
void verify_results_report(const sig_results& results) {
    guarded("verify-file", [&] { report_verified_signatures(results); });
}
void signing_report(const sign_task& task, const x509ui* signer, bool ok, const std::string& failure) {
    guarded("sign-file", [&] { report_sign_task(task, signer, ok, failure); });
}
void add_trust_report(const x509ui& cert) {
    guarded("add-trust", [&] { report_add_trust(cert); });
}
void make_stamp_report(const sigstampui& stamp, const x509ui* cert) {
    guarded("make-stamp", [&] { report_make_stamp(stamp, cert); });
}
void create_cert_report(bool made, bool imported, const std::wstring& subject, const std::string& algorithm,
                        const std::string& error) {
    guarded("create-cert", [&] { report_create_cert(made, imported, subject, algorithm, error); });
}
void import_pfx_report(bool ok, const std::wstring& subject, const std::wstring& issuer,
                       const std::string& algorithm, const std::string& error) {
    guarded("import-pfx", [&] { report_import_pfx(ok, subject, issuer, algorithm, error); });
}
void feedback_dialog(wxWindow* parent) {
    guarded("feedback dialog", [&] { show_feedback_dialog(parent); });
}
void version_dialog(wxWindow* parent, int mode) {
    guarded("version dialog", [&] { show_version_dialog(parent, mode); });
}
bool newer_version_known() { return new_version_available; }

}  // namespace

void install_service_hooks() {
    trust_update_report_hook = trust_update_report;
    report_sigdata_hook = sigdata_report;
    report_verify_results_hook = verify_results_report;
    report_signing_outcome = signing_report;

    service_hook_table& t = service_hooks();
    t.add_trust = add_trust_report;
    t.make_stamp = make_stamp_report;
    t.create_cert = create_cert_report;
    t.import_pfx = import_pfx_report;
    t.show_feedback_dialog = feedback_dialog;
    t.show_version_dialog = version_dialog;
    t.new_version_available = newer_version_known;
}
