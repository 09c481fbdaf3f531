#pragma once
// Verifying in a test as the program does, in a data folder of the test's
// own: crypto started, the data root (certificate cache, trust list) in a
// scratch folder with an empty trust list, everything put back when it ends.
// Header-only: only the executables that link the document layer include it.
#include <memory>
#include <string>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/trust_list.h"
#include "document/doc_pdfium.h"
#include "document/sig_result.h"
#include "support/test_support.h"

namespace testsupport {

class verification_scratch {
public:
    verification_scratch() {
        init_crypto();
        set_data_root(dir_.path() + "/");
        certcache_dir = app_data_dir() + "certcache/";
        make_private_dirs(certcache_dir);
        trust_list.clear();
    }
    ~verification_scratch() {
        trust_list.clear();
        certcache_dir.clear();
        set_data_root("");
    }
    verification_scratch(const verification_scratch&) = delete;
    verification_scratch& operator=(const verification_scratch&) = delete;

    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }

    // Loads the PDF and verifies it as the verify worker does (under the
    // trust-list lock); current_document is null again afterwards.
    static std::unique_ptr<doc_pdfium> verify_path(const std::string& path) {
        auto doc = std::make_unique<doc_pdfium>();
        doc->load(utf8_to_wide(path));
        current_document = doc.get();
        trust_list_lock hold(trust_list_mutex);
        try {
            verify_open_document();
        } catch (...) {
            current_document = nullptr;
            throw;
        }
        current_document = nullptr;
        return doc;
    }
    // The same for bytes, written here under `name` first.
    std::unique_ptr<doc_pdfium> verify_bytes(const std::string& pdf, const std::string& name) const {
        const std::string path = file(name);
        write_file(path, pdf);
        return verify_path(path);
    }

private:
    scratch_dir dir_;
};

}  // namespace testsupport
