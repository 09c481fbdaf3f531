// Certificate chains against the trust list, over certificates that
// chain_fixtures.sh makes with the openssl command line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <openssl/x509.h>

#include "app/data_dirs.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/digests.h"
#include "crypto/system_chain.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "support/test_support.h"

using testsupport::scratch_dir;

namespace {

class CertChain : public ::testing::Test {
protected:
    // The fixture folder. Making the certificates takes seconds and every
    // test runs in a process of its own, so the folder is kept for the day in
    // a per-user 0700 cache and shared by later runs of the same script.
    struct fixture_folder {
        std::string dir;
        std::string file(const std::string& name) const { return dir + "/" + name; }
    };
    static fixture_folder* certs;

    static std::string make_fixtures() {
        const std::string script_path = std::string(VELK_SOURCE_DIR) + "/tests/crypto/chain_fixtures.sh";
        const std::string script = testsupport::read_file(script_path);
        char day[16];
        const std::time_t now = std::time(nullptr);
        std::strftime(day, sizeof day, "%Y%m%d", std::gmtime(&now));
        const char* tmp = std::getenv("TMPDIR");
        const std::string cache = std::string(tmp && *tmp ? tmp : "/tmp") + "/velk-test-cache-" +
                                  std::to_string(::getuid());
        ::mkdir(cache.c_str(), 0700);
        struct stat st;
        const bool cache_ok = ::lstat(cache.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
                              (st.st_mode & 077) == 0;
        const std::string target =
            cache + "/chains-" + std::to_string(std::hash<std::string>{}(script)) + "-" + day;
        if (cache_ok && testsupport::file_exists(target + "/done")) return target;

        static scratch_dir fresh;  // lives for the process when the cache is unusable
        const std::string work = fresh.path() + "/certs";
        const auto made = testsupport::run_command("mkdir -p " + testsupport::shell_quote(work) + " && cd " +
                                                   testsupport::shell_quote(work) + " && sh " +
                                                   testsupport::shell_quote(script_path) + " && touch done");
        EXPECT_EQ(made.status, 0) << made.output;
        if (made.status != 0 || !cache_ok) return work;
        // Several test processes may race here: the first rename wins, the
        // others use its folder.
        if (std::rename(work.c_str(), target.c_str()) == 0 || testsupport::file_exists(target + "/done"))
            return target;
        return work;
    }

    static void SetUpTestSuite() {
        init_crypto();
        certs = new fixture_folder{make_fixtures()};
    }
    static void TearDownTestSuite() {
        delete certs;
        certs = nullptr;
    }

    // Every test starts with an empty trust list and cache of its own.
    void SetUp() override {
        set_data_root(data.path() + "/");
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
        trust_list_id.clear();
        certcache_dir = data.file("certcache/");
        trust_list_file = data.file("trustlist+.json");
    }
    void TearDown() override {
        for (X509* cert : loaded) X509_free(cert);
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
        certcache_dir.clear();
        set_data_root("");
    }

    X509* cert(const std::string& name) {
        X509* c = load_certificate_file(certs->file(name + ".pem").c_str());
        EXPECT_NE(c, nullptr) << name;
        loaded.push_back(c);
        return c;
    }
    // A copy whose last signature byte is flipped.
    X509* forged(const std::string& name) {
        std::string der = testsupport::read_file(certs->file(name + ".der"));
        der.back() = static_cast<char>(der.back() ^ 0x01);
        X509* c = decode_certificate(reinterpret_cast<const unsigned char*>(der.data()), der.size(), nullptr);
        EXPECT_NE(c, nullptr) << name;
        loaded.push_back(c);
        return c;
    }
public:
    // Makes the certificate a built-in (trusted) entry with its cache copy.
    void trust(const std::string& name) {
        X509* c = cert(name);
        x509ui ui;
        build_x509ui(c, ui);
        trust_list_put(ui, false);
        write_certcache_copy(c);
    }
    void withdraw(const std::string& name) {
        trust_list_lock lock(trust_list_mutex);
        trust_list[x509_certid(cert(name))].usr_untrust = true;
    }
protected:
    STACK_OF(X509)* stack_of(const std::vector<std::string>& names) {
        STACK_OF(X509)* s = sk_X509_new_null();
        for (const auto& n : names) {
            X509* c = cert(n);
            X509_up_ref(c);
            sk_X509_push(s, c);
        }
        return s;
    }

    scratch_dir data;
    std::vector<X509*> loaded;
};
CertChain::fixture_folder* CertChain::certs = nullptr;

std::string subject_cn(X509* cert) {
    char buffer[256] = {};
    X509_NAME_get_text_by_NID(X509_get_subject_name(cert), NID_commonName, buffer, sizeof buffer);
    return buffer;
}

struct chain_case {
    const char* title;
    std::function<void(CertChain&)> setup;  // trust entries
    const char* leaf;                       // file name, or "" for a forged leaf
    const char* forged_leaf;                // file whose signature is broken
    std::vector<std::string> extras;
    int32_t purpose;
    int32_t expected;
    std::vector<std::string> expected_chain;  // subject CNs, leaf first
};

}  // namespace

TEST_F(CertChain, StatusTable) {
    auto trust_rsa = [](CertChain& t) { t.trust("rsa_root"); };
    const std::vector<std::string> rsa_chain = {"rsa_inter"};
    const std::vector<chain_case> cases = {
        {"trusted root alone", trust_rsa, "rsa_root", "", {}, 0, certerr_okay, {"Chain Test Root"}},
        {"leaf under a trusted root", trust_rsa, "leaf_client", "", rsa_chain, 0, certerr_okay,
         {"Chain Leaf Client", "Chain Test Intermediate", "Chain Test Root"}},
        {"withdrawn root alone", [](CertChain& t) { t.trust("rsa_root"); t.withdraw("rsa_root"); }, "rsa_root", "",
         {}, 0, certerr_not_trusted, {"Chain Test Root"}},
        {"leaf under a withdrawn root", [](CertChain& t) { t.trust("rsa_root"); t.withdraw("rsa_root"); },
         "leaf_client", "", rsa_chain, 0, certerr_not_trusted,
         {"Chain Leaf Client", "Chain Test Intermediate", "Chain Test Root"}},
        {"complete chain, root not in the list", nullptr, "leaf_client", "", {"rsa_inter", "rsa_root"}, 0,
         certerr_not_trusted, {"Chain Leaf Client", "Chain Test Intermediate", "Chain Test Root"}},
        {"issuer nowhere", trust_rsa, "orphan_leaf", "", {}, 0, certerr_build_chain, {"Orphan Leaf"}},
        {"issuer nowhere, leaf itself trusted", [](CertChain& t) { t.trust("orphan_leaf"); }, "orphan_leaf", "", {},
         0, certerr_okay, {"Orphan Leaf"}},
        {"intermediate trusted, root unknown", [](CertChain& t) { t.trust("rsa_inter"); }, "leaf_client", "", {}, 0,
         certerr_okay, {"Chain Leaf Client", "Chain Test Intermediate"}},
        {"expired leaf", trust_rsa, "leaf_expired", "", rsa_chain, 0, certerr_okay,
         {"Chain Leaf Expired", "Chain Test Intermediate", "Chain Test Root"}},
        {"client purpose with clientAuth", trust_rsa, "leaf_client", "", rsa_chain, chain_purpose_client_auth,
         certerr_okay, {"Chain Leaf Client", "Chain Test Intermediate", "Chain Test Root"}},
        {"client purpose without EKU", trust_rsa, "leaf_noeku", "", rsa_chain, chain_purpose_client_auth,
         certerr_purpose, {"Chain Leaf No EKU", "Chain Test Intermediate", "Chain Test Root"}},
        {"time-stamp purpose with clientAuth only", trust_rsa, "leaf_client", "", rsa_chain,
         chain_purpose_timestamp, certerr_purpose,
         {"Chain Leaf Client", "Chain Test Intermediate", "Chain Test Root"}},
        {"time-stamp purpose with timeStamping", trust_rsa, "leaf_ts", "", rsa_chain, chain_purpose_timestamp,
         certerr_okay, {"Chain Leaf Time Stamping", "Chain Test Intermediate", "Chain Test Root"}},
        // A broken signature is a signature failure when the certificate
        // comes with its issuer; a cached issuer whose key did not sign it is
        // not its issuer, so the chain stops there.
        {"forged RSA signature under a trusted CA", trust_rsa, "", "rsa_inter", {"rsa_root"}, 0, certerr_signature,
         {"Chain Test Intermediate", "Chain Test Root"}},
        {"forged RSA signature, the CA only cached", trust_rsa, "", "rsa_inter", {}, 0, certerr_build_chain,
         {"Chain Test Intermediate"}},
        {"forged EC signature under a trusted root", [](CertChain& t) { t.trust("ec_root"); }, "", "ec_leaf",
         {"ec_root"}, 0, certerr_signature, {"EC Chain Leaf", "EC Chain Root"}},
        {"forged EC signature, the root only cached", [](CertChain& t) { t.trust("ec_root"); }, "", "ec_leaf", {}, 0,
         certerr_build_chain, {"EC Chain Leaf"}},
        {"EC leaf under a trusted root", [](CertChain& t) { t.trust("ec_root"); }, "ec_leaf", "", {}, 0,
         certerr_okay, {"EC Chain Leaf", "EC Chain Root"}},
        // The rogue leaf names the intermediate but another key signed it: the
        // trusted certificates that come along are not its chain.
        {"rogue leaf with the trusted chain as extras", trust_rsa, "rogue_leaf", "", {"rsa_inter", "rsa_root"}, 0,
         certerr_build_chain, {"Rogue Leaf", "Chain Test Intermediate", "Chain Test Root"}},
        {"SM2 leaf with the identifier", [](CertChain& t) { t.trust("sm2_root"); }, "sm2_leaf", "", {}, 0,
         certerr_okay, {"SM2 Chain Leaf", "SM2 Chain Root"}},
        {"SM2 leaf without the identifier", [](CertChain& t) { t.trust("sm2_root"); }, "sm2_leaf_noid", "", {}, 0,
         certerr_okay, {"SM2 Chain Leaf Without Identifier", "SM2 Chain Root"}},
        {"SM2 leaf with a broken signature", [](CertChain& t) { t.trust("sm2_root"); }, "", "sm2_leaf",
         {"sm2_root"}, 0, certerr_signature, {"SM2 Chain Leaf", "SM2 Chain Root"}},
        {"SM2 leaf, root not in the list", nullptr, "sm2_leaf", "", {"sm2_root"}, 0, certerr_not_trusted,
         {"SM2 Chain Leaf", "SM2 Chain Root"}},
        // d2 has expired: at depth 2 the error is cleared, at depth 6 the
        // chain counts as too long.
        {"expired CA within the depth limit", [](CertChain& t) { t.trust("d0"); }, "d4", "", {"d3", "d2", "d1"}, 0,
         certerr_okay, {"Deep 4", "Deep 3", "Deep 2", "Deep 1", "Deep 0"}},
        {"expired CA deeper than the limit", [](CertChain& t) { t.trust("d0"); }, "d8", "",
         {"d7", "d6", "d5", "d4", "d3", "d2", "d1"}, 0, certerr_unknown,
         {"Deep 8", "Deep 7", "Deep 6", "Deep 5", "Deep 4", "Deep 3", "Deep 2", "Deep 1", "Deep 0"}},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        {
            trust_list_lock lock(trust_list_mutex);
            trust_list.clear();
        }
        if (c.setup) c.setup(*this);
        X509* leaf = *c.leaf ? cert(c.leaf) : forged(c.forged_leaf);
        STACK_OF(X509)* extras = stack_of(c.extras);
        std::vector<chain_status> result;
        verify_cert_chain(leaf, extras, result, c.purpose);
        sk_X509_pop_free(extras, X509_free);

        std::vector<std::string> names;
        for (const auto& entry : result) {
            EXPECT_EQ(entry.certerr, c.expected) << certerr_name(entry.certerr);
            names.push_back(entry.certificate ? subject_cn(entry.certificate) : "(null)");
        }
        EXPECT_EQ(names, c.expected_chain);
    }
}

TEST_F(CertChain, NullCertificateKeepsTheListAndIssuersAreCached) {
    std::vector<chain_status> result;
    result.emplace_back(certerr_expired, nullptr);
    verify_cert_chain(nullptr, nullptr, result, 0);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].certerr, certerr_expired);

    // Issuers met while building become untrusted cache entries with a PEM
    // copy; the root, already built-in, stays as it was.
    trust("rsa_root");
    STACK_OF(X509)* extras = stack_of({"rsa_inter"});
    verify_cert_chain(cert("leaf_client"), extras, result, 0);
    sk_X509_pop_free(extras, X509_free);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);

    trust_cert_info inter, root;
    ASSERT_TRUE(trust_list_find(x509_certid(cert("rsa_inter")), &inter));
    EXPECT_FALSE(inter.trust);
    EXPECT_FALSE(inter.usr);
    EXPECT_FALSE(inter.usr_untrust);
    EXPECT_TRUE(testsupport::file_exists(certcache_dir + inter.id + ".cer"));
    ASSERT_TRUE(trust_list_find(x509_certid(cert("rsa_root")), &root));
    EXPECT_TRUE(root.anchors_trust());
    EXPECT_FALSE(trust_list_find(x509_certid(cert("leaf_client"))));

    // Next time the intermediate comes from the cache: no extras needed.
    verify_cert_chain(cert("leaf_client"), nullptr, result, 0);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);
}

// Authorities made again under one name with new keys, over leaves that
// name no issuer key: each leaf is judged under the authority whose key
// signed it, whatever else the list holds, in whichever order leaves come,
// and after the list is read back from disk.
TEST_F(CertChain, IssuersWithOneNameAreToldApartByKey) {
    struct family {
        const char *root, *twin, *leaf, *twin_leaf;
    };
    auto reset = [] {
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
    };
    for (const family& f : {family{"ec_root", "ec_root_twin", "ec_leaf_bare", "ec_twin_leaf_bare"},
                            family{"sm2_root", "sm2_root_twin", "sm2_leaf_bare", "sm2_twin_leaf_bare"}}) {
        SCOPED_TRACE(f.root);
        // Both authorities trusted: each leaf chains to its own.
        reset();
        trust(f.root);
        trust(f.twin);
        for (const auto& [leaf, root] : {std::pair{f.leaf, f.root}, std::pair{f.twin_leaf, f.twin}}) {
            std::vector<chain_status> result;
            verify_cert_chain(cert(leaf), nullptr, result, 0);
            ASSERT_EQ(result.size(), 2u) << leaf;
            EXPECT_EQ(result[0].certerr, certerr_okay) << leaf;
            EXPECT_EQ(x509_certid(result[1].certificate), x509_certid(cert(root))) << leaf;
        }

        // Nothing trusted. The leaf carries its authority; the twin's leaf
        // carries nothing, and its authority is met nowhere.
        auto verdict = [&](bool first) {
            STACK_OF(X509)* extras = first ? stack_of({f.root}) : nullptr;
            std::vector<chain_status> result;
            verify_cert_chain(cert(first ? f.leaf : f.twin_leaf), extras, result, 0);
            sk_X509_pop_free(extras, X509_free);
            std::string text = std::to_string(result.size());
            for (const auto& e : result) text += " " + std::to_string(e.certerr) + " " + x509_certid(e.certificate);
            return text;
        };
        reset();
        const std::string alone_first = verdict(true);
        reset();
        const std::string alone_second = verdict(false);
        EXPECT_EQ(alone_first.substr(0, 4), "2 7 ");
        EXPECT_EQ(alone_second.substr(0, 4), "1 11");
        reset();
        EXPECT_EQ(verdict(true), alone_first);
        EXPECT_EQ(verdict(false), alone_second) << "the authority met before has the name, not the key";
        reset();
        EXPECT_EQ(verdict(false), alone_second);
        EXPECT_EQ(verdict(true), alone_first);
        // The list and its certcache copies after a restart.
        save_trust_list();
        reset();
        ASSERT_GT(load_trust_list(data.path() + "/"), 0);
        EXPECT_EQ(verdict(false), alone_second);
        EXPECT_EQ(verdict(true), alone_first);
    }
}

TEST_F(CertChain, ErrorMapAndNames) {
    const std::vector<std::pair<int, int32_t>> map = {
        {0, 0}, {18, 0}, {19, 0}, {20, 0}, {27, 0}, {28, 0}, {2, 4}, {7, 5}, {21, 5}, {9, 8}, {10, 9},
        {23, 10}, {57, 12}, {61, 12}, {79, 7}, {22, 14}, {4, 14}, {56, 14}, {62, 14},
    };
    for (const auto& [error, code] : map) EXPECT_EQ(certerr_from_verify_error(error), code) << error;
    EXPECT_STREQ(certerr_name(0), "certerr_okay");
    EXPECT_STREQ(certerr_name(11), "certerr_build_chain");
    EXPECT_STREQ(certerr_name(14), "certerr_unknown");
    EXPECT_STREQ(certerr_name(15), "");
    EXPECT_STREQ(certerr_name(-1), "");
}

TEST_F(CertChain, GmCheckSetsTheIdentifierOnlyWhereItFits) {
    STACK_OF(X509)* chain = stack_of({"sm2_leaf", "sm2_root"});
    EXPECT_TRUE(check_gm_chain_signatures(chain));
    // The library's own check now passes for the leaf: its identifier is set.
    EXPECT_EQ(X509_verify(sk_X509_value(chain, 0), X509_get0_pubkey(sk_X509_value(chain, 1))), 1);
    sk_X509_pop_free(chain, X509_free);

    chain = stack_of({"sm2_leaf_noid", "sm2_root"});
    EXPECT_TRUE(check_gm_chain_signatures(chain));
    EXPECT_EQ(X509_get0_distinguishing_id(sk_X509_value(chain, 0)), nullptr);
    sk_X509_pop_free(chain, X509_free);

    // Wrong issuer key: false. Non-SM2 failures are not judged here.
    chain = stack_of({"sm2_leaf", "ec_root"});
    EXPECT_FALSE(check_gm_chain_signatures(chain));
    sk_X509_pop_free(chain, X509_free);
    chain = stack_of({"ec_leaf", "rsa_root"});
    EXPECT_TRUE(check_gm_chain_signatures(chain));
    sk_X509_pop_free(chain, X509_free);
}

TEST_F(CertChain, ExtrasInACycleEndTheWalk) {
    // "Cycle A" and "Cycle B" issue each other by name: the walk stops when a
    // certificate comes round again, and verification still ends.
    STACK_OF(X509)* extras = stack_of({"cyc_b", "cyc_a"});
    STACK_OF(X509)* chain = sk_X509_new_null();
    chain_from_certs(cert("cyc_leaf"), extras, chain);
    EXPECT_EQ(sk_X509_num(chain), 3);

    std::vector<chain_status> result;
    verify_cert_chain(cert("cyc_leaf"), extras, result, 0);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_NE(result[0].certerr, certerr_okay);
    sk_X509_pop_free(chain, X509_free);
    sk_X509_pop_free(extras, X509_free);
}

TEST_F(CertChain, SystemChainSourceCompletesTheChain) {
    trust("rsa_root");
    static X509* inter = nullptr;
    static X509* root = nullptr;
    inter = cert("rsa_inter");
    root = cert("rsa_root");
    set_system_chain_source([](X509* c) -> STACK_OF(X509)* {
        STACK_OF(X509)* s = sk_X509_new_null();
        for (X509* x : {c, inter, root}) {
            X509_up_ref(x);
            sk_X509_push(s, x);
        }
        return s;
    });
    // The trust list knows the root but not the intermediate: the system
    // store supplies it.
    {
        trust_list_lock lock(trust_list_mutex);
        trust_list.erase(x509_certid(inter));
    }
    std::vector<chain_status> result;
    verify_cert_chain(cert("leaf_client"), nullptr, result, 0);
    set_system_chain_source(nullptr);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);
    EXPECT_EQ(subject_cn(result[1].certificate), "Chain Test Intermediate");
}

TEST_F(CertChain, IssuerFetchedFromCaIssuersAndCachedAsUntrusted) {
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    // The server hands out the intermediate (DER) and, for a second leaf,
    // a redirect to it.
    const std::string routes = std::string("{\"/ca/inter.cer\": {\"body_file\": \"") + certs->file("rsa_inter.der") +
                               "\", \"content_type\": \"application/pkix-cert\"}}";
    testsupport::loopback_server server(routes);
    const std::string url = server.url("/ca/inter.cer");

    scratch_dir work;
    const std::string script =
        "cd " + testsupport::shell_quote(work.path()) + " && printf 'basicConstraints=CA:FALSE\\n"
        "extendedKeyUsage=clientAuth\\nauthorityKeyIdentifier=keyid\\n"
        "authorityInfoAccess=caIssuers;URI:ldap://127.0.0.1/ignored,caIssuers;URI:" + url + "\\n' > aia.ext && "
        "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out leaf.key && "
        "openssl req -new -key leaf.key -subj '/CN=Fetched Leaf' -out leaf.csr -config " +
        testsupport::shell_quote(certs->file("req.cnf")) + " && openssl x509 -req -in leaf.csr -CA " +
        testsupport::shell_quote(certs->file("rsa_inter.pem")) + " -CAkey " +
        testsupport::shell_quote(certs->file("rsa_inter.key")) +
        " -set_serial 77 -days 30 -sha256 -extfile aia.ext -out leaf.pem";
    const auto made = testsupport::run_command(script);
    ASSERT_EQ(made.status, 0) << made.output;
    X509* leaf = load_certificate_file(work.file("leaf.pem").c_str());
    ASSERT_NE(leaf, nullptr);
    loaded.push_back(leaf);

    trust("rsa_root");
    const std::string inter_id = x509_certid(cert("rsa_inter"));
    ASSERT_FALSE(trust_list_find(inter_id));

    std::vector<chain_status> result;
    verify_cert_chain(leaf, nullptr, result, chain_purpose_client_auth);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);
    EXPECT_EQ(subject_cn(result[1].certificate), "Chain Test Intermediate");
    EXPECT_EQ(subject_cn(result[2].certificate), "Chain Test Root");
    ASSERT_EQ(server.request_count(), 1);
    EXPECT_EQ(server.request_path(1), "/ca/inter.cer");

    trust_cert_info entry;
    ASSERT_TRUE(trust_list_find(inter_id, &entry));
    EXPECT_FALSE(entry.trust);
    EXPECT_FALSE(entry.anchors_trust());
    EXPECT_TRUE(testsupport::file_exists(certcache_dir + inter_id + ".cer"));

    // The cached copy serves the next verification without the network.
    verify_cert_chain(leaf, nullptr, result, 0);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);
    EXPECT_EQ(server.request_count(), 1);
}

TEST_F(CertChain, UnreachableIssuerAddressLeavesTheChainShort) {
    for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    scratch_dir work;
    const std::string url = "http://127.0.0.1:" + std::to_string(testsupport::unused_port()) + "/inter.cer";
    const auto made = testsupport::run_command(
        "cd " + testsupport::shell_quote(work.path()) +
        " && printf 'authorityInfoAccess=caIssuers;URI:" + url + "\\n' > aia.ext && "
        "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out k && "
        "openssl req -new -key k -subj '/CN=Lost Leaf' -out c.csr -config " +
        testsupport::shell_quote(certs->file("req.cnf")) + " && openssl x509 -req -in c.csr -CA " +
        testsupport::shell_quote(certs->file("orphan_ca.pem")) + " -CAkey " +
        testsupport::shell_quote(certs->file("orphan_ca.key")) +
        " -set_serial 78 -days 30 -sha256 -extfile aia.ext -out leaf.pem");
    ASSERT_EQ(made.status, 0) << made.output;
    X509* leaf = load_certificate_file(work.file("leaf.pem").c_str());
    ASSERT_NE(leaf, nullptr);
    loaded.push_back(leaf);

    STACK_OF(X509)* chain = sk_X509_new_null();
    X509_up_ref(leaf);
    sk_X509_push(chain, leaf);
    EXPECT_EQ(download_chain_issuers(chain), 1);
    EXPECT_EQ(sk_X509_num(chain), 1);
    sk_X509_pop_free(chain, X509_free);

    std::vector<chain_status> result;
    verify_cert_chain(leaf, nullptr, result, 0);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].certerr, certerr_build_chain);
}

TEST_F(CertChain, KeyIdentifiersAdded) {
    X509* leaf = X509_dup(cert("orphan_leaf"));
    X509* issuer = cert("orphan_ca");
    // Drop the identifiers the fixture put there, then add ours.
    for (int nid : {NID_subject_key_identifier, NID_authority_key_identifier}) {
        int at;
        while ((at = X509_get_ext_by_NID(leaf, nid, -1)) >= 0) X509_EXTENSION_free(X509_delete_ext(leaf, at));
    }
    ASSERT_EQ(add_key_identifiers(leaf, issuer), 0);
    const int count = X509_get_ext_count(leaf);
    EXPECT_EQ(OBJ_obj2nid(X509_EXTENSION_get_object(X509_get_ext(leaf, count - 2))), NID_subject_key_identifier);
    EXPECT_EQ(OBJ_obj2nid(X509_EXTENSION_get_object(X509_get_ext(leaf, count - 1))), NID_authority_key_identifier);
    x509ui leaf_ui, issuer_ui;
    build_x509ui(leaf, leaf_ui);
    build_x509ui(issuer, issuer_ui);
    EXPECT_EQ(leaf_ui.authority_key_id, issuer_ui.subject_key_id);
    EXPECT_FALSE(leaf_ui.subject_key_id.empty());
    EXPECT_EQ(add_key_identifiers(nullptr, issuer), 1);
    X509_free(leaf);
}

// One lock order: threads that hold the trust-list lock while they verify,
// threads that verify without it and threads that only use the trust list
// never wait for each other in a circle.
TEST_F(CertChain, LockOrderHasNoDeadlock) {
    trust("rsa_root");
    trust("ec_root");
    X509* leaf = cert("leaf_client");
    X509* ec_leaf = cert("ec_leaf");
    X509* inter = cert("rsa_inter");
    constexpr int kRounds = 40;

    auto run = std::async(std::launch::async, [&] {
        std::thread holder([&] {
            for (int i = 0; i < kRounds; ++i) {
                trust_list_lock lock(trust_list_mutex);  // as the verify worker does
                std::this_thread::yield();
                std::vector<chain_status> result;
                verify_cert_chain(ec_leaf, nullptr, result, 0);
            }
        });
        std::thread plain([&] {
            for (int i = 0; i < kRounds; ++i) {
                STACK_OF(X509)* extras = sk_X509_new_null();
                X509_up_ref(inter);
                sk_X509_push(extras, inter);
                std::vector<chain_status> result;
                verify_cert_chain(leaf, extras, result, 0);
                sk_X509_pop_free(extras, X509_free);
            }
        });
        std::thread lister([&] {
            for (int i = 0; i < kRounds * 5; ++i) {
                trust_list_find(x509_certid(inter));
                trust_list_find_issuer("", L"CN = Chain Test Root");
                STACK_OF(X509)* chain = sk_X509_new_null();
                build_cert_chain(ec_leaf, nullptr, chain);  // chain building without the chain lock
                sk_X509_pop_free(chain, X509_free);
            }
        });
        holder.join();
        plain.join();
        lister.join();
    });
    if (run.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
        std::fprintf(stderr, "chain and trust-list locks deadlocked\n");
        std::_Exit(1);  // the stuck threads cannot be joined
    }

    std::vector<chain_status> result;
    verify_cert_chain(leaf, nullptr, result, 0);
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[0].certerr, certerr_okay);
}
