#pragma once
// The select-certificate dialog: every certificate the program can sign with
// (the program store's PFX certificates, then the usable certificates of the
// system "My" store), the details of the selected one, and Create/Import.
#include <optional>
#include <vector>

#include <openssl/x509.h>
#include <wx/bmpbndl.h>

#include "crypto/certstore.h"
#include "forms/cert_select_dlg_base.h"

// The certificates offered for signing, in list order: list row i shows entry i.
extern std::vector<certstore_sumfile_entry> select_cert_entries;

// Refills select_cert_entries: copies of certstore_entries, then the "My"
// store's certificates with a key, client authentication, not expired, not a
// CA and with a trusted chain. Returns the number of entries.
size_t collect_client_certificates();

class cert_select_dlg : public cert_select_dlg_base {
public:
    // Both outs are set to null here; OK fills them (the caller frees the
    // certificate and deletes the entry).
    cert_select_dlg(wxWindow* parent, X509** cert_out, certstore_sumfile_entry** entry_out, const wxRect* opener_rect);
    ~cert_select_dlg() override;

    void fill_list();
    // Shows the details of the row (wxNOT_FOUND: none).
    void show_details(int row);
    int selected_entry() const { return selected; }

protected:
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_size(wxSizeEvent& event) override;
    void on_create_import(wxMouseEvent& event) override;
    void on_item_activated(wxDataViewEvent& event) override;
    void on_selection_changed(wxDataViewEvent& event) override;
    void on_ok(wxCommandEvent& event) override;

    void insert_row(size_t at, const certstore_sumfile_entry& entry);
    void finish();

    X509** cert_out;
    certstore_sumfile_entry** entry_out;
    std::optional<wxRect> opener_rect;
    wxBitmapBundle row_icon;
    // Index into select_cert_entries, never a pointer: the vector grows at its
    // front when a certificate is made here.
    int selected = wxNOT_FOUND;
    wxString saved_title;

    // wxGTK runs the dialog initialisation at every Show(), also of a shown
    // dialog: only the first one sets the dialog up.
    bool initialised = false;

    friend struct cert_select_dlg_probe;
};
