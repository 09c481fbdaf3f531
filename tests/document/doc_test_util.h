#pragma once
// Shared helpers of the document tests: running the independent judges
// (poppler, qpdf, mutool) and handling files.
#include <cstdio>
#include <string>
#include <vector>

namespace doctest {

// Runs a shell command and returns its standard output; `status` gets the exit code.
std::string run(const std::string& command, int* status = nullptr);
std::string quote(const std::string& path);
void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);
// A fresh folder for one test.
std::string temp_folder();

}  // namespace doctest

namespace doctest {
// A temporary folder removed with everything in it when the object goes.
struct temp_dir {
    std::string path;
    temp_dir();
    ~temp_dir();
    std::string file(const std::string& name) const { return path + "/" + name; }
};
}  // namespace doctest
