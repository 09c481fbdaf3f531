// Verifying the open document's signatures into per-signature results.
#include "document/sig_result.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <openssl/x509.h>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "crypto/cert_loading.h"
#include "crypto/local_time.h"
#include "document/doc_base.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "platform/owned.h"

namespace {

void no_sigdata_report(const char*, int32_t, const unsigned char*, uint32_t) {}
void no_verify_results_report(const sig_results&) {}

// /M from its third character with a four-digit year; "" when too short or unreadable.
std::string mtime_as_local(const char* mtime) {
    if (std::strlen(mtime) < 16) return "";
    malloced<char> local(asn1_time_text_to_local(mtime + 2, 4));
    return local ? std::string(local.get()) : std::string();
}

bool same_cert(const x509ui& a, const x509ui& b) {
    return a.subject_dn == b.subject_dn && a.issuer_dn == b.issuer_dn && a.serial_hex == b.serial_hex;
}

int32_t first_status(const cert_chain_ui* chain) {
    return (chain && !chain->empty()) ? chain->front().status : certerr_unknown;
}

bool is_unparsed_status(int32_t status) {
    return status == sigerr_notsup_type || status == sigerr_sigdata || status == sigerr_no_signatures ||
           status == sigerr_no_certificate || status == sigerr_unknown;
}

// Steps of one signed field after its first verdict: parsed data, chains,
// signing time, time stamp and seal.
void complete_result(sigcheck_record& r, sig_result& x) {
    x.sig->data = new sigdata_record;
    parse_sigdata(r.contents, r.contents_len, r.type, *x.sig->data);
    cert_chain_for_sigdata(r.contents, r.contents_len, r.type, &x.signer_chain, chain_purpose_none);

    if (r.status == sigerr_okay || r.status == sigerr_sigtime_local) {
        // The chain builders put the signer first; without a chain the parsed
        // signer stands in, and with neither the time cannot be judged (the
        // missing chain already makes the signature not valid).
        const x509ui* signer = nullptr;
        if (x.signer_chain && !x.signer_chain->empty())
            signer = &x.signer_chain->front().cert;
        else if (!x.sig->data->signer.der.empty())
            signer = &x.sig->data->signer;
        if (signer) x.sig->status = check_signing_time(r, *x.sig->data, *signer);
    }

    if (x.sig->data->ts) {
        int32_t code = sigerr_unknown;
        if (std::strcmp(r.type, dstn_pkcs7) == 0)
            code = timestamp_chain_pkcs7(r.contents, r.contents_len, &x.ts_chain);
        else if (std::strcmp(r.type, dstn_gm_ses) == 0)
            code = timestamp_chain_ses(r.contents, r.contents_len, &x.ts_chain);
        if (code != sigerr_no_signatures) x.ts = new sig_status_cell{code, x.sig->data->ts};
    }

    if (x.sig->data->seal) {
        int32_t code = sigerr_unknown;
        if (std::strcmp(r.type, dstn_gm_ses) == 0) code = seal_chain_of(r.contents, r.contents_len, &x.seal_chain);
        x.seal = new sig_status_cell{code, x.sig->data->seal};
    }
}

// The updates written after the signature: a change its certification or
// lock does not permit makes the document modified since signed, whatever
// the signature over its own revision says.
void judge_later_revisions(doc_base* d, int32_t index, int certification, const sigcheck_record& r, sig_result& x) {
    auto* pdf = dynamic_cast<doc_pdfium*>(d);
    if (!pdf || !pdf->pdf_doc || r.signed_end <= 0) return;
    x.later = changes_after_signing(pdf->pdf_doc, index, r.signed_end, certification, r.locked);
    if (!x.later.permitted && (r.status == sigerr_okay || r.status == sigerr_sigtime_local))
        x.sig->status = sigerr_modified;
}

}  // namespace

void (*report_sigdata_hook)(const char*, int32_t, const unsigned char*, uint32_t) = no_sigdata_report;
void (*report_verify_results_hook)(const sig_results&) = no_verify_results_report;

int32_t check_signing_time(const sigcheck_record& r, const sigdata_record& s, const x509ui& u) {
    std::string t;
    bool local = true;
    if (s.type == dstn_rfc3161ts) {
        t = s.sign_time;
        local = false;
    } else if (s.ts) {
        t = s.ts->sign_time;
        local = false;
    }
    if (t.empty()) t = s.sign_time;
    if (t.empty()) t = mtime_as_local(r.mtime);
    if (t.empty()) {
        X509* cert = decode_certificate(u.der.data(), u.der.size(), nullptr);
        if (!cert) throw_ex_fmt("%s(), failed to parse cert from x509ui", "");
        bool error = false;
        bool expired = check_cert_expiry(cert, &error);
        X509_free(cert);
        if (error) throw_ex_fmt("%s(), failed", "");
        return expired ? sigerr_expired : r.status;
    }
    if (t > u.not_after || t < u.not_before) return sigerr_sigtime_illegal;
    if (local) return sigerr_sigtime_local;
    return r.status;
}

void free_sig_result(sig_result* x) {
    if (!x) return;
    if (x->sig) free_sigdata_record(x->sig->data);  // with its ts and seal records
    delete x->sig;
    delete x->ts;
    delete x->seal;
    delete x->signer_chain;
    delete x->ts_chain;
    delete x->seal_chain;
    delete x;
}

void sig_result::set_cert_trust(const x509ui& cert, bool trusted) {
    for (cert_chain_ui* chain : {signer_chain, ts_chain, seal_chain}) {
        if (!chain) continue;
        bool holds = false;
        for (const chain_cert_entry& e : *chain)
            if (same_cert(e.cert, cert)) holds = true;
        if (!holds) continue;
        for (chain_cert_entry& e : *chain) e.status = trusted ? certerr_okay : certerr_not_trusted;
    }
}

bool sig_result::chain_completed_by(const x509ui& cert) const {
    for (const cert_chain_ui* chain : {signer_chain, ts_chain, seal_chain}) {
        if (!chain || chain->empty() || chain->front().status == certerr_okay) continue;
        bool holds = false;
        for (const chain_cert_entry& e : *chain)
            if (same_cert(e.cert, cert)) holds = true;
        if (!holds && !cert.subject_dn.empty() && chain->back().cert.issuer_dn == cert.subject_dn) return true;
    }
    return false;
}

void sig_result::signing_time(std::string& t, bool& from_ts) const {
    t.clear();
    from_ts = false;
    const sigdata_record* s = sig ? sig->data : nullptr;
    if (s && s->type == dstn_rfc3161ts) {
        from_ts = true;
        t = s->sign_time;
    } else if (ts && ts->status == sigerr_okay && ts_chain && !ts_chain->empty() &&
               ts_chain->front().status == certerr_okay) {
        if (s && s->ts) {
            from_ts = true;
            t = s->ts->sign_time;
        }
    } else if (s && !s->sign_time.empty()) {
        t = s->sign_time;
    } else if (record) {
        t = mtime_as_local(record->mtime);
    }
}

bool sig_result::check_valid() {
    const int32_t signer_status = first_status(signer_chain);
    int32_t seal_status = sigerr_unknown, seal_chain_status = certerr_unknown;
    if (seal) {
        seal_status = seal->status;
        seal_chain_status = first_status(seal_chain);
        if (sig->status == sigerr_sealcert_invalid && seal_chain_status == certerr_okay) sig->status = sigerr_okay;
    }
    if ((sig->status != sigerr_okay && sig->status != sigerr_sigtime_local) || signer_status != certerr_okay)
        return false;
    if (!seal) return true;
    if (seal_status != sigerr_okay && seal_status != sigerr_sigtime_local) {
        sig->status = sigerr_sealsig_invalid;
        return false;
    }
    if (seal_chain_status != certerr_okay) {
        sig->status = sigerr_sealcert_invalid;
        return false;
    }
    return true;
}

sig_results::~sig_results() {
    for (sig_result* x : topsigs) free_sig_result(x);
    topsigs.clear();
    free_sigcheck_records(&swis, &swis_num);
}

void sig_results::add(sig_result* x) {
    x->set = this;
    topsigs.push_back(x);
}

sig_result_ref share_result(sig_result* x) {
    if (!x) return nullptr;
    if (x->set) return sig_result_ref(x->set->shared_from_this(), x);
    return sig_result_ref(sig_result_ref(), x);
}

std::shared_ptr<sig_results> verify_document(doc_base& doc) {
    doc_base* d = &doc;
    auto painted = doc_services().page_painted;
    if (painted && !painted()) return nullptr;

    auto set = std::make_shared<sig_results>();
    set->document_serial = d->serial;
    d->collect_signatures(set->swis, set->swis_num);
    if (!set->swis || set->swis_num <= 0) return set;

    set->signed_num = set->swis_num;
    // The document's certification (DocMDP) judges what came after every
    // signature, whichever signature carries it.
    int certification = 0;
    for (int32_t i = 0; i < set->swis_num; ++i)
        if (set->swis[i].certified && !set->swis[i].empty_field && certification == 0)
            certification = set->swis[i].permission;
    for (int32_t i = 0; i < set->swis_num; ++i) {
        sigcheck_record& r = set->swis[i];
        // A prepared field awaits a signature and an empty field holds none:
        // neither is a signature, so neither gets a result.
        if (r.status == sigerr_tosign || r.empty_field) {
            --set->signed_num;
            continue;
        }
        owned<sig_result> x(new sig_result);  // freed on any failure before it reaches the list
        x->record = &r;
        x->sig = new sig_status_cell{r.status, nullptr};
        if (is_unparsed_status(r.status)) {
            report_sigdata_hook(r.type, r.status, r.contents, r.contents_len);
            set->add(x.get());
            x.release();
            continue;
        }
        // A failure of one signature's parse or chains stays with it: the
        // result keeps what was built and the next field is still verified.
        try {
            complete_result(r, *x);
        } catch (const std::exception& ex) {
            x->sig->status = sigerr_unknown;
            diag_print("\n\n[ERROR] %s(), signature %d: %s [ERROR]\n", "", static_cast<int>(i), ex.what());
        }
        judge_later_revisions(d, i, certification, r, *x);
        set->add(x.get());
        x.release();
    }
    report_verify_results_hook(*set);
    diag_print("\n [INFO] %s(), swis_num: %d, topsigs num: %d\n", "", static_cast<int>(set->swis_num),
               static_cast<int>(set->topsigs.size()));
    return set;
}

void install_sig_results(doc_base& d, std::shared_ptr<sig_results> set) {
    if (set && set->document_serial != d.serial) return;
    d.results = std::move(set);
    const sig_results* now = d.results.get();
    d.swis = now ? now->swis : nullptr;
    d.swis_num = now ? now->swis_num : 0;
    d.signed_num = now ? now->signed_num : 0;
    d.topsigs = now ? now->topsigs : std::vector<sig_result*>();
}

void verify_open_document() {
    if (doc_base* d = current_document)
        if (auto set = verify_document(*d)) install_sig_results(*d, std::move(set));
}

void install_verification_services() {
    document_services& s = doc_services();
    s.verify_all_signatures = verify_all_signatures;
    s.free_sigcheck_records = [](sigcheck_record* records, int32_t count) {
        free_sigcheck_records(&records, &count);
    };
    s.free_sig_result = free_sig_result;
    s.verify_open_document = verify_document;
}
