#pragma once
// The two background jobs of opening a document. The load worker loads
// current_document from a file; the verify worker, started once the load
// succeeded, verifies every signature of it. Each tells the main window that
// it finished by queuing a thread event, whatever the outcome: the window
// then reads the document's state. Both run on detached threads, count
// themselves in running_workers, and follow the result convention.
//
// Every wait here also ends on stop_workers and sleeps between polls: a
// worker stopped before it could start its task ends without doing it.
#include <memory>
#include <string>

class wxEvtHandler;
class wxThreadEvent;
struct sig_results;

// Loads current_document from path; on success hands the path to the main
// window (doc_services().set_main_document_path). Queues "evt_loadend" to
// window, whose int says why a load failed (load_end_reason).
void load_worker(wxEvtHandler* window, std::wstring path);

// The int of "evt_loadend".
enum load_end_reason { load_end_other = 0, load_end_encrypted = 1 };

// Waits for a painted page, a ready trust list and no other verification,
// then verifies current_document (doc_services().verify_open_document)
// holding the trust-list lock. Queues "evt_verifyend" to the main window
// (doc_services().main_window, else window), carrying the new results when
// the verification ran; the receiver installs them (install_sig_results).
void verify_worker(wxEvtHandler* window);

// The results an "evt_verifyend" carries (null: none, the verification did
// not run or the event is another).
std::shared_ptr<sig_results> verified_results(const wxThreadEvent& event);
