#pragma once
// The program's HTTP client: a POST that returns the reply text, GETs into a
// new temporary file or into a given file, and the reader of the trust-list
// update information. Every call is synchronous, has its own transfer handle
// and may run on any thread at the same time as the others. None throws.
//
// Safety rules every transfer keeps:
// - TLS peer and host name checks are always on.
// - Only http and https are spoken, also after a redirect.
// - Every transfer has a connect limit and a stall limit (too few bytes per
//   second for too long ends it); a download that the server answers with an
//   HTTP error status (400 and above) is a failed download.
// - A download is capped in size; downloads end early once `stop_workers` is set.
#include <cstdint>
#include <string>

// libcurl's process-wide set-up: call once at start, before any worker runs,
// and the cleanup once at exit, after the workers ended. The transfer
// functions also make sure the set-up ran, so tests need not call it.
void http_client_global_init();
void http_client_global_cleanup();

// Limits and the TLS trust anchors. The defaults suit the program; tests
// shorten the limits and give their own CA file.
struct http_client_settings {
    std::string ca_file;                // PEM file of trusted CAs; "" = the system's store
    long default_connect_seconds = 30;  // connect limit where the caller gives none
    long stall_seconds = 60;            // a transfer slower than stall_bytes_per_second
    long stall_bytes_per_second = 1;    //   for this long is cut off
    int max_redirects = 5;              // where redirects are followed
};
http_client_settings get_http_client_settings();
void set_http_client_settings(const http_client_settings& settings);

// Tests turn this on for their whole process: every transfer to an address
// that is not this machine's loopback (also one a redirect leads to) then
// fails at once, before a name is looked up, so no test reaches the internet
// through an address inside a document (a certificate's issuer, OCSP or CRL).
void set_http_loopback_only(bool on);

// Size caps of downloads.
constexpr std::uint64_t kDownloadSizeLimit = 64ull << 20;      // version texts, trust bundle, notes
constexpr std::uint64_t kIssuerCertSizeLimit = 1ull << 20;     // an issuer certificate from caIssuers
constexpr std::uint64_t kInstallerSizeLimit = 1ull << 30;      // download_to_file
constexpr std::size_t kPostReplySizeLimit = 16u << 20;         // reply text of http_post

// POSTs the body and returns the reply body, or "" on any transfer failure.
// With `form` the body goes as "key=" + body (not percent-encoded) under
// "content-type:application/x-www-form-urlencoded", otherwise unchanged
// under "content-type:application/json". `limit` bounds both the connection
// and the whole transfer, in seconds. Proxies are bypassed. Any HTTP status
// is a reply: the body of an error page is returned like any other.
// `delivered`, when given, tells whether the server was reached and replied.
// A failure that repeats for the same address is printed once, with a count.
std::string http_post(const std::string& url, const std::string& body, int limit, bool form,
                      bool* delivered = nullptr);

// GETs the url into a new temporary file (0600, in the private temporary
// folder), following redirects. `connect_limit` in seconds; 0 takes the
// default limit. Returns the file's path, or "" on failure (no file is left
// behind then). The caller reads and deletes the file.
std::string download_to_temp(const std::string& url, int connect_limit,
                             std::uint64_t size_limit = kDownloadSizeLimit);

// GETs the url into `path` without following redirects (a redirect's own body
// is stored). The bytes go to a temporary file beside `path`, renamed over it
// only when the whole download succeeded. Returns `path`, or "" on failure.
std::string download_to_file(const std::string& url, const std::string& path);

// Reads the trust-list update information at `url`: a JSON object whose "id"
// and "url" members are texts. Both outputs are cleared first and stay empty
// on any failure (download, parse, a root that is not an object, a member
// that is not a text), with a diagnostic line.
void fetch_trustlist_info(const std::string& url, std::string& id, std::string& list_url);

// The transfers' write callbacks (userdata: std::string* reply, or the
// download's sink).
std::size_t http_write_callback(char* data, std::size_t size, std::size_t count, void* reply);
std::size_t file_write_callback(char* data, std::size_t size, std::size_t count, void* sink);
