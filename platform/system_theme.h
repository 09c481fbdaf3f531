#pragma once
// Whether the desktop uses a dark appearance, behind a seam tests can replace.
#include <functional>

namespace platform {

// True when the desktop's appearance is dark. Without a running GUI toolkit
// (or when the toolkit cannot tell) the answer is light, i.e. false.
bool system_uses_dark_theme();

// Replaces the probe (tests); an empty function returns to the toolkit's answer.
void set_system_theme_probe(std::function<bool()> probe);

}  // namespace platform
