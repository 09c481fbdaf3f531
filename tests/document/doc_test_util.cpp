#include "document/doc_test_util.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace doctest {

std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) throw std::runtime_error("popen failed");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int rc = pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string quote(const std::string& path) {
    std::string q = "'";
    for (char c : path) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), (std::streamsize)bytes.size());
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string temp_folder() {
    char templ[] = "/tmp/velk-doctest-XXXXXX";
    char* dir = mkdtemp(templ);
    if (!dir) throw std::runtime_error("mkdtemp failed");
    return dir;
}

}  // namespace doctest

namespace doctest {
temp_dir::temp_dir() : path(temp_folder()) {}
temp_dir::~temp_dir() { run("rm -rf " + quote(path)); }
}  // namespace doctest
