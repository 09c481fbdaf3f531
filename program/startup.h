#pragma once
// The steps of start-up that stand on their own, and the one path by which
// start-up ends the program early. The application object (program/app.h)
// runs them in order.
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include <wx/arrstr.h>

// The document to open once the main window exists: a file named on the
// command line, or the user guide written when the agreement is accepted.
extern std::wstring startup_document;

// cfgpi.version as the settings file held it when start-up loaded it: the
// version the previous run recorded. The start-up report may rewrite
// cfgpi.version before the trust list is looked at.
extern std::string loaded_product_version;

// True once the stored trust list was read in this run; only then may it be
// written back, so an early end never replaces it with a list never loaded.
extern bool trust_list_loaded;

// True once start-up read the settings file; only then may an early end write
// it (the settings in memory are mere defaults before that).
extern bool settings_loaded;

// What the command line asks for: the program's arguments in `argv` (the
// first entry is the program). The first argument counts when it names an
// existing regular file; its absolute path is the start document.
struct command_line_request {
    std::wstring document;   // empty: nothing usable was named
    std::wstring cert_path;  // set for a certificate file (cer, crt, pem, any case)
    bool add_to_recent = false;  // a PDF goes to the front of the recent files
};
command_line_request read_command_line(const wxArrayString& argv);

// Applies read_command_line: sets startup_document and returns the request.
command_line_request parse_command_line(const wxArrayString& argv);

// Once the settings file is read: a PDF named on the command line goes to the
// front of the recent files, and the list is saved. (Before the file is read
// the list in memory is replaced by the loaded one.)
void remember_command_line_document(const command_line_request& request);

// Creates data folder + "certcache/" (0700) and sets certcache_dir. Throws
// std::filesystem::filesystem_error when the folder cannot be made.
void make_cert_cache_dir();

// The first-run agreement: true at once when "agree" is set; otherwise shows
// the agreement dialog (mode 0). Agree records "agree", queues the agreement
// report, writes the user guide to the Documents folder and makes it the
// start document. Any other answer returns false.
bool first_run_agreement();

// The user's Documents folder (XDG "DOCUMENTS" when that folder exists, else
// the home folder) and the user guide's path in it.
std::wstring documents_folder();
std::wstring user_guide_path();

// Before the toolkit starts: without a session bus (no
// DBUS_SESSION_BUS_ADDRESS) GTK's settings back-end cannot reach its service
// and warns on every lookup; it is then set to "memory" (GSETTINGS_BACKEND),
// unless the user chose a back-end.
void prepare_toolkit_environment();

// Reads the stored trust list (once per run) and records that it was read.
void load_stored_trust_list();

// Loads the stored trust list, records a new program version, and brings the
// approved part in line with the system certificate set on a worker thread
// (which sets trust_list_ready): the system set is read at every start, so
// that an upgraded ca-certificates is followed.
void start_trust_list();

// Opens the start document (else the most recent file when that option is
// on, else the home page) in main_frame, then shows the window.
void open_startup_document();

// The result of the start-up version check ("chek version succeed" or
// "chek version failed"): after a successful check that found a newer
// version, or the first run after an update, the version dialog (mode 1)
// over the main window; "updated-tip" is then cleared in memory.
void show_version_result(const wxString& result);

// Saves the settings and the trust list, each only when this run read it.
void save_settings_and_trust_list();

// The one end of a start-up that does not reach the main loop (certificate-
// file mode, a failed step, a declined agreement): sets the stop flag, waits
// for the counted workers (at most `wait_limit`), saves the settings and the
// trust list, each only when it was loaded in this run, flushes the standard streams and
// ends the process through final_exit with `status` (which tests replace,
// and then this returns).
constexpr std::chrono::seconds kEarlyEndWaitLimit{10};
void end_program_early(std::chrono::milliseconds wait_limit = kEarlyEndWaitLimit, int status = 0);
