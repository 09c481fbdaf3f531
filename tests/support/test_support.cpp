#include "support/test_support.h"

#include "platform/private_temp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <netinet/in.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace testsupport {

command_result run_command(const std::string& command) {
    command_result result;
    std::string full = "( " + command + " ) 2>&1";
    FILE* pipe = ::popen(full.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) result.output.append(buf.data(), n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string shell_quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

scratch_dir::scratch_dir() {
    std::string templ = platform::private_temp_dir() + "/test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("cannot make scratch folder");
    path_ = buf.data();
}

scratch_dir::~scratch_dir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string support_dir() { return std::string(VELK_SOURCE_DIR) + "/tests/support"; }
std::string corpus_dir() {
    const char* env = std::getenv("VELK_CORPUS_DIR");
    return env && *env ? env : VELK_CORPUS_DIR;
}

bool corpus_available() { return file_exists(corpus_dir() + "/pyhanko/minimal.pdf"); }

std::string write_minimal_pdf(const std::string& path, int pages, int width, int height) {
    std::vector<std::string> objects;
    std::string kids;
    for (int i = 0; i < pages; ++i) kids += std::to_string(4 + 2 * i) + " 0 R ";
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < pages; ++i) {
        std::string text = "BT /F1 24 Tf 20 " + std::to_string(height / 2) + " Td (Page " + std::to_string(i + 1) + ") Tj ET";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(width) + " " + std::to_string(height) + "] /Resources << /Font << /F1 3 0 R >> >> "
                          "/Contents " + std::to_string(5 + 2 * i) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream");
    }
    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t off : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    write_file(path, out);
    return path;
}

std::string write_large_pdf(const std::string& path, int megabytes) {
    const std::size_t width = 1024;
    const std::size_t rows = (static_cast<std::size_t>(megabytes) << 20) / width;
    const std::size_t length = width * rows;
    std::ofstream out(path, std::ios::binary);
    std::vector<std::size_t> offsets;
    std::size_t pos = 0;
    auto put = [&](const std::string& s) {
        out << s;
        pos += s.size();
    };
    auto object = [&](const std::string& head) {
        offsets.push_back(pos);
        put(std::to_string(offsets.size()) + " 0 obj\n" + head);
    };
    const std::string content = "q 500 0 0 700 50 50 cm /Im0 Do Q\n";
    put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    object("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im0 5 0 R >> >> "
           "/Contents 4 0 R >>\nendobj\n");
    object("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream\nendobj\n");
    object("<< /Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
           std::to_string(rows) + " /ColorSpace /DeviceGray /BitsPerComponent 8 /Length " +
           std::to_string(length) + " >>\nstream\n");
    std::vector<uint64_t> block(1 << 16);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (std::size_t left = length; left;) {
        for (auto& v : block) {  // xorshift: varied, cheap bytes
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            v = x;
        }
        const std::size_t n = std::min(left, block.size() * sizeof(uint64_t));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        pos += n;
        left -= n;
    }
    put("\nendstream\nendobj\n");
    const std::size_t xref = pos;
    put("xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n");
    for (std::size_t off : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        put(line);
    }
    put("trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
        std::to_string(xref) + "\n%%EOF\n");
    return path;
}

scratch_mount::scratch_mount(const std::string& dir, const std::string& options) : dir_(dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    mounted_ = ::geteuid() == 0 &&
               run_command("mount -t tmpfs -o " + shell_quote(options) + " tmpfs " + shell_quote(dir)).status == 0;
}

scratch_mount::~scratch_mount() {
    if (mounted_) run_command("umount " + shell_quote(dir_));
}

bool leave_free_space(const std::string& dir, const std::string& name, unsigned long long bytes) {
    struct statvfs vfs {};
    if (::statvfs(dir.c_str(), &vfs) != 0) return false;
    const unsigned long long free_bytes = static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize;
    if (free_bytes < bytes) return false;
    const unsigned long long fill = (free_bytes - bytes) / vfs.f_frsize * vfs.f_frsize;
    return run_command("fallocate -l " + std::to_string(fill) + " " + shell_quote(dir + "/" + name)).status == 0 ||
           fill == 0;
}

loopback_server::loopback_server(const std::string& routes_json, const std::string& tls_cert,
                                 const std::string& tls_key) {
    tls_ = !tls_cert.empty();
    write_file(dir_.file("routes.json"), routes_json);
    fs::create_directory(dir_.file("log"));
    int out_pipe[2];
    if (::pipe(out_pipe) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out_pipe[1], 1);
        ::close(out_pipe[0]);
        ::close(out_pipe[1]);
        std::string script = support_dir() + "/loopback_server.py";
        std::string routes = dir_.file("routes.json");
        std::string log = dir_.file("log");
        if (tls_)
            ::execlp("python3", "python3", script.c_str(), routes.c_str(), log.c_str(), "--tls", tls_cert.c_str(),
                     tls_key.c_str(), static_cast<char*>(nullptr));
        else
            ::execlp("python3", "python3", script.c_str(), routes.c_str(), log.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out_pipe[1]);
    std::string line;
    char c;
    while (::read(out_pipe[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out_pipe[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) throw std::runtime_error("loopback server did not start");
}

loopback_server::~loopback_server() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::string loopback_server::url(const std::string& path) const {
    return std::string(tls_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

int loopback_server::request_count() const {
    int n = 0;
    while (file_exists(dir_.file("log/" + std::to_string(n + 1) + ".body"))) ++n;
    return n;
}

std::string loopback_server::request_body(int n) const { return read_file(dir_.file("log/" + std::to_string(n) + ".body")); }
std::string loopback_server::request_path(int n) const { return read_file(dir_.file("log/" + std::to_string(n) + ".path")); }
std::string loopback_server::request_method(int n) const {
    return read_file(dir_.file("log/" + std::to_string(n) + ".method"));
}

int unused_port() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    int port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

namespace {
void put_env(const char* name, const std::string& value) {
    if (value.empty())
        setenv(name, "/nonexistent-cert-set", 1);
    else
        setenv(name, value.c_str(), 1);
}
void restore_env(const char* name, bool had, const std::string& old) {
    if (had)
        setenv(name, old.c_str(), 1);
    else
        unsetenv(name);
}
}  // namespace

system_roots_override::system_roots_override(const std::string& file, const std::string& dir) {
    if (const char* v = std::getenv("SSL_CERT_FILE")) had_file_ = true, old_file_ = v;
    if (const char* v = std::getenv("SSL_CERT_DIR")) had_dir_ = true, old_dir_ = v;
    put_env("SSL_CERT_FILE", file);
    put_env("SSL_CERT_DIR", dir);
}

system_roots_override::~system_roots_override() {
    restore_env("SSL_CERT_FILE", had_file_, old_file_);
    restore_env("SSL_CERT_DIR", had_dir_, old_dir_);
}

}  // namespace testsupport
