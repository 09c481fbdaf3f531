#pragma once
// The certificate store page: the PFX certificates of the program's store and
// the usable client certificates of the user's system store, their details,
// make or import, remove, refresh. The list is read on a worker thread into a
// list of its own, which the page takes over when the worker's event arrives.
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/dataview.h>

#include "crypto/certstore.h"
#include "forms/certstore_base.h"

class certstore_panel : public certstore_base {
public:
    explicit certstore_panel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                             const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL);
    ~certstore_panel() override;

    // The loader's body: reads both sources into a new list and hands it to
    // the page by event (tagged as an error when reading failed). It reaches
    // the page only through the_certstore_panel, so it may outlive it.
    static void load_entries();
    void add_row(const certstore_sumfile_entry& entry);
    // The entry of a row (a copy the row owns), or null.
    const certstore_sumfile_entry* row_entry(unsigned row) const;

    std::vector<certstore_sumfile_entry> entries;
    // A copy of the selected row's entry; empty access when none.
    certstore_sumfile_entry selected_entry;
    bool has_selection = false;

protected:
    void on_size(wxSizeEvent& event) override;
    void on_item_activated(wxDataViewEvent& event) override;
    void on_selection_changed(wxDataViewEvent& event) override;
    void on_list_kill_focus(wxFocusEvent& event) override;
    void on_create_import(wxCommandEvent& event) override;
    void on_remove(wxCommandEvent& event) override;
    void on_refresh(wxCommandEvent& event) override;

private:
    void on_thread_event(wxThreadEvent& event);
    void start_loader();
    void show_details(bool show);
    void delete_row(unsigned row);
    void clear_rows();
    void loaded();

    wxString saved_heading;
    wxBitmapBundle cert_icon;
    wxDataViewItem last_item;
};

// The one certificate store page; set by its constructor.
extern certstore_panel* the_certstore_panel;
