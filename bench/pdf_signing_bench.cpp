// Signing large PDFs (10, 100 and 500 MB) beside `mutool sign` on the same
// file in the same run. Each signing runs in a child process, so its wall
// time and its peak resident memory are its own.
//
//   build/bench/bench_pdf_signing_bench [--benchmark_repetitions=3 ...]
// Counters: file_MB (input size), peak_MB (child's peak RSS), limit_MB (the
// memory a signing may take whatever the file's size: 64 MB).
// VELK_BENCH_COLD=1 empties the page cache before every signing (root only),
// so that each one reads its file from the disk.
#include "app/text_utils.h"
#include "crypto/crypto_init.h"
#include "document/pdf_sign.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string work_dir() {
    // Never destroyed, so the clean-up at exit can still read it.
    static const std::string* dir = [] {
        char tmpl[] = "/tmp/velk-sign-bench-XXXXXX";
        const char* d = mkdtemp(tmpl);
        return new std::string(d ? d : "/tmp");
    }();
    return *dir;
}

// The generated files (hundreds of MB) go when the run ends; the signing
// children leave with _exit and never run this.
struct work_dir_cleanup {
    ~work_dir_cleanup() {
        const std::string d = work_dir();
        if (d.rfind("/tmp/velk-sign-bench-", 0) == 0) std::system(("rm -rf '" + d + "'").c_str());
    }
} cleanup_at_exit;

int sh(const std::string& cmd) { return std::system(cmd.c_str()); }

// A PDF of about `megabytes` MB: one page showing a large incompressible
// image, and an unsigned signature field for mutool to sign.
std::string big_pdf(int megabytes) {
    const std::string path = work_dir() + "/big" + std::to_string(megabytes) + ".pdf";
    if (access(path.c_str(), R_OK) == 0) return path;
    const std::size_t side = 1024;
    std::size_t rows = (static_cast<std::size_t>(megabytes) << 20) / (side * 3);
    std::ofstream out(path, std::ios::binary);
    std::vector<std::size_t> offsets;
    std::size_t pos = 0;
    auto put = [&](const std::string& s) {
        out << s;
        pos += s.size();
    };
    auto obj = [&](int n, const std::string& body) {
        offsets.resize(n);
        offsets[n - 1] = pos;
        put(std::to_string(n) + " 0 obj\n" + body + "\nendobj\n");
    };
    put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    obj(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] >> >>");
    obj(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    obj(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im0 6 0 R >> >> "
           "/Contents 4 0 R /Annots [5 0 R] >>");
    const std::string content = "q 500 0 0 500 50 150 cm /Im0 Do Q\n";
    obj(4, "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    obj(5, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /F 132 /P 3 0 R /T (Existing) >>");
    const std::size_t length = side * 3 * rows;
    offsets.resize(6);
    offsets[5] = pos;
    put("6 0 obj\n<< /Type /XObject /Subtype /Image /Width " + std::to_string(side) + " /Height " +
        std::to_string(rows) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Length " + std::to_string(length) +
        " >>\nstream\n");
    std::mt19937_64 rng(42);
    std::vector<uint64_t> block(1 << 17);
    for (std::size_t left = length; left;) {
        for (auto& v : block) v = rng();
        std::size_t n = std::min(left, block.size() * 8);
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
        pos += n;
        left -= n;
    }
    put("\nendstream\nendobj\n");
    const std::size_t xref = pos;
    put("xref\n0 7\n0000000000 65535 f \n");
    for (std::size_t off : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        put(line);
    }
    put("trailer\n<< /Size 7 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
    return path;
}

std::string signer_pfx() {
    const std::string pfx = work_dir() + "/signer.p12";
    if (access(pfx.c_str(), R_OK) != 0)
        sh("cd " + work_dir() +
           " && openssl req -x509 -newkey rsa:2048 -nodes -keyout k.pem -out c.pem -days 2 -subj /CN=Bench"
           " 2>/dev/null && openssl pkcs12 -export -inkey k.pem -in c.pem -out signer.p12 -passout pass:pw");
    return pfx;
}

// Writes back and drops the page cache when cold runs are asked for.
void drop_caches_if_cold() {
    const char* cold = std::getenv("VELK_BENCH_COLD");
    if (!cold || std::strcmp(cold, "1") != 0) return;
    ::sync();
    std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

struct child_run {
    double seconds = 0;
    double peak_mb = 0;
    bool ok = false;
};

// Runs `work` in a child process; the child's exit code 0 means success.
template <typename F>
child_run in_child(F work) {
    child_run r;
    drop_caches_if_cold();
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) _exit(work());
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.peak_mb = usage.ru_maxrss / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return r;
}

void report(benchmark::State& state, const child_run& r, int megabytes) {
    if (!r.ok) state.SkipWithError("signing failed");
    state.SetIterationTime(r.seconds);
    state.counters["file_MB"] = megabytes;
    state.counters["peak_MB"] = r.peak_mb;
    state.counters["limit_MB"] = 64;
}

void BM_sign_with_pfx(benchmark::State& state) {
    const int mb = static_cast<int>(state.range(0));
    const std::string src = big_pdf(mb), pfx = signer_pfx(), out = work_dir() + "/ours.pdf";
    for (auto _ : state) {
        child_run r = in_child([&] {
            init_crypto();
            sign_params p;
            std::memset(&p, 0, sizeof p);
            p.permission = 1;
            try {
                sign_with_pfx(utf8_to_wide(src), pfx.c_str(), "pw", nullptr, utf8_to_wide(out), &p);
            } catch (const std::exception& ex) {
                return std::strcmp(ex.what(), "Succeed") == 0 ? 0 : 1;
            }
            return 1;
        });
        report(state, r, mb);
    }
    std::remove(out.c_str());
}

void BM_mutool_sign(benchmark::State& state) {
    const int mb = static_cast<int>(state.range(0));
    const std::string src = big_pdf(mb), pfx = signer_pfx(), out = work_dir() + "/mutool.pdf";
    for (auto _ : state) {
        child_run r = in_child([&] {
            execlp("mutool", "mutool", "sign", "-s", pfx.c_str(), "-P", "pw", "-o", out.c_str(), src.c_str(), "5",
                   static_cast<char*>(nullptr));
            return 127;
        });
        report(state, r, mb);
    }
    std::remove(out.c_str());
}

}  // namespace

BENCHMARK(BM_sign_with_pfx)->Arg(10)->Arg(100)->Arg(500)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_mutool_sign)->Arg(10)->Arg(100)->Arg(500)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
