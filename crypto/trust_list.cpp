#include "crypto/trust_list.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <set>
#include <sys/stat.h>

#include <json/reader.h>
#include <json/writer.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>

#include "app/data_dirs.h"
#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/file_buffers.h"
#include "app/text_utils.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/digests.h"
#include "crypto/system_roots.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "crypto/x509ui.h"
#include "platform/atomic_file.h"
#include "platform/owned.h"

trust_list_map trust_list;
std::string trust_list_id;
std::string trust_list_file;
std::string certcache_dir;
std::string system_roots_source;
std::recursive_mutex trust_list_mutex;

void (*trust_update_report_hook)(const std::string&, const std::string&, bool) = nullptr;
std::atomic<wxEvtHandler*> trust_update_receiver{nullptr};

namespace {

bool file_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::wstring json_wide(const Json::Value& v) {
    if (!v.isString()) return std::wstring();
    try {
        return utf8_to_wide(v.asString());
    } catch (const std::exception&) {
        return std::wstring();
    }
}

std::string json_text(const Json::Value& v) { return v.isString() ? v.asString() : std::string(); }

// A member that is missing, null, or an empty array or object counts as absent.
bool json_absent(const Json::Value& v) { return v.isNull() || ((v.isArray() || v.isObject()) && v.empty()); }

bool json_bool(const Json::Value& v, bool fallback) {
    if (json_absent(v)) return fallback;
    if (v.isBool()) return v.asBool();
    if (v.isIntegral()) return v.asInt64() != 0;
    return fallback;
}

bool parse_json_text(const std::string& text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
}

std::string styled_json(const Json::Value& root) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, root) + "\n";
}

void write_list_file(const std::string& text) {
    if (!platform::write_file_atomically(trust_list_file, text, 0600))
        throw_ex_fmt("%s(), failed to write trustlist file: %s", "", trust_list_file.c_str());
}

std::string cache_folder() {
    if (certcache_dir.empty()) certcache_dir = app_data_dir() + "certcache/";
    return certcache_dir;
}

// The bundle's certificates replace the built-in part; entries the user added
// or withdrew keep their state; an issuer-cache entry becomes built-in.
void merge_certificates(const std::string& id, const std::vector<X509*>& certs, const unsigned char* bytes,
                        std::size_t length) {
    trust_list_lock lock(trust_list_mutex);
    diag_print("\n\n %s(), parsed: %d certs from p7c\n", "", static_cast<int>(certs.size()));
    for (X509* cert : certs) {
        x509ui ui;
        build_x509ui(cert, ui);
        if (ui.certid.empty()) {
            diag_print("\n\n[ERROR] %s(), certid is empty, subject: %s [ERROR]\n", "",
                       wide_to_utf8(ui.subject_dn).c_str());
            continue;
        }
        auto it = trust_list.find(ui.certid);
        if (it == trust_list.end() || (!it->second.usr && !it->second.usr_untrust)) {
            const bool sys = it != trust_list.end() && it->second.sys;
            trust_list_put(ui, false);
            trust_list[ui.certid].sys = sys;
            write_certcache_copy(cert);
        }
    }
    diag_print("\n\n %s(), addtolist: %d certs\n", "", static_cast<int>(trust_list.size()));
    if (!id.empty()) {
        trust_list_id = id;
        diag_print("\n %s(), pass a trustlist_id %s", "", id.c_str());
    } else {
        trust_list_id = sha1_hex(bytes, length);
        diag_print("\n %s(), calc a trustlist_id %s", "", trust_list_id.c_str());
    }
    save_trust_list();
}

struct certificates_guard {
    std::vector<X509*> certs;
    ~certificates_guard() { free_certificates(certs); }
};

}  // namespace

int load_trust_list(const std::string& data_folder) {
    trust_list_file = data_folder + kTrustListFileName;
    if (!file_exists(trust_list_file)) return 0;
    trust_list_lock lock(trust_list_mutex);
    trust_list.clear();
    Json::Value root;
    if (!parse_json_text(read_file_string(trust_list_file), root) || !root.isObject()) {
        // Kept aside, not deleted: the user's own entries may still be read from it.
        std::rename(trust_list_file.c_str(), (trust_list_file + ".broken").c_str());
        diag_print("\n load trustlist failed, remove trustlist config file");
        return 0;
    }
    trust_list_id = json_text(root["guid"]);
    const Json::Value& array = root["trustlist"];
    if (array.isArray()) {
        for (const Json::Value& element : array) {
            if (!element.isObject()) continue;
            trust_cert_info entry = trust_cert_info_from_json(element);
            trust_list[entry.id] = entry;
        }
    }
    diag_loaded("load_trust_list", static_cast<int>(trust_list.size()));
    return static_cast<int>(trust_list.size());
}

void save_trust_list() {
    trust_list_lock lock(trust_list_mutex);
    Json::Value array(Json::arrayValue);
    int written = 0;
    for (const auto& item : trust_list) {
        array.append(trust_cert_info_to_json(item.second));
        ++written;
    }
    int in_memory = static_cast<int>(trust_list.size());
    diag_print("\n %s(), mem sum: %d, saved sum: %d", "save_trust_list", in_memory, written);
    // The old file stays until a complete new one replaces it.
    if (written != in_memory) throw_ex_fmt("%s failed: mem sum: %d, saved sum: %d", "", in_memory, written);
    if (trust_list_file.empty()) trust_list_file = app_data_dir() + kTrustListFileName;
    Json::Value root(Json::objectValue);
    root["guid"] = trust_list_id;
    root["trustlist"] = array;
    write_list_file(styled_json(root));
}

trust_cert_info trust_cert_info_from_x509ui(const x509ui& ui, bool usr) {
    trust_cert_info entry;
    entry.id = ui.certid;
    auto skid_name = x509ui_skid_and_name(ui);
    entry.skid = skid_name.first;
    entry.name = skid_name.second;
    entry.sb = cert_display_name(ui.subject_cn, ui.subject_dn);
    entry.is = cert_display_name(ui.issuer_cn, ui.issuer_dn);
    entry.sn = ui.serial_hex;
    entry.exp = ui.not_after;
    entry.trust = true;
    entry.usr = usr;
    entry.usr_untrust = false;
    return entry;
}

Json::Value trust_cert_info_to_json(const trust_cert_info& entry) {
    Json::Value v(Json::objectValue);
    v["id"] = entry.id;
    v["name"] = wide_to_utf8(entry.name);
    v["skid"] = entry.skid;
    v["sb"] = wide_to_utf8(entry.sb);
    v["is"] = wide_to_utf8(entry.is);
    v["sn"] = entry.sn;
    v["exp"] = entry.exp;
    v["trust"] = entry.trust;
    v["usr"] = entry.usr;
    v["usr_untrust"] = entry.usr_untrust;
    if (entry.sys) v["sys"] = true;
    return v;
}

trust_cert_info trust_cert_info_from_json(const Json::Value& element) {
    trust_cert_info entry;
    entry.id = json_text(element["id"]);
    entry.name = json_wide(element["name"]);
    entry.skid = json_text(element["skid"]);
    entry.sb = json_wide(element["sb"]);
    entry.is = json_wide(element["is"]);
    entry.sn = json_text(element["sn"]);
    entry.exp = json_text(element["exp"]);
    entry.trust = json_bool(element["trust"], true);
    entry.usr = json_bool(element["usr"], false);
    // Older files name the withdrawn flag "untrust".
    const Json::Value& old_key = element["untrust"];
    entry.usr_untrust = json_absent(old_key) ? json_bool(element["usr_untrust"], false) : json_bool(old_key, false);
    entry.sys = json_bool(element["sys"], false);
    return entry;
}

trust_cert_info trust_list_put(const x509ui& ui, bool usr) {
    trust_list_lock lock(trust_list_mutex);
    trust_cert_info entry = trust_cert_info_from_x509ui(ui, usr);
    entry.trust = true;
    entry.usr_untrust = false;
    if (entry.id.empty()) {
        diag_print("\n\n[ERROR] %s, certid is empty, cert subject: %s[ERROR]\n", "trust_list_put",
                   wide_to_utf8(entry.sb).c_str());
        return entry;
    }
    if (trust_list.count(entry.id) != 0)
        diag_print("\n %s(), exist same certid: %s, will be replaced", "trust_list_put", entry.id.c_str());
    trust_list[entry.id] = entry;
    return entry;
}

void write_certcache_copy(X509* cert) {
    if (cert == nullptr) return;
    std::string id = x509_certid(cert);
    if (id.empty()) return;
    std::string folder = cache_folder();
    std::string path = folder + id + ".cer";
    if (file_exists(path)) return;
    if (!make_private_dirs(folder)) {
        diag_print("\n cert cache dir , not exist");
        return;
    }
    BIO* bio = BIO_new(BIO_s_mem());
    if (bio == nullptr) return;
    if (PEM_write_bio_X509(bio, cert) == 1) {
        char* data = nullptr;
        long size = BIO_get_mem_data(bio, &data);
        if (size > 0 && !platform::write_buffer_atomically(path, data, static_cast<std::size_t>(size), 0600))
            diag_print("\n\n[ERROR] %s(), failed to write %s [ERROR]\n", "write_certcache_copy", path.c_str());
    }
    BIO_free(bio);
    ERR_clear_error();
}

void append_trust_entry_to_file(const trust_cert_info& entry) {
    trust_list_lock lock(trust_list_mutex);
    if (trust_list_file.empty() || !file_exists(trust_list_file)) return;
    Json::Value root;
    if (!parse_json_text(read_file_string(trust_list_file), root) || !root.isObject()) {
        // Rather than losing the file, write the whole list afresh (it holds the entry).
        diag_print("parse trustlist failed, remove trustlist info file");
        save_trust_list();
        return;
    }
    Json::Value array = root["trustlist"];
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    array.append(trust_cert_info_to_json(entry));
    root["trustlist"] = array;
    write_list_file(styled_json(root));
}

void trust_list_import_cert(X509* cert) {
    if (cert == nullptr) return;
    trust_list_lock lock(trust_list_mutex);
    write_certcache_copy(cert);
    x509ui ui;
    build_x509ui(cert, ui);
    trust_cert_info stored = trust_list_put(ui, true);
    if (!stored.id.empty()) append_trust_entry_to_file(stored);
}

void trust_list_add_issuer(X509* cert) {
    if (cert == nullptr) return;
    trust_list_lock lock(trust_list_mutex);
    x509ui ui;
    build_x509ui(cert, ui);
    trust_cert_info entry = trust_cert_info_from_x509ui(ui, false);
    if (entry.id.empty()) {
        diag_print("\n\n[ERROR] %s, certid is empty, cert subject: %s[ERROR]\n", "trust_list_add_issuer",
                   wide_to_utf8(entry.sb).c_str());
        return;
    }
    if (trust_list.count(entry.id) != 0) return;
    write_certcache_copy(cert);
    diag_print("\n\n [INFO] @%s(), add a issuer cert to list, subject: %s\n", "trust_list_add_issuer",
               wide_to_utf8(entry.sb).c_str());
    entry.trust = false;
    entry.usr = false;
    entry.usr_untrust = false;
    trust_list[entry.id] = entry;
}

bool trust_list_find(const std::string& id, trust_cert_info* found) {
    trust_list_lock lock(trust_list_mutex);
    auto it = trust_list.find(id);
    if (it == trust_list.end()) return false;
    if (found != nullptr) *found = it->second;
    return true;
}

std::vector<std::string> trust_list_find_issuers(const std::string& key_id, const std::wstring& name) {
    trust_list_lock lock(trust_list_mutex);
    auto lower = [](std::wstring text) {
        for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        return text;
    };
    const std::wstring wanted = lower(name);
    std::vector<std::string> found;
    for (const auto& item : trust_list) {
        const trust_cert_info& entry = item.second;
        if (lower(entry.name) == wanted) {
            if (key_id.empty() || entry.skid.empty() || key_id == entry.skid) {
                found.push_back(entry.id);
                continue;
            }
            diag_print("\n\n [INFO] %s(), same name id: %s, but differ keyid: \n need keyid: %s \n elem keyid: %s\n",
                       "trust_list_find_issuer", entry.id.c_str(), key_id.c_str(), entry.skid.c_str());
        } else if (!entry.skid.empty() && entry.skid == key_id) {
            diag_print("\n\n [INFO] %s(), same keyid: %s,  differ xname: \n need name: %s \n elem name: %s\n",
                       "trust_list_find_issuer", key_id.c_str(), wide_to_utf8(name).c_str(),
                       wide_to_utf8(entry.name).c_str());
        }
    }
    if (found.empty())
        diag_print("\n\n [INFO] %s(), Not found issuer cert with same xname\n", "trust_list_find_issuer");
    return found;
}

std::string trust_list_find_issuer(const std::string& key_id, const std::wstring& name) {
    const std::vector<std::string> found = trust_list_find_issuers(key_id, name);
    return found.empty() ? std::string() : found.front();
}

void trust_list_drop_builtin() {
    trust_list_lock lock(trust_list_mutex);
    for (auto it = trust_list.begin(); it != trust_list.end();) {
        const trust_cert_info& e = it->second;
        if (!e.usr && !e.usr_untrust && e.trust && !e.sys)
            it = trust_list.erase(it);
        else
            ++it;
    }
}

void free_certificates(std::vector<X509*>& certs) {
    for (X509* cert : certs) X509_free(cert);
    certs.clear();
}

std::vector<X509*> parse_trust_bundle(const unsigned char* bytes, std::size_t length) {
    PKCS7* p7 = length <= 0xFFFFFFFFu ? parse_pkcs7_der(bytes, static_cast<uint32_t>(length)) : nullptr;
    if (p7 == nullptr) throw_ex_fmt("%s(), parse trustlist from p7c failed: trustlistp7len: %d", "", static_cast<int>(length));
    std::vector<X509*> certs;
    if (PKCS7_type_is_signed(p7) && p7->d.sign != nullptr && p7->d.sign->cert != nullptr) {
        STACK_OF(X509)* set = p7->d.sign->cert;
        for (int i = 0; i < sk_X509_num(set); ++i) {
            X509* cert = sk_X509_value(set, i);
            if (cert != nullptr && X509_up_ref(cert) == 1) certs.push_back(cert);
        }
    }
    PKCS7_free(p7);
    return certs;
}

void merge_trust_bundle(const std::string& id, const unsigned char* bytes, std::size_t length) {
    trust_list_lock lock(trust_list_mutex);
    certificates_guard parsed{parse_trust_bundle(bytes, length)};
    merge_certificates(id, parsed.certs, bytes, length);
}

void reset_trust_list(const unsigned char* bytes, std::size_t length) {
    trust_list_lock lock(trust_list_mutex);
    certificates_guard parsed{parse_trust_bundle(bytes, length)};
    trust_list.clear();
    merge_certificates("", parsed.certs, bytes, length);
}

bool sync_system_roots(const std::vector<X509*>& certs, const std::string& source) {
    trust_list_lock lock(trust_list_mutex);
    system_roots_source = source;
    bool changed = false;
    bool dropped_other = false;
    std::set<std::string> in_set;
    for (X509* cert : certs) {
        const std::string id = x509_certid(cert);
        if (id.empty()) continue;
        in_set.insert(id);
        write_certcache_copy(cert);  // also mends a copy that went missing
        auto it = trust_list.find(id);
        if (it == trust_list.end()) {
            x509ui ui;
            build_x509ui(cert, ui);
            if (trust_list_put(ui, false).id.empty()) continue;
            trust_list[id].sys = true;
            changed = true;
        } else if (!it->second.usr && !it->second.usr_untrust) {
            // A built-in or cached-issuer entry becomes an approved system root.
            if (!it->second.trust || !it->second.sys) changed = true;
            it->second.trust = true;
            it->second.sys = true;
        } else if (!it->second.sys) {
            // The user's own or withdrawn entry keeps its state.
            it->second.sys = true;
            changed = true;
        }
    }
    for (auto it = trust_list.begin(); it != trust_list.end();) {
        trust_cert_info& e = it->second;
        if (in_set.count(it->first) != 0) {
            ++it;
            continue;
        }
        if (e.trust && !e.usr && !e.usr_untrust) {
            if (!e.sys) dropped_other = true;
            it = trust_list.erase(it);
            changed = true;
            continue;
        }
        if (e.sys) {
            e.sys = false;
            changed = true;
        }
        ++it;
    }
    if (dropped_other) trust_list_id.clear();
    if (changed) save_trust_list();
    return changed;
}

void reset_trust_list_to_system() {
    const system_root_set set = read_system_roots();
    if (set.certs.empty())
        throw_ex_fmt("%s(), no system certificate set in %s or %s", "", system_roots_file().c_str(),
                     system_roots_dirs().c_str());
    trust_list_lock lock(trust_list_mutex);
    trust_list.clear();
    trust_list_id.clear();
    sync_system_roots(set.certs, set.source);
}

void trust_list_rebuild_thread() {
    counted_worker counted;
    try {
        const system_root_set set = read_system_roots();
        if (set.certs.empty())
            diag_print("\n\n [INFO] %s(), no system certificate set in %s or %s: the approved list is empty\n",
                       "trust_list_rebuild_thread", system_roots_file().c_str(), system_roots_dirs().c_str());
        else
            diag_print("\n %s(), %d approved roots from %s", "trust_list_rebuild_thread",
                       static_cast<int>(set.certs.size()), set.source.c_str());
        sync_system_roots(set.certs, set.source);
    } catch (const std::exception& ex) {
        diag_error("trust_list_rebuild_thread", ex.what());
    }
    trust_list_ready = true;
}

void trust_list_update_thread() {
    counted_worker counted;
    if (!wait_until([] { return trust_list_ready.load() && trust_page_filled.load() && !doc_verifying.load(); }))
        return;
    trust_list_updating = true;
    struct clear_updating {
        ~clear_updating() { trust_list_updating = false; }
    } clear_on_exit;

    std::string old_id;
    {
        trust_list_lock lock(trust_list_mutex);
        old_id = trust_list_id;
    }
    std::string new_id, list_url;
    fetch_trustlist_info(trustlist_info_url, new_id, list_url);
    if (new_id.empty() || list_url.empty() || new_id == old_id) return;
    diag_print("\n\n @[INFO] %s(), Different trustlist_id, start updating...", "trust_list_update_thread");
    diag_print("\n %s(), old: %s", "trust_list_update_thread", old_id.c_str());
    diag_print("\n %s(), new: %s", "trust_list_update_thread", new_id.c_str());

    trust_list_map backup;
    {
        trust_list_lock lock(trust_list_mutex);
        backup = trust_list;
    }
    try {
        std::string path = download_to_temp(list_url, 0);
        unsigned char* buffer = nullptr;
        uint32_t size = 0;
        if (!path.empty()) {
            file2buff(path, &buffer, &size);
            std::remove(path.c_str());
        }
        malloced<unsigned char> owned_buffer(buffer);
        if (buffer == nullptr || size == 0)
            throw_ex_fmt("@failed to update: id: %s, list_url: %s", new_id.c_str(), list_url.c_str());
        {
            trust_list_lock lock(trust_list_mutex);
            certificates_guard parsed{parse_trust_bundle(buffer, size)};
            trust_list_drop_builtin();
            diag_print("\n [INFO] %s(), start parse trustlist reason: update online", "trust_list_update_thread");
            merge_certificates(new_id, parsed.certs, buffer, size);
        }
        if (trust_update_report_hook != nullptr) trust_update_report_hook(old_id, new_id, true);
        if (wxEvtHandler* receiver = trust_update_receiver.load())
            post_thread_event(receiver, wxt_thread_event(evt_update));
    } catch (const std::exception& ex) {
        if (trust_update_report_hook != nullptr) trust_update_report_hook(old_id, new_id, false);
        trust_list_lock lock(trust_list_mutex);
        trust_list = backup;
        trust_list_id = old_id;
        diag_error("trust_list_update_thread", ex.what());
        diag_print("\n %s", "restore trustlist done");
    }
}
