#include "app/diagnostics.h"
#include "service/report_queue.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "app/exceptionex.h"
#include "app/worker_flags.h"
#include "net/http_client.h"

std::deque<report_record> report_queue;
std::mutex report_queue_mutex;
std::chrono::milliseconds report_worker_pause{500};
std::chrono::milliseconds report_backoff_limit{std::chrono::hours(1)};

void queue_report(const report_record& record) {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    report_queue.push_back(record);
}

std::size_t queued_report_count() {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    return report_queue.size();
}

void clear_report_queue() {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    report_queue.clear();
}

namespace {

// A copy of the front report, when there is one, under the lock. It stays
// queued until it was delivered.
bool peek_front(report_record& record) {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    if (report_queue.empty()) return false;
    record = report_queue.front();
    return true;
}

// Only the sender removes reports, so the front is still the one it sent
// (unless a test emptied the queue meanwhile).
void drop_front() {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    if (!report_queue.empty()) report_queue.pop_front();
}

// Sleeps the pause, waking early when the stop flag is set so shutdown
// does not wait out a whole pause.
void pause_unless_stopped(const std::atomic<bool>& stop, std::chrono::milliseconds pause) {
    const auto end = std::chrono::steady_clock::now() + pause;
    while (!stop.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(pause, std::chrono::milliseconds(20)));
}

}  // namespace

std::chrono::milliseconds report_backoff_pause(int failures) {
    std::chrono::milliseconds pause = report_worker_pause;
    for (int i = 0; i < failures && pause < report_backoff_limit; ++i) pause *= 2;
    return std::min(pause, report_backoff_limit);
}

void report_worker(std::atomic<std::int32_t>& running, std::atomic<bool>& stop) {
    running.fetch_add(1);
    try {
        int failures = 0;
        for (;;) {
            if (stop.load()) throw_succeed();
            report_record record;
            std::chrono::milliseconds pause = report_worker_pause;
            if (peek_front(record)) {
                bool delivered = false;
                http_post(record.url, report_to_json(record), 10, true, &delivered);
                if (delivered) {
                    drop_front();
                    failures = 0;
                } else {
                    pause = report_backoff_pause(++failures);
                }
            }
            pause_unless_stopped(stop, pause);
        }
    } catch (const std::exception& ex) {
        if (is_failure_exception(ex)) diag_print("\n %s(), ex2str: %s", "", ex.what());
    }
    running.fetch_sub(1);
}

void start_report_worker() {
    std::thread(report_worker, std::ref(running_workers), std::ref(stop_workers)).detach();
}
