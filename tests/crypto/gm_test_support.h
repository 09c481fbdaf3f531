#pragma once
// Shell fixtures for the GM and digest tests: a scratch folder and openssl.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace gm_test {

// A scratch folder removed when the object goes.
class scratch_dir {
public:
    scratch_dir() {
        char tmpl[] = "/tmp/velk-gm-XXXXXX";
        const char* d = mkdtemp(tmpl);
        path_ = d != nullptr ? d : "";
    }
    ~scratch_dir() {
        if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Runs a shell command in the folder; true when it exits with 0.
    bool run(const std::string& command) const {
        std::string full = "cd '" + path_ + "' && (" + command + ") >>log.txt 2>&1";
        return std::system(full.c_str()) == 0;
    }
    std::string log() const { return read_text("log.txt"); }

    std::vector<unsigned char> read(const std::string& name) const {
        std::ifstream in(file(name), std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }
    std::string read_text(const std::string& name) const {
        auto b = read(name);
        return std::string(b.begin(), b.end());
    }
    void write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        std::ofstream out(file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void write_text(const std::string& name, const std::string& text) const {
        write(name, std::vector<unsigned char>(text.begin(), text.end()));
    }

private:
    std::string path_;
};

}  // namespace gm_test
