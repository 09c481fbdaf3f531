#include "crypto/certstore.h"

#include "app/data_dirs.h"
#include "app/diagnostics.h"
#include "app/encoding.h"
#include "app/safe_file_name.h"
#include "app/text_utils.h"
#include "crypto/pfx.h"
#include "platform/atomic_file.h"

#include <json/json.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <sys/stat.h>

std::vector<certstore_sumfile_entry> certstore_entries;
std::vector<certstore_sumfile_entry> syscert_entries;
std::string certstore_file;
std::recursive_mutex certstore_lock;

namespace {

std::string with_slash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

bool is_regular_file(const std::wstring& path) {
    if (path.empty()) return false;
    struct stat st;
    return ::stat(wide_to_utf8(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// The store folder, taken from the data folder when it is not known yet.
std::string store_folder() {
    if (certstore_dir.empty()) app_data_dir();
    return with_slash(certstore_dir);
}

// UTF-8 to wide without throwing: a malformed text gives "".
std::wstring wide_or_empty(const std::string& text) {
    try {
        return utf8_to_wide(text);
    } catch (const std::exception&) {
        return std::wstring();
    }
}

// A file name read from the store file, joined to the store folder. Only the
// name part counts, so an edited file cannot point outside the folder; an
// empty name stays empty.
std::wstring path_in_store(const std::string& folder, const std::string& name_utf8) {
    std::wstring name = file_name_of(wide_or_empty(name_utf8));
    if (name.empty()) return std::wstring();
    return wide_or_empty(folder) + name;
}

// Member `name` of an object, or null (also when `value` is not an object).
const Json::Value& member(const Json::Value& value, const char* name) {
    static const Json::Value null_value;
    if (!value.isObject()) return null_value;
    const Json::Value* found = value.find(name, name + std::strlen(name));
    return found ? *found : null_value;
}

std::string string_member(const Json::Value& value, const char* name) {
    const Json::Value& m = member(value, name);
    return m.isString() ? m.asString() : std::string();
}

void move_aside(const std::string& path) {
    std::string target = path + ".bad";
    for (int n = 2; exists(target) && n < 1000; ++n) target = path + ".bad." + std::to_string(n);
    if (::rename(path.c_str(), target.c_str()) == 0)
        diag_print("\n (), unreadable store file kept as: %s", target.c_str());
}

std::wstring copy_path(const cert_info& info, const wchar_t* extension) {
    const std::string folder = store_folder();
    make_private_dirs(folder);
    // The names come from the certificate: one safe component, whatever they hold.
    return wide_or_empty(folder) + safe_file_name_component(info.issuer + L"-" + wide_or_empty(info.sn)) +
           extension;
}

Json::Value entry_to_json(const certstore_sumfile_entry& entry) {
    Json::Value element(Json::objectValue);
    if (entry.access.cert_type == cert_type_pfx) {
        Json::Value access(Json::objectValue);
        access["type"] = "pfx";
        Json::Value pfx(Json::objectValue);
        pfx["certfname"] = wide_to_utf8(file_name_of(entry.access.pfx.certfname));
        pfx["pfxfname"] = wide_to_utf8(file_name_of(entry.access.pfx.pfxfname));
        pfx["pswd"] = entry.access.pfx.pswd.empty() ? std::string() : seal_password(entry.access.pfx.pswd);
        access["pfx"] = pfx;
        element["cert-access"] = access;
    } else {
        element["cert-access"] = Json::Value(Json::nullValue);
    }
    Json::Value info(Json::objectValue);
    info["subject"] = wide_to_utf8(entry.info.subject);
    info["issuer"] = wide_to_utf8(entry.info.issuer);
    info["sn"] = entry.info.sn;
    info["expired"] = entry.info.expired;
    element["cert-info"] = info;
    return element;
}

}  // namespace

bool check_pfx_access(const std::wstring& certfname, const std::wstring& pfxfname, const std::string& pswd,
                      bool open) {
    if (!is_regular_file(certfname) || !is_regular_file(pfxfname)) return false;
    if (!open) return true;
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    load_pfx(wide_to_utf8(pfxfname).c_str(), pswd.c_str(), &cert, &chain, &key);
    const bool ok = cert && key;
    X509_free(cert);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
    return ok;
}

std::wstring certstore_cer_path(const cert_info& info) { return copy_path(info, L".cer"); }
std::wstring certstore_pfx_path(const cert_info& info) { return copy_path(info, L".pfx"); }

std::vector<certstore_sumfile_entry>::iterator find_certstore_entry(
    const certstore_sumfile_entry& entry, std::vector<certstore_sumfile_entry>::iterator begin,
    std::vector<certstore_sumfile_entry>::iterator end) {
    for (auto it = begin; it != end; ++it)
        if (*it == entry) return it;
    return end;
}

int load_certstore(const std::string& data_folder) {
    std::lock_guard<std::recursive_mutex> lock(certstore_lock);
    const std::string data = with_slash(data_folder);
    // The folder is taken from the argument on every call, so a data folder
    // that moved is followed; written only when it changes, as other threads
    // read it.
    if (certstore_dir != data + "certstore/") certstore_dir = data + "certstore/";
    make_private_dirs(certstore_dir);
    certstore_file = data + "certstore.json";
    if (!exists(certstore_file)) return 0;

    certstore_entries.clear();
    const std::string text = read_file_string(certstore_file);
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream stream(text);
    if (!Json::parseFromStream(builder, stream, &root, &errors)) {
        // Kept beside the store rather than deleted: the user's entries may still be read from it.
        move_aside(certstore_file);
        diag_print("\n\n[ERROR] %s(), load appcertstore failed, remove appcertstore sumfile [ERROR]\n", "");
        return 0;
    }

    const Json::Value& list = member(root, "certstore");
    if (!list.isArray()) return 0;
    for (const Json::Value& element : list) {
        const Json::Value& access = member(element, "cert-access");
        const Json::Value& info = member(element, "cert-info");
        if (access.isNull() || info.isNull()) continue;
        certstore_sumfile_entry entry;
        if (string_member(access, "type") == "pfx") {
            entry.access.cert_type = cert_type_pfx;
            const Json::Value& pfx = member(access, "pfx");
            if (pfx.isNull()) continue;
            entry.access.pfx.certfname = path_in_store(certstore_dir, string_member(pfx, "certfname"));
            entry.access.pfx.pfxfname = path_in_store(certstore_dir, string_member(pfx, "pfxfname"));
            const std::string sealed = string_member(pfx, "pswd");
            entry.access.pfx.pswd = sealed.empty() ? std::string() : unseal_password(sealed);
            if (!check_pfx_access(entry.access.pfx.certfname, entry.access.pfx.pfxfname, entry.access.pfx.pswd,
                                  false)) {
                diag_print("\n %s(), pswd unmatch, pfxpath: %s", "", wide_to_utf8(entry.access.pfx.pfxfname).c_str());
                continue;
            }
        }
        entry.info.subject = wide_or_empty(string_member(info, "subject"));
        entry.info.issuer = wide_or_empty(string_member(info, "issuer"));
        entry.info.sn = string_member(info, "sn");
        entry.info.expired = string_member(info, "expired");
        certstore_entries.push_back(std::move(entry));
    }
    return static_cast<int>(certstore_entries.size());
}

bool save_certstore() {
    std::lock_guard<std::recursive_mutex> lock(certstore_lock);
    if (certstore_file.empty()) {
        if (data_dir.empty()) app_data_dir();
        certstore_file = with_slash(data_dir) + "certstore.json";
    }
    Json::Value list(Json::arrayValue);
    for (const certstore_sumfile_entry& entry : certstore_entries) list.append(entry_to_json(entry));
    Json::Value root(Json::objectValue);
    root["certstore"] = list;

    Json::StreamWriterBuilder writer;
    writer["indentation"] = "   ";
    writer["emitUTF8"] = true;
    const std::string text = Json::writeString(writer, root) + "\n";
    // Written beside the old file and renamed over it: the old store stays
    // whole until the new one is complete.
    const bool ok = platform::write_file_atomically(certstore_file, text, 0600);
    if (!ok) diag_print("\n\n[ERROR] %s(), cannot write %s [ERROR]\n", "", certstore_file.c_str());
    return ok;
}

bool certstore_sumfile_entry::add_to_store() const {
    std::lock_guard<std::recursive_mutex> lock(certstore_lock);
    auto found = find_certstore_entry(*this, certstore_entries.begin(), certstore_entries.end());
    if (found != certstore_entries.end()) {
        if (access.cert_type == cert_type_pfx && found->access.pfx.pswd != access.pfx.pswd) {
            found->access.pfx.pswd = access.pfx.pswd;
            save_certstore();
        }
        return true;
    }
    if (find_certstore_entry(*this, syscert_entries.begin(), syscert_entries.end()) != syscert_entries.end())
        return true;
    if (access.cert_type != cert_type_pfx) return false;
    if (!is_regular_file(access.pfx.pfxfname) || !is_regular_file(access.pfx.certfname)) return false;
    certstore_entries.push_back(*this);
    save_certstore();
    return true;
}
