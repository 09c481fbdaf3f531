#pragma once
// The version check and the installer download: the server's version
// information and release notes, the comparison with the running version,
// and the download and check of a new installer. Both run on detached
// worker threads and tell their receiver by one thread event each; the
// receiver stores the result on the main thread (apply_* below).
#include <atomic>
#include <string>

#include <wx/event.h>

#include "service/event_target.h"

class wxWindow;

// The last successful check's result, written only on the main thread.
extern bool new_version_available;
extern std::string latest_version;
extern std::wstring release_notes;
// A check or a download runs; a second one is refused meanwhile.
extern std::atomic<bool> version_check_busy;

// The address suffixes of the version information and the release notes
// (beside download_base).
extern std::string version_info_suffix;
extern std::string release_notes_suffix;

// Thread-event texts of the two workers.
inline constexpr wchar_t evt_check_succeed[] = L"chek version succeed";
inline constexpr wchar_t evt_check_failed[] = L"chek version failed";
inline constexpr wchar_t evt_download_succeed[] = L"download succeed";
inline constexpr wchar_t evt_download_failed[] = L"download version failed";

// What a worker found; carried by its event.
struct version_check_result {
    std::string latest;   // the server's version text (four dotted numbers)
    std::wstring notes;   // the release notes
    bool newer = false;   // latest is newer than the running version
};
struct installer_download_result {
    std::string version;  // the installer's version
    std::wstring path;    // where the checked installer lies
};

// The event both workers send: the tag as its string and, after success, the
// result (a value: nothing to free).
class version_event : public wxThreadEvent {
public:
    explicit version_event(const wxString& tag);
    wxEvent* Clone() const override { return new version_event(*this); }
    bool ok = false;
    version_check_result check;
    installer_download_result download;
};

// Four dotted decimal numbers of one to nine digits each, nothing else.
bool is_valid_version_text(const std::string& text);

// a > b, number by number; each text must give exactly four numbers
// ("Failed" otherwise); a piece without a number throws the standard
// conversion error.
bool is_newer_version(const std::string& a, const std::string& b);

// Downloads the version information and returns root[key]["version"] ("" when
// absent). Throws on a failed download, unparsable JSON or a wrong shape.
std::string fetch_version_info(const std::string& url, const std::string& key);
// Downloads a UTF-8 text. Throws on a failed download or an empty file.
std::wstring fetch_text(const std::string& url);
// Downloads into path; throws "Undefined" when no file is there afterwards.
void download_installer(const std::string& url, const std::string& path);

// The addresses: version information, release notes of the language, installer.
std::string version_info_url();
std::string release_notes_url(bool chinese);
std::string installer_url(const std::string& version);
std::string installer_file_name(const std::string& version);
// Where the installer goes: the program's folder when it can be written,
// else the user's Downloads folder; installer_folder_override (tests) when set.
std::string installer_folder();
extern std::string installer_folder_override;

// Thread bodies. The caller has claimed version_check_busy; the worker
// clears it after its one event was queued to the sink and freed.
void version_check_worker(event_target_ptr sink, std::string info_url, std::string notes_url);
void installer_download_worker(event_target_ptr sink, std::string version, std::string folder);

// Start a worker on a detached thread; false (nothing started, no event)
// while a check or download runs, or when the thread cannot be made.
bool start_version_check(event_target_ptr sink);
// The same for a receiver that lives as long as the process (the application).
bool start_version_check(wxEvtHandler* receiver);
bool start_installer_download(event_target_ptr sink, const std::string& version);

// On the main thread: stores a successful check's result into the three
// globals; true when the event reports a successful check. The globals stay
// as they were after a failure.
bool apply_version_check_event(const wxThreadEvent& event);
// The installer path of a successful download event; empty otherwise.
std::wstring downloaded_installer_path(const wxThreadEvent& event);

// The application's handler of the start-up check's result: after a
// successful check that found a newer version, or with "updated-tip" set,
// shows the version dialog (result mode) centred on `parent` and clears
// "updated-tip" in memory.
void on_version_checked(const wxThreadEvent& event, wxWindow* parent);
