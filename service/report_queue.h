#pragma once
// The report queue and its sender thread: builders append reports from any
// thread; one long-lived counted worker posts them to the maker's server one
// by one, in order, at most one per pass of 500 ms, until the stop flag.
// A report leaves the queue only once the server took it: while the server
// cannot be reached the sender waits twice as long after each failed
// attempt (up to an hour), and drops nothing.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>

#include "service/usage_reports.h"

// The queue; guard every access with report_queue_mutex.
extern std::deque<report_record> report_queue;
extern std::mutex report_queue_mutex;

// Appends a copy of the record to the back of the queue.
void queue_report(const report_record& record);
// The number of queued reports (for tests and diagnostics).
std::size_t queued_report_count();
// Drops every queued report (tests).
void clear_report_queue();

// The pause between two passes of the sender, and the longest pause after
// failed attempts (tests shorten both).
extern std::chrono::milliseconds report_worker_pause;
extern std::chrono::milliseconds report_backoff_limit;
// The pause after `failures` failed attempts in a row: report_worker_pause
// doubled that many times, at most report_backoff_limit.
std::chrono::milliseconds report_backoff_pause(int failures);

// The sender thread's body: counts itself in `running`, posts the front
// report of each pass (10 s limit, form body), sleeps, and ends when `stop`
// is set. A reply of any kind delivers the report; a transfer failure keeps
// it at the front and lengthens the pause.
void report_worker(std::atomic<std::int32_t>& running, std::atomic<bool>& stop);

// Start-up's step: the sender on a detached thread with the process-wide
// running_workers and stop_workers.
void start_report_worker();
