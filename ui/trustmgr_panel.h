#pragma once
// The trust list page: the certificates the program trusts, their details,
// importing a certificate file as trusted, withdrawing trust, and resetting
// the list to the system certificate set (whose source the page names). An
// online trust-list update refreshes it (it is the trust_update_receiver). Changes that can alter the verdict of the
// open document are told to the main window ("evt_addtrust", "evt_deltrust").
#include <atomic>
#include <string>

#include <wx/bmpbndl.h>
#include <wx/dataview.h>

#include "document/sigdata.h"
#include "forms/trustmgr_base.h"

struct trust_cert_info;

class trustmgr_panel : public trustmgr_base {
public:
    explicit trustmgr_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                            const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);
    ~trustmgr_panel() override;

    // The worker's body: waits for the trust list, resets it when asked, and
    // tells the page ("evt_reset", "evt_filled", or "Unknown error"). It
    // reaches the page only through trust_page, so it may outlive it.
    static void fill_thread(bool list, bool reset);
    void list_trust_list();
    void append_row(const trust_cert_info& entry);
    bool has_row(const trust_cert_info& entry) const;
    void show_details(const trust_cert_info& entry);
    std::string row_id(unsigned row) const;
    // What Add Trusted Certificate does with the chosen file.
    void import_certificate_file(const wxString& path);

    std::atomic<bool> reset_requested{false};

protected:
    void on_size(wxSizeEvent& event) override;
    void on_item_activated(wxDataViewEvent& event) override;
    void on_selection_changed(wxDataViewEvent& event) override;
    void on_list_kill_focus(wxFocusEvent& event) override;
    void on_add_trusted(wxCommandEvent& event) override;
    void on_distrust(wxCommandEvent& event) override;
    void on_reset(wxCommandEvent& event) override;

private:
    void on_thread_event(wxThreadEvent& event);
    void show_details_group(bool show);
    void show_roots_source();
    void start_fill(bool list);
    void select_row(int row);

    wxString saved_heading;
    wxBitmapBundle name_icon, user_icon, vatl_icon;
    wxDataViewItem last_item;
    const unsigned id_column = 0;
};

// The cache copy of a trust-list entry's certificate.
std::string trust_cache_cer_path(const std::string& certid);

// Verifies the top of a chain again and tells the main window when its trust
// changed: "evt_addtrust" when it became trusted, "evt_deltrust" when it
// stopped being trusted.
void recheck_chain_trust(const cert_chain_ui* chain);

// The one trust list page; set by its constructor.
extern trustmgr_panel* trust_page;
