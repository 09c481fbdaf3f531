#pragma once
// The make-certificate dialog: makes a self-signed RSA or SM2 certificate
// with its key as a PFX file, or imports a PFX file, then puts it where the
// signing code reaches it (the system "My" store for RSA, the program's own
// store for SM2 and whatever the system store refused) and into the trust
// list as a user entry.
#include <optional>
#include <string>

#include <openssl/x509.h>

#include "crypto/certstore.h"
#include "forms/cert_makedlg_base.h"

struct x509ui;

class cert_makedlg : public cert_makedlg_base {
public:
    // Both outs are set to null here. Afterwards *cert_out holds the last
    // certificate made or imported (the caller frees it) and *entry_out the
    // entry of the last successful storing (the caller deletes it).
    cert_makedlg(wxWindow* parent, X509** cert_out, certstore_sumfile_entry** entry_out, const wxRect* opener_rect);
    ~cert_makedlg() override;

    // Stores the certificate of the PFX file at `path`; see the .cpp.
    bool put_in_stores(const wxString& path, const std::string& password, X509* cert, bool made);

protected:
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_size(wxSizeEvent& event) override;
    void on_algorithm_changed(wxCommandEvent& event) override;
    void on_create(wxCommandEvent& event) override;
    void on_select_pfx(wxCommandEvent& event) override;
    void on_import(wxCommandEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;

    void set_cert_out(X509* cert);

    X509** cert_out;
    certstore_sumfile_entry** entry_out;
    std::optional<wxRect> opener_rect;

    // wxGTK runs the dialog initialisation at every Show(), also of a shown
    // dialog: only the first one sets the dialog up.
    bool initialised = false;

    friend struct cert_makedlg_probe;
};

// Tells the trust-list page ("evt_addtrust", a new trust_cert_info) and the
// certificate-store page ("evt_addcert", a copy of the entry) about a new
// certificate, when they exist.
void announce_new_certificate(const x509ui& cert, const certstore_sumfile_entry& entry);
