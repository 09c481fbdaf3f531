#include "platform/shell_open.h"

#include <wx/utils.h>

namespace platform {
namespace {

shell_opener& current_opener() {
    static shell_opener opener;
    return opener;
}

}  // namespace

void shell_open(const wxString& address) {
    if (current_opener()) {
        current_opener()(address);
        return;
    }
    // xdg-open handles both web and mailto: addresses.
    wxLaunchDefaultBrowser(address);
}

shell_opener set_shell_opener(shell_opener opener) {
    shell_opener previous = current_opener();
    current_opener() = std::move(opener);
    return previous;
}

}  // namespace platform
