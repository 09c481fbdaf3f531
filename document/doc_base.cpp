#include "document/doc_base.h"

#include "app/exceptionex.h"
#include "document/doc_services.h"

doc_base* current_document = nullptr;

namespace {
std::atomic<uint64_t> last_serial{0};
}

doc_base::doc_base() : serial(++last_serial) {}

// The results go with the document's share of them; a window that still
// shows one keeps its own share.
doc_base::~doc_base() {
    topsigs.clear();
    swis = nullptr;
    swis_num = 0;
    results.reset();
    loaded = false;
}

int32_t doc_base::rotation() { return 0; }

void doc_base::collect_signatures(sigcheck_record*& records, int32_t& count) {}

bool doc_base::field_exists(const std::wstring& name) { return false; }

std::string doc_base::new_field_name() { return "Signature 1"; }

void doc_base::sign_with_syscert(const std::wstring& src, const char* store, const std::wstring& issuer,
                                 const std::wstring& subject, const char* serial, const char* tsurl,
                                 const std::wstring& dst, const sign_params* params) {
    auto fn = doc_services().sign_with_syscert;
    if (!fn) throw_ex_fmt("%s(), signing with a store certificate is not available", "");
    fn(src, store, issuer, subject, serial, tsurl, dst, params);
}

void doc_base::sign_with_pfx(const std::wstring& src, const char* pfx_path, const char* password,
                             const char* tsurl, const std::wstring& dst, const sign_params* params) {
    auto fn = doc_services().sign_with_pfx;
    if (!fn) throw_ex_fmt("%s(), signing with a PFX file is not available", "");
    fn(src, pfx_path, password, tsurl, dst, params);
}

void doc_base::sign_doc_timestamp(const std::wstring& src, const char* tsurl, const std::wstring& dst,
                                  const sign_params* params) {
    auto fn = doc_services().sign_doc_timestamp;
    if (!fn) throw_ex_fmt("%s(), document time stamps are not available", "");
    fn(src, tsurl, dst, params);
}

void doc_base::sign_with_cloud(const std::wstring& src, const std::string& addr, const std::string& user,
                               const std::string& pswd, const std::wstring& dst, const sign_params* params) {
    throw_ex_fmt("%s(), not impl yet", "");
}
