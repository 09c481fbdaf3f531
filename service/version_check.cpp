#include "app/diagnostics.h"
#include "service/version_check.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <json/json.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <memory>
#include <regex>
#include <thread>
#include <utility>
#include <vector>

#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "app/ui_language.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "crypto/system_store.h"
#include "service/device_id.h"

namespace fs = std::filesystem;

bool new_version_available = false;
std::string latest_version;
std::wstring release_notes;
std::atomic<bool> version_check_busy{false};
std::string version_info_suffix = "version.json";
std::string release_notes_suffix = "release-notes";

namespace {

constexpr char kProductWord[] = "velkorant";

std::string lower_case(const std::string& text) {
    std::wstring wide = utf8_to_wide(text);
    for (wchar_t& c : wide) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return wide_to_utf8(wide);
}

// The downloaded bytes of url; the temporary file is removed.
std::string download_bytes(const std::string& url) {
    const std::string file = download_to_temp(url, 0);
    std::string bytes;
    if (!file.empty()) {
        bytes = read_file_string(file);
        std::error_code ec;
        fs::remove(file, ec);
    }
    if (bytes.empty()) throw_ex_fmt("%s, failed to download: %s", "", url.c_str());
    return bytes;
}

// Text up to the first NUL byte.
std::string up_to_nul(const std::string& bytes) { return std::string(bytes.c_str()); }

void post_event(const event_target_ptr& sink, const version_event& event) {
    if (sink) sink->post(event);
}

}  // namespace

version_event::version_event(const wxString& tag) : wxThreadEvent(wxEVT_THREAD, wxID_ANY) { SetString(tag); }

bool is_valid_version_text(const std::string& text) {
    static const std::regex pattern("^[0-9]{1,9}(\\.[0-9]{1,9}){3}$");
    return std::regex_match(text, pattern);
}

bool is_newer_version(const std::string& a, const std::string& b) {
    auto numbers = [](const std::string& text) {
        std::vector<int> out;
        std::size_t start = 0;
        for (;;) {
            const std::size_t dot = text.find('.', start);
            out.push_back(std::stoi(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start)));
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        return out;
    };
    const std::vector<int> x = numbers(a), y = numbers(b);
    if (x.size() != 4 || y.size() != 4) throw_failed();
    for (int i = 0; i < 4; ++i)
        if (x[i] != y[i]) return x[i] > y[i];
    return false;
}

std::string fetch_version_info(const std::string& url, const std::string& key) {
    const std::string text = up_to_nul(download_bytes(url));
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
        throw_ex_fmt("%s, failed to parse version info", "");
    // A root or member of another shape is a failure, like unreadable JSON.
    if (root.isNull()) return "";
    if (!root.isObject()) throw_ex_fmt("%s, failed to parse version info", "");
    const Json::Value& entry = root[key];
    if (entry.isNull()) return "";
    if (!entry.isObject()) throw_ex_fmt("%s, failed to parse version info", "");
    const Json::Value& version = entry["version"];
    if (version.isNull()) return "";
    if (!version.isString()) throw_ex_fmt("%s, failed to parse version info", "");
    return version.asString();
}

std::wstring fetch_text(const std::string& url) {
    const std::string text = up_to_nul(download_bytes(url));
    return utf8_to_wide(text);
}

void download_installer(const std::string& url, const std::string& path) {
    download_to_file(url, path);
    std::error_code ec;
    if (!fs::exists(path, ec) || ec) throw exceptionex(kUndefinedText);
}

std::string version_info_url() {
    return lower_case(download_base + kProductWord + "-" + version_info_suffix);
}

std::string release_notes_url(bool chinese) {
    return lower_case(download_base + kProductWord + "-" + release_notes_suffix + (chinese ? "-cn.txt" : "-en.txt"));
}

std::string installer_file_name(const std::string& version) {
    return std::string(kProductWord) + "-v" + version + ".exe";
}

std::string installer_url(const std::string& version) { return download_base + installer_file_name(version); }

std::string installer_folder_override;

std::string installer_folder() {
    if (!installer_folder_override.empty()) return installer_folder_override;
    const wxString program = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
    const std::string folder = program.utf8_string();
    if (!folder.empty() && ::access(folder.c_str(), R_OK | W_OK) == 0) return folder;
    return wxStandardPaths::Get().GetUserDir(wxStandardPaths::Dir_Downloads).utf8_string();
}

namespace {

// One job of the version worker: `fill` makes the event out of the one that
// says the job failed, which then goes to the sink. The busy flag is cleared
// only once the event and the sink are gone: whoever waits for it (shutdown)
// may tear the toolkit down next.
template <typename Fill>
void run_version_job(event_target_ptr sink, const wxString& failed_tag, Fill fill) {
    version_check_busy = true;
    {
        version_event event(failed_tag);
        fill(event);
        post_event(sink, event);
        sink.reset();
    }
    version_check_busy = false;
}

}  // namespace

void version_check_worker(event_target_ptr sink, std::string info_url, std::string notes_url) {
    run_version_job(std::move(sink), evt_check_failed, [&](version_event& event) {
        try {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            version_check_result result;
            result.latest = fetch_version_info(info_url, kProductWord);
            // The text goes into an address and a file name later: only four
            // dotted numbers are taken.
            if (!is_valid_version_text(result.latest)) throw_failed();
            result.notes = fetch_text(notes_url);
            result.newer = is_newer_version(result.latest, own_file_version());
            event.check = result;
            event.ok = true;
            event.SetString(evt_check_succeed);
        } catch (const std::exception& ex) {
            diag_print("\n [INFO] %s(), version check failed: %s\n", "", ex.what());
        }
    });
}

void installer_download_worker(event_target_ptr sink, std::string version, std::string folder) {
    run_version_job(std::move(sink), evt_download_failed, [&](version_event& event) {
        std::string path;
        try {
            if (!is_valid_version_text(version) || folder.empty()) throw_failed();
            path = folder + (folder.back() == '/' ? "" : "/") + installer_file_name(version);
            download_installer(installer_url(version), path);
            if (!verify_file_authenticode(utf8_to_wide(path))) throw exceptionex(kUndefinedText);
            event.download.version = version;
            event.download.path = utf8_to_wide(path);
            event.ok = true;
            event.SetString(evt_download_succeed);
        } catch (const std::exception& ex) {
            // A file that did not pass every check is never left to be run.
            if (!path.empty()) {
                std::error_code ec;
                fs::remove(path, ec);
            }
            diag_print("\n [INFO] %s(), installer download failed: %s\n", "", ex.what());
        }
    });
}

bool start_version_check(event_target_ptr sink) {
    bool idle = false;
    if (!version_check_busy.compare_exchange_strong(idle, true)) return false;
    try {
        std::thread(version_check_worker, sink, version_info_url(), release_notes_url(is_chinese_ui())).detach();
    } catch (const std::exception& ex) {
        // No thread, or no address: nothing runs, and the caller says so.
        diag_print("\n\n[ERROR] %s(), version check not started: %s [ERROR]\n", "", ex.what());
        version_check_busy = false;
        return false;
    }
    return true;
}

bool start_version_check(wxEvtHandler* receiver) { return start_version_check(make_event_target(receiver)); }

bool start_installer_download(event_target_ptr sink, const std::string& version) {
    bool idle = false;
    if (!version_check_busy.compare_exchange_strong(idle, true)) return false;
    try {
        std::thread(installer_download_worker, sink, version, installer_folder()).detach();
    } catch (const std::exception& ex) {
        diag_print("\n\n[ERROR] %s(), installer download not started: %s [ERROR]\n", "", ex.what());
        version_check_busy = false;
        return false;
    }
    return true;
}

bool apply_version_check_event(const wxThreadEvent& event) {
    const auto* e = dynamic_cast<const version_event*>(&event);
    if (e == nullptr || !e->ok || event.GetString() != evt_check_succeed) return false;
    latest_version = e->check.latest;
    release_notes = e->check.notes;
    new_version_available = e->check.newer;
    return true;
}

std::wstring downloaded_installer_path(const wxThreadEvent& event) {
    const auto* e = dynamic_cast<const version_event*>(&event);
    if (e == nullptr || !e->ok || event.GetString() != evt_download_succeed) return L"";
    return e->download.path;
}
