// The HTTP client against loopback servers: POST bodies, error statuses,
// limits, redirects, size caps, TLS with a test CA and the update information.
#include <atomic>
#include <chrono>
#include <dirent.h>
#include <future>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

#include "app/worker_flags.h"
#include "net/http_client.h"
#include "platform/private_temp.h"
#include "support/test_support.h"

using namespace testsupport;

namespace {

// Shorter limits for the tests; the defaults come back afterwards.
class http_client_test : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = get_http_client_settings();
        http_client_settings s = saved_;
        s.default_connect_seconds = 5;
        s.stall_seconds = 1;
        set_http_client_settings(s);
    }
    void TearDown() override {
        set_http_client_settings(saved_);
        stop_workers = false;
    }
    static std::string json_quote(const std::string& text) {
        std::string out = "\"";
        for (char c : text) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    }
    http_client_settings saved_;
};

int leftover_downloads() {
    int count = 0;
    DIR* dir = opendir(platform::private_temp_dir().c_str());
    if (dir == nullptr) return 0;
    while (dirent* e = readdir(dir))
        if (std::string(e->d_name).rfind("download-", 0) == 0) ++count;
    closedir(dir);
    return count;
}

// A test CA and a server certificate for 127.0.0.1 signed by it.
struct tls_fixture {
    scratch_dir dir;
    tls_fixture() {
        auto run = [](const std::string& cmd) {
            auto r = run_command(cmd);
            EXPECT_EQ(r.status, 0) << cmd << "\n" << r.output;
        };
        run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Loopback Test CA' "
            "-addext basicConstraints=critical,CA:TRUE -keyout " + dir.file("ca.key") + " -out " + dir.file("ca.pem"));
        run("openssl req -newkey rsa:2048 -nodes -subj '/CN=127.0.0.1' -keyout " + dir.file("srv.key") +
            " -out " + dir.file("srv.csr"));
        write_file(dir.file("ext.cnf"), "subjectAltName=IP:127.0.0.1\n");
        run("openssl x509 -req -in " + dir.file("srv.csr") + " -CA " + dir.file("ca.pem") + " -CAkey " +
            dir.file("ca.key") + " -CAcreateserial -days 2 -extfile " + dir.file("ext.cnf") + " -out " +
            dir.file("srv.pem"));
    }
};

}  // namespace

TEST_F(http_client_test, post_sends_the_body_exactly) {
    loopback_server server(R"({"/report": {"body": "thanks"}})");
    const std::string body = R"({"desc":"a&b+c=d %41","name":"名字"})";
    EXPECT_EQ(http_post(server.url("/report"), body, 10, true), "thanks");
    EXPECT_EQ(http_post(server.url("/report"), body, 10, false), "thanks");
    ASSERT_EQ(server.request_count(), 2);
    EXPECT_EQ(server.request_method(1), "POST");
    EXPECT_EQ(server.request_body(1), "key=" + body);  // nothing percent-encoded
    EXPECT_EQ(server.request_body(2), body);
}

TEST_F(http_client_test, post_returns_an_error_page_and_nothing_on_transfer_failures) {
    loopback_server server(R"({"/fail": {"status": 500, "body": "internal trouble"}, "/slow": {"delay": 8, "body": "late"}})");
    EXPECT_EQ(http_post(server.url("/fail"), "x", 10, true), "internal trouble");
    // Nobody listens: empty, at once.
    EXPECT_EQ(http_post("http://127.0.0.1:" + std::to_string(unused_port()) + "/r", "x", 2, true), "");
    // The whole-transfer limit cuts a slow reply.
    EXPECT_EQ(http_post(server.url("/slow"), "x", 1, true), "");
    // Only http and https.
    EXPECT_EQ(http_post("file:///etc/hostname", "x", 2, true), "");
}

TEST_F(http_client_test, download_to_temp_writes_a_private_file) {
    loopback_server server(R"({"/data": {"body": "payload\u0000bytes"}})");
    std::string path = download_to_temp(server.url("/data"), 5);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(read_file(path), std::string("payload\0bytes", 13));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::remove(path.c_str());
}

TEST_F(http_client_test, failed_downloads_give_nothing_and_leave_no_file) {
    scratch_dir dir;
    write_file(dir.file("big"), std::string(4096, 'x'));
    loopback_server server(R"({"/missing": {"status": 404, "body": "no such file"},
                              "/error": {"status": 500, "body": "oops"},
                              "/big": {"body_file": )" + json_quote(dir.file("big")) + R"(},
                              "/to-file": {"redirect": "file:///etc/hostname"},
                              "/to-ftp": {"redirect": "ftp://127.0.0.1/x"},
                              "/stall": {"stall": true}})");
    int before = leftover_downloads();
    struct { const char* path; std::uint64_t cap; } cases[] = {
        {"/missing", kDownloadSizeLimit}, {"/error", kDownloadSizeLimit}, {"/big", 1024},
        {"/to-file", kDownloadSizeLimit}, {"/to-ftp", kDownloadSizeLimit}, {"/stall", kDownloadSizeLimit},
    };
    for (const auto& c : cases) EXPECT_EQ(download_to_temp(server.url(c.path), 5, c.cap), "") << c.path;
    EXPECT_EQ(download_to_temp("http://127.0.0.1:" + std::to_string(unused_port()) + "/x", 2), "");
    EXPECT_EQ(download_to_temp("ftp://127.0.0.1/x", 2), "");
    EXPECT_EQ(leftover_downloads(), before);
    // The same cap lets the big file through when it fits.
    std::string path = download_to_temp(server.url("/big"), 5, 4096);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(read_file(path).size(), 4096u);
    std::remove(path.c_str());
}

TEST_F(http_client_test, redirects_are_followed_only_by_the_temporary_download) {
    loopback_server server(R"({"/moved": {"redirect": "/final"}, "/final": {"body": "final body"}})");
    std::string path = download_to_temp(server.url("/moved"), 5);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(read_file(path), "final body");
    std::remove(path.c_str());
    EXPECT_EQ(server.request_count(), 2);

    scratch_dir dir;
    std::string target = dir.file("setup.bin");
    EXPECT_EQ(download_to_file(server.url("/moved"), target), target);
    EXPECT_EQ(read_file(target), "");  // the redirect's own (empty) body
    EXPECT_EQ(server.request_count(), 3);
}

// The guard every test process runs under: an address inside a document
// (an issuer, OCSP or CRL address) never takes a test to the internet.
TEST_F(http_client_test, tests_reach_only_the_loopback_interface) {
    set_http_loopback_only(true);
    loopback_server server(R"({"/here": {"body": "here"}, "/away": {"redirect": "http://192.0.2.1:9/final"}})");
    const std::string away = "http://192.0.2.1:9/file";
    testing::internal::CaptureStdout();
    const std::string here = download_to_temp(server.url("/here"), 5);
    EXPECT_EQ(download_to_temp(away, 5), "");
    bool delivered = true;
    EXPECT_EQ(http_post("https://example.com/report", "{}", 5, false, &delivered), "");
    EXPECT_FALSE(delivered);
    EXPECT_EQ(download_to_temp(server.url("/away"), 5), "");
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_FALSE(here.empty());
    EXPECT_EQ(read_file(here), "here");
    std::remove(here.c_str());
    EXPECT_NE(out.find("refused, not a loopback address: " + away), std::string::npos) << out;
    EXPECT_NE(out.find("refused, not a loopback address: https://example.com/report"), std::string::npos) << out;
    EXPECT_NE(out.find("refused, not a loopback address: IPv4"), std::string::npos) << out;
    EXPECT_EQ(server.request_count(), 2);
}

TEST_F(http_client_test, download_to_file_replaces_the_target_only_when_complete) {
    loopback_server server(R"({"/setup": {"body": "new installer"}, "/gone": {"status": 404, "body": "x"},
                              "/stall": {"stall": true}})");
    scratch_dir dir;
    std::string target = dir.file("setup.bin");
    write_file(target, "old");
    EXPECT_EQ(download_to_file(server.url("/gone"), target), "");
    EXPECT_EQ(download_to_file(server.url("/stall"), target), "");
    EXPECT_EQ(read_file(target), "old");
    EXPECT_EQ(download_to_file(server.url("/setup"), target), target);
    EXPECT_EQ(read_file(target), "new installer");
    EXPECT_EQ(download_to_file(server.url("/setup"), ""), "");
    // Nothing but the target is left in the folder.
    auto listing = run_command("ls -A " + shell_quote(dir.path()));
    EXPECT_EQ(listing.output, "setup.bin\n");
}

TEST_F(http_client_test, downloads_end_when_the_program_stops) {
    http_client_settings s = get_http_client_settings();
    s.stall_seconds = 600;  // only the stop flag can end this one
    set_http_client_settings(s);
    loopback_server server(R"({"/stall": {"stall": true}})");
    auto result = std::async(std::launch::async, [&] { return download_to_temp(server.url("/stall"), 5); });
    for (int i = 0; i < 500 && server.request_count() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    stop_workers = true;
    ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(result.get(), "");
}

TEST_F(http_client_test, tls_peers_are_checked_against_the_trusted_cas) {
    tls_fixture tls;
    loopback_server server(R"({"/info": {"body": "secure"}})", tls.dir.file("srv.pem"), tls.dir.file("srv.key"));
    // Without the test CA the server's certificate is refused.
    EXPECT_EQ(download_to_temp(server.url("/info"), 5), "");
    EXPECT_EQ(http_post(server.url("/info"), "x", 5, true), "");
    http_client_settings s = get_http_client_settings();
    s.ca_file = tls.dir.file("ca.pem");
    set_http_client_settings(s);
    std::string path = download_to_temp(server.url("/info"), 5);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(read_file(path), "secure");
    std::remove(path.c_str());
    EXPECT_EQ(http_post(server.url("/info"), "x", 5, true), "secure");
    // A name the certificate does not carry is refused even with the CA.
    std::string by_name = "https://localhost:" + std::to_string(server.port()) + "/info";
    EXPECT_EQ(http_post(by_name, "x", 2, true), "");
}

TEST_F(http_client_test, trustlist_information_is_read_or_left_empty) {
    loopback_server server(R"({
        "/ok": {"body": "{\"id\": \"ID-2\", \"url\": \"http://h/list.p7c\", \"other\": 1}"},
        "/no-url": {"body": "{\"id\": \"ID-2\"}"},
        "/not-json": {"body": "id=ID-2"},
        "/array": {"body": "[\"ID-2\"]"},
        "/id-object": {"body": "{\"id\": {\"x\": 1}, \"url\": \"http://h/l\"}"},
        "/url-array": {"body": "{\"id\": \"ID-2\", \"url\": [1]}"},
        "/empty": {"body": ""},
        "/missing": {"status": 404, "body": "{\"id\": \"ID-2\", \"url\": \"http://h/l\"}"}})");
    struct { const char* path; const char* id; const char* url; } cases[] = {
        {"/ok", "ID-2", "http://h/list.p7c"}, {"/no-url", "ID-2", ""}, {"/not-json", "", ""},
        {"/array", "", ""}, {"/id-object", "", ""}, {"/url-array", "", ""}, {"/empty", "", ""},
        {"/missing", "", ""},
    };
    for (const auto& c : cases) {
        std::string id = "stale", url = "stale";
        fetch_trustlist_info(server.url(c.path), id, url);
        EXPECT_EQ(id, c.id) << c.path;
        EXPECT_EQ(url, c.url) << c.path;
    }
}
