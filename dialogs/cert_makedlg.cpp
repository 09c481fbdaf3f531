#include "dialogs/cert_makedlg.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <openssl/obj_mac.h>
#include <openssl/pem.h>
#include <wx/filedlg.h>

#include "app/screen_layout.h"
#include "forms/dialog_keys.h"
#include "app/thread_event.h"
#include "crypto/cert_chain.h"
#include "crypto/local_time.h"
#include "crypto/pfx.h"
#include "crypto/system_store.h"
#include "crypto/trust_list.h"
#include "crypto/x509ui.h"
#include "dialogs/dialog_support.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/status_texts.h"
#include "widgets/wxt_active_textctrl.h"
#include "widgets/wxt_colorbutton.h"

namespace {

struct algorithm_choice {
    const char* text;
    unsigned key_type;
    unsigned digest_kind;
    const char* reported_name;
};
const algorithm_choice algorithm_choices[] = {
    {"RSA", pfx_key_rsa, pfx_digest_sha256, "sha256WithRSA"},
    {"SM2", pfx_key_sm2, pfx_digest_sm3, "sm3WithSM2"},
};

const algorithm_choice& chosen_algorithm(const wxString& text) {
    for (const algorithm_choice& c : algorithm_choices)
        if (text == c.text) return c;
    return algorithm_choices[0];
}

std::filesystem::path fs_path(const std::wstring& path) { return std::filesystem::path(wxString(path).utf8_string()); }

bool write_pem(const std::wstring& path, X509* cert) {
    FILE* f = std::fopen(wxString(path).utf8_string().c_str(), "w");
    if (!f) return false;
    const bool ok = PEM_write_X509(f, cert) == 1;
    return std::fclose(f) == 0 && ok;
}

}  // namespace

cert_makedlg::cert_makedlg(wxWindow* parent, X509** cert_out_, certstore_sumfile_entry** entry_out_,
                           const wxRect* opener)
    : cert_makedlg_base(parent, wxID_ANY, dialog_title(tr("Make or Import a Certificate")), wxDefaultPosition,
                        wxSize(538, 664)),
      cert_out(cert_out_),
      entry_out(entry_out_) {
    if (opener) opener_rect = *opener;
    if (cert_out) *cert_out = nullptr;
    if (entry_out) *entry_out = nullptr;
    close_button->set_base_colour(wxColour(216, 216, 216));
    select_pfx_button->set_base_colour(wxColour(216, 216, 216));
    set_program_icon(this);
    screen_scale_percent = dpi_scale_percent(this);
    make_bitmap->SetBitmap(picture_pair(bitmap_user_32(), bitmap_user_64()));
    import_bitmap->SetBitmap(picture_pair(bitmap_certificate_32(), bitmap_certificate_64()));
    scale_dialog_to_screen(this);
    close_on_escape(this, close_button);
    const int half = GetClientSize().x / 2;
    for (wxWindow* field : {static_cast<wxWindow*>(name_text), static_cast<wxWindow*>(algorithm_combo),
                            static_cast<wxWindow*>(password_text), static_cast<wxWindow*>(pfx_path_text),
                            static_cast<wxWindow*>(pfx_password_text)})
        field->SetMinSize(wxSize(half, -1));
    // The fields' width with their labels and check boxes beside them.
    grow_to_fit(this);
}

cert_makedlg::~cert_makedlg() = default;

void cert_makedlg::set_cert_out(X509* cert) {
    if (!cert_out) {
        X509_free(cert);
        return;
    }
    X509_free(*cert_out);
    *cert_out = cert;
}

void cert_makedlg::on_init_dialog(wxInitDialogEvent& event) {
    if (initialised) {
        event.Skip();
        return;
    }
    initialised = true;
    algorithm_combo->Clear();
    for (const algorithm_choice& c : algorithm_choices) algorithm_combo->Append(c.text);
    algorithm_combo->SetSelection(0);
    save_password_check->SetValue(false);
    save_pfx_password_check->SetValue(false);
    create_result_label->SetLabel(wxString());
    import_result_label->SetLabel(wxString());
    if (opener_rect) place_beside_opener(this, &*opener_rect);
    Layout();
    event.Skip();
}

void cert_makedlg::on_size(wxSizeEvent& event) {
    Layout();
    event.Skip();
}

void cert_makedlg::on_algorithm_changed(wxCommandEvent& event) {
    (void)algorithm_combo->GetValue();
    event.Skip();
}

void cert_makedlg::on_create(wxCommandEvent&) {
    create_result_label->set_message(*wxBLACK, wxString());
    const wxString name = name_text->GetValue();
    const wxString password = password_text->GetValue();
    if (name.empty() || password.empty()) {
        create_result_label->flash_message(*wxRED, tr("Please fill fields: name/password."));
        return;
    }
    wxFileDialog ask(this, tr("Save PFX Certificate file"), wxString(), name,
                     tr("PFX/P12 certificate files (*.pfx)|*.pfx") + ";*.PFX", wxFD_SAVE | wxFD_OVERWRITE_PROMPT,
                     wxDefaultPosition, wxDefaultSize, "filedlg");
    if (ask.ShowModal() != wxID_OK) {
        create_result_label->set_message(*wxBLACK, wxString());
        return;
    }
    create_result_label->set_message(*wxBLACK, tr("Creating ..."));
    Update();

    const algorithm_choice& choice = chosen_algorithm(algorithm_combo->GetValue());
    const wxString subject = "/CN=" + name;
    const wxString path = chosen_path(ask);
    const std::string password_utf8 = password.utf8_string();
    set_cert_out(nullptr);
    X509* made_cert = nullptr;
    const int rc = make_self_signed_pfx(subject.utf8_string(), choice.key_type, choice.digest_kind,
                                        {NID_client_auth}, password_utf8, path.ToStdWstring(), &made_cert);
    set_cert_out(made_cert);
    bool stored = false;
    if (rc == 0 || made_cert)
        stored = put_in_stores(path, password_utf8, made_cert, true);
    else
        create_result_label->flash_message(*wxRED, tr("Create failed, please check input parameter."));
    if (dialog_reports().create_cert)
        dialog_reports().create_cert(rc == 0, stored, subject.ToStdWstring(), choice.reported_name, std::string());
    Layout();
}

void cert_makedlg::on_select_pfx(wxCommandEvent&) {
    import_result_label->set_message(*wxBLACK, wxString());
    wxFileDialog ask(this, tr("Select a PFX file"), wxString(), wxString(), "PFX files (*.pfx)|*.pfx;*.PFX",
                     wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "filedlg");
    if (ask.ShowModal() != wxID_OK) return;
    pfx_path_text->SetValue(chosen_path(ask));
    pfx_password_text->Clear();
}

void cert_makedlg::on_import(wxCommandEvent&) {
    const wxString path = pfx_path_text->GetValue();
    const std::string password = pfx_password_text->GetValue().utf8_string();
    import_result_label->set_message(*wxBLACK, tr("Importing ..."));
    Update();
    set_cert_out(nullptr);
    X509* cert = nullptr;
    STACK_OF(X509)* chain = nullptr;
    EVP_PKEY* key = nullptr;
    load_pfx(path.utf8_string().c_str(), password.c_str(), &cert, &chain, &key);
    sk_X509_pop_free(chain, X509_free);
    EVP_PKEY_free(key);
    set_cert_out(cert);
    if (cert)
        put_in_stores(path, password, cert, false);
    else
        import_result_label->flash_message(*wxRED, tr("Import Failed!, Please check pfx file and password."));
}

bool cert_makedlg::put_in_stores(const wxString& path, const std::string& password, X509* cert, bool made) {
    wxt_active_textctrl* line = made ? create_result_label : import_result_label;
    std::error_code ec;
    if (!cert || !std::filesystem::is_regular_file(std::filesystem::path(path.utf8_string()), ec)) return false;

    certstore_sumfile_entry entry;
    fill_cert_info(cert, entry.info);
    if (!time_text_not_passed(entry.info.expired)) {
        // Told on the line of the section that was used.
        line->flash_message(*wxRED, certificate_status_text(certerr_expired));
        return false;
    }
    trust_list_import_cert(cert);

    const std::wstring pfx_copy = certstore_pfx_path(entry.info);
    const std::wstring cer_copy = certstore_cer_path(entry.info);
    std::filesystem::copy_file(std::filesystem::path(path.utf8_string()), fs_path(pfx_copy),
                               std::filesystem::copy_options::overwrite_existing, ec);
    write_pem(cer_copy, cert);

    x509ui record;
    build_x509ui(cert, record);
    const std::string error = record.sig_alg == "sigalg-unsupported" ? record.sig_alg : std::string();

    bool stored = false;
    const bool gm = names_sm_algorithm(record.sig_alg);
    if (!gm) {
        entry.access.cert_type = cert_type_sysstore;
        entry.access.sysstore.store = "My";
        entry.access.sysstore.location = "user";
        entry.access.sysstore.subject = entry.info.subject;
        entry.access.sysstore.issuer = entry.info.issuer;
        entry.access.sysstore.sn = entry.info.sn;
        stored = import_pfx_to_store(pfx_copy, wxString::FromUTF8(password).ToStdWstring(), pfx_import_no_ui);
    }
    if (gm || !stored) {
        entry.access = cert_access();
        entry.access.cert_type = cert_type_pfx;
        entry.access.pfx.certfname = cer_copy;
        entry.access.pfx.pfxfname = pfx_copy;
        const bool keep_password = made ? save_password_check->GetValue() : save_pfx_password_check->GetValue();
        if (keep_password) entry.access.pfx.pswd = password;
        stored = entry.add_to_store();
    }

    if (stored) {
        if (entry_out) {
            // The caller sees only the last entry: an earlier one would be lost.
            delete *entry_out;
            *entry_out = new certstore_sumfile_entry(entry);
        }
        line->flash_message(dialog_success_colour,
                            made ? tr("Create Succeed, and Import Succeed.") : tr("Import Succeed!"));
        announce_new_certificate(record, entry);
    } else if (made) {
        line->flash_message(dialog_warning_colour, tr("Create Succeed, But Failed to import it to Certificate Store."));
    } else {
        line->flash_message(*wxRED, tr("Import Failed!"));
    }
    if (!made && dialog_reports().import_pfx) dialog_reports().import_pfx(stored, record, error);
    return stored;
}

void cert_makedlg::on_close_button(wxCommandEvent&) {
    if (IsModal())
        EndModal(wxID_OK);
    else
        Close();
}

void announce_new_certificate(const x509ui& cert, const certstore_sumfile_entry& entry) {
    if (wxWindow* page = trust_page_receiver())
        post_thread_event(page, wxt_thread_event(evt_addtrust, new trust_cert_info(trust_cert_info_from_x509ui(cert, true))));
    if (wxWindow* page = certstore_page_receiver())
        post_thread_event(page, wxt_thread_event(evt_addcert, new certstore_sumfile_entry(entry)));
}
