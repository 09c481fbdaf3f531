#pragma once
// Shared set-up of the dialog tests: a private data folder (certificate
// store, trust list, system store stand-in), a small PKI made with the
// openssl command line, certificate chains and verification results built
// from it, windows that record the thread events they receive, and
// expectations that answer our own modal dialogs under wxTEST_DIALOG.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/intl.h>

#include "crypto/x509ui.h"
#include "document/sig_result.h"
#include "support/test_support.h"

class cert_infodlg;
class cert_makedlg;
class sig_infodlg;

namespace dialog_test {

// root.pem (CA "Velk Test Root"), leaf.pem / leaf.key / leaf.p12 (password
// "pw", "Alice Signer" with e-mail, every extension the detail rows know),
// v1.pem (version 1, no extensions, organisation only), sm2.p12 (password
// "pw", a self-signed SM2 certificate), sig.p7s (a detached CMS signature by
// the leaf, with the root).
struct pki {
    explicit pki(const std::string& dir);
    bool ok = false;
    std::string log;
    std::string dir;
    std::string f(const std::string& name) const { return dir + "/" + name; }
};

// The PKI is made once per process (the openssl calls take a moment).
const pki& shared_pki();

// A data folder of its own for the life of the object: trust list,
// certificate store and system store all start empty there.
struct data_env {
    data_env();
    ~data_env();
    std::unique_ptr<testsupport::scratch_dir> scratch;
    std::string data;
};

class data_folder_test : public ::testing::Test {
protected:
    void SetUp() override {
        env = std::make_unique<data_env>();
        ASSERT_TRUE(shared_pki().ok) << shared_pki().log;
    }
    void TearDown() override { env.reset(); }
    std::unique_ptr<data_env> env;
};

x509ui record_of(const std::string& pem_path);
// A chain of display records, leaf first, every entry with `status`.
cert_chain_ui* new_chain(const std::vector<x509ui>& certs, int32_t status);

// A verification result as the verifier leaves it, owning everything but
// `field` (free with free_sig_result).
struct result_spec {
    int32_t sig_status = 0;
    int32_t signer_status = 0;
    bool with_chain = true;
    bool with_timestamp = false;
    int32_t ts_status = 0;
    int32_t ts_signer_status = 0;
    bool with_record = true;
    std::string type = "dstn_pkcs7";
};
struct owned_result {
    sigcheck_record field{};
    sig_result* result = nullptr;
    ~owned_result();
};
std::unique_ptr<owned_result> make_result(const result_spec& spec, const x509ui& signer, const x509ui& root);

// A window that records the thread events queued to it and frees their
// payloads by the type its role receives.
class event_recorder : public wxFrame {
public:
    enum class payload { x509, trust_entry, store_entry };
    explicit event_recorder(payload kind);
    ~event_recorder() override;
    struct received {
        wxString tag;
        std::string id;  // certificate id / subject of the payload
    };
    std::vector<received> events;

private:
    payload kind;
};

// Every wxString of a window tree that the user can read (labels, values).
wxString all_texts(wxWindow* root);

// The Chinese interface for the life of the object.
class chinese_ui {
public:
    chinese_ui();
    ~chinese_ui();
    bool loaded = false;

private:
    std::unique_ptr<wxLocale> locale;
};

}  // namespace dialog_test
