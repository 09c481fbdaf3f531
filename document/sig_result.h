#pragma once
// The results of verifying the open document's signatures: one `sig_result`
// per signed field, with the parsed signature data, the signer's chain, the
// verdict on the signing time, and the embedded time stamp and electronic
// seal with their own verdicts and chains. The signature tree, the summary
// bar, the page view and the signature dialogs read them.
//
// Who owns the results (one rule for the worker, the views and the dialogs):
// - One verification makes one `sig_results` set (the field records and one
//   `sig_result` per signed field). The verify worker builds it without
//   touching the document and hands it to the main thread inside its
//   "evt_verifyend" event; only the main thread installs it into the
//   document (`install_sig_results`), so the worker never writes what a
//   paint or a click reads.
// - The set is shared. The document holds it through std::shared_ptr, and
//   every window that keeps a result beyond the call that handed it the
//   pointer (a dialog, the caller of a modal loop) holds a share of the whole
//   set (`share_result`). Whatever replaces or drops the document's results
//   (close, open, the reopen after a signing, a re-verification after a trust
//   change, shutdown) only lets go of the document's share: a result, its
//   record, chains and parsed data live as long as a window shows them.
// - The document's topsigs, swis, swis_num and signed_num are main-thread
//   views into its current set. A raw sig_result* may be passed down one call;
//   nothing keeps it across an event without a share.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

class doc_base;
struct sig_results;

// One listed signature field. It owns its cells, chains and sigdata records
// (ts.data and seal.data are the same records as sig.data's ts and seal);
// the field record belongs to its set's record array.
struct sig_result {
    sig_results* set = nullptr;              // the set that owns it; null for one made on its own
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

// The results of one verification: the field records (calloc'ed, one per
// signature field) and one result per signed field, freed with the set.
struct sig_results : std::enable_shared_from_this<sig_results> {
    sig_results() = default;
    sig_results(const sig_results&) = delete;
    sig_results& operator=(const sig_results&) = delete;
    ~sig_results();

    sigcheck_record* swis = nullptr;
    int32_t swis_num = 0;
    int32_t signed_num = 0;
    std::vector<sig_result*> topsigs;
    // The document verified (its serial): a set that arrives after that
    // document went away is dropped, never installed into another.
    uint64_t document_serial = 0;

    // Takes a result over into the set.
    void add(sig_result* result);
};

// A result kept alive by a share of its set. For a result that belongs to no
// set (made on its own by its holder) it is a plain, non-owning pointer.
using sig_result_ref = std::shared_ptr<sig_result>;
sig_result_ref share_result(sig_result* result);

// Verifies every signature of `doc` into a new set; the document's own
// results are not touched. Runs on the verify worker, which holds the
// trust-list lock. Each signature is verified inside its own error boundary;
// nothing is done (null) while no page has been painted.
std::shared_ptr<sig_results> verify_document(doc_base& doc);

// Main thread: makes `results` the document's current set (null: none),
// letting go of the previous one. A set made for another document is dropped.
void install_sig_results(doc_base& doc, std::shared_ptr<sig_results> results);

// Both in one call on the calling thread, on current_document (tools and
// tests that verify without the workers).
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
// the "verify-file" reports of every result of a verification just made.
extern void (*report_sigdata_hook)(const char* type, int32_t status, const unsigned char* bytes, uint32_t length);
extern void (*report_verify_results_hook)(const sig_results& results);

// Installs the verification into doc_services(): verify_all_signatures,
// free_sigcheck_records, free_sig_result and verify_open_document (which
// there is verify_document).
void install_verification_services();
