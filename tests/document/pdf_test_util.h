// Small helpers for the PDF layer tests: hand-built PDFs and UTF-16 texts.
#pragma once

#include <string>
#include <vector>

#include "document/pdf_layer.h"

namespace pdftest {

// A PDF from object bodies (object i+1 is objs[i]) with a correct
// cross-reference table; object 1 is the catalog.
inline std::string build_pdf(const std::vector<std::string>& objs) {
    std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objs.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objs[i] + "\nendobj\n";
    }
    size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objs.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t off : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
        out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(objs.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

inline std::string stream_obj(const std::string& dict_entries, const std::string& data) {
    return "<< " + dict_entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
           "\nendstream";
}

// UTF-16LE bytes (with terminator) to UTF-8, for ASCII and BMP texts.
inline std::string utf16le_to_utf8(const std::vector<unsigned char>& b) {
    std::string s;
    for (size_t i = 0; i + 1 < b.size(); i += 2) {
        unsigned u = b[i] | (b[i + 1] << 8);
        if (!u) break;
        if (u < 0x80) {
            s += static_cast<char>(u);
        } else if (u < 0x800) {
            s += static_cast<char>(0xC0 | (u >> 6));
            s += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            s += static_cast<char>(0xE0 | (u >> 12));
            s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return s;
}

// Reads a UTF-16LE getter: asks for the length, then fetches.
template <typename F>
std::string read_utf16(F getter, FPDF_SIGNATURE sig) {
    unsigned long n = getter(sig, nullptr, 0);
    if (!n) return "";
    std::vector<unsigned char> buf(n);
    if (getter(sig, buf.data(), n) != n) return "<?>";
    return utf16le_to_utf8(buf);
}

template <typename F>
std::string read_bytes(F getter, FPDF_SIGNATURE sig) {
    unsigned long n = getter(sig, nullptr, 0);
    if (!n) return "";
    std::vector<char> buf(n);
    getter(sig, buf.data(), n);
    return std::string(buf.data(), n - 1);
}

}  // namespace pdftest
