#pragma once
// What start-up and shutdown ask of the maker's-service client, in one place:
// the start-up report, the agreement report, the report sender, the version
// check at start, and the hooks through which the lower layers report.
#include <atomic>
#include <cstdint>
#include <utility>

class wxEvtHandler;
class wxThreadEvent;

// The pair handed to the report sender: {running-worker counter, stop flag}.
using report_worker_refs = std::pair<std::atomic<std::int32_t>*, std::atomic<bool>*>;

// Queues the "agreement" report (level "info", description "true").
void queue_agreement_report();

// The report-sender thread body: runs until the stop flag is set.
void report_worker(report_worker_refs* refs);

// Starts the version check; its one result event goes to `receiver`.
void start_startup_version_check(wxEvtHandler* receiver);
// Stores a successful check's result (the new-version globals).
void apply_version_result(const wxThreadEvent& event);

// Fills the lower layers' report hooks and the window layer's tables with the
// dialogs and the service client's reports and dialogs.
void install_program_services();
