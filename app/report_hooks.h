#pragma once
// What the windows (which lie below the service client) need of it: the
// usage reports they make and the feedback and version dialogs they open.
// Every entry starts as a no-op; the service client fills the table at
// start-up (install_service_hooks). Entries never throw.
#include <string>

class wxWindow;
struct x509ui;
struct sigstampui;

struct service_hook_table {
    // "add-trust": a certificate the user trusted.
    void (*add_trust)(const x509ui& cert);
    // "make-stamp": a stamp the user saved, with its certificate (may be null).
    void (*make_stamp)(const sigstampui& stamp, const x509ui* cert);
    // "create-cert": made (certificate and PFX written), imported (into the store).
    void (*create_cert)(bool made, bool imported, const std::wstring& subject, const std::string& algorithm,
                        const std::string& error);
    // "import-pfx".
    void (*import_pfx)(bool ok, const std::wstring& subject, const std::wstring& issuer,
                       const std::string& algorithm, const std::string& error);
    // The feedback dialog, modal, centred on parent.
    void (*show_feedback_dialog)(wxWindow* parent);
    // The version dialog, modal, centred on parent: mode 0 checks now, mode 1
    // shows the last check's result.
    void (*show_version_dialog)(wxWindow* parent, int mode);
    // The last successful check found a newer version (the main window's
    // new-version link).
    bool (*new_version_available)();
};

// The process's one table.
service_hook_table& service_hooks();
