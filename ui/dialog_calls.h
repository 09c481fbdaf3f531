#pragma once
// The dialogs and the maker's-service windows live in libraries above this
// one. They install their entry points here at start-up; an entry left empty
// falls back to the plain form of that dialog, so every path of the main
// window runs before those libraries exist (and in tests).
#include <functional>

#include <wx/string.h>

#include "document/sigdata.h"

class wxWindow;

struct dialog_calls {
    // The certificate dialog in chain mode (status shown, "add to trust"
    // offered), centred on the parent. Modal: shown, then destroyed;
    // otherwise shown and left to live on its own. The chain is copied.
    std::function<void(wxWindow* parent, const cert_chain_ui& chain, const wxString& title, bool modal)>
        show_certificate_chain;
    // The signature properties dialog of a standalone signature file,
    // modeless; it takes over the record (free_sigdata_record).
    std::function<void(wxWindow* parent, sigdata_record* record, const wxString& title)> show_signature_file;
    // The feedback dialog, modal.
    std::function<void(wxWindow* parent)> show_feedback;
    // The version dialog, modal; mode 1 shows the start-up check's result.
    std::function<void(wxWindow* parent, int mode)> show_version;
    // Whether the start-up check found a newer version.
    std::function<bool()> newer_version_found;
};

// The process's one table.
dialog_calls& installed_dialog_calls();

// Calls through the table, with the form fallbacks.
void show_certificate_chain(wxWindow* parent, const cert_chain_ui& chain, const wxString& title, bool modal);
void show_signature_file(wxWindow* parent, sigdata_record* record, const wxString& title);
void show_feedback(wxWindow* parent);
void show_version(wxWindow* parent, int mode);
bool newer_version_found();
