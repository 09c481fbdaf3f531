#pragma once
// What the home page and its pages ask of windows they do not own: the main
// window (opening a file, its open dialog, whether the home page is in view)
// and the dialogs of the layers above (version check, agreement, feedback).
// The main window and the program fill the table at start-up; an empty entry
// does nothing, so the pages can be built and driven on their own.
#include <functional>
#include <vector>

#include <wx/string.h>

class wxWindow;
class wxEvtHandler;
struct chain_cert_entry;
struct x509ui;
using cert_chain_ui = std::vector<chain_cert_entry>;

struct home_call_table {
    std::function<void(const wxString& path)> open_file;
    std::function<void()> show_open_dialog;
    // True while the main window shows the home page (not a document).
    std::function<bool()> home_page_in_view;
    // The dialogs of the about page, each shown modally over `parent`.
    std::function<void(wxWindow* parent)> check_update;
    std::function<void(wxWindow* parent)> show_agreement;
    std::function<void(wxWindow* parent)> show_feedback;
    // Sets the program itself as the command to run at exit and asks the
    // main window to close (the settings page's Restart).
    std::function<void()> restart;
    // The main window: it receives "evt_addtrust" and "evt_deltrust" when the
    // trust of a certificate changes.
    std::function<wxEvtHandler*()> main_window;
    // True while a page of the open document has been painted.
    std::function<bool()> document_shown;
    // The certificate properties dialog on a chain (leaf first), modal;
    // `show_status` false shows no verdict, `offer_add_trust` the Add Trust button.
    std::function<void(wxWindow* parent, cert_chain_ui* chain, bool show_status, bool offer_add_trust)>
        show_certificate_chain;
    // The "add-trust" usage report of a certificate the user trusted.
    std::function<void(const x509ui& cert)> report_add_trust;
    // The make-or-import certificate dialog, modal.
    std::function<void(wxWindow* parent)> make_certificate;
};

home_call_table& home_calls();
