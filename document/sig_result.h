#pragma once
// The results of verifying the open document's signatures: one `sig_result`
// per signed field, with the parsed signature data, the signer's chain, the
// verdict on the signing time, and the embedded time stamp and electronic
// seal with their own verdicts and chains. The signature tree, the summary
// bar, the page view and the signature dialogs read them.
#include <cstdint>
#include <string>

#include "crypto/sigerr.h"
#include "crypto/x509ui.h"
#include "document/sigcheck.h"
#include "document/revision_changes.h"
#include "document/sigdata.h"
#include "platform/owned.h"

// A sigerr code with its parsed data (may be null).
struct sig_status_cell {
    int32_t status = sigerr_unknown;
    sigdata_record* data = nullptr;
};

// One listed signature field. It owns its cells, chains and sigdata records
// (ts.data and seal.data are the same records as sig.data's ts and seal);
// the field record belongs to the document's record array.
struct sig_result {
    sigcheck_record* record = nullptr;
    sig_status_cell* sig = nullptr;          // always present
    cert_chain_ui* signer_chain = nullptr;   // null when not built
    sig_status_cell* ts = nullptr;           // the embedded time stamp, null when none
    cert_chain_ui* ts_chain = nullptr;
    std::string extra_text;
    sig_status_cell* seal = nullptr;         // the electronic seal, null when none
    cert_chain_ui* seal_chain = nullptr;
    // What was written after the signed revision; a change that is not
    // permitted has made sig.status 4 (the document was modified).
    revision_changes later;

    // After the user trusted (or withdrew trust from) the certificate: every
    // chain that holds it gets status 0, or 7 (not trusted), on all entries.
    void set_cert_trust(const x509ui& cert, bool trusted);
    // True when a chain that does not hold the certificate failed and ends
    // below it (its top names the certificate as issuer): trusting it may
    // complete that chain, which only a new verification can tell.
    bool chain_completed_by(const x509ui& cert) const;
    // The signing time to show and whether it comes from a valid time stamp.
    void signing_time(std::string& time, bool& from_timestamp) const;
    // The final verdict; may turn sig.status into 0, 9 or 10 (seal cases).
    bool check_valid();
};

// Verifies every signature of current_document into its topsigs (replacing
// the previous run's results and records). Runs on the verify worker, which
// holds the trust-list lock. Each signature is verified inside its own error
// boundary; nothing is done while no page has been painted.
void verify_open_document();

// The verdict on the signing time: 11 (no time, certificate expired), 12
// (time outside the signer's validity), 13 (time from the signer's clock),
// else r.status. Throws "(), failed to parse cert from x509ui" when a time is
// needed from the certificate and its DER does not decode.
int32_t check_signing_time(const sigcheck_record& r, const sigdata_record& s, const x509ui& signer);

// Frees the result with its cells, chains and sigdata records (not the field
// record). Null: nothing.
void free_sig_result(sig_result* result);
VELK_OWNED_FREE(sig_result, free_sig_result(p));

// Reports to the maker's service. They are not built yet: these hooks start
// as no-ops and the service client installs its functions at start-up.
// report_sigdata_hook: one "sigdata" report of a field that failed to parse
// or verify (type text, sigerr code, signature bytes). report_verify_results_hook:
// the "verify-file" reports of every result of current_document.
extern void (*report_sigdata_hook)(const char* type, int32_t status, const unsigned char* bytes, uint32_t length);
extern void (*report_verify_results_hook)();

// Installs the verification into doc_services(): verify_all_signatures,
// free_sigcheck_records, free_sig_result and verify_open_document.
void install_verification_services();
