// Usage reports: the JSON each builder makes, the one-line names, the
// verify-file and sigdata rules, feedback against a loopback server, and the
// hooks through which the lower layers reach the queue.
#include <functional>
#include <map>

#include "app/encoding.h"
#include "app/report_hooks.h"
#include "app/sigstampui.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "document/sig_result.h"
#include "document/sign_operation.h"
#include "document/sign_params.h"
#include "service/service_hooks.h"
#include "service/usage_reports.h"
#include "service_fixture.h"

using testsupport::loopback_server;

namespace {

using data_map = std::map<std::string, std::string>;

x509ui alice_cert() {
    x509ui c;
    c.subject_cn = L"Alice";
    c.subject_dn = L"C = CN\nO = Org\nCN = Alice";
    c.issuer_cn = L"Root CA";
    c.issuer_dn = L"C = CN\nCN = Root CA";
    c.sig_alg = "sha256WithRSAEncryption";
    c.serial_hex = "01AB";
    return c;
}

data_map data_of(const Json::Value& root) {
    data_map out;
    if (!root.isMember("data")) return out;
    for (const auto& key : root["data"].getMemberNames()) out[key] = root["data"][key].asString();
    return out;
}

class usage_reports : public service_test {};

TEST_F(usage_reports, a_bare_report_holds_only_the_header) {
    cfgui = user_info{};
    report_record r;
    init_report_record("user-stat", r);
    EXPECT_EQ(r.url, report_endpoint);
    EXPECT_EQ(r.time.size(), 19u);
    const Json::Value root = parse_json(report_to_json(r));
    EXPECT_EQ(root.getMemberNames(), (std::vector<std::string>{"product-info", "time", "type", "user-info"}));
    EXPECT_EQ(root["user-info"].getMemberNames(), (std::vector<std::string>{"device-id", "platform"}));
    EXPECT_EQ(root["product-info"]["name"].asString(), "Velkorant");
    EXPECT_EQ(root["product-info"]["version"].asString(), "1.0.0.1");
}

TEST_F(usage_reports, contact_and_country_appear_only_when_set_and_the_device_name_never) {
    cfgui.contact = L"张三@example.com";
    cfgui.country = "CN";
    cfgui.device_name = L"my-pc";
    report_record r;
    init_report_record("feedback", r);
    const std::string json = report_to_json(r);
    const Json::Value root = parse_json(json);
    EXPECT_EQ(root["user-info"]["contact"].asString(), "张三@example.com");
    EXPECT_EQ(root["user-info"]["country"].asString(), "CN");
    EXPECT_EQ(json.find("my-pc"), std::string::npos);
}

TEST_F(usage_reports, one_line_names) {
    EXPECT_EQ(report_name_text(L"Alice", L"C = CN\nO = Org\nCN = Alice"), L"CN = Alice C = CN O = Org ");
    EXPECT_EQ(report_name_text(L"", L"C = CN\nO = Org"), L"C = CN O = Org");
    // Only the first occurrence goes.
    EXPECT_EQ(report_name_text(L"A", L"CN = A\nOU = CN = A"), L"CN = A  OU = CN = A");
    EXPECT_STREQ(report_certerr_name(6), "certerr_self_signed");
    EXPECT_STREQ(report_certerr_name(14), "certerr_unknown");
    EXPECT_STREQ(report_certerr_name(99), "certerr_unknown");
}

struct builder_case {
    const char* name;
    std::function<void()> build;
    const char* type;
    const char* level;  // "" = absent
    const char* desc;
    data_map data;
};

TEST_F(usage_reports, every_builder_makes_its_report) {
    static sigstampui local_stamp, cloud_ts_stamp, cloud_stamp;
    local_stamp.is_visible = true;
    cloud_ts_stamp.is_localsign = false;
    cloud_ts_stamp.is_tsmode = true;
    cloud_ts_stamp.tsurl = "http://tsa.example.net/ts";
    cloud_stamp.is_localsign = false;
    cloud_stamp.addr = "https://cloud.example.net/sign";
    static const x509ui cert = alice_cert();
    auto task = [](sigstampui* stamp) {
        sign_task t;
        t.stamp = stamp;
        t.source = L"/nonexistent/source.pdf";
        return t;
    };
    is_timestamp = true;
    timestamp_urls = {L"http://tsa.example.org/"};

    const std::vector<builder_case> cases = {
        {"agreement", [] { report_agreement(); }, "agreement", "info", "true", {}},
        {"check-version", [] { report_check_version("1.0.0.1", "1.0.0.2"); }, "check-version", "failed", "",
         {{"old", "1.0.0.1"}, {"new", "1.0.0.2"}}},
        {"update-version ok", [] { report_update_version(true, true, "1.0.0.1", "1.0.0.2"); }, "update-version",
         "info", "", {{"old", "1.0.0.1"}, {"new", "1.0.0.2"}}},
        {"update-version failed", [] { report_update_version(false, true, "1", "2"); }, "update-version", "failed",
         "", {{"old", "1"}, {"new", "2"}}},
        {"add-trust", [] { report_add_trust(cert); }, "add-trust", "", "",
         {{"subject", "CN = Alice C = CN O = Org "}, {"issuer", "CN = Root CA C = CN "},
          {"algcer", "sha256WithRSAEncryption"}}},
        {"update-trustlist ok", [] { report_update_trustlist(true, "old-id", "new-id"); }, "update-trustlist", "info",
         "ok", {{"old", "old-id"}, {"new", "new-id"}}},
        {"update-trustlist failed", [] { report_update_trustlist(false, "old-id", ""); }, "update-trustlist",
         "failed", "failed", {{"old", "old-id"}, {"new", ""}}},
        {"sign local ok", [&] { report_sign_task(task(&local_stamp), &cert, true, ""); }, "sign-file", "info", "ok",
         {{"any", "local-sign"}, {"subject", "CN = Alice C = CN O = Org "}, {"issuer", "CN = Root CA C = CN "},
          {"algcer", "sha256WithRSAEncryption"}, {"tsaurl", "http://tsa.example.org/"}}},
        {"sign cloud time stamp failed", [&] { report_sign_task(task(&cloud_ts_stamp), &cert, false, "no tsa"); },
         "sign-file", "failed", "no tsa",
         {{"any", "cloud-sign"}, {"tsaurl", "http://tsa.example.net/ts"}, {"filesize", "-1"}}},
        {"sign cloud account", [&] { report_sign_task(task(&cloud_stamp), nullptr, true, ""); }, "sign-file", "info",
         "ok", {{"any", "cloud-sign"}, {"account", "https://cloud.example.net/sign"}}},
        {"make-stamp local", [] { report_make_stamp(local_stamp, &cert); }, "make-stamp", "info", "ok",
         {{"type", "local sign"}, {"visible", "true"}, {"subject", "C = CN\nO = Org\nCN = Alice"},
          {"issuer", "C = CN\nCN = Root CA"}, {"algcer", "sha256WithRSAEncryption"}}},
        {"make-stamp cloud time stamp", [] { report_make_stamp(cloud_ts_stamp, &cert); }, "make-stamp", "info", "ok",
         {{"type", "cloud sign"}, {"tsaurl", "http://tsa.example.net/ts"}}},
        {"create-cert ok", [] { report_create_cert(true, true, L"CN=测试", "SM2", "ignored"); }, "create-cert",
         "info", "ok", {{"subject", "CN=测试"}, {"algcer", "SM2"}}},
        {"create-cert not imported", [] { report_create_cert(true, false, L"CN=x", "RSA", "import failed"); },
         "create-cert", "failed", "import failed", {{"subject", "CN=x"}, {"algcer", "RSA"}}},
        {"import-pfx", [] { report_import_pfx(false, L"CN=s", L"CN=i", "RSA", "bad password"); }, "import-pfx",
         "failed", "bad password", {{"subject", "CN=s"}, {"issuer", "CN=i"}, {"algcer", "RSA"}}},
        {"sigdata blank", [] {
             const unsigned char zeros[16] = {};
             report_sigdata("", 2, zeros, sizeof zeros);
         },
         "sigdata", "error", "parse sig/cert failed",
         {{"type", "null"}, {"sig-err", "sigerr_sigdata"}, {"any", "sig content is blank or all 00"}}},
    };
    for (const builder_case& c : cases) {
        clear_report_queue();
        c.build();
        const auto reports = queued();
        ASSERT_EQ(reports.size(), 1u) << c.name;
        const Json::Value root = parse_json(report_to_json(reports[0]));
        EXPECT_EQ(root["type"].asString(), c.type) << c.name;
        EXPECT_EQ(root.isMember("level"), *c.level != '\0') << c.name;
        EXPECT_EQ(root["level"].asString(), c.level) << c.name;
        EXPECT_EQ(root["desc"].asString(), c.desc) << c.name;
        EXPECT_EQ(data_of(root), c.data) << c.name;
    }

    // A local signing without time stamp and signer reports only its kind.
    is_timestamp = false;
    clear_report_queue();
    report_sign_task(task(&local_stamp), nullptr, true, "");
    ASSERT_EQ(queued().size(), 1u);
    EXPECT_EQ(queued()[0].data, (data_map{{"any", "local-sign"}}));
    is_timestamp = true;
    timestamp_urls.clear();
}

TEST_F(usage_reports, sigdata_carries_the_meaningful_bytes) {
    std::vector<unsigned char> der(8192, 0x11);
    der[0] = 0x30, der[1] = 0x82, der[2] = 0x01, der[3] = 0x00;
    EXPECT_EQ(sigdata_report_length(der.data(), der.size()), 260u);
    std::vector<unsigned char> padded(100, 0x22);
    std::fill(padded.end() - 30, padded.end(), 0);
    EXPECT_EQ(sigdata_report_length(padded.data(), padded.size()), 80u);
    std::vector<unsigned char> few_zeros(20, 0x22);
    std::fill(few_zeros.end() - 5, few_zeros.end(), 0);
    EXPECT_EQ(sigdata_report_length(few_zeros.data(), few_zeros.size()), 20u);
    // A DER header that claims more than there is: trailing zeros are cut
    // instead, down to ten.
    std::vector<unsigned char> short_der = {0x30, 0x82, 0x10, 0x00, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(sigdata_report_length(short_der.data(), short_der.size()), 16u);

    report_sigdata("dstn_pkcs7", 0, der.data(), static_cast<uint32_t>(der.size()));
    report_sigdata("dstn_pkcs7", 2, nullptr, 10);
    report_sigdata("dstn_pkcs7", 2, der.data(), 0);
    const auto reports = queued();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].level, "");
    EXPECT_EQ(reports[0].data.at("data"), base64_encode(der.data(), 260));
}

TEST_F(usage_reports, verify_file_reports) {
    sigdata_record data;
    data.sig_alg = "sigalg-unsupported";
    data.alg_numbers = "1.2.3.4";
    sigdata_record ts;
    ts.sign_time = "2026-01-01 10:00:00";
    sig_status_cell cell{0, &data};

    x509ui leaf = alice_cert();
    leaf.authority_key_id = "AA:BB";
    x509ui root;
    root.subject_cn = root.issuer_cn = L"Root CA";
    root.subject_dn = root.issuer_dn = L"C = CN\nCN = Root CA";
    root.serial_hex = "99";
    x509ui intermediate;
    intermediate.subject_cn = L"Sub CA";
    intermediate.subject_dn = L"CN = Sub CA";
    intermediate.issuer_cn = L"Root CA";
    intermediate.issuer_dn = L"C = CN\nCN = Root CA";
    intermediate.serial_hex = "42";

    auto one = [&](int32_t sig, int32_t leaf_status, std::vector<x509ui> certs) {
        clear_report_queue();
        cell.status = sig;
        cert_chain_ui chain;
        for (auto& c : certs) chain.push_back({leaf_status, c});
        report_verify_file(&cell, &chain, {{"sig-type", "dstn_pkcs7"}});
        const auto reports = queued();
        EXPECT_EQ(reports.size(), 1u);
        return reports.empty() ? report_record{} : reports[0];
    };

    // Valid: no level, no desc; with a self-issued root.
    report_record r = one(0, 0, {leaf, root});
    EXPECT_EQ(r.level, "");
    EXPECT_EQ(r.desc, "");
    EXPECT_EQ(r.data.at("rootcn"), "CN = Root CA C = CN ");
    EXPECT_EQ(r.data.at("rootsn"), "99");
    EXPECT_EQ(r.data.at("algsig"), "1.2.3.4");
    EXPECT_EQ(r.data.at("sig-err"), "sigerr_okay");
    EXPECT_EQ(r.data.at("cert-err"), "certerr_okay");
    EXPECT_EQ(r.data.at("sig-type"), "dstn_pkcs7");
    EXPECT_EQ(r.data.count("topis") + r.data.count("issuer-kid"), 0u);

    // Local signing time and a self-signed leaf still count as good.
    r = one(13, 6, {leaf, root});
    EXPECT_EQ(r.level, "");

    // A failure names both statuses; a top that is not self-issued.
    intermediate.authority_key_id = "CC:DD";
    r = one(1, 7, {leaf, intermediate});
    EXPECT_EQ(r.level, "failed");
    EXPECT_EQ(r.desc, "sigerr_invalid, certerr_not_trusted");
    EXPECT_EQ(r.data.at("topis"), "CN = Root CA C = CN ");
    EXPECT_EQ(r.data.at("topiskid"), "CC:DD");
    EXPECT_EQ(r.data.count("topsb"), 0u);
    intermediate.authority_key_id.clear();
    r = one(1, 7, {leaf, intermediate});
    EXPECT_EQ(r.data.at("topsb"), "CN = Sub CA ");
    EXPECT_EQ(r.data.at("topsn"), "42");

    // A chain of one: only the leaf's key identifier; a time stamp marks the type.
    data.ts = &ts;
    r = one(0, 0, {leaf});
    EXPECT_EQ(r.data.at("issuer-kid"), "AA:BB");
    EXPECT_EQ(r.data.count("rootcn") + r.data.count("topis") + r.data.count("topsb"), 0u);
    EXPECT_EQ(r.data.at("sig-type"), "dstn_pkcs7 - ts");
    data.ts = nullptr;

    // Nothing without a chain, an empty chain or the signature data.
    clear_report_queue();
    cert_chain_ui empty;
    report_verify_file(&cell, nullptr, {});
    report_verify_file(&cell, &empty, {});
    sig_status_cell no_data{0, nullptr};
    cert_chain_ui chain{{0, leaf}};
    report_verify_file(&no_data, &chain, {});
    report_verify_file(nullptr, &chain, {});
    EXPECT_TRUE(queued().empty());
}

TEST_F(usage_reports, feedback_posts_at_once_and_reads_the_status) {
    loopback_server server(R"({"/ok": {"body": "{\"status\": \"Completed\"}"},
                              "/text": {"body": "<html>maintenance</html>"},
                              "/odd": {"body": "{\"status\": [1]}"},
                              "/none": {"body": "{\"other\": 1}"}})");
    report_endpoint = server.url("/ok");
    EXPECT_EQ(send_feedback("any", L"a message with & and + signs", L"me@example.com"), "Completed");
    ASSERT_EQ(server.request_count(), 1);
    const std::string body = server.request_body(1);
    ASSERT_EQ(body.rfind("key=", 0), 0u);
    const Json::Value root = parse_json(body.substr(4));
    EXPECT_EQ(root["type"].asString(), "feedback");
    EXPECT_EQ(root["data"]["type"].asString(), "any");
    EXPECT_EQ(root["data"]["msg"].asString(), "a message with & and + signs");
    EXPECT_EQ(root["user-info"]["contact"].asString(), "me@example.com");
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(cfgui.contact.empty());

    report_endpoint = server.url("/text");
    EXPECT_EQ(send_feedback("any", L"0123456789", L"x"), "failed");
    report_endpoint = server.url("/odd");
    EXPECT_NE(send_feedback("any", L"0123456789", L"x"), "Completed");
    report_endpoint = server.url("/none");
    EXPECT_EQ(send_feedback("any", L"0123456789", L"x"), "");
    report_endpoint = "http://127.0.0.1:" + std::to_string(testsupport::unused_port()) + "/";
    EXPECT_EQ(send_feedback("any", L"0123456789", L"x"), "failed");
}

TEST_F(usage_reports, the_lower_layers_reach_the_queue_through_the_hooks) {
    install_service_hooks();
    trust_update_report_hook("old", "new", true);
    const unsigned char bytes[] = {1, 2, 3};
    report_sigdata_hook("dstn_pkcs7", 2, bytes, sizeof bytes);
    sigstampui stamp;
    sign_task task;
    task.stamp = &stamp;
    report_signing_outcome(task, nullptr, true, "");
    service_hooks().add_trust(alice_cert());
    service_hooks().make_stamp(stamp, nullptr);
    service_hooks().create_cert(true, true, L"CN=x", "RSA", "");
    service_hooks().import_pfx(true, L"CN=x", L"CN=y", "RSA", "");
    // A verification without signatures: nothing to report, and no failure.
    const sig_results none;
    report_verify_results_hook(none);
    std::vector<std::string> types;
    for (const auto& r : queued()) types.push_back(r.type);
    EXPECT_EQ(types, (std::vector<std::string>{"update-trustlist", "sigdata", "sign-file", "add-trust", "make-stamp",
                                                "create-cert", "import-pfx"}));
}

}  // namespace
