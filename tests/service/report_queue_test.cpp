// The report sender against a loopback server: order, one post per pass,
// the stop flag, and an unreachable server.
#include <atomic>
#include <chrono>
#include <thread>

#include "app/worker_flags.h"
#include "service_fixture.h"

using testsupport::loopback_server;
using namespace std::chrono;

namespace {

class report_sender : public service_test {
protected:
    void SetUp() override {
        service_test::SetUp();
        saved_pause_ = report_worker_pause;
    }
    void TearDown() override {
        stop = true;
        if (worker.joinable()) worker.join();
        report_worker_pause = saved_pause_;
        service_test::TearDown();
    }
    void start() {
        worker = std::thread([this] { report_worker(running, stop); });
    }
    static report_record report(const std::string& url, const std::string& desc) {
        report_record r;
        init_report_record("user-stat", r);
        r.url = url;
        r.desc = desc;
        return r;
    }
    template <class P>
    static bool wait_for(P done, milliseconds limit = milliseconds(15000)) {
        const auto end = steady_clock::now() + limit;
        while (!done() && steady_clock::now() < end) std::this_thread::sleep_for(milliseconds(10));
        return done();
    }

    std::atomic<std::int32_t> running{0};
    std::atomic<bool> stop{false};
    std::thread worker;
    milliseconds saved_pause_;
};

TEST_F(report_sender, posts_in_order_one_per_pass_until_stopped) {
    loopback_server server(R"({"*": {"body": "ok"}})");
    report_worker_pause = milliseconds(1500);
    for (const char* d : {"first", "second", "third"}) queue_report(report(server.url("/report"), d));
    start();
    ASSERT_TRUE(wait_for([&] { return running.load() == 1 && server.request_count() >= 1; }));
    // The next post waits for the pause: well inside it, still one request.
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_EQ(server.request_count(), 1);
    ASSERT_TRUE(wait_for([&] { return server.request_count() >= 3; }));
    for (int n = 1; n <= 3; ++n) {
        const std::string body = server.request_body(n);
        ASSERT_EQ(body.rfind("key=", 0), 0u);
        EXPECT_EQ(parse_json(body.substr(4))["desc"].asString(), std::vector<std::string>({"first", "second", "third"})[n - 1]);
        EXPECT_EQ(server.request_method(n), "POST");
    }
    EXPECT_EQ(queued_report_count(), 0u);

    // After the stop flag the sender ends, uncounted, and a later report stays queued.
    stop = true;
    ASSERT_TRUE(wait_for([&] { return running.load() == 0; }));
    worker.join();
    queue_report(report(server.url("/report"), "late"));
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(server.request_count(), 3);
    EXPECT_EQ(queued_report_count(), 1u);
}

TEST_F(report_sender, drops_reports_the_server_does_not_take) {
    report_worker_pause = milliseconds(50);
    const std::string nowhere = "http://127.0.0.1:" + std::to_string(testsupport::unused_port()) + "/r";
    for (int i = 0; i < 3; ++i) queue_report(report(nowhere, "lost"));
    start();
    EXPECT_TRUE(wait_for([&] { return queued_report_count() == 0; }));
    EXPECT_EQ(running.load(), 1);
    stop = true;
    worker.join();
    EXPECT_EQ(running.load(), 0);
}

}  // namespace
