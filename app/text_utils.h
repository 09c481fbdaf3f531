#pragma once
// Text, path and file utilities shared by the whole program.
#include <string>

// Narrow text in the current C locale's code page <-> wide text.
std::string wide_to_mb(const std::wstring& text);
std::wstring mb_to_wide(const std::string& text);
