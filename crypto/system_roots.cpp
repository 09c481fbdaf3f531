#include "crypto/system_roots.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <utility>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include "crypto/digests.h"

namespace {

void free_all(std::vector<X509*>& certs) {
    for (X509* c : certs) X509_free(c);
    certs.clear();
}

std::string from_env_or(const char* variable, const char* fallback) {
    const char* value = variable ? std::getenv(variable) : nullptr;
    if (value && *value) return value;
    return fallback ? fallback : "";
}

// Appends the PEM certificates of one file, skipping any already taken.
void read_pem_file(const std::string& path, std::set<std::string>& seen, std::vector<X509*>& out) {
    BIO* bio = BIO_new_file(path.c_str(), "r");
    if (!bio) {
        ERR_clear_error();
        return;
    }
    STACK_OF(X509_INFO)* infos = PEM_X509_INFO_read_bio(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    ERR_clear_error();
    if (!infos) return;
    for (int i = 0; i < sk_X509_INFO_num(infos); ++i) {
        X509_INFO* info = sk_X509_INFO_value(infos, i);
        if (!info || !info->x509) continue;
        const std::string id = x509_certid(info->x509);
        if (id.empty() || !seen.insert(id).second) continue;
        out.push_back(info->x509);
        info->x509 = nullptr;  // taken over
    }
    sk_X509_INFO_pop_free(infos, X509_INFO_free);
}

// OpenSSL's folder lookup reads only "<8 hex digits>.<number>" entries.
bool is_hashed_name(const char* name) {
    int i = 0;
    for (; i < 8; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    if (name[i++] != '.' || !name[i]) return false;
    for (; name[i]; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

void read_hashed_folder(const std::string& folder, std::set<std::string>& seen, std::vector<X509*>& out) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir))
        if (is_hashed_name(entry->d_name)) names.push_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) read_pem_file(folder + "/" + name, seen, out);
}

}  // namespace

system_root_set::system_root_set(system_root_set&& other) noexcept
    : source(std::move(other.source)), certs(std::move(other.certs)) {
    other.certs.clear();
}

system_root_set& system_root_set::operator=(system_root_set&& other) noexcept {
    if (this != &other) {
        free_all(certs);
        source = std::move(other.source);
        certs = std::move(other.certs);
        other.certs.clear();
    }
    return *this;
}

system_root_set::~system_root_set() { free_all(certs); }

std::string system_roots_file() { return from_env_or(X509_get_default_cert_file_env(), X509_get_default_cert_file()); }

std::string system_roots_dirs() { return from_env_or(X509_get_default_cert_dir_env(), X509_get_default_cert_dir()); }

system_root_set read_system_roots() {
    system_root_set set;
    std::set<std::string> seen;
    const std::string file = system_roots_file();
    if (!file.empty()) read_pem_file(file, seen, set.certs);
    if (!set.certs.empty()) {
        set.source = file;
        return set;
    }
    const std::string dirs = system_roots_dirs();
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos) end = dirs.size();
        const std::string folder = dirs.substr(begin, end - begin);
        if (!folder.empty()) read_hashed_folder(folder, seen, set.certs);
        begin = end + 1;
    }
    if (!set.certs.empty()) set.source = dirs;
    return set;
}
