// Windows that show a verification result while the document's results are
// replaced under them: a signing that ends (its output is reopened) while the
// validation-status dialog or the modal signature properties are open, and a
// re-verification after a trust change while a modeless signature dialog is
// open. Each dialog, still open afterwards, is then asked for the signer's
// certificate: it must show the signer it was opened on (under the address
// sanitizer a freed result is reported at once). And the document going
// away while a modeless signature dialog has its modal certificate dialog
// open: the certificate dialog ends first, its opener goes after it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>

#include "app/data_dirs.h"
#include "app/theme_colours.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/x509ui.h"
#include "dialogs/cert_infodlg.h"
#include "dialogs/install_dialogs.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "document/doc_base.h"
#include "document/doc_services.h"
#include "document/sig_result.h"
#include "document/sigcheck.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "ui/dialog_calls.h"
#include "ui/frame.h"
#include "ui/page_glcanvas.h"
#include "ui/sign_panel.h"
#include "ui/view_hooks.h"
#include "widgets/wxt_hyperlink.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const wchar_t kRootName[] = L"CN=Ownership Root";

// The signer of every scripted verification; `run` tells the runs apart.
x509ui scripted_signer(int run) {
    x509ui u;
    u.subject_cn = L"Ownership Signer " + std::to_wstring(run);
    u.subject_dn = L"CN=" + u.subject_cn;
    u.issuer_dn = kRootName;
    u.issuer_cn = L"Ownership Root";
    u.serial_hex = "0" + std::to_string(run);
    return u;
}

// One visible signed field whose chain stops below the root (not trusted),
// built as the verifier builds it.
std::shared_ptr<sig_results> make_scripted_run(const doc_base& doc, int run) {
    auto s = std::make_shared<sig_results>();
    s->document_serial = doc.serial;
    s->swis = static_cast<sigcheck_record*>(std::calloc(1, sizeof(sigcheck_record)));
    s->swis_num = s->signed_num = 1;
    sigcheck_record& r = s->swis[0];
    r.status = sigerr_okay;
    std::strcpy(r.type, dstn_pkcs7);
    std::strcpy(r.field_name, "Signature1");
    r.page_index = 0;
    const float rect[4] = {100, 100, 300, 200};
    std::memcpy(r.rect, rect, sizeof rect);
    auto* result = new sig_result;
    result->record = &r;
    auto* data = new sigdata_record;
    data->type = dstn_pkcs7;
    data->signer = scripted_signer(run);
    data->sign_time = "2024-05-01 10:00:00";
    result->sig = new sig_status_cell{sigerr_okay, data};
    result->signer_chain = new cert_chain_ui{chain_cert_entry{certerr_not_trusted, scripted_signer(run)}};
    s->add(result);
    return s;
}

std::atomic<int> verification_runs{0};

// The verification of the scripted documents: every run makes new results
// with a new signed field, as the real one does.
std::shared_ptr<sig_results> scripted_verify(doc_base& doc) { return make_scripted_run(doc, ++verification_runs); }

// A one-page document with a solid page; its signatures come from scripted_verify.
class scripted_pdf : public doc_base {
public:
    void load(const std::wstring& path) override {
        path_ = path;
        page_count = 1;
        loaded = true;
    }
    void close() override {}
    void page_size(int32_t, int32_t& width, int32_t& height) override {
        width = 612;
        height = 792;
    }
    void render(int32_t width, int32_t height, gl_texture* texture) override {
        std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4, 255);
        gl_upload_texture(texture, rgba.data(), width, height);
    }
    std::wstring pdf_path() override { return path_; }

private:
    std::wstring path_;
};

// Lets modal dialogs show and runs `inside` once from within the next one's
// loop; every modal certificate dialog is answered at once, its signer noted.
class modal_script : public wxModalDialogHook {
public:
    modal_script() { Register(); }
    ~modal_script() override { Unregister(); }
    std::function<void(wxDialog*)> inside;
    std::vector<std::wstring> certificate_signers;

protected:
    int Enter(wxDialog* dialog) override {
        auto* cert = dynamic_cast<cert_infodlg*>(dialog);
        if (cert) {
            const cert_chain_ui* chain = cert->shown_chain();
            certificate_signers.push_back(chain && !chain->empty() ? chain->front().cert.subject_cn : L"");
        }
        if (inside) {
            auto action = std::move(inside);
            inside = nullptr;
            dialog->CallAfter([action, dialog] { action(dialog); });
            return wxID_NONE;
        }
        return cert ? wxID_CANCEL : wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

template <class T>
T* find_child(wxWindow* root, const std::function<bool(T*)>& match) {
    for (wxWindow* child : root->GetChildren()) {
        if (auto* typed = dynamic_cast<T*>(child))
            if (match(typed)) return typed;
        if (T* found = find_child<T>(child, match)) return found;
    }
    return nullptr;
}

// The shown modeless signature properties dialog, if any.
sig_infodlg* open_signature_dialog() {
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<sig_infodlg*>(w))
            if (d->IsShown() && !d->IsModal()) return d;
    return nullptr;
}

// Presses the signature dialog's "show the signer's certificate" button.
void ask_for_signer_certificate(sig_infodlg* dialog) {
    wxButton* button = find_child<wxButton>(dialog, [](wxButton* b) { return b->GetLabel().Contains("Signer's"); });
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

class result_ownership : public ::testing::Test {
protected:
    testsupport::scratch_dir data_;
    fs::path pdf;
    frame* f = nullptr;
    decltype(document_services::verify_open_document) saved_verify = nullptr;

    void SetUp() override {
        set_data_root(data_.path());
        set_fixed_colours();
        stop_workers = false;
        trust_list_ready = true;
        doc_loading = false;
        doc_verifying = false;
        doc_signing = false;
        verification_runs = 0;
        pdf = fs::path(data_.path()) / "scripted.pdf";
        std::ofstream(pdf) << "%PDF-1.4 scripted";
        install_dialogs();
        // As the program does at start-up; the verification itself is scripted.
        install_verification_services();
        saved_verify = doc_services().verify_open_document;
        doc_services().verify_open_document = scripted_verify;
        frame::document_maker = [](const std::wstring&) -> doc_base* { return new scripted_pdf; };
        f = new frame(wxPoint(0, 0), wxSize(1280, 800));
        f->Show();
        gui_test::settle(100ms);
    }

    void TearDown() override {
        gui_test::workers_idle();
        for (wxWindow* w : wxTopLevelWindows)
            if (dynamic_cast<wxDialog*>(w)) w->Destroy();
        gui_test::settle(50ms);
        f->Destroy();
        gui_test::settle(50ms);
        {
            document_lock lock(document_mutex);
            delete current_document;
            current_document = nullptr;
        }
        frame::document_maker = nullptr;
        doc_services().verify_open_document = saved_verify;
        dialog_calls() = dialog_call_table{};
        doc_signing = false;
    }

    // Waits until a verification after run `runs` has ended and its results arrived.
    static bool verified_after(int runs) {
        const bool ended = gui_test::run_until([&] {
            return verification_runs > runs && running_workers.load() == 0 && !doc_verifying;
        }, 10s);
        gui_test::settle(100ms);
        return ended;
    }

    // Opens the scripted PDF and waits until its results are shown.
    void open_and_verify() {
        const int runs = verification_runs;
        f->open_file(pdf.wstring(), 0);
        ASSERT_TRUE(verified_after(runs));
        ASSERT_FALSE(f->load_pending);
        ASSERT_NE(current_document, nullptr);
        ASSERT_EQ(current_document->topsigs.size(), 1u);
    }

    // Opens and verifies the scripted PDF, then its first signature's
    // properties as the signature tree does: modeless, with the document.
    // Null when any of it failed.
    sig_infodlg* open_modeless_properties() {
        open_and_verify();
        if (HasFatalFailure() || !dialog_calls().signature_properties) return nullptr;
        dialog_calls().signature_properties(f, current_document->topsigs.front(), 0, dialog_show::with_document);
        return open_signature_dialog();
    }

    // Trusting the missing root may complete the chain: the document is
    // verified again, which replaces every result. True when that ended.
    bool trust_the_root() {
        x509ui root;
        root.subject_dn = kRootName;
        root.subject_cn = L"Ownership Root";
        const int runs = verification_runs;
        wxThreadEvent added = wxt_thread_event(evt_addtrust, new x509ui(root));
        f->GetEventHandler()->ProcessEvent(added);
        return verified_after(runs);
    }

    // The end of a signing as its worker reports it: the panel reopens the
    // signed output, which is then loaded and verified afresh.
    void end_signing() {
        sign_panel* panel = f->signer();
        panel->final_output = pdf.wstring();
        wxThreadEvent event(wxEVT_THREAD, wxID_ANY);
        event.SetString(wxString(sign));
        event.SetPayload(wxString("ok"));
        const int runs = verification_runs;
        panel->GetEventHandler()->ProcessEvent(event);
        EXPECT_TRUE(verified_after(runs));
    }
};

TEST_F(result_ownership, a_signing_ending_under_the_validation_status_dialog) {
    open_and_verify();
    sig_result* shown = current_document->topsigs.front();
    modal_script script;
    bool ran = false;
    script.inside = [&](wxDialog* dialog) {
        ran = true;
        end_signing();
        // The dialog is still open on the signature it was opened on: its
        // link opens the properties of that signature, and from there its signer.
        auto* link = find_child<wxt_hyperlink>(dialog, [](wxt_hyperlink* l) {
            return l->IsShown() && l->GetLabel().Contains("Properties");
        });
        ASSERT_NE(link, nullptr);
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetEventObject(link);
        link->GetEventHandler()->ProcessEvent(up);
        if (dialog->IsModal()) dialog->EndModal(wxID_OK);
    };
    ASSERT_TRUE(the_view_hooks().show_simple_sigdlg);
    the_view_hooks().show_simple_sigdlg(f->canvas(), shown);
    ASSERT_TRUE(ran);
    sig_infodlg* properties = open_signature_dialog();
    ASSERT_NE(properties, nullptr);
    ask_for_signer_certificate(properties);
    ASSERT_EQ(script.certificate_signers.size(), 1u);
    EXPECT_EQ(script.certificate_signers[0], L"Ownership Signer 1");
}

TEST_F(result_ownership, a_signing_ending_under_the_modal_signature_properties) {
    open_and_verify();
    sig_result* shown = current_document->topsigs.front();
    modal_script script;
    bool ran = false;
    script.inside = [&](wxDialog* dialog) {
        ran = true;
        end_signing();
        auto* properties = dynamic_cast<sig_infodlg*>(dialog);
        ASSERT_NE(properties, nullptr);
        ask_for_signer_certificate(properties);
        dialog->EndModal(wxID_OK);
    };
    ASSERT_TRUE(the_view_hooks().show_sig_infodlg);
    the_view_hooks().show_sig_infodlg(f, shown, 0);
    ASSERT_TRUE(ran);
    ASSERT_EQ(script.certificate_signers.size(), 1u);
    EXPECT_EQ(script.certificate_signers[0], L"Ownership Signer 1");
}

TEST_F(result_ownership, a_trust_change_reverifying_under_a_modeless_signature_dialog) {
    sig_infodlg* properties = open_modeless_properties();
    ASSERT_NE(properties, nullptr);
    ASSERT_TRUE(trust_the_root());
    ASSERT_EQ(current_document->topsigs.size(), 1u);
    modal_script script;
    properties = open_signature_dialog();
    ASSERT_NE(properties, nullptr);
    ask_for_signer_certificate(properties);
    ASSERT_EQ(script.certificate_signers.size(), 1u);
    EXPECT_EQ(script.certificate_signers[0], L"Ownership Signer 1");
}

TEST_F(result_ownership, the_document_going_away_under_a_certificate_opened_from_a_modeless_signature_dialog) {
    struct case_ {
        const char* name;
        std::function<void()> change;
        bool dialog_stays;
    };
    const case_ cases[] = {
        {"closed", [this] { f->close_document(); }, false},
        {"signed and reopened", [this] { end_signing(); }, false},
        {"verified again after a trust change", [this] { EXPECT_TRUE(trust_the_root()); }, true},
    };
    for (const case_& c : cases) {
        SCOPED_TRACE(c.name);
        sig_infodlg* properties = open_modeless_properties();
        ASSERT_NE(properties, nullptr);
        const std::wstring opened_on = current_document->topsigs.front()->sig->data->signer.subject_cn;
        modal_script script;
        bool ran = false;
        bool still_modal = false;
        script.inside = [&](wxDialog* certificate) {
            ran = true;
            c.change();
            // The certificate dialog is left to whatever closed its opener.
            gui_test::settle(100ms);
            still_modal = certificate->IsModal();
            if (still_modal) certificate->EndModal(wxID_CANCEL);
        };
        ask_for_signer_certificate(properties);  // returns when the certificate dialog's loop ends
        ASSERT_TRUE(ran);
        EXPECT_EQ(still_modal, c.dialog_stays);
        gui_test::settle(100ms);
        EXPECT_EQ(open_signature_dialog() != nullptr, c.dialog_stays);
        ASSERT_EQ(script.certificate_signers.size(), 1u);
        EXPECT_EQ(script.certificate_signers[0], opened_on);
        if (sig_infodlg* left = open_signature_dialog()) left->Destroy();
        f->close_document();
        gui_test::settle(50ms);
    }
}

// Two modal dialogs deep: the certificate dialog's file dialog is open when
// the document closes. The file dialog ends, then the certificate dialog,
// and only then their opener goes.
TEST_F(result_ownership, the_document_closing_under_the_file_dialog_of_such_a_certificate_dialog) {
    sig_infodlg* properties = open_modeless_properties();
    ASSERT_NE(properties, nullptr);
    modal_script script;
    bool file_dialog_ran = false;
    bool certificate_ended = false;
    script.inside = [&](wxDialog* certificate) {
        script.inside = [&](wxDialog* file) {
            file_dialog_ran = dynamic_cast<wxFileDialog*>(file) != nullptr;
            f->close_document();
            gui_test::settle(100ms);
            EXPECT_FALSE(file->IsModal());
            if (file->IsModal()) file->EndModal(wxID_CANCEL);
        };
        auto* save = find_child<wxButton>(certificate, [](wxButton* b) { return b->GetLabel().Contains("Save"); });
        ASSERT_NE(save, nullptr);
        wxCommandEvent click(wxEVT_BUTTON, save->GetId());
        click.SetEventObject(save);
        save->GetEventHandler()->ProcessEvent(click);  // returns when the file dialog's loop ends
        certificate_ended = !certificate->IsModal();
        if (!certificate_ended) certificate->EndModal(wxID_CANCEL);
    };
    ask_for_signer_certificate(properties);
    EXPECT_TRUE(file_dialog_ran);
    EXPECT_TRUE(certificate_ended);
    gui_test::settle(100ms);
    EXPECT_EQ(open_signature_dialog(), nullptr);
}

}  // namespace
