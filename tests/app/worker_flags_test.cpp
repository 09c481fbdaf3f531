// Worker coordination: counted waits, claims, the update wait, shutdown and
// the document lock. Every wait in these tests is guarded by a generous
// bound so that a fault shows as a failure, not as a hung suite.
#include "app/worker_flags.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <thread>

namespace {

constexpr auto kBound = std::chrono::seconds(10);

void reset_flags() {
    running_workers = 0;
    stop_workers = false;
    trust_list_ready = false;
    trust_list_updating = false;
    trust_page_filled = false;
    doc_loading = false;
    doc_verifying = false;
}

class WorkerFlags : public ::testing::Test {
protected:
    void SetUp() override { reset_flags(); }
    void TearDown() override { reset_flags(); }
};

template <class T>
bool ends_in_time(std::future<T>& f) {
    return f.wait_for(kBound) == std::future_status::ready;
}

}  // namespace

TEST_F(WorkerFlags, CountedWorkerLeavesOnEveryPath) {
    auto worker = [](bool fail) {
        counted_worker counted;
        EXPECT_EQ(running_workers.load(), 1);
        if (fail) throw std::runtime_error("(), failed");
    };
    EXPECT_NO_THROW(worker(false));
    EXPECT_EQ(running_workers.load(), 0);
    EXPECT_THROW(worker(true), std::runtime_error);
    EXPECT_EQ(running_workers.load(), 0);
}

TEST_F(WorkerFlags, WaitsEndWhenTheConditionHoldsOrOnStop) {
    auto ready = std::async(std::launch::async, [] { return wait_trust_list_ready(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    trust_list_ready = true;
    ASSERT_TRUE(ends_in_time(ready));
    EXPECT_TRUE(ready.get());

    trust_list_ready = false;
    doc_loading = true;
    auto never_ready = std::async(std::launch::async, [] { return wait_trust_list_ready(); });
    auto blocked_claim = std::async(std::launch::async, [] { return claim_doc_loading(); });
    auto blocked_verify = std::async(std::launch::async, [] { return claim_doc_verifying([] { return false; }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    stop_workers = true;
    ASSERT_TRUE(ends_in_time(never_ready));
    ASSERT_TRUE(ends_in_time(blocked_claim));
    ASSERT_TRUE(ends_in_time(blocked_verify));
    EXPECT_FALSE(never_ready.get());
    EXPECT_FALSE(blocked_claim.get());
    EXPECT_FALSE(blocked_verify.get());
    EXPECT_TRUE(doc_loading.load());  // a stopped claim leaves the flag as it was
    EXPECT_FALSE(doc_verifying.load());
}

TEST_F(WorkerFlags, OneLoadAtATime) {
    std::atomic<int> inside{0}, most{0}, done{0};
    auto load_worker = [&] {
        counted_worker counted;
        ASSERT_TRUE(claim_doc_loading());
        int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {}
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        --inside;
        doc_loading = false;
        ++done;
    };
    std::vector<std::thread> workers;
    for (int i = 0; i < 6; ++i) workers.emplace_back(load_worker);
    for (auto& t : workers) t.join();
    EXPECT_EQ(done.load(), 6);
    EXPECT_EQ(most.load(), 1);
    EXPECT_EQ(running_workers.load(), 0);
}

TEST_F(WorkerFlags, VerifyClaimWaitsForPaintTrustListAndTheOtherVerification) {
    std::atomic<bool> painted{false};
    doc_verifying = true;  // a verification already runs
    auto claim = std::async(std::launch::async, [&] { return claim_doc_verifying([&] { return painted.load(); }); });
    painted = true;
    trust_list_ready = true;
    EXPECT_EQ(claim.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    doc_verifying = false;  // the first verification ends
    ASSERT_TRUE(ends_in_time(claim));
    EXPECT_TRUE(claim.get());
    EXPECT_TRUE(doc_verifying.load());
}

TEST_F(WorkerFlags, UpdateWaitReturnsAtOnceWhenNoUpdateRuns) {
    testing::internal::CaptureStdout();
    wait_trustlist_update();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(WorkerFlags, UpdateWaitEndsWhenTheUpdateEndsOrOnStop) {
    trust_list_updating = true;
    auto wait = std::async(std::launch::async, [] { wait_trustlist_update(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    trust_list_updating = false;
    ASSERT_TRUE(ends_in_time(wait));

    trust_list_updating = true;
    testing::internal::CaptureStdout();
    auto stopped = std::async(std::launch::async, [] { wait_trustlist_update(); });
    stop_workers = true;
    ASSERT_TRUE(ends_in_time(stopped));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // stopping is no time-out
}

TEST_F(WorkerFlags, UpdateWaitGivesUpAfterTwoSeconds) {
    trust_list_updating = true;
    testing::internal::CaptureStdout();
    auto wait = std::async(std::launch::async, [] { wait_trustlist_update(); });
    ASSERT_TRUE(ends_in_time(wait));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n (), timeout occured: long than 2 seconds");
    EXPECT_TRUE(trust_list_updating.load());
}

TEST_F(WorkerFlags, ShutdownEndsWaitingWorkers) {
    // Counted workers that wait for things that never come: the trust list,
    // a load slot, the page to be painted.
    doc_loading = true;
    std::vector<std::thread> workers;
    workers.emplace_back([] { counted_worker c; wait_trust_list_ready(); });
    workers.emplace_back([] { counted_worker c; claim_doc_loading(); });
    workers.emplace_back([] { counted_worker c; claim_doc_verifying([] { return false; }); });
    while (running_workers.load() != 3) std::this_thread::yield();
    auto shutdown = std::async(std::launch::async, [] { return stop_and_wait_workers(); });
    ASSERT_TRUE(ends_in_time(shutdown));
    EXPECT_TRUE(shutdown.get());
    EXPECT_TRUE(stop_workers.load());
    EXPECT_EQ(running_workers.load(), 0);
    for (auto& t : workers) t.join();
}

TEST_F(WorkerFlags, ShutdownDoesNotHangOnAStuckWorker) {
    std::promise<void> release;
    std::thread stuck([f = release.get_future()]() mutable {
        counted_worker c;
        f.wait();  // ignores the stop flag
    });
    while (running_workers.load() != 1) std::this_thread::yield();
    EXPECT_FALSE(stop_and_wait_workers(std::chrono::milliseconds(250)));
    release.set_value();
    stuck.join();
    EXPECT_TRUE(stop_and_wait_workers(std::chrono::milliseconds(250)));
}

TEST_F(WorkerFlags, DocumentLockIsReentrantAndExcludesOtherThreads) {
    document_lock outer(document_mutex);
    {
        document_lock inner(document_mutex);  // the same thread takes it again
        auto other = std::async(std::launch::async, [] {
            bool got = document_mutex.try_lock();
            if (got) document_mutex.unlock();
            return got;
        });
        EXPECT_FALSE(other.get());
    }
    auto still = std::async(std::launch::async, [] {
        bool got = document_mutex.try_lock();
        if (got) document_mutex.unlock();
        return got;
    });
    EXPECT_FALSE(still.get());  // the outer hold remains after the inner ends
}
