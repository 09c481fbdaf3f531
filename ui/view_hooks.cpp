#include "ui/view_hooks.h"

#include "app/worker_flags.h"
#include "ui/sign_panel.h"

bool document_busy() { return doc_verifying.load() || doc_signing.load(); }

view_hooks& the_view_hooks() {
    static view_hooks hooks;
    return hooks;
}
