// The signing-certificate store: certstore.json with sealed passwords, the
// copies in the "certstore" folder, loading, saving, adding and access checks.
#include "app/data_dirs.h"
#include "app/encoding.h"
#include "app/safe_file_name.h"
#include "app/text_utils.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/crypto_init.h"
#include "crypto/system_store.h"
#include "crypto/x509ui.h"
#include "support/test_support.h"

#include <gtest/gtest.h>
#include <json/json.h>
#include <openssl/x509.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using testsupport::shell_quote;

namespace {

Json::Value parse_json(const std::string& text) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(text);
    EXPECT_TRUE(Json::parseFromStream(builder, in, &root, &errors)) << errors;
    return root;
}

class CertStore : public ::testing::Test {
protected:
    void SetUp() override {
        init_crypto();
        scratch_ = std::make_unique<testsupport::scratch_dir>();
        set_data_root(scratch_->file("home"));
        data_ = app_data_dir();
        certstore_entries.clear();
        syscert_entries.clear();
        certstore_file.clear();
    }
    void TearDown() override {
        certstore_entries.clear();
        syscert_entries.clear();
        certstore_file.clear();
        set_data_root(scratch_->file("gone"));  // never the real home folder
        scratch_.reset();
    }

    // A PFX (password `password`) for `subject`, self-signed, copied into the
    // store folder under the names the store gives it; returns its entry.
    certstore_sumfile_entry make_pfx_entry(const std::string& name, const std::string& subject,
                                           const std::string& password) {
        const std::string key = scratch_->file(name + ".key"), pem = scratch_->file(name + ".pem"),
                          pfx = scratch_->file(name + ".pfx");
        auto made = testsupport::run_command(
            "openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj " + shell_quote(subject) + " -keyout " +
            shell_quote(key) + " -out " + shell_quote(pem) + " 2>&1 && openssl pkcs12 -export -inkey " +
            shell_quote(key) + " -in " + shell_quote(pem) + " -passout " + shell_quote("pass:" + password) +
            " -out " + shell_quote(pfx) + " 2>&1");
        EXPECT_EQ(made.status, 0) << made.output;
        certstore_sumfile_entry entry;
        X509* cert = load_certificate_file(pem.c_str());
        EXPECT_NE(cert, nullptr);
        fill_cert_info(cert, entry.info);
        X509_free(cert);
        entry.access.cert_type = cert_type_pfx;
        entry.access.pfx.certfname = certstore_cer_path(entry.info);
        entry.access.pfx.pfxfname = certstore_pfx_path(entry.info);
        entry.access.pfx.pswd = password;
        fs::copy_file(pem, wide_to_utf8(entry.access.pfx.certfname), fs::copy_options::overwrite_existing);
        fs::copy_file(pfx, wide_to_utf8(entry.access.pfx.pfxfname), fs::copy_options::overwrite_existing);
        return entry;
    }

    std::unique_ptr<testsupport::scratch_dir> scratch_;
    std::string data_;
};

}  // namespace

TEST_F(CertStore, RoundTripWithSealedPasswordSurvivesAMovedDataFolder) {
    load_certstore(data_);
    certstore_sumfile_entry entry = make_pfx_entry("alice", "/CN=Alice Signer/O=Example", "s3cret pass");
    ASSERT_TRUE(entry.add_to_store());
    ASSERT_EQ(certstore_entries.size(), 1u);

    // The file lies in the data folder itself and holds names and a sealed password only.
    EXPECT_EQ(certstore_file, data_ + "certstore.json");
    const std::string text = testsupport::read_file(certstore_file);
    EXPECT_EQ(text.find("s3cret"), std::string::npos);
    EXPECT_EQ(text.find(data_), std::string::npos);
    Json::Value root = parse_json(text);
    const Json::Value& element = root["certstore"][0];
    EXPECT_EQ(element["cert-access"]["type"].asString(), "pfx");
    EXPECT_EQ(element["cert-access"]["pfx"]["pfxfname"].asString(),
              wide_to_utf8(file_name_of(entry.access.pfx.pfxfname)));
    EXPECT_EQ(unseal_password(element["cert-access"]["pfx"]["pswd"].asString()), "s3cret pass");
    EXPECT_EQ(element["cert-info"]["subject"].asString(), "Alice Signer");
    EXPECT_EQ(element["cert-info"]["sn"].asString(), entry.info.sn);
    EXPECT_EQ(fs::status(certstore_file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // Move the whole data folder; the store follows.
    const std::string moved_root = scratch_->file("elsewhere");
    fs::create_directories(moved_root);
    fs::rename(data_, moved_root + "/Velkorant");
    set_data_root(moved_root);
    const std::string moved = app_data_dir();
    ASSERT_EQ(moved, moved_root + "/Velkorant/");
    certstore_entries.clear();
    ASSERT_EQ(load_certstore(moved), 1);
    const certstore_sumfile_entry& back = certstore_entries[0];
    EXPECT_EQ(back.access.cert_type, cert_type_pfx);
    EXPECT_EQ(back.access.pfx.pswd, "s3cret pass");
    EXPECT_EQ(wide_to_utf8(back.access.pfx.pfxfname),
              moved + "certstore/" + wide_to_utf8(file_name_of(entry.access.pfx.pfxfname)));
    EXPECT_EQ(back.info, entry.info);
    EXPECT_TRUE(back.access.check_access());
    EXPECT_TRUE(check_pfx_access(back.access.pfx.certfname, back.access.pfx.pfxfname, back.access.pfx.pswd, true));
    EXPECT_FALSE(check_pfx_access(back.access.pfx.certfname, back.access.pfx.pfxfname, "wrong", true));
}

TEST_F(CertStore, EntryWhosePfxVanishedIsDroppedAndLeavesTheFileAtTheNextSave) {
    load_certstore(data_);
    certstore_sumfile_entry kept = make_pfx_entry("kept", "/CN=Kept", "one");
    certstore_sumfile_entry gone = make_pfx_entry("gone", "/CN=Gone", "two");
    ASSERT_TRUE(kept.add_to_store());
    ASSERT_TRUE(gone.add_to_store());
    ASSERT_EQ(parse_json(testsupport::read_file(certstore_file))["certstore"].size(), 2u);

    fs::remove(wide_to_utf8(gone.access.pfx.pfxfname));
    ASSERT_EQ(load_certstore(data_), 1);
    EXPECT_EQ(certstore_entries[0], kept);
    // Loading never rewrites the file; the next save does.
    EXPECT_EQ(parse_json(testsupport::read_file(certstore_file))["certstore"].size(), 2u);
    ASSERT_TRUE(save_certstore());
    Json::Value root = parse_json(testsupport::read_file(certstore_file));
    ASSERT_EQ(root["certstore"].size(), 1u);
    EXPECT_EQ(root["certstore"][0]["cert-info"]["subject"].asString(), "Kept");
}

TEST_F(CertStore, AddingUpdatesPasswordsAndRefusesWhatCannotBeReached) {
    load_certstore(data_);
    certstore_sumfile_entry entry = make_pfx_entry("bob", "/CN=Bob", "");
    ASSERT_TRUE(entry.add_to_store());
    // An empty password is stored as an empty text and loads as empty.
    Json::Value root = parse_json(testsupport::read_file(certstore_file));
    EXPECT_EQ(root["certstore"][0]["cert-access"]["pfx"]["pswd"].asString(), "");

    // The same entry with the same password writes nothing.
    fs::remove(certstore_file);
    EXPECT_TRUE(entry.add_to_store());
    EXPECT_FALSE(fs::exists(certstore_file));

    // Another password replaces the stored one and saves.
    certstore_sumfile_entry changed = entry;
    changed.access.pfx.pswd = "new";
    EXPECT_TRUE(changed.add_to_store());
    ASSERT_EQ(certstore_entries.size(), 1u);
    EXPECT_EQ(certstore_entries[0].access.pfx.pswd, "new");
    root = parse_json(testsupport::read_file(certstore_file));
    EXPECT_EQ(unseal_password(root["certstore"][0]["cert-access"]["pfx"]["pswd"].asString()), "new");

    // A PFX entry whose copies are missing, and a store entry not listed, are refused.
    certstore_sumfile_entry missing;
    missing.access.cert_type = cert_type_pfx;
    missing.access.pfx.certfname = utf8_to_wide(certstore_dir + "nothing.cer");
    missing.access.pfx.pfxfname = utf8_to_wide(certstore_dir + "nothing.pfx");
    missing.info.subject = L"Missing";
    EXPECT_FALSE(missing.add_to_store());
    certstore_sumfile_entry sys;
    sys.access.cert_type = cert_type_sysstore;
    sys.access.sysstore = {"My", "user", L"Carol", L"Carol CA", "01AB"};
    sys.info.subject = L"Carol";
    EXPECT_FALSE(sys.add_to_store());
    syscert_entries.push_back(sys);
    EXPECT_TRUE(sys.add_to_store());
    EXPECT_EQ(certstore_entries.size(), 1u);
}

TEST_F(CertStore, UnreadableFileIsMovedAsideAndStrayEntriesAreSkipped) {
    load_certstore(data_);
    certstore_sumfile_entry entry = make_pfx_entry("dora", "/CN=Dora", "pw");
    testsupport::write_file(data_ + "certstore.json", "{ \"certstore\": [ not json");
    certstore_entries.push_back(entry);
    EXPECT_EQ(load_certstore(data_), 0);
    EXPECT_TRUE(certstore_entries.empty());
    EXPECT_FALSE(fs::exists(data_ + "certstore.json"));
    EXPECT_EQ(testsupport::read_file(data_ + "certstore.json.bad"), "{ \"certstore\": [ not json");

    // Elements of the wrong shape are skipped; names pointing out of the
    // folder are taken as names inside it; an entry of another kind loads
    // with its summary; a "cert-info" without members gives empty texts.
    const std::string pfx_name = wide_to_utf8(file_name_of(entry.access.pfx.pfxfname));
    const std::string cer_name = wide_to_utf8(file_name_of(entry.access.pfx.certfname));
    testsupport::write_file(data_ + "certstore.json", R"({"certstore": [
        42, {"cert-access": null, "cert-info": {}},
        {"cert-access": {"type": "pfx"}, "cert-info": {}},
        {"cert-access": {"type": "pfx", "pfx": {"certfname": "../../)" + cer_name + R"(", "pfxfname": "/etc/)" +
                                pfx_name + R"(", "pswd": ""}}, "cert-info": {"subject": 7}},
        {"cert-access": {"type": "pfx", "pfx": {"certfname": "..", "pfxfname": ".", "pswd": ""}}, "cert-info": {}},
        {"cert-access": {"type": "other"}, "cert-info": {"subject": "Other", "sn": "0A"}}
    ]})");
    ASSERT_EQ(load_certstore(data_), 2);
    EXPECT_EQ(wide_to_utf8(certstore_entries[0].access.pfx.pfxfname), certstore_dir + pfx_name);
    EXPECT_EQ(wide_to_utf8(certstore_entries[0].access.pfx.certfname), certstore_dir + cer_name);
    EXPECT_EQ(certstore_entries[0].info.subject, L"");
    EXPECT_EQ(certstore_entries[1].access.cert_type, cert_type_none);
    EXPECT_EQ(certstore_entries[1].info.subject, L"Other");
    EXPECT_FALSE(certstore_entries[1].access.check_access());
}

TEST_F(CertStore, CopiesNamedFromHostileCertificateTextsStayInTheFolder) {
    load_certstore(data_);
    const fs::path folder = fs::path(certstore_dir).lexically_normal();
    const std::wstring issuers[] = {
        L"../../../escape", L"..", L".", L"", L"a/b\\c", L"line\nbreak\ttab\x01", L"..\\..\\win",
        L"\u4e2d\u6587 CA", std::wstring(400, L'\u4e2d'), L"/absolute/path",
    };
    for (const std::wstring& issuer : issuers) {
        cert_info info;
        info.issuer = issuer;
        info.sn = "01/../02";
        for (const std::wstring& path : {certstore_cer_path(info), certstore_pfx_path(info)}) {
            const fs::path p = fs::path(wide_to_utf8(path));
            SCOPED_TRACE(wide_to_utf8(path));
            EXPECT_EQ(p.parent_path().lexically_normal().string() + "/", folder.string());
            const std::string name = p.filename().string();
            EXPECT_EQ(name.find('/'), std::string::npos);
            EXPECT_EQ(name.find(".."), std::string::npos);
            EXPECT_NE(name[0], '.');
            for (unsigned char c : name) EXPECT_GE(c, 0x20);
            EXPECT_LE(name.size(), 255u);
            testsupport::write_file(p.string(), "x");  // it can be written, inside the folder
        }
    }
    // Nothing appeared outside the store folder.
    for (const auto& item : fs::directory_iterator(data_))
        EXPECT_TRUE(item.path().filename() == "certstore" || item.path().filename() == "configs")
            << item.path();

    // A real certificate whose issuer name holds separators.
    certstore_sumfile_entry entry = make_pfx_entry("evil", "/CN=..\\/..\\/..\\/evil", "pw");
    EXPECT_EQ(entry.info.issuer, L"../../../evil");
    EXPECT_EQ(fs::path(wide_to_utf8(entry.access.pfx.pfxfname)).parent_path().string() + "/", certstore_dir);
    EXPECT_TRUE(entry.add_to_store());
    EXPECT_EQ(load_certstore(data_), 1);

    EXPECT_EQ(safe_file_name_component(L"Example CA-0A1B"), L"Example CA-0A1B");
    EXPECT_EQ(safe_file_name_component(L"a..b"), L"a._b");
}

TEST_F(CertStore, StoreEntriesAreCheckedThroughTheSystemStore) {
    // A certificate imported into the system store (certificate and key to "My").
    certstore_sumfile_entry pfx = make_pfx_entry("erin", "/CN=Erin", "pw");
    ASSERT_TRUE(import_pfx_to_store(pfx.access.pfx.pfxfname, L"pw", pfx_import_no_ui));

    cert_access access;
    access.cert_type = cert_type_sysstore;
    access.sysstore = {"My", "user", pfx.info.subject, pfx.info.issuer, pfx.info.sn};
    EXPECT_TRUE(access.check_access());
    access.sysstore.store = "MY";  // store names are not case-sensitive
    EXPECT_TRUE(access.check_access());

    cert_access other = access;
    other.sysstore.sn = "00" + pfx.info.sn;
    EXPECT_FALSE(other.check_access());
    other = access;
    other.sysstore.issuer = L"Someone Else";
    EXPECT_FALSE(other.check_access());
    EXPECT_FALSE(cert_access().check_access());

    // Equality: a store record by all its fields, a PFX record by its PFX path.
    EXPECT_NE(access, other);
    cert_access a = pfx.access, b = pfx.access;
    b.pfx.pswd = "different";
    b.pfx.certfname = L"elsewhere.cer";
    EXPECT_EQ(a, b);
    b.pfx.pfxfname += L"x";
    EXPECT_NE(a, b);
    EXPECT_EQ(cert_access(), cert_access());
}
