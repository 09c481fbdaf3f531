#pragma once
// The open document: a PDF, a picture or a text file. The rest of the program
// asks everything of a document through these operations.
//
// Threads. The main thread makes and deletes the document (holding the
// document lock) and owns it, with two hand-overs:
// - The load worker runs load() while the main thread only tests `loaded`:
//   everything load() sets is published by storing `loaded` last, and the
//   main thread reads the rest only after it saw `loaded` (or after the
//   worker's "evt_loadend" arrived).
// - The verify worker reads the document (collect_signatures, under the PDF
//   library's lock) but never writes it: its results travel in its event and
//   the main thread installs them (sig_result.h).
// - The sign worker reads pdf_path() and may delete the document holding the
//   document lock (in-place signing), while the main thread refuses every
//   action on the document.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/gl_texture.h"

struct sigcheck_record;
struct sig_result;
struct sig_results;
struct sign_params;

class doc_base {
public:
    doc_base();
    virtual ~doc_base();
    doc_base(const doc_base&) = delete;
    doc_base& operator=(const doc_base&) = delete;

    virtual void load(const std::wstring& path) = 0;
    virtual void close() = 0;
    virtual void page_size(int32_t index, int32_t& width, int32_t& height) = 0;
    virtual void render(int32_t width, int32_t height, gl_texture* texture) = 0;
    virtual int32_t rotation();
    virtual void collect_signatures(sigcheck_record*& records, int32_t& count);
    virtual bool field_exists(const std::wstring& name);
    virtual std::string new_field_name();
    virtual std::wstring pdf_path() = 0;
    // The signing operations pass their arguments on unchanged and follow the
    // result convention (they end by throwing exceptionex).
    virtual void sign_with_syscert(const std::wstring& src, const char* store, const std::wstring& issuer,
                                   const std::wstring& subject, const char* serial, const char* tsurl,
                                   const std::wstring& dst, const sign_params* params);
    virtual void sign_with_pfx(const std::wstring& src, const char* pfx_path, const char* password,
                               const char* tsurl, const std::wstring& dst, const sign_params* params);
    virtual void sign_doc_timestamp(const std::wstring& src, const char* tsurl, const std::wstring& dst,
                                    const sign_params* params);
    virtual void sign_with_cloud(const std::wstring& src, const std::string& addr, const std::string& user,
                                 const std::string& pswd, const std::wstring& dst, const sign_params* params);

    // Set by the load worker (load, last) and cleared by close(); read by
    // the main thread at any time.
    std::atomic<bool> loaded{false};
    // Written by load() before `loaded`; read once `loaded` is seen.
    std::atomic<int32_t> page_count{0};
    // Tells this document's verification results from another's (never reused).
    const uint64_t serial;

    // The current verification results, and main-thread views into them
    // (install_sig_results sets all five; see sig_result.h for who owns what).
    std::shared_ptr<sig_results> results;
    sigcheck_record* swis = nullptr;
    int32_t swis_num = 0;
    int32_t signed_num = 0;
    std::vector<sig_result*> topsigs;
};

// The failure text of a load that met a PDF needing a password to open (as
// it is thrown: "%s(), ..." with an empty function name).
extern const char* const kEncryptedDocumentText;

// The open document (null when none).
extern doc_base* current_document;
