#pragma once
// A fresh folder per test, removed afterwards; the private temporary folder is
// redirected into it so temporary files never pile up in /tmp.
#include "platform/private_temp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/velk-test-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        root_ = templ;
        platform::set_private_temp_root(root_);
    }
    void TearDown() override {
        platform::set_private_temp_root("");
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root_, ec);
    }
    std::string path(const std::string& name) const { return root_ + "/" + name; }

    std::string root_;
};
