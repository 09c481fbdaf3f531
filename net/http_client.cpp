#include "net/http_client.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include <curl/curl.h>
#include <json/reader.h>
#include <json/value.h>

#include "app/diagnostics.h"
#include "app/file_buffers.h"
#include "app/worker_flags.h"
#include "platform/private_temp.h"

namespace {

std::once_flag global_init_once;
std::mutex settings_mutex;
http_client_settings current_settings;
std::atomic<bool> loopback_only{false};

void ensure_global_init() {
    std::call_once(global_init_once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Where a download writes: an open file, a byte count and a cap.
struct download_sink {
    FILE* file = nullptr;
    std::uint64_t written = 0;
    std::uint64_t limit = 0;
};

struct post_reply {
    std::string* text = nullptr;
};

// Downloads end at once when the program shuts down.
int abort_on_stop(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return stop_workers.load() ? 1 : 0;
}

// 127.0.0.0/8.
bool is_loopback_v4(const in_addr& address) { return (ntohl(address.s_addr) >> 24) == 127; }

bool is_loopback_host(const std::string& host) {
    if (host == "localhost" || host == "[::1]" || host == "::1") return true;
    in_addr v4{};
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 && is_loopback_v4(v4);
}

bool is_loopback_url(const std::string& url) {
    CURLU* parsed = curl_url();
    char* host = nullptr;
    bool loopback = parsed != nullptr && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
                    curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK && is_loopback_host(host);
    curl_free(host);
    curl_url_cleanup(parsed);
    return loopback;
}

// Every connection, also one a redirect makes, is refused unless it goes to
// the loopback interface.
curl_socket_t open_loopback_socket(void*, curlsocktype, curl_sockaddr* address) {
    bool loopback = false;
    if (address->family == AF_INET) {
        loopback = is_loopback_v4(reinterpret_cast<const sockaddr_in*>(&address->addr)->sin_addr);
    } else if (address->family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address->addr);
        loopback = IN6_IS_ADDR_LOOPBACK(&v6->sin6_addr);
    }
    if (!loopback) {
        diag_print("\n refused, not a loopback address: %s\n", address->family == AF_INET ? "IPv4" : "IPv6");
        return CURL_SOCKET_BAD;
    }
    return ::socket(address->family, address->socktype, address->protocol);
}

// Options every transfer shares: TLS checks on, http/https only, no signals,
// a connect limit and a stall limit. False when the address is refused.
bool set_common_options(CURL* curl, const std::string& url, long connect_seconds,
                        const http_client_settings& settings) {
    if (loopback_only.load()) {
        if (!is_loopback_url(url)) {
            diag_print("\n refused, not a loopback address: %s\n", url.c_str());
            return false;
        }
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, open_loopback_socket);
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, settings.ca_file.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, connect_seconds > 0 ? connect_seconds : settings.default_connect_seconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, settings.stall_bytes_per_second);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, settings.stall_seconds);
    return true;
}

// Performs a download into `sink`; true when the transfer finished and the
// final status is not an HTTP error.
bool perform_download(const std::string& url, long connect_seconds, bool follow, download_sink& sink) {
    ensure_global_init();
    http_client_settings settings = get_http_client_settings();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return false;
    if (!set_common_options(curl, url, connect_seconds, settings)) {
        curl_easy_cleanup(curl);
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, file_write_callback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    if (follow) {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(settings.max_redirects));
    }
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abort_on_stop);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (rc != CURLE_OK) {
        diag_print("\n download failed: %s: %s\n", url.c_str(), curl_easy_strerror(rc));
        return false;
    }
    if (status >= 400) {
        diag_print("\n download failed: %s: HTTP status %ld\n", url.c_str(), status);
        return false;
    }
    return true;
}

bool close_file(FILE*& file) {
    bool ok = std::fflush(file) == 0 && ::fsync(fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

}  // namespace

void http_client_global_init() { ensure_global_init(); }

void http_client_global_cleanup() { curl_global_cleanup(); }

http_client_settings get_http_client_settings() {
    std::lock_guard<std::mutex> lock(settings_mutex);
    return current_settings;
}

void set_http_client_settings(const http_client_settings& settings) {
    std::lock_guard<std::mutex> lock(settings_mutex);
    current_settings = settings;
}

void set_http_loopback_only(bool on) { loopback_only.store(on); }

std::size_t http_write_callback(char* data, std::size_t size, std::size_t count, void* reply) {
    auto* text = static_cast<std::string*>(reply);
    if (data == nullptr || text == nullptr) return 0;
    std::size_t bytes = size * count;
    if (text->size() + bytes > kPostReplySizeLimit) return 0;
    text->append(data, bytes);
    return bytes;
}

std::size_t file_write_callback(char* data, std::size_t size, std::size_t count, void* sink_ptr) {
    auto* sink = static_cast<download_sink*>(sink_ptr);
    if (data == nullptr || sink == nullptr || sink->file == nullptr) return 0;
    std::uint64_t bytes = static_cast<std::uint64_t>(size) * count;
    // A server that sends no length is cut off here once it passes the cap.
    if (sink->limit != 0 && sink->written + bytes > sink->limit) return 0;
    std::size_t items = std::fwrite(data, size, count, sink->file);
    sink->written += static_cast<std::uint64_t>(items) * size;
    return items * size;
}

std::string http_post(const std::string& url, const std::string& body, int limit, bool form, bool* delivered) {
    ensure_global_init();
    if (delivered) *delivered = false;
    std::string reply;
    http_client_settings settings = get_http_client_settings();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) return reply;
    if (!set_common_options(curl, url, limit, settings)) {
        curl_easy_cleanup(curl);
        return reply;
    }
    std::string payload = form ? "key=" + body : body;
    curl_slist* headers = curl_slist_append(
        nullptr, form ? "content-type:application/x-www-form-urlencoded" : "content-type:application/json");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(payload.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, http_write_callback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    if (limit > 0) curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limit));
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    // A server that stays unreachable is told once, with a count, not per attempt.
    const std::string failure_key = "post failed: " + url;
    if (rc != CURLE_OK) {
        diag_repeated(failure_key.c_str(), "\n post failed: %s: %s\n", url.c_str(), curl_easy_strerror(rc));
        reply.clear();
    } else {
        diag_repeat_end(failure_key.c_str());
        if (delivered) *delivered = true;
    }
    return reply;
}

std::string download_to_temp(const std::string& url, int connect_limit, std::uint64_t size_limit) {
    std::string path;
    try {
        path = platform::make_private_temp_file("download-", ".tmp");
    } catch (const std::exception& ex) {
        diag_print("\n%s\n", ex.what());
        return "";
    }
    download_sink sink;
    sink.limit = size_limit;
    sink.file = std::fopen(path.c_str(), "wb");
    if (sink.file == nullptr) {
        std::remove(path.c_str());
        return "";
    }
    bool ok = perform_download(url, connect_limit, true, sink);
    ok = close_file(sink.file) && ok;
    if (!ok) {
        std::remove(path.c_str());
        return "";
    }
    return path;
}

std::string download_to_file(const std::string& url, const std::string& path) {
    if (path.empty()) return "";
    // Written beside the target and renamed over it only when complete.
    std::string templ = path + ".part-XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return "";
    download_sink sink;
    sink.limit = kInstallerSizeLimit;
    sink.file = ::fdopen(fd, "wb");
    if (sink.file == nullptr) {
        ::close(fd);
        std::remove(name.data());
        return "";
    }
    bool ok = perform_download(url, 0, false, sink);
    ok = close_file(sink.file) && ok;
    if (!ok || std::rename(name.data(), path.c_str()) != 0) {
        std::remove(name.data());
        return "";
    }
    return path;
}

void fetch_trustlist_info(const std::string& url, std::string& id, std::string& list_url) {
    id.clear();
    list_url.clear();
    std::string path = download_to_temp(url, 0);
    if (path.empty()) {
        diag_print("\n\n[ERROR] %s(), failed to download: %s [ERROR]\n", "", url.c_str());
        return;
    }
    unsigned char* buffer = nullptr;
    uint32_t size = 0;
    bool read = file2buff(path, &buffer, &size);
    std::remove(path.c_str());
    if (!read || buffer == nullptr || size == 0) {
        std::free(buffer);
        diag_print("\n\n[ERROR] %s(), failed to download: %s [ERROR]\n", "", url.c_str());
        return;
    }
    // The text up to its first zero byte.
    std::string text(reinterpret_cast<const char*>(buffer), strnlen(reinterpret_cast<const char*>(buffer), size));
    std::free(buffer);
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    bool parsed = reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    auto text_member = [&root](const char* key, std::string& out) {
        const Json::Value& v = root[key];
        if (v.isNull()) return true;
        if (!v.isString()) return false;
        out = v.asString();
        return true;
    };
    if (!parsed || !root.isObject() || !text_member("id", id) || !text_member("url", list_url)) {
        id.clear();
        list_url.clear();
        diag_print("\n\n[ERROR] %s(), failed to parse version info [ERROR]\n", "");
    }
}
