#pragma once
// A scratch folder per test into which the private temporary folder is
// redirected, so the temporary files a test makes land there and go with it.
#include "platform/private_temp.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = std::make_unique<testsupport::scratch_dir>();
        root_ = scratch_->path();
        platform::set_private_temp_root(root_);
    }
    void TearDown() override {
        platform::set_private_temp_root("");
        std::error_code ec;
        std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ec);
        scratch_.reset();
    }
    std::string path(const std::string& name) const { return scratch_->file(name); }

    std::unique_ptr<testsupport::scratch_dir> scratch_;
    std::string root_;
};
