#pragma once
// Process-wide flags, counter and lock with which worker threads announce
// themselves, wait for each other and are stopped at shutdown.
//
// Every wait here also ends when `stop_workers` is set and sleeps between
// polls, so a worker never spins a core and shutdown never waits on a worker
// that is itself waiting for something that will not come.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>

extern std::atomic<std::int32_t> running_workers;  // counted workers running
extern std::atomic<bool> stop_workers;             // the program is shutting down; never cleared
extern std::atomic<bool> trust_list_ready;         // the trust list is loaded and usable
extern std::atomic<bool> trust_list_updating;      // the online update is changing the trust list
extern std::atomic<bool> trust_page_filled;        // the trust-list page completed a fill pass
extern std::atomic<bool> doc_loading;              // a document load is running
extern std::atomic<bool> doc_verifying;            // a document verification is running

// The document lock: held while the current document is deleted and while a
// page is painted. Recursive: a holder may take it again in nested calls.
extern std::recursive_mutex document_mutex;
using document_lock = std::lock_guard<std::recursive_mutex>;

// Pause between two tests of a waited-for condition.
constexpr std::chrono::milliseconds kWorkerPollInterval{10};
// Pause between two tests of `running_workers` at shutdown: short, as the
// process should end within a fraction of a second of the close.
constexpr std::chrono::milliseconds kShutdownPollInterval{10};
// Longest time shutdown waits for counted workers before it goes on anyway.
constexpr std::chrono::seconds kShutdownWaitLimit{30};

// Counts a worker in `running_workers` for its lifetime: construct it as the
// worker's first action; the destructor subtracts on every path.
class counted_worker {
public:
    counted_worker() { running_workers.fetch_add(1); }
    ~counted_worker() { running_workers.fetch_sub(1); }
    counted_worker(const counted_worker&) = delete;
    counted_worker& operator=(const counted_worker&) = delete;
};

// Starts `body` on a detached thread that is counted in running_workers from
// before it starts until after it ended: a shutdown, or anyone waiting for the
// workers to end, never misses one that was started but has not run yet. An
// exception that escapes `body` is logged.
void start_counted_thread(std::function<void()> body);

// Waits until `condition` holds. Returns true when it does, false when
// `stop_workers` ended the wait first.
bool wait_until(const std::function<bool()>& condition);

// Waits until `trust_list_ready` is set; false when stopped first.
bool wait_trust_list_ready();

// Waits until `flag` is clear and sets it in one atomic step, so two
// claimers never both pass. False (flag untouched) when stopped first.
bool claim_flag(std::atomic<bool>& flag);

// The load worker's claim of `doc_loading`.
bool claim_doc_loading();

// The verify worker's claim: waits until `page_painted` holds, the trust list
// is ready and no verification runs, waits for a running online update
// (`wait_trustlist_update`), then claims `doc_verifying`. False when stopped.
bool claim_doc_verifying(const std::function<bool()>& page_painted);

// Waits for a running online trust-list update: up to four pauses of 500 ms,
// then prints the time-out line and returns. Also returns when stopped.
void wait_trustlist_update();

// Shutdown: sets `stop_workers`, then waits, testing every 10 ms, until no
// counted worker runs or `limit` has passed. True when every worker ended.
bool stop_and_wait_workers(std::chrono::milliseconds limit = kShutdownWaitLimit);
