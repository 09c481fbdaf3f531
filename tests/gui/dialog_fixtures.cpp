#include "gui/dialog_fixtures.h"

#include <clocale>
#include <filesystem>

#include <openssl/obj_mac.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

#include "app/data_dirs.h"
#include "app/thread_event.h"
#include "app/ui_language.h"
#include "crypto/cert_chain.h"
#include "crypto/cert_loading.h"
#include "crypto/certstore.h"
#include "crypto/crypto_init.h"
#include "crypto/pfx.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "gui/gui_harness.h"
#include "ui/dialog_calls.h"

namespace dialog_test {

using testsupport::run_command;
using testsupport::shell_quote;

pki::pki(const std::string& folder) : dir(folder) {
    const std::string script = R"(set -e
cat > ext.cnf <<'X'
[leaf]
basicConstraints=CA:FALSE
keyUsage=digitalSignature,nonRepudiation,keyEncipherment
extendedKeyUsage=emailProtection,clientAuth
subjectAltName=email:alice@example.org,DNS:alice.example.org
authorityInfoAccess=caIssuers;URI:http://127.0.0.1:9/ca.cer,OCSP;URI:http://127.0.0.1:9/ocsp
crlDistributionPoints=URI:http://127.0.0.1:9/ca.crl
certificatePolicies=1.2.3.4
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid
X
openssl req -x509 -newkey rsa:2048 -nodes -days 300 -subj "/O=Velk Test/CN=Velk Test Root" -keyout root.key -out root.pem -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
openssl req -new -newkey rsa:2048 -nodes -subj "/C=CN/O=Velk Test/CN=Alice Signer/emailAddress=alice@example.org" -keyout leaf.key -out leaf.csr
openssl x509 -req -in leaf.csr -CA root.pem -CAkey root.key -CAcreateserial -days 200 -extfile ext.cnf -extensions leaf -out leaf.pem
openssl pkcs12 -export -inkey leaf.key -in leaf.pem -certfile root.pem -passout pass:pw -out leaf.p12
openssl req -new -newkey rsa:2048 -nodes -subj "/O=Plain Org" -keyout v1.key -out v1.csr
openssl x509 -req -in v1.csr -signkey v1.key -days 30 -out v1.pem
printf 'signed content\n' > data.txt
openssl cms -sign -binary -in data.txt -signer leaf.pem -inkey leaf.key -certfile root.pem -outform DER -out sig.p7s
)";
    const auto made = run_command("cd " + shell_quote(dir) + " && bash -c " + shell_quote(script) + " 2>&1");
    log = made.output;
    if (made.status != 0) return;
    X509* sm2 = nullptr;
    const int rc = make_self_signed_pfx("/CN=SM2 Signer", pfx_key_sm2, pfx_digest_sm3, {NID_client_auth}, "pw",
                                        wxString::FromUTF8(f("sm2.p12")).ToStdWstring(), &sm2);
    X509_free(sm2);
    ok = rc == 0;
}

data_env::data_env() {
    init_crypto();
    scratch = std::make_unique<testsupport::scratch_dir>();
    set_data_root(scratch->file("home"));
    data = app_data_dir();
    certcache_dir = data + "certcache/";
    std::filesystem::create_directories(certcache_dir);
    trust_list_file = data + kTrustListFileName;
    {
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
    }
    certstore_entries.clear();
    syscert_entries.clear();
    certstore_file.clear();
    load_certstore(data);
    store_chain_check = store_chain_trusted;
}

data_env::~data_env() {
    certstore_entries.clear();
    syscert_entries.clear();
    certstore_file.clear();
    {
        trust_list_lock lock(trust_list_mutex);
        trust_list.clear();
    }
    trust_list_file.clear();
    certcache_dir.clear();
    dialog_receivers() = dialog_receiver_table();
    set_data_root(scratch->file("gone"));
    scratch.reset();
}

const pki& shared_pki() {
    static testsupport::scratch_dir* folder = new testsupport::scratch_dir;  // outlives the tests
    static const pki made(folder->path());
    return made;
}

x509ui record_of(const std::string& pem_path) {
    x509ui record;
    X509* cert = load_certificate_file(pem_path.c_str());
    if (cert) build_x509ui(cert, record);
    X509_free(cert);
    return record;
}

cert_chain_ui* new_chain(const std::vector<x509ui>& certs, int32_t status) {
    auto* chain = new cert_chain_ui;
    for (const x509ui& c : certs) chain->push_back({status, c});
    return chain;
}

owned_result::~owned_result() { free_sig_result(result); }

std::unique_ptr<owned_result> make_result(const result_spec& spec, const x509ui& signer, const x509ui& root) {
    auto out = std::make_unique<owned_result>();
    auto* r = new sig_result;
    r->record = &out->field;
    std::snprintf(out->field.type, sizeof out->field.type, "%s", spec.type.c_str());
    out->field.status = spec.sig_status;
    r->sig = new sig_status_cell;
    r->sig->status = spec.sig_status;
    if (spec.with_record) {
        auto* data = new sigdata_record;
        data->type = spec.type;
        data->signer = signer;
        data->sig_alg = "sha256WithRSAEncryption";
        data->digest_alg = "sha256";
        data->sign_time = "2026-01-02 03:04:05";
        data->digest_hex = "0A0B";
        if (spec.with_timestamp) {
            auto* ts = new sigdata_record;
            ts->type = "dstn_rfc3161ts";
            ts->signer = root;
            ts->sig_alg = "sha256WithRSAEncryption";
            ts->sign_time = "2026-01-02 03:04:06";
            data->ts = ts;
        }
        r->sig->data = data;
    }
    if (spec.with_chain) r->signer_chain = new_chain({signer, root}, spec.signer_status);
    if (spec.with_timestamp) {
        r->ts = new sig_status_cell;
        r->ts->status = spec.ts_status;
        r->ts->data = r->sig->data ? r->sig->data->ts : nullptr;
        r->ts_chain = new_chain({root}, spec.ts_signer_status);
    }
    out->result = r;
    return out;
}

event_recorder::event_recorder(payload kind_) : wxFrame(nullptr, wxID_ANY, "recorder"), kind(kind_) {
    Bind(wxEVT_THREAD, [this](wxThreadEvent& e) {
        received r{e.GetString(), {}};
        switch (kind) {
            case payload::x509: {
                x509ui* p = e.GetPayload<x509ui*>();
                r.id = p ? p->certid : "";
                delete p;
                break;
            }
            case payload::trust_entry: {
                trust_cert_info* p = e.GetPayload<trust_cert_info*>();
                r.id = p ? p->id : "";
                delete p;
                break;
            }
            case payload::store_entry: {
                certstore_sumfile_entry* p = e.GetPayload<certstore_sumfile_entry*>();
                r.id = p ? p->info.sn : "";
                delete p;
                break;
            }
        }
        events.push_back(r);
    });
}

event_recorder::~event_recorder() = default;

namespace {
void collect(wxWindow* w, wxString& out) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(w))
        out += t->GetValue() + "\n";
    else if (auto* c = dynamic_cast<wxControl*>(w))
        out += c->GetLabel() + "\n";
    for (wxWindow* child : w->GetChildren()) collect(child, out);
}
}  // namespace

wxString all_texts(wxWindow* root) {
    wxString out;
    collect(root, out);
    return out;
}

chinese_ui::chinese_ui() : locale(std::make_unique<wxLocale>()) {
    set_ui_language_setting("中文");
    loaded = setup_ui_language(*locale);
}

chinese_ui::~chinese_ui() {
    locale.reset();
    if (wxTranslations::Get()) wxTranslations::Set(nullptr);
    set_ui_language_setting("oslang");
    std::setlocale(LC_ALL, "C.UTF-8");
}

}  // namespace dialog_test
