#include "document/doc_workers.h"

#include <chrono>
#include <memory>
#include <cstdio>
#include <cstring>
#include <thread>

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/trust_list.h"
#include "document/doc_base.h"
#include "document/doc_services.h"
#include "document/sig_result.h"

namespace {

// Every verification lasts at least this long, so the busy indicator the
// main window shows for it never merely flickers.
constexpr std::chrono::milliseconds kVerifyPause{500};

void write_failure(const std::exception& ex) {
    if (is_success_exception(ex)) return;
    diag_print("\n %s(), %s", "", ex.what());
}

// The pause before a verification, cut short by the stop flag.
void verify_pause() {
    const auto end = std::chrono::steady_clock::now() + kVerifyPause;
    while (!stop_workers.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(kWorkerPollInterval);
}

}  // namespace

void load_worker(wxEvtHandler* window, std::wstring path) {
    counted_worker counted;
    bool claimed = false;
    try {
        if (!claim_doc_loading()) throw_ex_fmt("%s(), stopped before the load", "");
        claimed = true;
        doc_base* doc = current_document;
        if (doc == nullptr) throw_ex_fmt("%s(), no document to load", "");
        doc->load(std::wstring(path));
        if (auto store = doc_services().set_main_document_path) store(path);
        throw_succeed();
    } catch (const std::exception& ex) {
        wxt_thread_event end(evt_loadend);
        if (std::strcmp(ex.what(), kEncryptedDocumentText) == 0) end.SetInt(load_end_encrypted);
        post_thread_event(window, end);
        write_failure(ex);
        // A worker stopped while waiting never owned the flag: leave it to its owner.
        if (claimed) doc_loading.store(false);
    }
}

void verify_worker(wxEvtHandler* window) {
    counted_worker counted;
    bool claimed = false;
    document_services& services = doc_services();
    std::shared_ptr<sig_results> results;
    try {
        auto painted = [&services] { return services.page_painted == nullptr || services.page_painted(); };
        if (!claim_doc_verifying(painted)) throw_ex_fmt("%s(), stopped before the verification", "");
        claimed = true;
        verify_pause();
        {
            trust_list_lock lock(trust_list_mutex);
            if (services.verify_open_document == nullptr)
                throw_ex_fmt("%s(), signature verification is not available", "");
            // Opening and closing wait while doc_verifying is set: the
            // document stays the same until the flag is cleared below.
            doc_base* doc = current_document;
            if (doc == nullptr) throw_ex_fmt("%s(), no document to verify", "");
            results = services.verify_open_document(*doc);
        }
        throw_succeed();
    } catch (const std::exception& ex) {
        wxEvtHandler* target = services.main_window != nullptr ? services.main_window() : nullptr;
        // The results travel in the event; the main thread installs them.
        // Dropped with the event when nobody handles it.
        wxt_thread_event event(evt_verifyend);
        if (results) event.SetPayload(results);
        post_thread_event(target != nullptr ? target : window, event);
        write_failure(ex);
        if (claimed) doc_verifying.store(false);
    }
}

std::shared_ptr<sig_results> verified_results(const wxThreadEvent& event) {
    if (event.GetString() != evt_verifyend) return nullptr;
    // GetPayload asserts on a type mismatch; an event without a set has none.
    struct access : wxThreadEvent {
        static const wxAny& of(const wxThreadEvent& e) {
            constexpr auto member = &access::m_payload;
            return e.*member;
        }
    };
    const wxAny& payload = access::of(event);
    if (!payload.CheckType<std::shared_ptr<sig_results>>()) return nullptr;
    return payload.As<std::shared_ptr<sig_results>>();
}
