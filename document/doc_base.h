#pragma once
// The open document: a PDF, a picture or a text file. The rest of the program
// asks everything of a document through these operations.
#include <cstdint>
#include <string>
#include <vector>

#include "document/gl_texture.h"

struct sigcheck_record;
struct sig_result;
struct sign_params;

class doc_base {
public:
    doc_base() = default;
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

    bool loaded = false;
    int32_t page_count = 0;
    sigcheck_record* swis = nullptr;
    int32_t swis_num = 0;
    int32_t signed_num = 0;
    std::vector<sig_result*> topsigs;
};

// The open document (null when none).
extern doc_base* current_document;
