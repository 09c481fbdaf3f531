#pragma once
// The certificate properties dialog: one certificate with the path it was
// verified with. General page: verdict, purposes, names, dates, serial and
// thumbprint. Details page: the path as a tree, the fields of the selected
// certificate, Copy Value, Save as DER, and Add Trust for an untrusted or
// broken chain.
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/treebase.h>

#include "document/sigdata.h"
#include "forms/cert_infodlg_base.h"

class cert_infodlg : public cert_infodlg_base {
public:
    // Chain mode: the chain (leaf first) belongs to the opener and must
    // outlive the dialog; the statuses the dialog changes are written into it.
    // A null or empty chain is shown as one empty certificate; openers test
    // can_show first and open nothing then.
    cert_infodlg(wxWindow* parent, bool show_status, cert_chain_ui* chain, bool offer_add_trust,
                 const wxRect* opener_rect);
    // File mode: reads the certificate file itself; no parent, no status, no
    // trust offer.
    explicit cert_infodlg(const wxString& path);
    ~cert_infodlg() override;

    static bool can_show(const cert_chain_ui* chain) { return chain && !chain->empty(); }

    // From now on the dialog shows its own copy of the chain (a modeless
    // dialog that outlives its opener's data).
    void keep_own_copy();
    // Modeless and reading the open document: closed with the document.
    void bind_to_document();
    // Holds what owns the chain (a share of the results it belongs to) for
    // as long as the dialog lives.
    void keep_alive(std::shared_ptr<const void> owner) { chain_owner = std::move(owner); }

    // A non-empty text: "Velkorant - <text>"; empty: "Velkorant - Certificate Properties".
    void SetTitle(const wxString& title) override;

    bool load_failed() const { return failed; }
    const cert_chain_ui* shown_chain() const { return chain; }

protected:
    void on_close(wxCloseEvent& event) override;
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_add_trust(wxCommandEvent& event) override;
    void on_chain_sel_changed(wxTreeEvent& event) override;
    void on_add_trust_details(wxCommandEvent& event) override;
    void on_field_selected(wxDataViewEvent& event) override;
    void on_copy_value(wxCommandEvent& event) override;
    void on_save_certificate(wxCommandEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;

    void fill_pages();
    void pick_pictures();
    void fill_general();
    void fill_chain_tree();
    void fill_details();
    void add_trust(const x509ui& cert);
    void show_row_value(int row);
    const chain_cert_entry* current_entry() const;

    cert_chain_ui* chain = nullptr;
    std::unique_ptr<cert_chain_ui> owned_chain;
    std::shared_ptr<const void> chain_owner;
    bool failed = false;
    wxString cert_path;
    bool show_status = false;
    bool offer_add_trust = false;
    std::optional<wxRect> opener_rect;
    bool document_bound = false;
    // Tree items by chain index: indices stay valid whatever the chain holder does.
    std::map<void*, size_t> item_entries;
    std::vector<wxString> row_values;
    wxTreeItemId current_item;
    wxTreeItemId shown_item;
    int selected_row = 0;

    wxBitmapBundle good_header, bad_header, good_chain, bad_chain, tree_good, tree_bad, field_icon;

    // wxGTK runs the dialog initialisation at every Show(), also of a shown
    // dialog: only the first one sets the dialog up.
    bool initialised = false;

    friend struct cert_infodlg_probe;
};
