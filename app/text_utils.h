#pragma once
// Text, path and file utilities shared by the whole program.
//
// Three text forms meet here: wide text (user interface and paths), UTF-8
// (JSON, crypto and network data, and every narrow path handed to the file
// system) and narrow text in the current C locale (error texts).
#include <cstddef>
#include <string>

// Narrow text in the current C locale's code page <-> wide text.
std::string wide_to_mb(const std::wstring& text);
std::wstring mb_to_wide(const std::string& text);

// Strict UTF-8 decoding over the full Unicode range. Malformed input (bad
// lead or continuation bytes, truncated or overlong sequences, surrogates,
// values past U+10FFFF) throws std::range_error("bad conversion").
std::wstring utf8_to_wide(const std::string& text);
// The same for a zero-terminated character array; a null pointer gives "".
std::wstring utf8_chars_to_wide(const char* text);
// UTF-8 encoding of every character (one to four bytes). A value that is not
// a Unicode scalar value (a lone surrogate, past U+10FFFF) becomes U+FFFD.
std::string wide_to_utf8(const std::wstring& text);

// The text after the last "\" or "/"; a leading drive prefix ("C:") is never
// part of it. A path that ends with a separator gives "".
std::wstring file_name_of(const std::wstring& path);
// The folder part of a path. A final separator is ignored first; then the
// last "/" (or, when the path holds none, the last "\") ends the folder.
// With keep_separator the result ends with that separator; "" when there is none.
std::wstring dir_of(const std::wstring& path, bool keep_separator = true);

// Temporary names. They live in the process's private (0700) temporary folder.
// With a name: that folder, "/" and the name (nothing is created).
// With an empty name: a new empty file (0600) whose name is a decimal number,
// created with O_EXCL so no other process can take or replace it; every call
// gives a new file. Throws std::runtime_error when no file can be made.
std::wstring temp_path(const std::wstring& name);
// A new numbered temporary file ending with the extension; a "." is put in
// front of an extension that does not begin with one.
std::wstring temp_path_with_ext(const std::string& extension);
// A new numbered temporary file whose path differs from `avoid`.
std::wstring unique_temp_path(const std::wstring& avoid);

// Whole-text pattern tests.
// "^https*://.*\.[^\.]{2,5}.*" (ECMAScript), matched against the whole text.
bool is_valid_url(const std::string& text);
// One or more white-space characters and nothing else; false for "".
bool is_blank_text(const std::wstring& text);

// The whole file as text; CR LF reads as LF. A file that cannot be read gives "".
std::string read_file_string(const std::string& path);
// Replaces the file with the text, written as it is (LF line ends, the form
// read_file_string gives back). The file is written beside its final place and
// renamed over it, so it is never left half-written. A new file is 0600; an
// existing one keeps its mode. Returns false (and leaves the old file) on failure.
bool write_file_string(const std::string& text, const std::string& path);

// Writes bytes to `path` the same safe way as write_file_string.
// On failure errno describes the cause.
bool write_file_replacing(const std::string& path, const void* data, std::size_t size);
