#include "app/diagnostics.h"
#include "service/usage_reports.h"

#include <json/json.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>

#include "app/encoding.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "app/thread_event.h"
#include "crypto/cert_chain.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "crypto/x509ui.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "document/sign_params.h"
#include "service/report_queue.h"

namespace {

constexpr int kPostLimitSeconds = 10;
constexpr char kAlgUnsupported[] = "sigalg-unsupported";

std::string local_time_text() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char text[64];
    std::snprintf(text, sizeof text, "%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::string one_line_utf8(const std::wstring& cn, const std::wstring& dn) {
    return wide_to_utf8(report_name_text(cn, dn));
}

// The algorithm name, or its object numbers when the name is the
// unsupported marker.
std::string algorithm_text(const std::string& name, const std::string& numbers) {
    return name == kAlgUnsupported ? numbers : name;
}

// Narrow UTF-8 as wide text; a malformed text is carried byte by byte
// rather than failing the report.
std::wstring lenient_wide(const std::string& text) {
    try {
        return utf8_to_wide(text);
    } catch (const std::exception&) {
        return std::wstring(text.begin(), text.end());
    }
}

}  // namespace

void init_report_record(const std::string& type, report_record& record) {
    record.url = report_endpoint;
    record.type = type;
    record.time = local_time_text();
    if (cfgui.device_id.empty() || cfgpi.name.empty() || cfgpi.version.empty())
        diag_print("\n\n[ERROR] %s(), cfgui / cfgpi is empty [ERROR]\n", "");
    record.user = cfgui;
    record.product = cfgpi;
}

std::string report_to_json(const report_record& record) {
    Json::Value root(Json::objectValue);
    root["type"] = record.type;
    root["time"] = record.time;
    Json::Value user(Json::objectValue);
    user["device-id"] = record.user.device_id;
    user["platform"] = record.user.platform;
    if (!record.user.contact.empty()) user["contact"] = wide_to_utf8(record.user.contact);
    if (!record.user.country.empty()) user["country"] = record.user.country;
    root["user-info"] = user;
    Json::Value product(Json::objectValue);
    product["name"] = wide_to_utf8(record.product.name);
    product["version"] = record.product.version;
    root["product-info"] = product;
    if (!record.level.empty()) root["level"] = record.level;
    if (!record.desc.empty()) root["desc"] = record.desc;
    if (!record.data.empty()) {
        Json::Value data(Json::objectValue);
        for (const auto& [key, value] : record.data) data[key] = value;
        root["data"] = data;
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, root) + "\n";
}

std::wstring report_name_text(const std::wstring& common_name, const std::wstring& name_text) {
    std::wstring text = name_text;
    for (wchar_t& c : text)
        if (c == L'\n') c = L' ';
    if (!common_name.empty()) {
        const std::wstring part = L"CN = " + common_name;
        const auto at = text.find(part);
        if (at != std::wstring::npos) text.erase(at, part.size());
        text = part + L" " + text;
    }
    return text;
}

const char* report_certerr_name(int32_t code) {
    const char* name = certerr_name(code);
    return (name == nullptr || *name == '\0') ? "certerr_unknown" : name;
}

std::string send_feedback(const std::string& type, const std::wstring& message, const std::wstring& contact) {
    report_record r;
    init_report_record(action_feedback, r);
    r.data["type"] = type;
    r.data["msg"] = wide_to_utf8(message);
    r.data["contact"] = wide_to_utf8(contact);
    if (!contact.empty() && contact != cfgui.contact) r.user.contact = contact;

    const std::string reply = http_post(r.url, report_to_json(r), kPostLimitSeconds, true);
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    const char* begin = reply.c_str();
    if (reply.empty() || !reader->parse(begin, begin + std::char_traits<char>::length(begin), &root, &errors))
        return "failed";
    // A root that is no object, or a status that is no text, is no success.
    if (!root.isObject()) return "failed";
    const Json::Value& status = root["status"];
    if (status.isNull()) return "";
    if (!status.isString()) return "failed";
    return status.asString();
}

void report_agreement() {
    report_record r;
    init_report_record(action_agreement, r);
    r.level = "info";
    r.desc = "true";
    queue_report(r);
}

void report_check_version(const std::string& old_version, const std::string& new_version) {
    report_record r;
    init_report_record(action_check_version, r);
    r.level = "failed";
    r.data["old"] = old_version;
    r.data["new"] = new_version;
    queue_report(r);
}

void report_update_version(bool ok, bool queued, const std::string& old_version, const std::string& new_version) {
    report_record r;
    init_report_record(action_update_version, r);
    r.level = ok ? "info" : "failed";
    r.data["old"] = old_version;
    r.data["new"] = new_version;
    if (queued)
        queue_report(r);
    else
        http_post(r.url, report_to_json(r), kPostLimitSeconds, true);
}

void report_add_trust(const x509ui& cert) {
    report_record r;
    init_report_record(action_add_trust, r);
    r.data["subject"] = one_line_utf8(cert.subject_cn, cert.subject_dn);
    r.data["issuer"] = one_line_utf8(cert.issuer_cn, cert.issuer_dn);
    r.data["algcer"] = cert.sig_alg;
    queue_report(r);
}

void report_update_trustlist(bool ok, const std::string& old_id, const std::string& new_id) {
    report_record r;
    init_report_record(action_update_trustlist, r);
    r.level = ok ? "info" : "failed";
    r.desc = ok ? "ok" : "failed";
    r.data["old"] = old_id;
    r.data["new"] = new_id;
    queue_report(r);
}

void report_verified_signatures(const sig_results& results) {
    for (const sig_result* x : results.topsigs) {
        if (x == nullptr) continue;
        std::map<std::string, std::string> extra;
        extra["sig-type"] = x->record ? x->record->type : "";
        report_verify_file(x->sig, x->signer_chain, extra);
    }
}

void report_verify_file(const sig_status_cell* status, const cert_chain_ui* chain,
                        const std::map<std::string, std::string>& extra) {
    if (status == nullptr || chain == nullptr || chain->empty() || status->data == nullptr) return;
    const sigdata_record& s = *status->data;
    const chain_cert_entry& leaf = chain->front();
    const chain_cert_entry* top = chain->size() > 1 ? &chain->back() : nullptr;

    report_record r;
    init_report_record(action_verify_file, r);
    const bool sig_ok = status->status == sigerr_okay || status->status == sigerr_sigtime_local;
    const bool cert_ok = leaf.status == certerr_okay || leaf.status == certerr_self_signed;
    if (!sig_ok || !cert_ok) {
        r.level = "failed";
        r.desc = std::string(sigerr_name(status->status)) + ", " + report_certerr_name(leaf.status);
    }
    if (!leaf.cert.subject_dn.empty()) r.data["subject"] = one_line_utf8(leaf.cert.subject_cn, leaf.cert.subject_dn);
    if (!leaf.cert.issuer_dn.empty()) r.data["issuer"] = one_line_utf8(leaf.cert.issuer_cn, leaf.cert.issuer_dn);
    if (top != nullptr) {
        if (top->cert.subject_dn == top->cert.issuer_dn) {
            r.data["rootcn"] = one_line_utf8(top->cert.issuer_cn, top->cert.issuer_dn);
            r.data["rootsn"] = top->cert.serial_hex;
        } else {
            r.data["topis"] = one_line_utf8(top->cert.issuer_cn, top->cert.issuer_dn);
            if (!top->cert.authority_key_id.empty()) {
                r.data["topiskid"] = top->cert.authority_key_id;
            } else {
                r.data["topsb"] = one_line_utf8(top->cert.subject_cn, top->cert.subject_dn);
                r.data["topsn"] = top->cert.serial_hex;
            }
        }
    } else if (!leaf.cert.authority_key_id.empty()) {
        r.data["issuer-kid"] = leaf.cert.authority_key_id;
    }
    if (!s.sig_alg.empty()) r.data["algsig"] = algorithm_text(s.sig_alg, s.alg_numbers);
    if (!leaf.cert.sig_alg.empty()) r.data["algcer"] = algorithm_text(leaf.cert.sig_alg, leaf.cert.sig_alg_number);
    r.data["sig-err"] = sigerr_name(status->status);
    r.data["cert-err"] = report_certerr_name(leaf.status);
    for (const auto& [key, value] : extra) {
        std::string v = value;
        if (key == "sig-type" && s.ts != nullptr && !s.ts->sign_time.empty()) v += " - ts";
        r.data[key] = v;
    }
    queue_report(r);
}

std::size_t sigdata_report_length(const unsigned char* bytes, std::size_t count) {
    if (count >= 4 && bytes[0] == 0x30 && bytes[1] == 0x82) {
        const std::size_t declared = 4 + (static_cast<std::size_t>(bytes[2]) << 8 | bytes[3]);
        if (count > declared) return declared;
    }
    std::size_t zeros = 0;
    while (zeros < count && bytes[count - 1 - zeros] == 0) ++zeros;
    return zeros >= 10 ? count - zeros + 10 : count;
}

void report_sigdata(const char* type, int32_t status, const unsigned char* bytes, uint32_t length) {
    if (bytes == nullptr || length == 0) return;
    report_record r;
    init_report_record(action_sigdata, r);
    if (status != sigerr_okay && status != sigerr_sigtime_local) {
        r.level = "error";
        r.desc = "parse sig/cert failed";
    }
    r.data["type"] = (type == nullptr || *type == '\0') ? "null" : type;
    r.data["sig-err"] = sigerr_name(status);
    bool blank = true;
    for (uint32_t i = 0; i < length && blank; ++i) blank = bytes[i] == 0;
    if (blank)
        r.data["any"] = "sig content is blank or all 00";
    else
        r.data["data"] = base64_encode(bytes, sigdata_report_length(bytes, length));
    queue_report(r);
}

void report_sign_task(const sign_task& task, const x509ui* signer, bool ok, const std::string& error) {
    std::map<std::string, std::wstring> data;
    const sigstampui* stamp = task.stamp;
    const bool local = stamp == nullptr || stamp->is_localsign;
    data["any"] = local ? L"local-sign" : L"cloud-sign";
    if (local) {
        if (signer != nullptr) {
            data["subject"] = report_name_text(signer->subject_cn, signer->subject_dn);
            data["issuer"] = report_name_text(signer->issuer_cn, signer->issuer_dn);
            data["algcer"] = lenient_wide(signer->sig_alg);
        }
        if (is_timestamp && !timestamp_urls.empty() && !timestamp_urls.front().empty())
            data["tsaurl"] = timestamp_urls.front();
    } else if (stamp->is_tsmode) {
        data["tsaurl"] = lenient_wide(stamp->tsurl);
    } else {
        data["account"] = lenient_wide(stamp->addr);
    }
    if (!ok) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(std::filesystem::path(wide_to_utf8(task.source)), ec);
        data["filesize"] = ec ? L"-1" : std::to_wstring(size);
    }
    report_sign_file(ok, data, error);
}

void report_sign_file(bool ok, const std::map<std::string, std::wstring>& data, const std::string& error) {
    report_record r;
    init_report_record(action_sign_file, r);
    r.level = ok ? "info" : "failed";
    r.desc = ok ? "ok" : error;
    for (const auto& [key, value] : data)
        if (!value.empty()) r.data[key] = wide_to_utf8(value);
    queue_report(r);
}

void report_make_stamp(const sigstampui& stamp, const x509ui* cert) {
    report_record r;
    init_report_record(action_make_stamp, r);
    r.level = "info";
    r.desc = "ok";
    r.data["type"] = stamp.is_localsign ? "local sign" : "cloud sign";
    if (stamp.is_localsign) {
        r.data["visible"] = stamp.is_visible ? "true" : "false";
    } else if (stamp.is_tsmode) {
        if (!stamp.tsurl.empty()) r.data["tsaurl"] = stamp.tsurl;
    } else if (!stamp.addr.empty()) {
        r.data["url"] = stamp.addr;
    }
    if (!stamp.is_tsmode && cert != nullptr) {
        r.data["subject"] = wide_to_utf8(cert->subject_dn);
        r.data["issuer"] = wide_to_utf8(cert->issuer_dn);
        r.data["algcer"] = algorithm_text(cert->sig_alg, cert->sig_alg_number);
    }
    queue_report(r);
}

void report_create_cert(bool made, bool imported, const std::wstring& subject, const std::string& algorithm,
                        const std::string& error) {
    report_record r;
    init_report_record("create-cert", r);
    const bool ok = made && imported;
    r.level = ok ? "info" : "failed";
    r.desc = ok ? "ok" : error;
    r.data["subject"] = wide_to_utf8(subject);
    r.data["algcer"] = algorithm;
    queue_report(r);
}

void report_import_pfx(bool ok, const std::wstring& subject, const std::wstring& issuer, const std::string& algorithm,
                       const std::string& error) {
    report_record r;
    init_report_record(action_import_pfx, r);
    r.level = ok ? "info" : "failed";
    r.desc = ok ? "ok" : error;
    r.data["subject"] = wide_to_utf8(subject);
    r.data["issuer"] = wide_to_utf8(issuer);
    r.data["algcer"] = algorithm;
    queue_report(r);
}
