#pragma once
// Opens an address (web or mail link) with the desktop's default handler.
// Tests replace the opener to capture the address instead.
#include <functional>

#include <wx/string.h>

namespace platform {

using shell_opener = std::function<void(const wxString& address)>;

// Opens the address through the installed opener (xdg-open by default).
void shell_open(const wxString& address);

// Replaces the opener; an empty function restores the default. Returns the
// previous one.
shell_opener set_shell_opener(shell_opener opener);

}  // namespace platform
