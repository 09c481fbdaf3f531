#include "app/diagnostics.h"
#include "program/startup.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "app/process_exit.h"
#include "app/settings.h"
#include "app/worker_flags.h"
#include "crypto/trust_list.h"
#include "dialogs/agreement_dlg.h"
#include "document/file_types.h"
#include "platform/resources.h"
#include "program/startup_services.h"
#include "service/device_id.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"

std::wstring startup_document;
std::string loaded_product_version;
bool trust_list_loaded = false;
bool settings_loaded = false;

namespace {

constexpr char kUserGuideResource[] = "VELKORANT";
constexpr char kTextResourceType[] = "TXTFILE";
constexpr wchar_t kUserGuideFileName[] = L"Velkorant.pdf";

bool is_regular_file(const wxString& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path.utf8_string()), ec);
}

}  // namespace

command_line_request read_command_line(const wxArrayString& argv) {
    command_line_request request;
    if (argv.size() < 2 || argv[1].empty() || !is_regular_file(argv[1])) return request;
    // Kept absolute: the path goes into the recent files, which later runs
    // read from any working folder.
    wxFileName name(argv[1]);
    name.MakeAbsolute();
    const wxString path = name.GetFullPath();
    request.document = path.ToStdWstring();
    if (is_pdf_file(path))
        request.add_to_recent = true;
    else if (is_cert_file(path))
        request.cert_path = request.document;
    return request;
}

command_line_request parse_command_line(const wxArrayString& argv) {
    const command_line_request request = read_command_line(argv);
    if (!request.document.empty()) startup_document = request.document;
    return request;
}

void remember_command_line_document(const command_line_request& request) {
    if (request.add_to_recent) add_recent_file(request.document);
}

void make_cert_cache_dir() {
    const std::filesystem::path folder(app_data_dir() + "certcache/");
    if (!std::filesystem::exists(folder)) {  // throws filesystem_error ("exists") when it cannot tell
        std::filesystem::create_directories(folder);  // throws ("create_directories")
        std::error_code ec;
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    }
    if (certcache_dir.empty()) {
        certcache_dir = folder.string();
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) diag_print("cert cache dir , not exist");
    }
}

std::wstring documents_folder() { return wxStandardPaths::Get().GetDocumentsDir().ToStdWstring(); }

std::wstring user_guide_path() {
    const wxFileName path{wxString(documents_folder()), wxString(kUserGuideFileName)};
    return path.GetFullPath().ToStdWstring();
}

bool first_run_agreement() {
    if (agree) return true;
    auto* dialog = new agreement_dlg(nullptr, agreement_dlg::first_run_mode);
    if (dialog->ShowModal() == wxID_OK) {
        agree = true;
        save_ui_status();
        queue_agreement_report();
        const std::string guide = platform::resource_bytes(kUserGuideResource, kTextResourceType);
        if (!guide.empty()) {
            const std::wstring path = user_guide_path();
            // A failed write is reported by buff2file; the main window then
            // says that the file is missing.
            buff2filew(guide.data(), static_cast<uint32_t>(guide.size()), path);
            startup_document = path;
        }
    }
    dialog->Destroy();
    return agree;
}

void prepare_toolkit_environment() {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* chosen = std::getenv("GSETTINGS_BACKEND");
    if ((bus == nullptr || *bus == '\0') && (chosen == nullptr || *chosen == '\0'))
        setenv("GSETTINGS_BACKEND", "memory", 1);
}

void load_stored_trust_list() {
    if (trust_list_loaded) return;
    load_trust_list(app_data_dir());
    trust_list_loaded = true;
}

void start_trust_list() {
    load_stored_trust_list();
    const std::string current = own_file_version();
    if (loaded_product_version != current) {
        cfgpi.version = current;
        save_product_info();
    }
    trust_list_ready = false;
    start_counted_thread(trust_list_rebuild_thread);
}

void open_startup_document() {
    std::wstring document = startup_document;
    bool usable = !document.empty() && is_regular_file(document);
    if (!usable && is_open_recent && !recent_files.empty() && is_regular_file(recent_files.front())) {
        document = recent_files.front();
        usable = true;
    }
    if (usable)
        main_frame->open_file(document, 0);
    else
        main_frame->show_home_page();
    main_frame->Show();
}

void show_version_result(const wxString& result) {
    if (result != "chek version succeed") return;
    if (!newer_version_found() && !updated_tip) return;
    show_version(main_frame, 1);
    updated_tip = false;
}

void save_settings_and_trust_list() {
    // Only what this run read is written back: a file not read yet would be
    // overwritten by defaults or by a half-loaded list.
    if (settings_loaded) {
        try {
            save_all_settings();
        } catch (const std::exception& ex) {
            log_exception(ex);
        }
    }
    if (trust_list_loaded) {
        try {
            save_trust_list();
        } catch (const std::exception& ex) {
            log_exception(ex);
        }
    }
}

void end_program_early(std::chrono::milliseconds wait_limit, int status) {
    if (!stop_and_wait_workers(wait_limit))
        diag_print("\n %s(), workers still running after %lld ms\n", "end_program_early",
                     static_cast<long long>(wait_limit.count()));
    save_settings_and_trust_list();
    std::fflush(stdout);
    std::fflush(stderr);
    final_exit(status);
}
