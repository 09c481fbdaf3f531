#pragma once
// The small status dialog of a clicked signature: up to three lines (verdict
// and signer, modification, certificate) and links to the signature
// properties and the signer's certificate.
#include "document/sig_result.h"
#include "forms/simple_sigdlg_base.h"

class simple_sigdlg : public simple_sigdlg_base {
public:
    simple_sigdlg(wxWindow* parent, sig_result* result);

    bool full_form() const { return full; }

protected:
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_signature_properties(wxMouseEvent& event) override;
    void on_certificate(wxMouseEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;
    // Ends the dialog with OK (a modeless one is destroyed).
    void finish();

    sig_result* result = nullptr;
    sig_result_ref keep;  // keeps `result` and the pointers below valid while open
    sigdata_record* signature_record = nullptr;
    cert_chain_ui* signer_chain = nullptr;
    bool full = false;
    bool initialised = false;

    friend struct simple_sigdlg_probe;
};
