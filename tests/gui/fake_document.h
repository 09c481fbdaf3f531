#pragma once
// A document for window tests: pages of scripted sizes drawn as one solid
// colour (with an optional square of another colour), a scripted load delay
// or failure, and scripted signature results built like the verifier's.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/exceptionex.h"
#include "document/doc_base.h"
#include "document/sig_result.h"

class fake_document : public doc_base {
public:
    struct page_spec {
        int32_t width, height;  // points, displayed orientation
    };
    // A square drawn on every page, in page pixels of the rendered picture
    // as fractions of its size (0..1), in colour 0x00RRGGBB.
    struct square_spec {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        uint32_t colour = 0xFF0000;
    };

    fake_document() : fake_document(std::vector<page_spec>{page_spec{612, 792}}) {}
    explicit fake_document(std::vector<page_spec> pages_) : pages(std::move(pages_)) {
        loaded = true;
        page_count = (int32_t)pages.size();
    }
    ~fake_document() override {
        topsigs.clear();
        swis = nullptr;
    }

    void load(const std::wstring& p) override {
        if (load_delay.count()) std::this_thread::sleep_for(load_delay);
        if (!load_error.empty()) throw exceptionex(load_error);
        path = p;
        loaded = true;
        page_count = (int32_t)pages.size();
    }
    void close() override { loaded = false; }
    void page_size(int32_t index, int32_t& w, int32_t& h) override {
        ++page_size_calls;
        w = h = 0;
        if (index < 0 || index >= (int32_t)pages.size()) return;
        current = index;
        w = pages[index].width;
        h = pages[index].height;
    }
    void render(int32_t w, int32_t h, gl_texture* texture) override {
        ++render_calls;
        last_render_w = w;
        last_render_h = h;
        if (render_throws) throw std::bad_alloc();
        if (w <= 0 || h <= 0) return;
        std::vector<unsigned char> rgba((size_t)w * h * 4);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                uint32_t c = colour;
                if (x >= square.x0 * w && x < square.x1 * w && y >= square.y0 * h && y < square.y1 * h)
                    c = square.colour;
                unsigned char* p = &rgba[((size_t)y * w + x) * 4];
                p[0] = (c >> 16) & 0xff;
                p[1] = (c >> 8) & 0xff;
                p[2] = c & 0xff;
                p[3] = 255;
            }
        gl_upload_texture(texture, rgba.data(), w, h);
    }
    int32_t rotation() override { return current >= 0 && current < (int)rotations.size() ? rotations[current] : 0; }
    std::wstring pdf_path() override { return path; }

    // --- scripted signatures --------------------------------------------
    struct signature_spec {
        int status = 0;                  // sigerr
        int signer_status = 0;           // certerr of the chain; -100: no chain at all; -200: empty chain
        std::string type = "dstn_pkcs7";
        std::wstring signer = L"Alice Signer";
        std::string email;
        std::string sign_time = "2024-05-01 10:00:00";
        bool timestamp = false;          // an embedded time stamp
        int ts_status = 0, ts_chain_status = 0;
        std::string ts_time = "2024-05-01 10:00:05";
        int page = 0;
        int rotation = 0;
        float rect[4] = {0, 0, 0, 0};    // points of the unrotated page; all 0: invisible
        std::string field = "Signature1";
        std::string reason, location, contact;
        int locked = 0, certified = 0, permission = 0, ltv = 0;
        revision_changes later;          // what was written after the signature
        bool empty_field = false;        // a signature field without a value: a record, no result
    };

    // Replaces the results with these signatures.
    void set_signatures(const std::vector<signature_spec>& specs) {
        owned.clear();
        topsigs.clear();
        records.assign(specs.size(), sigcheck_record{});
        for (size_t i = 0; i < specs.size(); ++i) {
            const signature_spec& s = specs[i];
            sigcheck_record& r = records[i];
            std::memset(&r, 0, sizeof r);
            r.status = s.status;
            std::strncpy(r.type, s.type.c_str(), sizeof r.type - 1);
            std::strncpy(r.field_name, s.field.c_str(), sizeof r.field_name - 1);
            std::strncpy(r.reason, s.reason.c_str(), sizeof r.reason - 1);
            std::strncpy(r.location, s.location.c_str(), sizeof r.location - 1);
            std::strncpy(r.contact, s.contact.c_str(), sizeof r.contact - 1);
            r.page_index = s.page;
            r.rotation = s.rotation;
            r.locked = s.locked;
            r.certified = s.certified;
            r.permission = s.permission;
            r.ltv_enabled = s.ltv;
            std::memcpy(r.rect, s.rect, sizeof r.rect);
            r.empty_field = s.empty_field;
            if (s.empty_field || s.status == 16) continue;  // no signature, so no result

            auto o = std::make_unique<owned_result>();
            o->data.type = s.type;
            o->data.signer.subject_cn = s.signer;
            o->data.signer.subject_email = s.email;
            o->data.sign_time = s.sign_time;
            o->sig = {s.status, &o->data};
            o->result.record = &r;
            o->result.sig = &o->sig;
            o->result.later = s.later;
            if (s.signer_status != -100) {
                if (s.signer_status != -200) o->chain.push_back(chain_cert_entry{s.signer_status, {}});
                o->result.signer_chain = &o->chain;
            }
            if (s.timestamp) {
                o->ts_data.type = "dstn_rfc3161ts";
                o->ts_data.sign_time = s.ts_time;
                o->data.ts = &o->ts_data;
                o->ts = {s.ts_status, &o->ts_data};
                o->result.ts = &o->ts;
                o->ts_chain.push_back(chain_cert_entry{s.ts_chain_status, {}});
                o->result.ts_chain = &o->ts_chain;
            }
            topsigs.push_back(&o->result);
            owned.push_back(std::move(o));
        }
        // Every pointer above points into `records`, which no longer grows.
        swis = records.empty() ? nullptr : records.data();
        swis_num = (int32_t)records.size();
        signed_num = (int32_t)topsigs.size();
    }

    std::vector<page_spec> pages;
    std::vector<int> rotations;
    uint32_t colour = 0xFFFFFF;
    square_spec square;
    std::chrono::milliseconds load_delay{0};
    std::string load_error;
    bool render_throws = false;
    int render_calls = 0, page_size_calls = 0, last_render_w = 0, last_render_h = 0;
    int current = -1;
    std::wstring path = L"fake.pdf";

private:
    struct owned_result {
        sigdata_record data, ts_data;
        sig_status_cell sig, ts;
        cert_chain_ui chain, ts_chain;
        sig_result result;
        ~owned_result() { data.ts = nullptr; }
    };
    std::vector<sigcheck_record> records;
    std::vector<std::unique_ptr<owned_result>> owned;
};

// Makes a document current for the life of the object.
class current_document_scope {
public:
    explicit current_document_scope(doc_base* doc) : previous(current_document) { current_document = doc; }
    ~current_document_scope() { current_document = previous; }

private:
    doc_base* previous;
};
