#pragma once
// The signature properties dialog: one signature on a Signature page
// (summary, validity, embedded time stamp or seal) and a Timestamp page.
// Result mode shows a result of the open document; standalone mode shows a
// signature file parsed on its own, owns that record and verifies its chains.
#include <memory>

#include <wx/bmpbndl.h>

#include "document/sig_result.h"
#include "forms/sig_infodlg_base.h"

class sig_infodlg : public sig_infodlg_base {
public:
    // Result mode; the result belongs to the open document's results, of
    // which the dialog keeps a share.
    sig_infodlg(wxWindow* parent, int first_page, sig_result* result);
    // Standalone mode; the dialog takes the record over (null: an empty one).
    sig_infodlg(wxWindow* parent, sigdata_record* record);
    ~sig_infodlg() override;

    // Modeless and reading the open document: closed with the document.
    void bind_to_document();

    bool timestamp_page_shown() const { return properties_book->GetPageCount() > 1; }

protected:
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_size(wxSizeEvent& event) override;
    void on_show_signer_cert(wxCommandEvent& event) override;
    void on_embedded_activated(wxDataViewEvent& event) override;
    void on_embedded_details(wxCommandEvent& event) override;
    void on_show_timestamp_cert(wxCommandEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;
    void on_close(wxCloseEvent& event) override;
    void on_thread_event(wxThreadEvent& event);

    void load_result();
    void pick_scaled_icons();
    void fill_pages();
    void fill_signature_summary();
    void fill_signature_validity();
    void fill_embedded_list();
    void fill_timestamp_summary();
    void fill_timestamp_validity();
    void fit_pages();
    void open_chain(cert_chain_ui* chain, bool show_status, bool offer_trust);
    const sigdata_record& record() const;
    const sigdata_record* timestamp_record() const;
    cert_chain_ui* timestamp_chain_now() const;
    cert_chain_ui* seal_chain_now() const;

    bool owned = false;
    sig_result* result = nullptr;
    // The share of the results that keeps `result` and the pointers below
    // valid while the dialog is open, whatever replaces the document's results.
    sig_result_ref keep;
    sigdata_record* signature_record = nullptr;
    sigcheck_record* sigcheck = nullptr;
    cert_chain_ui* signer_chain = nullptr;
    cert_chain_ui* timestamp_chain = nullptr;
    cert_chain_ui* seal_chain = nullptr;
    int first_page = 0;
    bool document_bound = false;

    // Standalone mode's own data.
    std::unique_ptr<sigdata_record, void (*)(sigdata_record*)> own_record{nullptr, free_sigdata_record};
    std::unique_ptr<cert_chain_ui> own_signer_chain, own_timestamp_chain, own_seal_chain;

    wxBitmapBundle icon_valid, icon_invalid, icon_ts_valid, icon_ts_invalid, icon_row;
    int sig_status = 0;
    int signer_status = 0;
    int ts_status = 0;
    int ts_signer_status = 0;
    bool valid = false;
    bool ts_valid = false;
    int wrap_width = 0;
    // The texts as made, before wrapping put line breaks into the labels.
    wxString summary_text, validity_text, ts_summary_text, ts_validity_text;

    // wxGTK runs the dialog initialisation at every Show(), also of a shown
    // dialog: only the first one sets the dialog up.
    bool initialised = false;

    friend struct sig_infodlg_probe;
};
