// The system certificate store stand-in and the store access on it: the
// usable-certificate filter, lookup by serial number and issuer, private keys,
// chains and PFX import.
#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/pfx.h"
#include "crypto/system_store.h"
#include "crypto/x509ui.h"
#include "support/test_support.h"

#include "crypto/certstore.h"

namespace {

using platform::store_key_state;
using platform::store_location;

constexpr const char* client_auth = "1.3.6.1.5.5.7.3.2";

struct test_cert {
    X509* cert = nullptr;
    EVP_PKEY* key = nullptr;
    test_cert() = default;
    test_cert(const test_cert&) = delete;
    test_cert& operator=(const test_cert&) = delete;
    test_cert(test_cert&& o) noexcept : cert(o.cert), key(o.key) { o.cert = nullptr; o.key = nullptr; }
    test_cert& operator=(test_cert&& o) noexcept {
        std::swap(cert, o.cert);
        std::swap(key, o.key);
        return *this;
    }
    ~test_cert() {
        X509_free(cert);
        EVP_PKEY_free(key);
    }
};

struct cert_spec {
    std::string cn;
    long serial = 1;
    bool ca = false;
    const char* eku = "clientAuth";  // null: no extendedKeyUsage
    long not_before_days = -1;
    long not_after_days = 30;
};

void add_ext(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    ASSERT_NE(ext, nullptr) << value;
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// A certificate signed by `issuer` (self-signed when null), EC P-256 key.
test_cert make_cert(const cert_spec& spec, const test_cert* issuer = nullptr) {
    test_cert made;
    made.key = EVP_EC_gen("P-256");
    made.cert = X509_new();
    X509_set_version(made.cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(made.cert), spec.serial);
    X509_NAME* name = X509_get_subject_name(made.cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(spec.cn.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(made.cert, issuer ? X509_get_subject_name(issuer->cert) : name);
    X509_gmtime_adj(X509_getm_notBefore(made.cert), spec.not_before_days * 86400L);
    X509_gmtime_adj(X509_getm_notAfter(made.cert), spec.not_after_days * 86400L);
    X509_set_pubkey(made.cert, made.key);
    X509* issuer_cert = issuer ? issuer->cert : made.cert;
    add_ext(made.cert, issuer_cert, NID_basic_constraints, spec.ca ? "critical,CA:TRUE" : "critical,CA:FALSE");
    add_ext(made.cert, issuer_cert, NID_subject_key_identifier, "hash");
    add_ext(made.cert, issuer_cert, NID_authority_key_identifier, "keyid:always");
    if (spec.eku) add_ext(made.cert, issuer_cert, NID_ext_key_usage, spec.eku);
    X509_sign(made.cert, issuer ? issuer->key : made.key, EVP_sha256());
    return made;
}

std::vector<std::wstring> subjects(const std::vector<usable_store_cert>& list) {
    std::vector<std::wstring> names;
    for (const auto& item : list) names.push_back(item.info.subject);
    return names;
}

mode_t mode_of(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

std::string write_pem(const std::string& path, X509* cert, EVP_PKEY* key) {
    BIO* bio = BIO_new_file(path.c_str(), "w");
    if (cert) PEM_write_bio_X509(bio, cert);
    if (key) PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    BIO_free(bio);
    return path;
}

class system_store_test : public ::testing::Test {
protected:
    void SetUp() override {
        init_crypto();
        set_data_root(dir_.path() + "/");
        store_chain_check = nullptr;
        root_ = make_cert({"Store Test Root", 100, true, nullptr, -10, 3650});
        ASSERT_TRUE(system_store().add(store_location::current_user, "Root", root_.cert));
    }
    void TearDown() override {
        store_chain_check = nullptr;
        set_data_root("");
    }
    test_cert issue(const cert_spec& spec) { return make_cert(spec, &root_); }
    platform::store_certificate add_my(const test_cert& c, store_key_state state = store_key_state::available,
                                       bool with_key = true) {
        auto entry = system_store().add(store_location::current_user, "My", c.cert, with_key ? c.key : nullptr, state);
        EXPECT_TRUE(entry.has_value());
        return entry ? *entry : platform::store_certificate{};
    }

    testsupport::scratch_dir dir_;
    test_cert root_;
};

// Which certificates the listing keeps, one row per reason to refuse.
TEST_F(system_store_test, usable_certificate_filter_table) {
    struct row {
        cert_spec spec;
        bool with_key;
        store_key_state key_state;
        bool listed_with_eku;  // E = clientAuth, chain check on
    };
    const std::vector<row> rows = {
        {{"usable one", 1}, true, store_key_state::available, true},
        {{"no key", 2}, false, store_key_state::available, false},
        {{"expired", 3, false, "clientAuth", -30, -1}, true, store_key_state::available, false},
        {{"a CA", 4, true}, true, store_key_state::available, false},
        {{"no eku", 5, false, nullptr}, true, store_key_state::available, false},
        {{"server only", 6, false, "serverAuth"}, true, store_key_state::available, false},
        {{"untrusted chain", 7}, true, store_key_state::available, false},
        {{"key not acquirable", 8}, true, store_key_state::unavailable, false},
        {{"usable two", 9, false, "serverAuth,clientAuth"}, true, store_key_state::available, true},
    };
    for (const row& r : rows) add_my(issue(r.spec), r.key_state, r.with_key);
    store_chain_check = [](X509* cert) {
        cert_info info;
        fill_cert_info(cert, info);
        return info.subject != L"untrusted chain";
    };

    EXPECT_EQ(subjects(list_usable_store_certificates("My", client_auth, true)),
              (std::vector<std::wstring>{L"usable one", L"usable two"}));
    // Without the chain check the untrusted one comes back, in the store's order.
    EXPECT_EQ(subjects(list_usable_store_certificates("My", client_auth, false)),
              (std::vector<std::wstring>{L"usable one", L"untrusted chain", L"usable two"}));
    // Without a purpose the purpose rows come back; key, expiry and CA rules stay.
    EXPECT_EQ(subjects(list_usable_store_certificates("My", nullptr, false)),
              (std::vector<std::wstring>{L"usable one", L"no eku", L"server only", L"untrusted chain", L"usable two"}));
    // Store names are not case-sensitive; a missing store lists nothing.
    EXPECT_EQ(list_usable_store_certificates("MY", client_auth, true).size(), 2u);
    EXPECT_TRUE(list_usable_store_certificates("Nope", client_auth, false).empty());
    // A chain check that is not wired accepts nothing.
    store_chain_check = nullptr;
    EXPECT_TRUE(list_usable_store_certificates("My", client_auth, true).empty());

    // The summary is the display record's.
    store_chain_check = [](X509*) { return true; };
    auto listed = list_usable_store_certificates("My", client_auth, true);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed[0].info.issuer, L"Store Test Root");
    EXPECT_EQ(listed[0].info.sn, "01");

    std::vector<certstore_sumfile_entry> out(3);
    enum_store_certificates("My", client_auth, true, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].access.cert_type, cert_type_sysstore);
    EXPECT_EQ(out[0].access.sysstore.store, "My");
    EXPECT_EQ(out[0].access.sysstore.location, "user");
    EXPECT_EQ(out[0].access.sysstore.subject, L"usable one");
    EXPECT_EQ(out[0].access.sysstore.issuer, L"Store Test Root");
    EXPECT_EQ(out[0].access.sysstore.sn, out[0].info.sn);
}

TEST_F(system_store_test, a_self_made_certificate_is_usable) {
    const std::string pfx = dir_.file("made.pfx");
    X509* made = nullptr;
    ASSERT_EQ(make_self_signed_pfx("/CN=Made Here", pfx_key_rsa, pfx_digest_sha256, {NID_client_auth}, "pw",
                                   utf8_to_wide(pfx), &made),
              0);
    X509_free(made);
    ASSERT_TRUE(import_pfx_to_store(utf8_to_wide(pfx), L"pw", pfx_import_no_ui));
    EXPECT_EQ(subjects(list_usable_store_certificates("My", client_auth, false)),
              (std::vector<std::wstring>{L"Made Here"}));
}

TEST_F(system_store_test, serial_and_issuer_matching) {
    test_cert other_root = make_cert({"Other Root", 200, true, nullptr});
    add_my(issue({"first", 0x8A01}));
    add_my(make_cert({"second", 0x8A01}, &other_root));
    add_my(issue({"third", 0x42}));
    auto subject_of = [](const std::optional<platform::store_certificate>& entry) {
        if (!entry) return std::wstring(L"<none>");
        X509* cert = entry->to_x509();
        cert_info info;
        fill_cert_info(cert, info);
        X509_free(cert);
        return info.subject;
    };
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"Other Root", "8A01")), L"second");
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"Store Test Root", "8A01")), L"first");
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"", "8A01")), L"first");  // empty issuer: first
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"", "8a01")), L"<none>");  // letter case counts
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"store test root", "8A01")), L"<none>");
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"", "008A01")), L"<none>");
    EXPECT_EQ(subject_of(find_store_certificate(true, "My", L"", "42")), L"third");
    EXPECT_EQ(subject_of(find_store_certificate(false, "My", L"", "42")), L"<none>");  // not the machine's

    // The serial text is the display record's, so a listed certificate is found again.
    X509* loaded = load_store_certificate("My", L"Other Root", "8A01");
    ASSERT_NE(loaded, nullptr);
    cert_info info;
    fill_cert_info(loaded, info);
    EXPECT_EQ(info.sn, "8A01");
    X509_free(loaded);
    EXPECT_EQ(load_store_certificate("My", L"", "99"), nullptr);
    EXPECT_EQ(load_store_certificate("Missing", L"", "42"), nullptr);
}

TEST_F(system_store_test, private_key_chain_and_failures) {
    test_cert leaf = issue({"Signer Person", 7});
    add_my(leaf);
    // Another certificate whose subject also contains "Person" comes first
    // when looked up by subject; its key is not the signer's.
    test_cert decoy = issue({"Person Decoy", 8});
    add_my(decoy);

    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    char error[256] = "";
    ASSERT_TRUE(load_store_private_key("My", L"Store Test Root", L"Person", "07", &cert, &chain, &key, error)) << error;
    EXPECT_EQ(X509_check_private_key(leaf.cert, key), 1);
    EXPECT_EQ(X509_cmp(cert, leaf.cert), 0);
    ASSERT_EQ(sk_X509_num(chain), 2);  // leaf, then the root from the Root store
    EXPECT_EQ(X509_cmp(sk_X509_value(chain, 0), leaf.cert), 0);
    EXPECT_EQ(X509_cmp(sk_X509_value(chain, 1), root_.cert), 0);
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);

    // A key that cannot be acquired.
    test_cert blocked = issue({"Blocked", 9});
    add_my(blocked, store_key_state::unavailable);
    cert = nullptr; chain = nullptr; key = nullptr;
    EXPECT_FALSE(load_store_private_key("My", L"Store Test Root", L"Blocked", "09", &cert, &chain, &key, error));
    EXPECT_EQ(key, nullptr);
    EXPECT_STRNE(error, "");
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);

    // Not in the store.
    cert = nullptr; chain = nullptr; key = nullptr;
    EXPECT_FALSE(load_store_private_key("My", L"Store Test Root", L"", "77", &cert, &chain, &key, error));
    EXPECT_EQ(cert, nullptr);

    EXPECT_THROW(load_capi_private_key(leaf.cert, L"", "00000099-NONE", store_key_provider_name, 1, 2),
                 std::exception);
    try {
        load_capi_private_key(leaf.cert, L"", "nothing", store_key_provider_name, 1, 2);
    } catch (const std::exception& ex) {
        EXPECT_STREQ(ex.what(), "load private key by container name(nothing) failed");
    }
    // The decoy's container holds a key that is not the certificate's.
    auto decoy_entry = find_store_certificate(true, "My", L"", "08");
    ASSERT_TRUE(decoy_entry);
    try {
        load_capi_private_key(leaf.cert, L"", decoy_entry->id, store_key_provider_name, 1, 2);
        ADD_FAILURE() << "no exception";
    } catch (const std::exception& ex) {
        EXPECT_STREQ(ex.what(), "Not found matched key");
    }
}

TEST_F(system_store_test, chain_through_intermediate_matches_key_identifier) {
    test_cert intermediate = make_cert({"Middle CA", 50, true, nullptr}, &root_);
    // A look-alike with the same name but another key: it does not sign the leaf.
    test_cert lookalike = make_cert({"Middle CA", 51, true, nullptr}, &root_);
    ASSERT_TRUE(system_store().add(store_location::current_user, "CA", lookalike.cert));
    ASSERT_TRUE(system_store().add(store_location::local_machine, "CA", intermediate.cert));
    test_cert leaf = make_cert({"Deep Leaf", 3}, &intermediate);
    auto entry = add_my(leaf);

    STACK_OF(X509)* chain = nullptr;
    chain_to_x509_stack(entry, &chain);
    ASSERT_EQ(sk_X509_num(chain), 3);
    EXPECT_EQ(X509_cmp(sk_X509_value(chain, 1), intermediate.cert), 0);
    EXPECT_EQ(X509_cmp(sk_X509_value(chain, 2), root_.cert), 0);
    sk_X509_pop_free(chain, X509_free);

    // Without its issuers the chain is the certificate alone.
    test_cert orphan = make_cert({"Orphan", 4}, &lookalike);
    auto lookalike_entry = system_store().find(store_location::current_user, "CA", "33", L"", nullptr);
    ASSERT_TRUE(lookalike_entry);
    EXPECT_TRUE(system_store().remove(*lookalike_entry));
    auto orphan_entry = add_my(orphan);
    chain = nullptr;
    chain_to_x509_stack(orphan_entry, &chain);
    ASSERT_EQ(sk_X509_num(chain), 1);
    sk_X509_pop_free(chain, X509_free);
}

TEST_F(system_store_test, import_then_list) {
    test_cert leaf = issue({"Imported Person", 0x31});
    const std::string leaf_pem = write_pem(dir_.file("leaf.pem"), leaf.cert, leaf.key);
    const std::string root_pem = write_pem(dir_.file("root.pem"), root_.cert, nullptr);
    const std::string pfx = dir_.file("id.pfx");
    auto made = testsupport::run_command("openssl pkcs12 -export -in " + leaf_pem + " -certfile " + root_pem +
                                         " -passout pass:secret -out " + pfx + " 2>&1");
    ASSERT_EQ(made.status, 0) << made.output;

    EXPECT_FALSE(import_pfx_to_store(utf8_to_wide(pfx), L"wrong", pfx_import_no_ui));
    EXPECT_FALSE(import_pfx_to_store(utf8_to_wide(dir_.file("missing.pfx")), L"secret", pfx_import_no_ui));
    ASSERT_TRUE(import_pfx_to_store(utf8_to_wide(pfx), L"secret", pfx_import_no_ui));
    ASSERT_TRUE(import_pfx_to_store(utf8_to_wide(pfx), L"secret", pfx_import_no_ui));  // again: no duplicates

    std::vector<platform::store_certificate> my, ca;
    ASSERT_TRUE(system_store().enumerate(store_location::current_user, "My", my));
    ASSERT_TRUE(system_store().enumerate(store_location::current_user, "CA", ca));
    ASSERT_EQ(my.size(), 1u);
    EXPECT_EQ(my[0].key, store_key_state::available);
    ASSERT_EQ(ca.size(), 1u);
    EXPECT_EQ(ca[0].key, store_key_state::none);

    store_chain_check = [](X509*) { return true; };
    auto listed = list_usable_store_certificates("My", client_auth, true);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].info.subject, L"Imported Person");
    EXPECT_EQ(listed[0].info.sn, "31");

    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    char error[256] = "";
    ASSERT_TRUE(load_store_private_key("My", listed[0].info.issuer, listed[0].info.subject, "31", &cert, &chain,
                                       &key, error)) << error;
    EXPECT_EQ(X509_check_private_key(leaf.cert, key), 1);
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);

    // Owner-only folders and files.
    const std::string my_dir = system_store().store_dir(store_location::current_user, "My");
    EXPECT_EQ(mode_of(my_dir), 0700u);
    EXPECT_EQ(mode_of(system_store().root()), 0700u);
    EXPECT_EQ(mode_of(my_dir + my[0].id + ".cer"), 0600u);
    EXPECT_EQ(mode_of(my_dir + my[0].id + ".key"), 0600u);
}

TEST_F(system_store_test, store_names_cannot_leave_the_store_folder) {
    test_cert leaf = issue({"x", 1});
    EXPECT_FALSE(system_store().add(store_location::current_user, "../My", leaf.cert));
    EXPECT_FALSE(system_store().add(store_location::current_user, "", leaf.cert));
    std::vector<platform::store_certificate> out;
    EXPECT_FALSE(system_store().enumerate(store_location::current_user, "../user/My", out));
    EXPECT_TRUE(list_usable_store_certificates(nullptr, client_auth, false).empty());
    EXPECT_FALSE(find_store_certificate(true, nullptr, L"", "01"));
    EXPECT_FALSE(find_store_certificate(true, "My", L"", nullptr));
}

}  // namespace
