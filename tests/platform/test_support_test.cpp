// The shared test helpers themselves: the loopback server every network test uses.
#include "support/test_support.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(LoopbackServer, ServesRoutesAndLogsRequests) {
    loopback_server server(R"({"/hello": {"body": "hi"}, "/echo": {"command": "tr a-z A-Z"}})");
    command_result r = run_command("curl -s " + server.url("/hello"));
    EXPECT_EQ(r.output, "hi");
    r = run_command("curl -s --data-binary abc " + server.url("/echo?x=1"));
    EXPECT_EQ(r.output, "ABC");
    ASSERT_EQ(server.request_count(), 2);
    EXPECT_EQ(server.request_body(2), "abc");
    EXPECT_EQ(server.request_path(2), "/echo?x=1");
    EXPECT_EQ(server.request_method(2), "POST");
}
