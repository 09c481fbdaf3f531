#pragma once
// The set-up every suite that signs PDFs shares: a test PKI made once per
// suite, a private data folder and certificate cache, and the signing
// services installed.
#include "app/data_dirs.h"
#include "crypto/crypto_init.h"
#include "crypto/trust_list.h"
#include "document/doc_services.h"
#include "document/pdf_sign.h"
#include "support/pki_fixture.h"

#include <gtest/gtest.h>

class signing_suite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_crypto();
        pki = new testsupport::test_pki;
        set_data_root(pki->dir() + "/data/");
        certcache_dir = app_data_dir() + "certcache/";
        saved_services = doc_services();
        register_pdf_signing();
    }
    static void TearDownTestSuite() {
        // The services as they were: a later suite may expect them unwired.
        doc_services() = saved_services;
        trust_list.clear();
        certcache_dir.clear();
        set_data_root("");
        delete pki;
        pki = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(pki->ok()) << pki->setup_log(); }

    static inline testsupport::test_pki* pki = nullptr;
    static inline document_services saved_services;
};
