#include "app/file_buffers.h"
#include "app/text_utils.h"

#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

class FileBuffers : public ScratchFolderTest {};

TEST_F(FileBuffers, RoundTripWithTwoTrailingZeros) {
    const std::string bytes("%PDF-1.7\0\x01\xff\r\n", 14);
    ASSERT_TRUE(buff2file(bytes.data(), static_cast<uint32_t>(bytes.size()), path("a.bin")));
    unsigned char* buf = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(file2buff(path("a.bin"), &buf, &size));
    ASSERT_EQ(size, bytes.size());
    EXPECT_EQ(std::memcmp(buf, bytes.data(), size), 0);
    EXPECT_EQ(buf[size], 0);
    EXPECT_EQ(buf[size + 1], 0);
    std::free(buf);

    // A shorter write replaces the whole file.
    ASSERT_TRUE(buff2file("xy", 2, path("a.bin")));
    EXPECT_EQ(testsupport::read_file(path("a.bin")), "xy");
}

TEST_F(FileBuffers, EmptyMissingAndFolder) {
    ASSERT_TRUE(buff2file("", 0, path("empty")));
    unsigned char* buf = nullptr;
    uint32_t size = 7;
    ASSERT_TRUE(file2buffw(utf8_to_wide(path("empty")), &buf, &size));
    EXPECT_EQ(size, 0u);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 0);
    std::free(buf);

    buf = reinterpret_cast<unsigned char*>(1);
    size = 7;
    EXPECT_FALSE(file2buff(path("missing"), &buf, &size));
    EXPECT_EQ(buf, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(file2buffw(utf8_to_wide(path("missing")), &buf, &size));
    EXPECT_FALSE(file2buff(root_, &buf, &size));  // a folder is not a file
}

TEST_F(FileBuffers, CjkWidePath) {
    const std::wstring wide = utf8_to_wide(root_) + L"/\u7b7e\u540d\u6587\u6863.pdf";
    ASSERT_TRUE(buff2filew("data", 4, wide));
    EXPECT_EQ(testsupport::read_file(wide_to_mb(wide)), "data");
    unsigned char* buf = nullptr;
    uint32_t size = 0;
    ASSERT_TRUE(file2buffw(wide, &buf, &size));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), size), "data");
    std::free(buf);
}

TEST_F(FileBuffers, WriteIntoMissingFolderFailsWithDiagnostic) {
    testing::internal::CaptureStdout();
    const bool wide_ok = buff2filew("x", 1, utf8_to_wide(path("none/\u6587.pdf")));
    const bool narrow_ok = buff2file("x", 1, path("none/b.pdf"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(wide_ok);
    EXPECT_FALSE(narrow_ok);
    EXPECT_NE(out.find("\n\n[ERROR] (), faile to save to path: " + path("none/\xE6\x96\x87.pdf") + " [ERROR]\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("faile to save to path: " + path("none/b.pdf")), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(path("none")));
}
