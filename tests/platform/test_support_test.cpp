// The shared test helpers themselves: the loopback server every network test uses.
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <regex>

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

TEST(MinimalPdf, IsValidForQpdf) {
    scratch_dir dir;
    std::string path = write_minimal_pdf(dir.file("m.pdf"), 2);
    command_result r = run_command("qpdf --check " + shell_quote(path));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("No syntax or stream encoding errors"), std::string::npos) << r.output;
    r = run_command("pdfinfo " + shell_quote(path));
    EXPECT_TRUE(std::regex_search(r.output, std::regex("Pages: +2\\n"))) << r.output;
}
