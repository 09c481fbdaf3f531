#include "app/report_hooks.h"

namespace {

void no_add_trust(const x509ui&) {}
void no_make_stamp(const sigstampui&, const x509ui*) {}
void no_create_cert(bool, bool, const std::wstring&, const std::string&, const std::string&) {}
void no_import_pfx(bool, const std::wstring&, const std::wstring&, const std::string&, const std::string&) {}
void no_feedback_dialog(wxWindow*) {}
void no_version_dialog(wxWindow*, int) {}
bool no_new_version() { return false; }

}  // namespace

service_hook_table& service_hooks() {
    static service_hook_table table{no_add_trust,       no_make_stamp,     no_create_cert, no_import_pfx,
                                    no_feedback_dialog, no_version_dialog, no_new_version};
    return table;
}
