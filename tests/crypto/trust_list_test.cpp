// The trust list: its file, merging bundles, the issuer cache, issuer lookup,
// the approved part from the system certificate set and the online update.
#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>
#include <json/reader.h>
#include <wx/init.h>

#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/system_roots.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "support/test_support.h"

using namespace testsupport;

namespace {

std::vector<std::string> report_calls;
void record_report(const std::string& old_id, const std::string& new_id, bool ok) {
    report_calls.push_back(old_id + "|" + new_id + "|" + (ok ? "ok" : "failed"));
}

struct update_receiver : wxEvtHandler {
    std::vector<wxString> tags;
    update_receiver() {
        Bind(wxEVT_THREAD, [this](wxThreadEvent& e) { tags.push_back(e.GetString()); });
    }
};

class trust_list_test : public ::testing::Test {
protected:
    // Certificates a, b, c, d; bundle.p7c holds a, b, c.
    static void SetUpTestSuite() {
        init_crypto();
        wx_ = std::make_unique<wxInitializer>();
        certs_ = new scratch_dir();
        for (const char* name : {"a", "b", "c", "d"}) {
            auto r = run_command("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 30 "
                                 "-subj '/O=Trust Test/CN=Root " + std::string(name) + "' -keyout " +
                                 certs_->file(std::string(name) + ".key") + " -out " +
                                 certs_->file(std::string(name) + ".pem") + " 2>&1");
            ASSERT_EQ(r.status, 0) << r.output;
        }
        auto r = run_command("openssl crl2pkcs7 -nocrl -certfile " + certs_->file("a.pem") + " -certfile " +
                             certs_->file("b.pem") + " -certfile " + certs_->file("c.pem") + " -outform DER -out " +
                             certs_->file("bundle.p7c"));
        ASSERT_EQ(r.status, 0) << r.output;
    }
    static void TearDownTestSuite() {
        delete certs_;
        certs_ = nullptr;
        wx_.reset();
    }

    void SetUp() override {
        set_data_root(root_.path());
        data_ = app_data_dir();
        certcache_dir = data_ + "certcache/";
        trust_list_file = data_ + kTrustListFileName;
        trust_list.clear();
        trust_list_id.clear();
        report_calls.clear();
        trust_update_report_hook = record_report;
        trust_list_ready = false;
        trust_page_filled = false;
        doc_verifying = false;
        stop_workers = false;
    }
    void TearDown() override {
        trust_list.clear();
        trust_list_id.clear();
        trust_list_file.clear();
        certcache_dir.clear();
        trust_update_report_hook = nullptr;
        trust_update_receiver = nullptr;
        trust_list_ready = false;
        trust_page_filled = false;
        stop_workers = false;
        reset_service_addresses();
        set_data_root("");
    }

    static X509* cert(const std::string& name) {
        X509* c = load_certificate_file(certs_->file(name + ".pem").c_str());
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static std::string id_of(const std::string& name) {
        X509* c = cert(name);
        std::string id = x509_certid(c);
        X509_free(c);
        return id;
    }
    static std::string bundle() { return read_file(certs_->file("bundle.p7c")); }
    static const unsigned char* bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

    trust_cert_info entry(const std::string& id) {
        trust_cert_info e;
        EXPECT_TRUE(trust_list_find(id, &e)) << id;
        return e;
    }
    std::string list_file() { return read_file(trust_list_file); }
    Json::Value list_json() {
        Json::Value root;
        Json::CharReaderBuilder b;
        std::string text = list_file(), errors;
        std::unique_ptr<Json::CharReader> reader(b.newCharReader());
        EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << text;
        return root;
    }
    void import(const std::string& name) {
        X509* c = cert(name);
        trust_list_import_cert(c);
        X509_free(c);
    }
    void add_issuer(const std::string& name) {
        X509* c = cert(name);
        trust_list_add_issuer(c);
        X509_free(c);
    }

    static std::unique_ptr<wxInitializer> wx_;
    static scratch_dir* certs_;
    scratch_dir root_;
    std::string data_;
};
std::unique_ptr<wxInitializer> trust_list_test::wx_;
scratch_dir* trust_list_test::certs_ = nullptr;

}  // namespace

TEST_F(trust_list_test, load_reads_current_and_older_keys) {
    write_file(trust_list_file, R"({"guid": "G1", "trustlist": [
        {"id": "A1", "name": "CN = R\u00e9seau", "skid": "K1", "sb": "S", "is": "I", "sn": "01", "exp": "2030"},
        {"id": "A2", "untrust": true, "usr_untrust": false, "trust": [], "usr": true},
        {"id": "A3", "usr_untrust": true, "untrust": null, "trust": false},
        {"id": "A4", "trust": true, "usr": false},
        {"id": "A4", "trust": false, "usr": true},
        {"id": "A5", "name": ["not text"], "trust": {}}
    ]})");
    EXPECT_EQ(load_trust_list(data_), 5);
    EXPECT_EQ(trust_list_id, "G1");
    trust_cert_info a1 = entry("A1");
    EXPECT_EQ(a1.name, L"CN = Réseau");
    EXPECT_EQ(a1.skid, "K1");
    EXPECT_EQ(a1.sn, "01");
    EXPECT_EQ(a1.exp, "2030");
    EXPECT_TRUE(a1.trust);  // missing "trust" reads as trusted
    EXPECT_FALSE(a1.usr);
    EXPECT_FALSE(a1.usr_untrust);
    trust_cert_info a2 = entry("A2");
    EXPECT_TRUE(a2.usr_untrust);  // the older key wins when present
    EXPECT_TRUE(a2.trust);        // an empty array counts as missing
    EXPECT_TRUE(a2.usr);
    EXPECT_TRUE(entry("A3").usr_untrust);
    EXPECT_FALSE(entry("A3").trust);
    trust_cert_info a4 = entry("A4");  // the later element wins
    EXPECT_FALSE(a4.trust);
    EXPECT_TRUE(a4.usr);
    EXPECT_EQ(entry("A5").name, L"");
    EXPECT_TRUE(entry("A5").trust);
}

TEST_F(trust_list_test, load_of_a_missing_or_broken_file) {
    trust_list["KEEP"] = trust_cert_info{};
    EXPECT_EQ(load_trust_list(data_), 0);  // missing: the list is left alone
    EXPECT_EQ(trust_list.size(), 1u);
    write_file(trust_list_file, "{\"guid\": \"G\", \"trustlist\": [");
    EXPECT_EQ(load_trust_list(data_), 0);
    EXPECT_TRUE(trust_list.empty());
    // The unreadable file is kept aside, not destroyed.
    EXPECT_FALSE(file_exists(trust_list_file));
    EXPECT_EQ(read_file(trust_list_file + ".broken"), "{\"guid\": \"G\", \"trustlist\": [");
}

TEST_F(trust_list_test, save_writes_the_whole_list_atomically_and_reads_back) {
    trust_cert_info e;
    e.id = "B1";
    e.name = L"CN = 名字";
    e.sb = L"名字";
    e.usr = true;
    e.usr_untrust = true;
    trust_list["B1"] = e;
    trust_cert_info f;
    f.id = "B0";
    f.trust = false;
    trust_list["B0"] = f;
    trust_list_id = "LIST-ID";
    write_file(trust_list_file, "old content");
    save_trust_list();
    std::string text = list_file();
    EXPECT_EQ(text.find("\"untrust\""), std::string::npos);
    EXPECT_NE(text.find("\"usr_untrust\""), std::string::npos);
    EXPECT_NE(text.find("名字"), std::string::npos);
    EXPECT_LT(text.find("\"B0\""), text.find("\"B1\""));  // key order
    struct stat st {};
    ASSERT_EQ(stat(trust_list_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(run_command("ls -A " + shell_quote(data_)).output.find(".tmp"), std::string::npos);

    trust_list_map saved = trust_list;
    trust_list.clear();
    trust_list_id.clear();
    EXPECT_EQ(load_trust_list(data_), 2);
    EXPECT_EQ(trust_list_id, "LIST-ID");
    for (const auto& item : saved) {
        trust_cert_info got = entry(item.first);
        EXPECT_EQ(got.name, item.second.name);
        EXPECT_EQ(got.sb, item.second.sb);
        EXPECT_EQ(got.trust, item.second.trust);
        EXPECT_EQ(got.usr, item.second.usr);
        EXPECT_EQ(got.usr_untrust, item.second.usr_untrust);
    }
}

TEST_F(trust_list_test, entries_are_built_from_the_certificate) {
    X509* c = cert("a");
    x509ui ui;
    build_x509ui(c, ui);
    trust_cert_info e = trust_cert_info_from_x509ui(ui, true);
    EXPECT_EQ(e.id, x509_certid(c));
    EXPECT_EQ(e.skid, ui.subject_key_id);
    EXPECT_FALSE(e.skid.empty());
    EXPECT_EQ(e.name.find(L'\n'), std::wstring::npos);
    EXPECT_NE(e.name.find(L"CN = Root a"), std::wstring::npos);
    EXPECT_EQ(e.sb, L"Root a");
    EXPECT_EQ(e.is, L"Root a");
    EXPECT_EQ(e.sn, ui.serial_hex);
    EXPECT_EQ(e.exp, ui.not_after);
    EXPECT_TRUE(e.usr && e.trust && !e.usr_untrust);
    X509_free(c);
}

TEST_F(trust_list_test, merge_keeps_the_users_choices_and_promotes_the_issuer_cache) {
    // a: withdrawn by the user; b: added by the user; c: in the issuer cache
    // with a copy already on disk, which must not be rewritten.
    import("a");
    trust_list[id_of("a")].usr_untrust = true;
    import("b");
    make_private_dirs(certcache_dir);
    write_file(certcache_dir + id_of("c") + ".cer", "existing copy");
    add_issuer("c");
    EXPECT_FALSE(entry(id_of("c")).trust);

    std::string b = bundle();
    merge_trust_bundle("", bytes(b), b.size());
    EXPECT_EQ(trust_list.size(), 3u);
    EXPECT_EQ(trust_list_id, sha1_hex(bytes(b), b.size()));
    trust_cert_info a = entry(id_of("a")), bb = entry(id_of("b")), c = entry(id_of("c"));
    EXPECT_TRUE(a.usr_untrust);
    EXPECT_FALSE(a.anchors_trust());
    EXPECT_TRUE(bb.usr && bb.anchors_trust());
    EXPECT_TRUE(c.trust && !c.usr && !c.usr_untrust);
    EXPECT_EQ(read_file(certcache_dir + id_of("c") + ".cer"), "existing copy");
    X509* copy = load_certificate_file((certcache_dir + id_of("a") + ".cer").c_str());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(x509_certid(copy), id_of("a"));
    X509_free(copy);
    // The merge saved the list: the file reads back the same.
    Json::Value root = list_json();
    EXPECT_EQ(root["guid"].asString(), trust_list_id);
    EXPECT_EQ(root["trustlist"].size(), 3u);

    // A given id is taken as it is; a GM-labelled bundle reads the same.
    PKCS7* p7 = parse_pkcs7_der(bytes(b), static_cast<uint32_t>(b.size()));
    ASSERT_NE(p7, nullptr);
    unsigned char* gm = nullptr;
    uint32_t gm_len = 0;
    pkcs7_to_der(p7, &gm, &gm_len, true);
    PKCS7_free(p7);
    ASSERT_NE(gm, nullptr);
    trust_list_drop_builtin();
    EXPECT_EQ(trust_list.size(), 2u);  // the withdrawn and the user entry stay
    merge_trust_bundle("GM-ID", gm, gm_len);
    std::free(gm);
    EXPECT_EQ(trust_list_id, "GM-ID");
    EXPECT_TRUE(entry(id_of("c")).anchors_trust());
}

TEST_F(trust_list_test, a_broken_bundle_changes_nothing) {
    import("d");
    std::string b = bundle();
    merge_trust_bundle("", bytes(b), b.size());
    const trust_list_map before = trust_list;
    const std::string id_before = trust_list_id;
    const std::string file_before = list_file();
    std::string broken = b.substr(0, b.size() / 2);
    try {
        merge_trust_bundle("NEW", bytes(broken), broken.size());
        FAIL() << "a broken bundle merged";
    } catch (const exceptionex& ex) {
        EXPECT_EQ(std::string(ex.what()),
                  "(), parse trustlist from p7c failed: trustlistp7len: " + std::to_string(broken.size()));
    }
    EXPECT_THROW(reset_trust_list(bytes(broken), broken.size()), exceptionex);
    EXPECT_THROW(reset_trust_list(nullptr, 0), exceptionex);
    EXPECT_EQ(trust_list.size(), before.size());
    EXPECT_TRUE(trust_list_find(id_of("d")));
    EXPECT_EQ(trust_list_id, id_before);
    EXPECT_EQ(list_file(), file_before);

    // A good reset keeps only the bundle's entries.
    reset_trust_list(bytes(b), b.size());
    EXPECT_EQ(trust_list.size(), 3u);
    EXPECT_FALSE(trust_list_find(id_of("d")));
    for (const char* n : {"a", "b", "c"}) EXPECT_TRUE(entry(id_of(n)).anchors_trust());
}

TEST_F(trust_list_test, adding_issuers_and_importing_certificates) {
    std::string b = bundle();
    merge_trust_bundle("", bytes(b), b.size());
    // An issuer already present, of any kind, changes nothing.
    trust_list[id_of("b")].usr_untrust = true;
    const trust_list_map before = trust_list;
    for (const char* n : {"a", "b"}) add_issuer(n);
    for (const auto& item : before) {
        EXPECT_EQ(entry(item.first).trust, item.second.trust);
        EXPECT_EQ(entry(item.first).usr_untrust, item.second.usr_untrust);
    }
    // A new issuer: untrusted cache entry with a copy, not yet in the file.
    add_issuer("d");
    trust_cert_info d = entry(id_of("d"));
    EXPECT_FALSE(d.trust || d.usr || d.usr_untrust);
    EXPECT_TRUE(file_exists(certcache_dir + id_of("d") + ".cer"));
    EXPECT_EQ(list_file().find(id_of("d")), std::string::npos);

    // Importing a built-in certificate makes it a user entry, appended to the file.
    import("a");
    trust_cert_info a = entry(id_of("a"));
    EXPECT_TRUE(a.usr && a.anchors_trust());
    Json::Value root = list_json();
    int elements_for_a = 0;
    for (const Json::Value& e : root["trustlist"])
        if (e["id"].asString() == id_of("a")) ++elements_for_a;
    EXPECT_EQ(elements_for_a, 2);
    // Importing a withdrawn entry's certificate trusts it again.
    import("b");
    EXPECT_TRUE(entry(id_of("b")).anchors_trust());
    // The next full save leaves one element per id.
    save_trust_list();
    EXPECT_EQ(list_json()["trustlist"].size(), trust_list.size());
}

TEST_F(trust_list_test, appending_to_a_broken_file_writes_the_whole_list) {
    std::string b = bundle();
    merge_trust_bundle("", bytes(b), b.size());
    write_file(trust_list_file, "not json");
    import("d");
    Json::Value root = list_json();
    EXPECT_EQ(root["trustlist"].size(), 4u);
    EXPECT_EQ(root["guid"].asString(), trust_list_id);
}

TEST_F(trust_list_test, issuer_lookup_by_name_and_key_id) {
    auto put = [](const std::string& id, const std::wstring& name, const std::string& skid) {
        trust_cert_info e;
        e.id = id;
        e.name = name;
        e.skid = skid;
        trust_list[id] = e;
    };
    put("1", L"C = CN, O = Alpha, CN = Alpha CA", "AAAA");
    put("2", L"C = CN, O = Beta, CN = Beta CA", "BBBB");
    put("3", L"C = CN, O = Gamma, CN = Gamma CA", "");
    put("4", L"C = CN, O = Delta, CN = Delta CA", "D2D2");
    struct { std::string key; std::wstring name; std::string expected; } cases[] = {
        {"AAAA", L"c = cn, o = alpha, cn = ALPHA ca", "1"},  // letter case ignored
        {"", L"C = CN, O = Alpha, CN = Alpha CA", "1"},       // no key id asked
        {"BBBB", L"C = CN, O = Other, CN = Other CA", ""},    // right key id, other name
        {"9999", L"C = CN, O = Beta, CN = Beta CA", ""},      // right name, other key id
        {"9999", L"C = CN, O = Gamma, CN = Gamma CA", "3"},   // entry without key id: name alone
        {"D1D1", L"C = CN, O = Delta, CN = Delta CA", ""},
        {"AAAA", L"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(trust_list_find_issuer(c.key, c.name), c.expected) << c.key;
    // An authority re-keyed under its name: every entry that fits is offered.
    put("5", L"C = CN, O = Alpha, CN = Alpha CA", "");
    put("6", L"C = CN, O = Alpha, CN = Alpha CA", "A2A2");
    EXPECT_EQ(trust_list_find_issuers("", L"C = CN, O = Alpha, CN = Alpha CA"),
              (std::vector<std::string>{"1", "5", "6"}));
    EXPECT_EQ(trust_list_find_issuers("A2A2", L"C = CN, O = Alpha, CN = Alpha CA"),
              (std::vector<std::string>{"5", "6"}));
    trust_list.clear();
    EXPECT_EQ(trust_list_find_issuer("AAAA", L"C = CN, O = Alpha, CN = Alpha CA"), "");
}

TEST_F(trust_list_test, the_system_set_becomes_the_approved_part_and_keeps_the_users_marks) {
    // An earlier list: a bundle's built-in a, b, c (not from the system), the
    // user's d, b withdrawn.
    std::string b = bundle();
    merge_trust_bundle("OLD", bytes(b), b.size());
    import("d");
    trust_list[id_of("b")].usr_untrust = true;
    scratch_dir sys;
    // The system file holds a, b and d, with a block that is no certificate and a repeat of a.
    write_file(sys.file("ca-certificates.crt"), read_file(certs_->file("a.pem")) + "junk\n" +
                                                    read_file(certs_->file("b.pem")) + read_file(certs_->file("d.pem")) +
                                                    read_file(certs_->file("a.pem")));
    system_roots_override roots(sys.file("ca-certificates.crt"));
    running_workers = 0;
    trust_list_rebuild_thread();
    EXPECT_TRUE(trust_list_ready.load());
    EXPECT_EQ(running_workers.load(), 0);
    EXPECT_EQ(system_roots_source, sys.file("ca-certificates.crt"));
    EXPECT_TRUE(entry(id_of("a")).sys && entry(id_of("a")).anchors_trust());
    EXPECT_TRUE(entry(id_of("b")).usr_untrust);  // withdrawn stays withdrawn
    EXPECT_TRUE(entry(id_of("d")).usr && entry(id_of("d")).anchors_trust());
    EXPECT_FALSE(trust_list_find(id_of("c")));  // built-in, but not in the system set
    EXPECT_EQ(trust_list_id, "");               // so an online bundle is fetched again
    EXPECT_TRUE(file_exists(certcache_dir + id_of("a") + ".cer"));
    EXPECT_EQ(list_json()["trustlist"].size(), trust_list.size());
    // A second start with the same set changes nothing and writes nothing.
    const std::string stored = list_file();
    trust_list.clear();
    load_trust_list(data_);
    EXPECT_TRUE(entry(id_of("a")).sys);
    {
        const system_root_set set = read_system_roots();
        EXPECT_EQ(set.certs.size(), 3u);
        EXPECT_FALSE(sync_system_roots(set.certs, set.source));
    }
    EXPECT_EQ(list_file(), stored);

    // The folder form, as OpenSSL reads it: hashed names only, several folders.
    scratch_dir one, two;
    for (const char* n : {"a", "c"}) write_file(one.file(std::string(n) + ".pem"), read_file(certs_->file(std::string(n) + ".pem")));
    write_file(two.file("d.pem"), read_file(certs_->file("d.pem")));
    ASSERT_EQ(run_command("openssl rehash " + one.path() + " " + two.path()).status, 0);
    write_file(two.file("b.pem"), read_file(certs_->file("b.pem")));  // not hashed: not read
    system_roots_override folders("", one.path() + ":" + two.path());
    const system_root_set set = read_system_roots();
    EXPECT_EQ(set.source, one.path() + ":" + two.path());
    std::vector<std::string> got;
    for (X509* c : set.certs) got.push_back(x509_certid(c));
    std::sort(got.begin(), got.end());
    std::vector<std::string> want{id_of("a"), id_of("c"), id_of("d")};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
}

TEST_F(trust_list_test, without_a_system_set_the_approved_part_is_empty_and_the_reset_changes_nothing) {
    std::string b = bundle();
    merge_trust_bundle("OLD", bytes(b), b.size());
    import("d");
    system_roots_override none("", "");
    testing::internal::CaptureStdout();
    trust_list_rebuild_thread();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("no system certificate set"), std::string::npos) << printed;
    EXPECT_TRUE(trust_list_ready.load());
    EXPECT_EQ(system_roots_source, "");
    EXPECT_EQ(trust_list.size(), 1u);  // only the user's own
    EXPECT_TRUE(entry(id_of("d")).anchors_trust());
    const std::string stored = list_file();
    EXPECT_THROW(reset_trust_list_to_system(), exceptionex);
    EXPECT_EQ(trust_list.size(), 1u);
    EXPECT_EQ(list_file(), stored);
}

TEST_F(trust_list_test, reset_to_the_system_set_keeps_only_the_set) {
    import("d");
    trust_list_id = "ONLINE";
    scratch_dir sys;
    write_file(sys.file("roots.pem"), read_file(certs_->file("a.pem")) + read_file(certs_->file("b.pem")));
    system_roots_override roots(sys.file("roots.pem"));
    trust_list_rebuild_thread();
    trust_list[id_of("a")].usr_untrust = true;
    reset_trust_list_to_system();
    EXPECT_EQ(trust_list.size(), 2u);
    EXPECT_TRUE(entry(id_of("a")).anchors_trust() && entry(id_of("a")).sys);
    EXPECT_TRUE(entry(id_of("b")).anchors_trust());
    EXPECT_EQ(trust_list_id, "");
    EXPECT_EQ(list_json()["trustlist"].size(), 2u);
}

TEST_F(trust_list_test, online_update_with_the_same_id_does_nothing) {
    std::string b = bundle();
    merge_trust_bundle("CURRENT", bytes(b), b.size());
    const std::string file_before = list_file();
    // The current id, and a new id without a bundle address.
    loopback_server server(R"({"/same": {"body": "{\"id\": \"CURRENT\", \"url\": \"/list.p7c\"}"},
                              "/no-url": {"body": "{\"id\": \"NEWER\", \"url\": \"\"}"},
                              "/list.p7c": {"body": "x"}})");
    int requests = 0;
    for (const char* info : {"/same", "/no-url"}) {
        trustlist_info_url = server.url(info);
        trust_list_ready = true;
        trust_page_filled = true;
        trust_list_update_thread();
        EXPECT_EQ(server.request_count(), ++requests) << info;  // no bundle download
        EXPECT_FALSE(trust_list_updating.load());
    }
    EXPECT_TRUE(report_calls.empty());
    EXPECT_EQ(trust_list_id, "CURRENT");
    EXPECT_EQ(list_file(), file_before);
}

TEST_F(trust_list_test, online_update_replaces_the_built_in_part) {
    std::string old = bundle();
    merge_trust_bundle("OLD", bytes(old), old.size());
    import("d");
    scratch_dir dir;
    // The new bundle holds only a.
    ASSERT_EQ(run_command("openssl crl2pkcs7 -nocrl -certfile " + certs_->file("a.pem") + " -outform DER -out " +
                          dir.file("new.p7c")).status, 0);
    // The bundle on one server, the information naming its address on another.
    loopback_server server(R"({"/new.p7c": {"body_file": ")" + dir.file("new.p7c") + R"("}})");
    loopback_server info(R"({"/info": {"body": "{\"id\": \"NEW\", \"url\": \")" + server.url("/new.p7c") + R"(\"}"}})");
    trustlist_info_url = info.url("/info");
    update_receiver receiver;
    trust_update_receiver = &receiver;
    trust_list_ready = true;
    trust_page_filled = true;
    trust_list[id_of("c")].sys = true;  // from the system set: the update leaves it
    trust_list_update_thread();
    EXPECT_EQ(trust_list_id, "NEW");
    EXPECT_TRUE(entry(id_of("a")).anchors_trust());
    EXPECT_FALSE(trust_list_find(id_of("b")));
    EXPECT_TRUE(entry(id_of("c")).anchors_trust() && entry(id_of("c")).sys);
    EXPECT_TRUE(entry(id_of("d")).usr);
    EXPECT_EQ(list_json()["guid"].asString(), "NEW");
    ASSERT_EQ(report_calls.size(), 1u);
    EXPECT_EQ(report_calls[0], "OLD|NEW|ok");
    receiver.ProcessPendingEvents();
    ASSERT_EQ(receiver.tags.size(), 1u);
    EXPECT_EQ(receiver.tags[0], evt_update);
}

TEST_F(trust_list_test, a_failed_online_update_restores_the_list) {
    std::string b = bundle();
    merge_trust_bundle("OLD", bytes(b), b.size());
    import("d");
    add_issuer("d");
    const trust_list_map before = trust_list;
    const std::string file_before = list_file();
    scratch_dir dir;
    write_file(dir.file("broken.p7c"), b.substr(0, 100));
    loopback_server lists(R"({"/broken.p7c": {"body_file": ")" + dir.file("broken.p7c") + R"("},
                             "/empty.p7c": {"body": ""}, "/gone.p7c": {"status": 404, "body": "x"}})");
    std::string routes = "{";
    for (const char* name : {"/broken.p7c", "/empty.p7c", "/gone.p7c"})
        routes += std::string(routes.size() > 1 ? "," : "") + "\"" + name + R"(": {"body": "{\"id\": \"NEW\", \"url\": \")" +
                  lists.url(name) + R"(\"}"})";
    loopback_server info(routes + "}");
    for (const char* name : {"/broken.p7c", "/empty.p7c", "/gone.p7c"}) {
        trustlist_info_url = info.url(name);
        update_receiver receiver;
        trust_update_receiver = &receiver;
        trust_list_ready = true;
        trust_page_filled = true;
        report_calls.clear();
        trust_list_update_thread();
        ASSERT_EQ(report_calls.size(), 1u) << name;
        EXPECT_EQ(report_calls[0], "OLD|NEW|failed");
        EXPECT_EQ(trust_list_id, "OLD");
        EXPECT_EQ(trust_list.size(), before.size()) << name;
        for (const auto& item : before) EXPECT_EQ(entry(item.first).trust, item.second.trust);
        EXPECT_EQ(list_file(), file_before);
        receiver.ProcessPendingEvents();
        EXPECT_TRUE(receiver.tags.empty());
        trust_update_receiver = nullptr;
    }
}

TEST_F(trust_list_test, the_update_waits_end_on_the_stop_flag) {
    loopback_server info(R"({"/info": {"body": "{\"id\": \"NEW\", \"url\": \"http://127.0.0.1:1/x\"}"}})");
    trustlist_info_url = info.url("/info");
    running_workers = 0;
    auto done = std::async(std::launch::async, [] { trust_list_update_thread(); });
    EXPECT_EQ(done.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);  // still waiting
    stop_workers = true;
    ASSERT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(info.request_count(), 0);
    EXPECT_EQ(running_workers.load(), 0);
    EXPECT_TRUE(report_calls.empty());
}
