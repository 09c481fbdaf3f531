#include "platform/system_theme.h"

#include <wx/app.h>
#include <wx/settings.h>

#include <utility>

namespace platform {
namespace {
std::function<bool()>& probe_slot() {
    static std::function<bool()> probe;
    return probe;
}
}  // namespace

bool system_uses_dark_theme() {
    if (probe_slot()) return probe_slot()();
    // The appearance can only be asked once the GUI toolkit is running.
    // Asked through the console base: the running application object need
    // not be a GUI one (wxTheApp would cast it to one).
    const wxAppConsole* app = wxAppConsole::GetInstance();
    if (app == nullptr || !app->IsGUI()) return false;
    return wxSystemSettings::GetAppearance().IsDark();
}

void set_system_theme_probe(std::function<bool()> probe) { probe_slot() = std::move(probe); }

}  // namespace platform
