#pragma once
// Whole files as one heap buffer, with narrow (UTF-8) or wide paths.
#include <cstdint>
#include <string>

// Writes `size` bytes to the file. The bytes go to a temporary file beside the
// target, which is renamed over it once every write succeeded, so a failed
// write never leaves a truncated file behind. On failure prints
// "\n\n[ERROR] (), faile to save to path: <path> [ERROR]\n" and returns false,
// errno telling why.
bool buff2file(const void* data, uint32_t size, const std::string& path);
bool buff2filew(const void* data, uint32_t size, const std::wstring& path);

// Reads a whole regular file into a malloc'ed buffer of its size plus two zero
// bytes (so it can be read as narrow or wide text); the caller frees it.
// Returns false (and null/0) when the file cannot be opened or read in full,
// or is 4 GB or larger.
bool file2buff(const std::string& path, unsigned char** buffer, uint32_t* size);
bool file2buffw(const std::wstring& path, unsigned char** buffer, uint32_t* size);
