// The report sender against a loopback server: order, one post per pass,
// the stop flag, and an unreachable server (back-off, nothing dropped).
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
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

TEST(report_backoff, doubles_up_to_the_limit) {
    const auto saved_pause = report_worker_pause;
    const auto saved_limit = report_backoff_limit;
    report_worker_pause = milliseconds(500);
    report_backoff_limit = hours(1);
    EXPECT_EQ(report_backoff_pause(0), milliseconds(500));
    EXPECT_EQ(report_backoff_pause(1), milliseconds(1000));
    EXPECT_EQ(report_backoff_pause(4), milliseconds(8000));
    EXPECT_EQ(report_backoff_pause(13), hours(1));  // 500 ms * 2^13 passes an hour
    EXPECT_EQ(report_backoff_pause(100000), hours(1));
    report_worker_pause = saved_pause;
    report_backoff_limit = saved_limit;
}

// An outage of "10 minutes" on a compressed clock (a pause of 5 ms stands for
// 500 ms, the limit of 36 ms for an hour): the sender backs off, prints its
// failure a bounded number of times, and delivers every queued report, in
// order, once the server answers on the same address.
TEST_F(report_sender, keeps_every_report_while_the_server_refuses_and_sends_them_when_it_answers) {
    const auto saved_limit = report_backoff_limit;
    report_worker_pause = milliseconds(5);
    report_backoff_limit = milliseconds(36);
    const int port = testsupport::unused_port();
    const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/r";
    for (const char* d : {"first", "second", "third"}) queue_report(report(address, d));
    testing::internal::CaptureStdout();
    start();
    std::this_thread::sleep_for(milliseconds(1200));  // 10 minutes at the compressed scale
    EXPECT_EQ(queued_report_count(), 3u);
    setenv("LOOPBACK_SERVER_PORT", std::to_string(port).c_str(), 1);
    std::unique_ptr<loopback_server> server;
    try {
        server = std::make_unique<loopback_server>(R"({"*": {"body": "ok"}})");
    } catch (...) {
    }
    unsetenv("LOOPBACK_SERVER_PORT");
    ASSERT_TRUE(server) << "no server on port " << port;
    EXPECT_TRUE(wait_for([&] { return server->request_count() >= 3 && queued_report_count() == 0; }));
    stop = true;
    worker.join();
    const std::string printed = testing::internal::GetCapturedStdout();
    report_backoff_limit = saved_limit;

    ASSERT_EQ(server->request_count(), 3);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(parse_json(server->request_body(n).substr(4))["desc"].asString(),
                  std::vector<std::string>({"first", "second", "third"})[n - 1]);
    // About 35 attempts failed (1200 ms / 36 ms): the line came once, the
    // count at the tenth, and the total once the server answered.
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = printed.find("post failed: " + address, at)) != std::string::npos; ++at) ++lines;
    EXPECT_GE(lines, 2u) << printed;
    EXPECT_LE(lines, 4u) << printed;
    EXPECT_NE(printed.find("times in all"), std::string::npos) << printed;
}

}  // namespace
