#include "app/diagnostics.h"
#include "service/report_queue.h"

#include <cstdio>
#include <thread>

#include "app/exceptionex.h"
#include "app/worker_flags.h"
#include "net/http_client.h"

std::deque<report_record> report_queue;
std::mutex report_queue_mutex;
std::chrono::milliseconds report_worker_pause{500};

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

// Takes the front report, when there is one, under the lock.
bool take_front(report_record& record) {
    std::lock_guard<std::mutex> lock(report_queue_mutex);
    if (report_queue.empty()) return false;
    record = report_queue.front();
    report_queue.pop_front();
    return true;
}

// Sleeps the pause, waking early when the stop flag is set so shutdown
// does not wait out a whole pause.
void pause_unless_stopped(const std::atomic<bool>& stop) {
    const auto end = std::chrono::steady_clock::now() + report_worker_pause;
    while (!stop.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(report_worker_pause,
                                                                        std::chrono::milliseconds(20)));
}

}  // namespace

void report_worker(std::atomic<std::int32_t>& running, std::atomic<bool>& stop) {
    running.fetch_add(1);
    try {
        for (;;) {
            if (stop.load()) throw_succeed();
            report_record record;
            if (take_front(record)) http_post(record.url, report_to_json(record), 10, true);
            pause_unless_stopped(stop);
        }
    } catch (const std::exception& ex) {
        if (is_failure_exception(ex)) diag_print("\n %s(), ex2str: %s", "", ex.what());
    }
    running.fetch_sub(1);
}

void start_report_worker() {
    std::thread(report_worker, std::ref(running_workers), std::ref(stop_workers)).detach();
}
