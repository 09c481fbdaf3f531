#pragma once
// What the document classes need from the signing and verification code.
// Those live elsewhere and install their functions here at start-up; until
// they do, the operations fail with a "not available" text.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "document/pdf_layer.h"

struct sigcheck_record;
struct sig_result;
struct sig_results;
struct sign_params;
class doc_base;
class wxEvtHandler;

struct document_services {
    // Enumerates and verifies every signature field of `doc`; the byte ranges
    // are read from the file at `path`.
    void (*verify_all_signatures)(FPDF_DOCUMENT doc, sigcheck_record** records, const std::wstring& path,
                                  int32_t* count) = nullptr;
    void (*free_sigcheck_records)(sigcheck_record* records, int32_t count) = nullptr;
    void (*free_sig_result)(sig_result* result) = nullptr;

    bool (*field_name_exists)(FPDF_DOCUMENT doc, const char* utf8_name) = nullptr;
    // Writes a proposal into a zeroed 256-byte buffer.
    void (*new_field_name)(FPDF_DOCUMENT doc, char* name_256) = nullptr;

    void (*sign_with_syscert)(const std::wstring& src, const char* store, const std::wstring& issuer,
                              const std::wstring& subject, const char* serial, const char* tsurl,
                              const std::wstring& dst, const sign_params* params) = nullptr;
    void (*sign_with_pfx)(const std::wstring& src, const char* pfx_path, const char* password, const char* tsurl,
                          const std::wstring& dst, const sign_params* params) = nullptr;
    void (*sign_doc_timestamp)(const std::wstring& src, const char* tsurl, const std::wstring& dst,
                               const sign_params* params) = nullptr;

    // The main window's document path (the file whose byte ranges are read).
    std::wstring (*main_document_path)() = nullptr;
    // The "doc-bgcolor" setting as 0xAARRGGBB (the alpha byte is ignored).
    uint32_t (*page_background_color)() = nullptr;

    // What the load and verify workers need of the main window: the page
    // view's painted flag (a page has been drawn), the store of the main
    // window's document path after a load, and the window that receives
    // "evt_verifyend" (null: the window the worker was started for).
    bool (*page_painted)() = nullptr;  // null: nothing to wait for
    void (*set_main_document_path)(const std::wstring& path) = nullptr;
    wxEvtHandler* (*main_window)() = nullptr;
    // Verifies every signature of the document into a new result set (null:
    // nothing done) without touching the document's own results; the verify
    // worker calls it holding the trust-list lock and hands the set over.
    std::shared_ptr<sig_results> (*verify_open_document)(doc_base& doc) = nullptr;
};

// The process's one table; fill it before the first document is opened.
document_services& doc_services();

