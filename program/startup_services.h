#pragma once
// What start-up and shutdown need of the maker's-service client. The client
// is not part of the program yet: these stand-ins keep the contract that
// start-up relies on (who counts itself, who queues which event) and send
// nothing. The service client replaces each body with the real call.
#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

class wxEvtHandler;

// The pair handed to the report sender: {running-worker counter, stop flag}.
using report_worker_refs = std::pair<std::atomic<std::int32_t>*, std::atomic<bool>*>;

// The start-up usage report ("user-stat"); queued only when the device or
// program details changed. May rewrite cfgpi.version. Never throws.
void report_user_stat();

// Queues the "agreement" report (level "info", description "true").
void queue_agreement_report();

// The report-sender thread body: counts itself in the counter, runs until the
// stop flag is set, then uncounts itself.
void report_worker(report_worker_refs* refs);

// The running program's file version, four dotted numbers.
std::string own_file_version();

// The version-check thread body (not counted): queues to `receiver` one
// wxThreadEvent whose string is "chek version succeed" or "chek version failed".
void version_check_worker(wxEvtHandler* receiver);

// Hooks of the lower layers that report to the service (trust-list update,
// failed signatures, verification results); nothing to install yet.
void install_service_hooks();
