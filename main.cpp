// The program's entry: the toolkit creates the one application object and
// runs its start-up.
#include <wx/app.h>
#include <wx/log.h>

#include "program/app.h"
#include "program/startup.h"

wxIMPLEMENT_APP_NO_MAIN(app);

int main(int argc, char** argv) {
    // The program runs on with whatever a toolkit check finds; only the tests
    // turn those checks into failures.
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    prepare_toolkit_environment();
    return wxEntry(argc, argv);
}
