#include "document/sign_operation.h"

#include "app/diagnostics.h"
#include "app/exceptionex.h"
#include "app/settings.h"
#include "app/sigstampui.h"
#include "app/text_utils.h"
#include "crypto/pfx.h"
#include "crypto/system_store.h"
#include "crypto/x509ui.h"
#include "document/doc_base.h"

#include <lodepng.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

void report_nothing(const sign_task&, const x509ui*, bool, const std::string&) {}

void remove_quietly(const std::wstring& path) {
    if (path.empty()) return;
    std::error_code ec;
    fs::remove(fs::path(wide_to_utf8(path)), ec);
}

bool same_file(const std::wstring& a, const std::wstring& b) {
    if (a == b) return true;
    std::error_code ec;
    const bool same = fs::equivalent(fs::path(wide_to_utf8(a)), fs::path(wide_to_utf8(b)), ec);
    return !ec && same;
}

// Calls a sign operation of the result convention; returns on "Succeed".
template <typename F>
void call_sign_operation(F operation) {
    try {
        operation();
    } catch (const std::exception& ex) {
        check_result(ex);
        return;
    }
}

}  // namespace

signing_outcome_reporter report_signing_outcome = report_nothing;

std::string pdf_signing_time_text(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    long offset = local.tm_gmtoff;
    const char sign = offset < 0 ? '-' : '+';
    if (offset < 0) offset = -offset;
    char text[64];
    std::snprintf(text, sizeof text, "D:%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d%c%2.2ld'%2.2ld'", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 3600,
                  (offset % 3600) / 60);
    return text;
}

std::wstring rotate_stamp_picture(const std::wstring& picture, int rotation) {
    int turn = ((rotation % 360) + 360) % 360;
    if (turn == 0) return picture;
    unsigned char* rgba = nullptr;
    unsigned w = 0, h = 0;
    bool ok = (turn == 90 || turn == 180 || turn == 270) &&
              lodepng_decode32_file(&rgba, &w, &h, wide_to_utf8(picture).c_str()) == 0 && rgba;
    std::vector<unsigned char> out;
    unsigned ow = w, oh = h;
    if (ok) {
        if (turn != 180) std::swap(ow, oh);
        out.resize(static_cast<std::size_t>(w) * h * 4);
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x) {
                unsigned nx, ny;
                if (turn == 90) {  // counter-clockwise
                    nx = y;
                    ny = w - 1 - x;
                } else if (turn == 180) {
                    nx = w - 1 - x;
                    ny = h - 1 - y;
                } else {  // 270: clockwise
                    nx = h - 1 - y;
                    ny = x;
                }
                std::memcpy(&out[(static_cast<std::size_t>(ny) * ow + nx) * 4],
                            &rgba[(static_cast<std::size_t>(y) * w + x) * 4], 4);
            }
    }
    std::free(rgba);
    std::wstring path;
    if (ok) {
        try {
            path = temp_path_with_ext("png");
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (ok && lodepng_encode32_file(wide_to_utf8(path).c_str(), out.data(), ow, oh) != 0) ok = false;
    if (!ok) {
        remove_quietly(path);
        throw_ex_fmt("%s(), save rotated tmp file faild", "");
    }
    return path;
}

void sign_through_document(const sign_task& task, const sign_params& params) {
    bool success = false;
    std::string failure;
    x509ui signer;
    bool have_signer = false;
    try {
        sigstampui* stamp = task.stamp;
        doc_base* doc = current_document;
        if (!stamp || !doc) throw_ex_fmt("%s", kUndefinedText);
        // In place: the signed file goes to the intermediate path and replaces
        // the output only after success.
        const std::wstring destination =
            same_file(task.source, task.output) && !task.intermediate.empty() ? task.intermediate : task.output;
        std::string url;
        const bool with_url = is_timestamp && !timestamp_urls.empty();
        if (with_url) url = wide_to_utf8(timestamp_urls.front());
        const char* tsurl = with_url ? url.c_str() : nullptr;

        if (stamp->is_localsign) {
            const cert_access& access = stamp->access;
            if (access.cert_type == cert_type_sysstore) {
                X509* cert = load_store_certificate("MY", stamp->info.issuer, stamp->info.sn.c_str());
                if (!cert) throw_ex_fmt("Failed to access system certificate");
                build_x509ui(cert, signer);
                X509_free(cert);
                have_signer = true;
                call_sign_operation([&] {
                    doc->sign_with_syscert(task.source, access.sysstore.store.c_str(), access.sysstore.issuer,
                                           access.sysstore.subject, access.sysstore.sn.c_str(), tsurl, destination,
                                           &params);
                });
            } else if (access.cert_type == cert_type_pfx) {
                const std::string pfx_path = wide_to_utf8(access.pfx.pfxfname);
                X509* cert = nullptr;
                STACK_OF(X509)* chain = nullptr;
                EVP_PKEY* key = nullptr;
                load_pfx(pfx_path.c_str(), access.pfx.pswd.c_str(), &cert, &chain, &key);
                const bool opened = cert && chain && key;
                if (opened) {
                    build_x509ui(cert, signer);
                    have_signer = true;
                }
                X509_free(cert);
                sk_X509_pop_free(chain, X509_free);
                EVP_PKEY_free(key);
                if (!opened) throw_ex_fmt("Failed to access pfx certificate");
                call_sign_operation([&] {
                    doc->sign_with_pfx(task.source, pfx_path.c_str(), access.pfx.pswd.c_str(), tsurl, destination,
                                       &params);
                });
            } else {
                // Only the two kinds above reach a key; anything else must not
                // look like a signing that succeeded without a file.
                throw_ex_fmt("Failed to access certificate: unknown certificate type %d", access.cert_type);
            }
        } else if (stamp->is_tsmode) {
            call_sign_operation(
                [&] { doc->sign_doc_timestamp(task.source, stamp->tsurl.c_str(), destination, &params); });
        } else {
            call_sign_operation([&] {
                doc->sign_with_cloud(task.source, stamp->addr, stamp->user, stamp->pswd, destination, &params);
            });
        }
        success = true;
    } catch (const std::exception& ex) {
        failure = ex.what();
    }
    try {
        if (report_signing_outcome) report_signing_outcome(task, have_signer ? &signer : nullptr, success, failure);
    } catch (...) {
    }
    if (!success) throw exceptionex(failure);
    throw_succeed();
}

void build_sign_params(sign_task& task, const stamp_placement& placement) {
    const std::wstring task_source = task.source;
    std::wstring picture;
    const std::wstring stamp_picture = task.stamp ? task.stamp->imgfname : std::wstring();
    std::string failure;
    bool success = false;
    try {
        auto params = std::make_unique<sign_params>();
        std::memset(params.get(), 0, sizeof(sign_params));
        sigstampui* stamp = task.stamp;
        doc_base* doc = current_document;
        if (!stamp || !doc) throw_ex_fmt("%s", kUndefinedText);
        task.source = doc->pdf_path();

        if (stamp->is_visible &&
            (!placement.placed || placement.x0 == placement.x1 || placement.y0 == placement.y1))
            throw_ex_fmt("%s, not painted page, or not painted stamp", "");

        params->add_revocation = task.add_revocation ? 1 : 0;
        params->lock = task.lock ? 1 : 0;
        params->certify = task.certify ? 1 : 0;
        params->permission = task.permission < 1 ? 1 : task.permission > 3 ? 3 : task.permission;
        params->page = task.page;

        if (stamp->is_visible) {
            const int rotation = doc->rotation();
            params->x0 = placement.x0;
            params->y0 = placement.y0;
            params->x1 = placement.x1;
            params->y1 = placement.y1;
            picture = rotate_stamp_picture(stamp->imgfname, rotation < 0 ? 0 : rotation);
            if (!set_param_text(params->picture, wide_to_utf8(picture)))
                throw_ex_fmt("%s(), the stamp picture path is too long", "");
        }
        if (!set_param_text(params->reason, wide_to_utf8(stamp->reason)))
            throw_ex_fmt("%s(), the reason is too long", "");
        if (!set_param_text(params->location, wide_to_utf8(stamp->location)))
            throw_ex_fmt("%s(), the location is too long", "");
        if (!set_param_text(params->contact, wide_to_utf8(stamp->contact)))
            throw_ex_fmt("%s(), the contact is too long", "");
        if (!set_param_text(params->field_name, wide_to_utf8(stamp->name)))
            throw_ex_fmt("%s(), the signature field name is too long", "");
        set_param_text(params->signing_time, pdf_signing_time_text(std::time(nullptr)));
        params->timestamp_only = !stamp->is_localsign && stamp->is_tsmode ? 1 : 0;

        try {
            sign_through_document(task, *params);
        } catch (const std::exception& ex) {
            check_result(ex);
        }
        success = true;
    } catch (const std::exception& ex) {
        failure = ex.what();
    }
    if (task.source != task_source) {
        remove_quietly(task.source);
        task.source = task_source;
    }
    if (!picture.empty() && picture != stamp_picture) remove_quietly(picture);
    if (!success) {
        diag_print("\n\n[ERROR] %s(), %s [ERROR]\n", "", failure.c_str());
        throw exceptionex(failure);
    }
    throw_succeed();
}
