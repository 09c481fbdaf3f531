#pragma once
// Short names for the shared test helpers, as the document tests use them.
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace doctest {

// Runs a shell command and returns its output; `status` gets the exit code.
inline std::string run(const std::string& command, int* status = nullptr) {
    testsupport::command_result r = testsupport::run_command(command);
    if (status) *status = r.status;
    return r.output;
}
inline std::string quote(const std::string& path) { return testsupport::shell_quote(path); }
inline void write_bytes(const std::string& path, const std::string& bytes) { testsupport::write_file(path, bytes); }
inline std::string read_bytes(const std::string& path) { return testsupport::read_file(path); }

// The text of a PDF as MuPDF's own tool extracts it, a line for each line of
// text: the blank line after each block and the page ends left out.
inline std::string extracted_text(const std::string& pdf) {
    std::istringstream raw(run("mutool draw -q -F txt " + quote(pdf) + " 2>/dev/null"));
    std::string text, line;
    while (std::getline(raw, line))
        if (!line.empty() && line != "\f") text += line + "\n";
    return text;
}

// A temporary folder removed with everything in it when the object goes.
struct temp_dir {
    testsupport::scratch_dir scratch;
    std::string path = scratch.path();
    std::string file(const std::string& name) const { return scratch.file(name); }
};

}  // namespace doctest
