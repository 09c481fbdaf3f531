#pragma once
// A test with the toolkit up and a locale to set the interface language in;
// the language, the catalogues and the C locale are put back after each test.
#include <gtest/gtest.h>

#include <clocale>
#include <memory>

#include <wx/init.h>
#include <wx/intl.h>
#include <wx/translation.h>

#include "app/ui_language.h"

class catalogue_test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_ = std::make_unique<wxInitializer>(); }
    static void TearDownTestSuite() { init_.reset(); }
    void TearDown() override {
        locale_.reset();
        if (wxTranslations::Get()) wxTranslations::Set(nullptr);
        set_ui_language_setting("oslang");
        std::setlocale(LC_ALL, "C.UTF-8");
    }
    inline static std::unique_ptr<wxInitializer> init_;
    std::unique_ptr<wxLocale> locale_ = std::make_unique<wxLocale>();
};
