#include "program/app.h"
#include "app/diagnostics.h"

#include <cstdio>
#include <exception>
#include <thread>

#include <wx/image.h>

#include "app/exceptionex.h"
#include "app/process_exit.h"
#include "app/restart_command.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "crypto/crypto_init.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "document/file_types.h"
#include "document/pdf_layer.h"
#include "document/pdf_sign.h"
#include "document/sig_result.h"
#include "forms/cert_infodlg_base.h"
#include "forms/dynamic_resource.h"
#include "net/http_client.h"
#include "program/startup.h"
#include "program/startup_services.h"
#include "service/device_id.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"
#include "ui/install_window_parts.h"

app* app_instance = nullptr;

namespace {

// The certificate dialog of certificate-file mode. Until the full dialog is
// reached through the dialog table, its form stands in; Close ends it.
class cert_file_dialog : public cert_infodlg_base {
public:
    cert_file_dialog() : cert_infodlg_base(nullptr, wxID_ANY, tr("Certificate Properties")) {}

protected:
    void on_close_button(wxCommandEvent&) override { EndModal(wxID_CANCEL); }
};

}  // namespace

wxBEGIN_EVENT_TABLE(app, wxApp)
    EVT_THREAD(wxID_ANY, app::on_version_checked)
wxEND_EVENT_TABLE()

bool app::OnInit() {
    int status = 0;
    try {
        if (run_startup()) return true;
    } catch (const std::exception& ex) {
        if (is_failure_exception(ex)) {
            log_exception(ex);
            status = 1;
        }
    }
    // A declined agreement, the end of the certificate-file mode (status 0)
    // or a failed step (status 1): no main loop. The process ends here; a
    // test's final step returns.
    end_program_early(kEarlyEndWaitLimit, status);
    return false;
}

bool app::run_startup() {
    app_instance = this;
    const command_line_request command_line = parse_command_line(argv.GetArguments());
    cert_path = command_line.cert_path;
    wxInitAllImageHandlers();
    init_crypto();
    http_client_global_init();
    register_system_store_chain();
    init_pdfium_with_fonts();
    install_verification_services();
    register_pdf_signing();
    install_program_services();
    doc_loading = false;
    doc_verifying = false;
    make_cert_cache_dir();
    load_settings();
    settings_loaded = true;
    loaded_product_version = cfgpi.version;
    remember_command_line_document(command_line);
    setup_ui_language(ui_locale);
    report_user_stat();

    dynamic_resources = new dynamic_resource(nullptr, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                             wxDEFAULT_DIALOG_STYLE);
    screen_scale_percent = dpi_scale_percent(dynamic_resources);
    diag_print("\n\n @%s(), startup calc scale: %d\n", "", screen_scale_percent);

    if (!first_run_agreement()) return false;  // declined: the program ends without a word

    worker_refs = {&running_workers, &stop_workers};
    start_counted_thread([refs = &worker_refs] { report_worker(refs); });

    if (!cert_path.empty()) {
        show_certificate_file();
        return false;
    }

    start_trust_list();
    start_counted_thread(trust_list_update_thread);

    install_window_parts();
    set_exit_handler([this] { OnExit(); });
    new frame(wxPoint(frame_x, frame_y), wxSize(frame_w, frame_h));
    throw_if_null(main_frame);
    open_startup_document();

    if (checkversion_startup || updated_tip) start_startup_version_check(this);
    return true;
}

// Certificate-file mode: the certificate dialog alone, then the program ends.
// The stored trust list is read first, so that trusting the certificate adds
// to it and the save at the end writes the whole list back.
void app::show_certificate_file() {
    load_stored_trust_list();
    trust_list_ready = true;
    if (dialog_calls().certificate_file) {
        dialog_calls().certificate_file(wxString(cert_path));
        return;
    }
    auto* dialog = new cert_file_dialog;
    dialog->ShowModal();
    dialog->Destroy();
}

void app::on_version_checked(wxThreadEvent& event) {
    apply_version_result(event);
    show_version_result(event.GetString());
}

int app::OnExit() {
    if (exited) return 0;
    exited = true;
    FPDF_DestroyLibrary();
    save_settings_and_trust_list();
    run_restart_command();
    return wxApp::OnExit();
}
