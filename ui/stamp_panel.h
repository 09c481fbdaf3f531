#pragma once
// The stamp editor: the second page of the main window's side book. It makes a
// new signing stamp or changes an existing one on a private copy (`draft`)
// and writes it into the signing panel's slot only on Save. A local stamp's
// certificate chain is checked on a worker thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <openssl/x509.h>
#include <wx/bitmap.h>

#include "app/sigstampui.h"
#include "document/sigdata.h"
#include "forms/stamp_panel_base.h"

class wxThreadEvent;

// Who hears of Save and Cancel. While an entry is empty the editor calls the
// signing panel (the_sign_panel) itself; tests fill them.
struct stamp_editor_links {
    // After Save. `stamp` is the stamp now in the slot; `is_new` when the slot
    // held null before (the receiver then owns the new stamp and gives it a
    // row of its own even when an equal-looking stamp is listed already).
    std::function<void(sigstampui* stamp, bool is_new)> stamp_saved;
    // After Cancel on an existing stamp: the panel gives the stamp its row back
    // when it has none, stores the stamps, refreshes the row's picture and
    // selects it.
    std::function<void(sigstampui* stamp)> stamp_kept;
};
stamp_editor_links& stamp_editor_calls();

// A random picture file name for the configs folder: 8-4-4-4-12 lower-case
// hex digits and ".png".
std::wstring random_picture_name();

class stamp_panel : public stamp_panel_base {
public:
    explicit stamp_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                         const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                         const wxString& name = wxEmptyString);
    ~stamp_panel() override;

    // A new stamp: `slot` holds null and receives the stamp on Save.
    void new_stamp(sigstampui** slot, const wxString& name);
    // An existing stamp: `slot` holds it; Save overwrites it in place.
    void open_stamp(sigstampui** slot, const wxString& name);

    // Fills the server box from the settings' time-stamp servers (adding the
    // public service when the list is empty) and selects the first.
    void fill_server_list();

    // Make (false) or select (true) a signing certificate through the dialogs.
    void choose_certificate(bool select);

    // The checks of Save for the kind; they change the draft as Save needs.
    bool check_local_stamp();
    bool check_server_stamp();

    const sigstampui& current_draft() const { return draft; }
    const cert_chain_ui& checked_chain() const { return chain; }
    bool is_certificate_expired() const { return certificate_expired; }
    // Joins a certificate check that is still running (tests, shutdown).
    void wait_certificate_check();

protected:
    void on_size(wxSizeEvent& event) override;
    void on_title_left_down(wxMouseEvent& event) override {}
    void on_title_left_up(wxMouseEvent& event) override {}
    void on_local_signing(wxCommandEvent& event) override;
    void on_cloud_signing(wxCommandEvent& event) override;
    void on_stamp_name(wxCommandEvent& event) override;
    void on_visible(wxCommandEvent& event) override;
    void on_invisible(wxCommandEvent& event) override;
    void on_stamp_image(wxCommandEvent& event) override;
    void on_create_import(wxMouseEvent& event) override;
    void on_select_certificate(wxCommandEvent& event) override;
    void on_certificate_info(wxMouseEvent& event) override;
    void on_timestamp_mode(wxCommandEvent& event) override;
    void on_timestamp_setting(wxMouseEvent& event) override;
    void on_tsurl_select(wxCommandEvent& event) override;
    void on_tsurl_dropdown(wxCommandEvent& event) override;
    void on_cloud_account(wxCommandEvent& event) override;
    void on_expand_other(wxCommandEvent& event) override;
    void on_save(wxCommandEvent& event) override;
    void on_cancel(wxCommandEvent& event) override;

    void on_certificate_checked(wxThreadEvent& event);

    sigstampui** stamp_slot = nullptr;
    wxString proposed_name;
    sigstampui draft;
    bool new_stamp_local = true;
    wxBitmap placeholder_normal, placeholder_hover;
    int picture_size = 128;
    int certificate_field_height = -1;
    wxString picture_hint_text;
    std::thread check_thread;
    cert_chain_ui chain;
    X509* certificate = nullptr;
    bool certificate_expired = false;
    // Raised whenever the certificate changes; a check result carries the
    // value it started with and is dropped when that is no longer current.
    std::uint64_t check_generation = 0;

private:
    void reset();
    void set_picture_sizes();
    void apply_colours();
    void fit_to_width();
    void show_local_stamp();
    void show_server_stamp();
    void show_picture_state(bool visible, bool load);
    void show_other_info(bool shown);
    void set_timestamp_mode(bool ts);
    void show_placeholder();
    void show_picture_file(const std::wstring& path);
    void set_certificate(X509* cert);
    void start_certificate_check();
    void show_check_result();
    void return_to_list();
    int book_width() const;
};
