// The version check and the installer download against a loopback server
// standing in for the maker's download area.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <openssl/pem.h>
#include <openssl/x509.h>

#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/system_store.h"
#include "service/device_id.h"
#include "service/version_check.h"
#include "service_fixture.h"

using testsupport::loopback_server;
using testsupport::run_command;
using testsupport::shell_quote;
using namespace std::chrono;

namespace {

namespace fs = std::filesystem;

TEST(version_text, only_four_dotted_numbers_pass) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"3.2.0.5", true},         {"0.0.0.0", true},          {"123456789.1.2.3", true},
        {"1234567890.1.2.3", false}, {"3.2.1", false},         {"3.2.0.5.1", false},
        {"3.2.0.5 ", false},       {" 3.2.0.5", false},        {"3.2.0.5\n", false},
        {"+3.2.0.5", false},       {"3.-2.0.5", false},        {"3..0.5", false},
        {"1.2.3.4/../../x", false}, {"1.2.3.4?a=b", false},    {"", false},
        {"a.b.c.d", false},        {"３.2.0.5", false},
    };
    for (const auto& [text, ok] : cases) EXPECT_EQ(is_valid_version_text(text), ok) << "'" << text << "'";
}

TEST(version_text, newer_compares_numbers_in_order) {
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"3.2.0.5", "3.2.0.4", true}, {"3.2.0.4", "3.2.0.4", false}, {"1.10.0.0", "1.9.9.9", true},
        {"1.9.9.9", "1.10.0.0", false}, {"2.0.0.0", "1.99.99.99", true}, {"0.0.0.1", "0.0.0.2", false},
    };
    for (const auto& [a, b, newer] : cases) EXPECT_EQ(is_newer_version(a, b), newer) << a << " vs " << b;
    EXPECT_THROW(is_newer_version("3.2.1", "3.2.0.4"), std::exception);
    EXPECT_THROW(is_newer_version("3.2.0.4", "3.2.0.4.1"), std::exception);
    EXPECT_THROW(is_newer_version("a.b.c.d", "1.2.3.4"), std::invalid_argument);
    EXPECT_THROW(is_newer_version("99999999999.0.0.0", "1.2.3.4"), std::out_of_range);
}

class version_check : public service_test {
protected:
    void SetUp() override {
        service_test::SetUp();
        version_check_busy = false;
        new_version_available = false;
        latest_version = "0.0.0.7";
        release_notes = L"old notes";
    }
    void TearDown() override {
        version_check_busy = false;
        latest_version.clear();
        release_notes.clear();
        new_version_available = false;
        service_test::TearDown();
    }
    // Runs one check against a server serving `info` and (when not null) `notes`.
    wxString run_check(const std::string& info, const char* notes) {
        return run_checks({{info, notes}}).at(0);
    }
    // One check per case against one server; each case's documents live in
    // a folder of their own, which is the download base of its check.
    std::vector<wxString> run_checks(const std::vector<std::pair<std::string, const char*>>& cases) {
        std::string routes = "{";
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const std::string dir = "/case" + std::to_string(i);
            routes += std::string(i ? ", " : "") + "\"" + dir + "/velkorant-version.json\": {\"body\": " +
                      quote(cases[i].first) + "}";
            if (cases[i].second)
                routes += ", \"" + dir + "/velkorant-release-notes-en.txt\": {\"body\": " + quote(cases[i].second) + "}";
        }
        routes += "}";
        loopback_server server(routes);
        std::vector<wxString> tags;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            // Upper-case letters in the base are lower-cased with the rest of the address.
            download_base = server.url("/CASE" + std::to_string(i) + "/");
            recording_sink sink;
            EXPECT_TRUE(start_version_check(make_event_target(&sink)));
            const auto end = steady_clock::now() + seconds(20);
            while (sink.tags.empty() && steady_clock::now() < end) {
                sink.drain();
                std::this_thread::sleep_for(milliseconds(10));
            }
            EXPECT_EQ(sink.tags.size(), 1u);
            while (version_check_busy) std::this_thread::sleep_for(milliseconds(5));
            if (sink.tags.empty()) {
                tags.push_back("");
                continue;
            }
            applied_ = apply_version_check_event(*static_cast<const wxThreadEvent*>(sink.events[0].get()));
            tags.push_back(sink.tags[0]);
        }
        return tags;
    }
    static std::string quote(const std::string& text) {
        std::string out = "\"";
        for (char c : text) {
            if (c == '\n') {
                out += "\\n";
                continue;
            }
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    }
    bool applied_ = false;
};

TEST_F(version_check, a_newer_version_with_its_notes) {
    EXPECT_EQ(run_check(R"({"velkorant": {"version": "99.0.0.1"}, "other": 1})", "新版本\nline two"),
              evt_check_succeed);
    EXPECT_TRUE(applied_);
    EXPECT_EQ(latest_version, "99.0.0.1");
    EXPECT_EQ(release_notes, L"新版本\nline two");
    EXPECT_TRUE(new_version_available);
    EXPECT_FALSE(version_check_busy);
}

TEST_F(version_check, the_same_version_is_no_news) {
    EXPECT_EQ(run_check(R"({"velkorant": {"version": ")" + own_file_version() + R"("}})", "notes"),
              evt_check_succeed);
    EXPECT_EQ(latest_version, own_file_version());
    EXPECT_FALSE(new_version_available);
}

TEST_F(version_check, every_failure_leaves_the_last_result) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {R"({"other": {"version": "9.0.0.0"}})", "notes"},          // key missing
        {R"({"velkorant": {"version": "3.2.1"}})", "notes"},        // three numbers
        {R"({"velkorant": {"version": "9.0.0.0/../../evil"}})", "notes"},
        {R"({"velkorant": {"version": 9}})", "notes"},             // not a text
        {R"({"velkorant": ["9.0.0.0"]})", "notes"},
        {R"(["velkorant"])", "notes"},
        {"not json at all", "notes"},
        {R"({"velkorant": {"version": "9.0.0.0"}})", nullptr},     // no release notes
        {"", "notes"},                                             // empty document
    };
    const std::vector<wxString> tags = run_checks(cases);
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(tags[i], evt_check_failed) << cases[i].first;
    EXPECT_EQ(latest_version, "0.0.0.7");
    EXPECT_EQ(release_notes, L"old notes");
    EXPECT_FALSE(new_version_available);
}

TEST_F(version_check, a_second_check_or_download_is_refused_while_one_runs) {
    recording_sink sink;
    version_check_busy = true;
    EXPECT_FALSE(start_version_check(make_event_target(&sink)));
    EXPECT_FALSE(start_installer_download(make_event_target(&sink), "9.0.0.0"));
    std::this_thread::sleep_for(milliseconds(100));
    sink.drain();
    EXPECT_TRUE(sink.tags.empty());
}

TEST_F(version_check, an_event_without_the_result_changes_nothing) {
    wxThreadEvent plain(wxEVT_THREAD, wxID_ANY);
    plain.SetString(evt_check_succeed);
    EXPECT_FALSE(apply_version_check_event(plain));
    EXPECT_EQ(downloaded_installer_path(plain), L"");
    EXPECT_EQ(latest_version, "0.0.0.7");
}

// Installers made at test time: a small PE image signed by the pinned
// signer and one signed by a stranger.
class installer_download : public service_test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        dir_ = new testsupport::scratch_dir();
        const std::string script =
            "set -e; cd " + shell_quote(dir_->path()) + "\n"
            "python3 " + shell_quote(std::string(VELK_SOURCE_DIR) + "/tests/crypto/make_pe.py") + " plain.exe\n"
            "cs='-addext extendedKeyUsage=codeSigning -addext basicConstraints=critical,CA:FALSE'\n"
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=Maker $cs -keyout pin.key -out pin.pem\n"
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=Stranger $cs -keyout s.key -out s.pem\n"
            "osslsigncode sign -h sha256 -certs pin.pem -key pin.key -in plain.exe -out good.exe >/dev/null\n"
            "osslsigncode sign -h sha256 -certs s.pem -key s.key -in plain.exe -out stranger.exe >/dev/null\n";
        auto result = run_command("(" + script + ") 2>&1");
        ASSERT_EQ(result.status, 0) << result.output;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override {
        service_test::SetUp();
        BIO* bio = BIO_new_file(dir_->file("pin.pem").c_str(), "r");
        X509* cert = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
        unsigned char* der = nullptr;
        const int length = cert ? i2d_X509(cert, &der) : 0;
        set_authenticode_signer_pin(std::vector<unsigned char>(der, der + std::max(length, 0)));
        OPENSSL_free(der);
        X509_free(cert);
        BIO_free(bio);
        folder_ = scratch_->file("programs");
        fs::create_directories(folder_);
    }
    void TearDown() override {
        set_authenticode_signer_pin({});
        version_check_busy = false;
        service_test::TearDown();
    }
    // One download of `version` from a server that serves good.exe as
    // 9.0.0.0, stranger.exe as 9.0.0.1 and nothing else.
    wxString run_download(const std::string& version, loopback_server& server, std::wstring& path) {
        download_base = server.url("/");
        recording_sink sink;
        version_check_busy = true;  // claimed, as the starter does
        std::thread(installer_download_worker, make_event_target(&sink), version, folder_).join();
        sink.drain();
        EXPECT_FALSE(version_check_busy);
        EXPECT_EQ(sink.tags.size(), 1u);
        if (sink.tags.empty()) return "";
        path = downloaded_installer_path(*static_cast<const wxThreadEvent*>(sink.events[0].get()));
        return sink.tags[0];
    }
    std::string routes() const {
        return "{\"/velkorant-v9.0.0.0.exe\": {\"body_file\": \"" + dir_->file("good.exe") +
               "\"}, \"/velkorant-v9.0.0.1.exe\": {\"body_file\": \"" + dir_->file("stranger.exe") + "\"}}";
    }

    static testsupport::scratch_dir* dir_;
    std::string folder_;
};
testsupport::scratch_dir* installer_download::dir_ = nullptr;

TEST_F(installer_download, the_makers_installer_is_kept) {
    loopback_server server(routes());
    std::wstring path;
    EXPECT_EQ(run_download("9.0.0.0", server, path), evt_download_succeed);
    EXPECT_EQ(path, utf8_to_wide(folder_ + "/velkorant-v9.0.0.0.exe"));
    EXPECT_EQ(testsupport::read_file(wide_to_utf8(path)), testsupport::read_file(dir_->file("good.exe")));
}

TEST_F(installer_download, a_file_that_fails_a_check_is_deleted) {
    loopback_server server(routes());
    std::wstring path;
    EXPECT_EQ(run_download("9.0.0.1", server, path), evt_download_failed);  // another signer
    EXPECT_EQ(path, L"");
    EXPECT_FALSE(fs::exists(folder_ + "/velkorant-v9.0.0.1.exe"));
    EXPECT_EQ(run_download("9.0.0.2", server, path), evt_download_failed);  // not on the server
    EXPECT_FALSE(fs::exists(folder_ + "/velkorant-v9.0.0.2.exe"));
    EXPECT_EQ(server.request_count(), 2);
    // A version text that is not four numbers never reaches the server or the disk.
    EXPECT_EQ(run_download("../../9.0.0.0", server, path), evt_download_failed);
    EXPECT_EQ(server.request_count(), 2);
    EXPECT_TRUE(fs::is_empty(folder_));
}

}  // namespace
