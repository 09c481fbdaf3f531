// Verification benchmark, our side: the path the program takes for a file the
// user opens — doc_pdfium::load, then verify_open_document under the
// trust-list lock, as the verify worker runs it. Prints each signature's
// first verdict and final status, and the time of the two steps.
//
// usage: bench_verify_signatures file.pdf [data folder]
// The data folder (default: a fresh one under /tmp) receives the certificate
// cache, so the user's own data is never touched.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/data_dirs.h"
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "crypto/trust_list.h"
#include "document/doc_base.h"
#include "document/doc_pdfium.h"
#include "document/sig_result.h"
#include "document/sigcheck.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s file.pdf [data folder]\n", argv[0]);
        return 2;
    }
    std::string root;
    if (argc > 2) {
        root = argv[2];
    } else {
        char pattern[] = "/tmp/velk-verify-bench-XXXXXX";
        if (!mkdtemp(pattern)) return 2;
        root = pattern;
    }
    set_data_root(root + "/");
    make_private_dirs(app_data_dir() + "certcache/");

    const auto start = std::chrono::steady_clock::now();
    init_crypto();
    install_verification_services();
    doc_pdfium doc;
    try {
        doc.load(utf8_to_wide(argv[1]));
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], ex.what());
        return 1;
    }
    const auto loaded = std::chrono::steady_clock::now();
    current_document = &doc;
    try {
        trust_list_lock hold(trust_list_mutex);
        verify_open_document();
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "verification failed: %s\n", ex.what());
        current_document = nullptr;
        return 1;
    }
    current_document = nullptr;
    const auto end = std::chrono::steady_clock::now();

    int failures = 0;
    for (int32_t i = 0; i < doc.swis_num; ++i) {
        const sigcheck_record& r = doc.swis[i];
        int32_t final_status = r.status;
        for (const sig_result* x : doc.topsigs)
            if (x->record == &r && x->sig) final_status = x->sig->status;
        // The first verdict is the cryptographic one; 0 is a good signature.
        if (r.status != sigerr_okay) ++failures;
        std::printf("signature %d: %s status %d (after chain and time checks: %d)\n", i + 1, r.type, r.status,
                    final_status);
    }
    std::printf("load %.3f s, total %.3f s\n", std::chrono::duration<double>(loaded - start).count(),
                std::chrono::duration<double>(end - start).count());
    return failures == 0 && doc.swis_num > 0 ? 0 : 1;
}
