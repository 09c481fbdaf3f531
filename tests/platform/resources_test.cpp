#include "platform/private_temp.h"
#include "platform/resources.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(EmbeddedResources, CatalogueIsCompiledIn) {
    const auto* r = platform::find_resource("VELKORANT_ZH_CN", "MOFILE");
    ASSERT_NE(r, nullptr);
    ASSERT_GT(r->size, 4u);
    // A GNU MO file starts with its magic number (little-endian 0x950412de).
    EXPECT_EQ(r->data[0], 0xde);
    EXPECT_EQ(r->data[3], 0x95);
}

TEST(EmbeddedResources, UnknownNameOrTypeIsMissing) {
    EXPECT_EQ(platform::find_resource("VELKORANT_ZH_CN", "TXTFILE"), nullptr);
    EXPECT_EQ(platform::find_resource("NOPE", "MOFILE"), nullptr);
    EXPECT_TRUE(platform::resource_bytes("NOPE", "MOFILE").empty());
}

TEST(PrivateTemp, FolderIsOwnerOnlyAndFilesAreDistinct) {
    const std::string& dir = platform::private_temp_dir();
    struct stat st {};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::string a = platform::make_private_temp_file("sign-", ".pdf");
    std::string b = platform::make_private_temp_file("sign-", ".pdf");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(dir + "/sign-", 0), 0u);
    EXPECT_EQ(a.substr(a.size() - 4), ".pdf");
    ASSERT_EQ(::stat(a.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
