#include "app/worker_flags.h"

#include <cstdio>
#include <thread>
#include "app/diagnostics.h"
#include "app/exceptionex.h"

std::atomic<std::int32_t> running_workers{0};
std::atomic<bool> stop_workers{false};
std::atomic<bool> trust_list_ready{false};
std::atomic<bool> trust_list_updating{false};
std::atomic<bool> trust_page_filled{false};
std::atomic<bool> doc_loading{false};
std::atomic<bool> doc_verifying{false};

std::recursive_mutex document_mutex;

bool wait_until(const std::function<bool()>& condition) {
    for (;;) {
        if (condition()) return true;
        if (stop_workers.load()) return false;
        std::this_thread::sleep_for(kWorkerPollInterval);
    }
}

bool wait_trust_list_ready() {
    return wait_until([] { return trust_list_ready.load(); });
}

bool claim_flag(std::atomic<bool>& flag) {
    return wait_until([&flag] {
        bool expected = false;
        return flag.compare_exchange_strong(expected, true);
    });
}

bool claim_doc_loading() { return claim_flag(doc_loading); }

bool claim_doc_verifying(const std::function<bool()>& page_painted) {
    for (;;) {
        bool ready = wait_until([&page_painted] {
            return page_painted() && trust_list_ready.load() && !doc_verifying.load();
        });
        if (!ready) return false;
        wait_trustlist_update();
        if (stop_workers.load()) return false;
        bool expected = false;
        if (doc_verifying.compare_exchange_strong(expected, true)) return true;
        // Another verification claimed the flag in between: wait again.
    }
}

void wait_trustlist_update() {
    constexpr auto kRound = std::chrono::milliseconds(500);
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        // One round sleeps 500 ms, in slices so that the stop flag is seen soon.
        for (auto slept = std::chrono::milliseconds(0); slept < kRound; slept += kWorkerPollInterval * 5) {
            if (!trust_list_updating.load() || stop_workers.load()) return;
            std::this_thread::sleep_for(kWorkerPollInterval * 5);
        }
    }
    if (!trust_list_updating.load() || stop_workers.load()) return;
    diag_print("\n %s(), timeout occured: long than %d seconds", "", 2);
}

bool stop_and_wait_workers(std::chrono::milliseconds limit) {
    stop_workers.store(true);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (running_workers.load() != 0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kShutdownPollInterval);
    }
    return true;
}

void start_counted_thread(std::function<void()> body) {
    running_workers.fetch_add(1);
    try {
        std::thread([body = std::move(body)] {
            struct uncount {
                ~uncount() { running_workers.fetch_sub(1); }
            } at_end;
            try {
                body();
            } catch (const std::exception& ex) {
                log_exception(ex);
            }
        }).detach();
    } catch (...) {
        running_workers.fetch_sub(1);
        throw;
    }
}
