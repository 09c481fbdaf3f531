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
    if (!wxTheApp || !wxTheApp->IsGUI()) return false;
    return wxSystemSettings::GetAppearance().IsDark();
}

void set_system_theme_probe(std::function<bool()> probe) { probe_slot() = std::move(probe); }

}  // namespace platform
