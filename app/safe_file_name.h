#pragma once
// File names made from texts that come from outside (certificate names).
#include <string>

// Turns `text` into one file-name component that stays inside the folder it
// is joined to: "/" and "\" become "_", control characters (and DEL) become
// "_", a leading "." and the second "." of every ".." become "_", so the
// result is never "", "." or "..", holds no separator and no "..". The UTF-8
// form is cut (at a character boundary) to at most `max_bytes` bytes, leaving
// room for an extension within the file system's 255-byte limit.
std::wstring safe_file_name_component(const std::wstring& text, std::size_t max_bytes = 200);
