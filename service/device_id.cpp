#include "app/diagnostics.h"
#include "service/device_id.h"

#include <wx/utils.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "app/settings.h"
#include "app/text_utils.h"
#include "app/thread_event.h"
#include "crypto/digests.h"
#include "service/report_queue.h"

#ifndef VELK_PRODUCT_NAME
#define VELK_PRODUCT_NAME "Velkorant"
#endif
#ifndef VELK_PRODUCT_VERSION
#define VELK_PRODUCT_VERSION "1.0.0"
#endif
#ifndef VELK_FILE_VERSION
#define VELK_FILE_VERSION "1.0.0.1"
#endif

namespace fs = std::filesystem;

user_info current_user_info;
product_info current_product_info;
std::string network_interfaces_folder = "/sys/class/net";

bool user_info_equal(const user_info& a, const user_info& b) {
    return a.device_id == b.device_id && a.device_name == b.device_name && a.platform == b.platform &&
           a.contact == b.contact && a.country == b.country;
}

namespace {

std::string first_line_of(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    if (in) std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// Six bytes written "xx:xx:xx:xx:xx:xx"; false for anything else.
bool parse_mac(const std::string& text, unsigned char (&mac)[6]) {
    if (text.size() != 17) return false;
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && text[i * 3 - 1] != ':') return false;
        unsigned value = 0;
        for (int k = 0; k < 2; ++k) {
            const char c = text[i * 3 + k];
            value <<= 4;
            if (c >= '0' && c <= '9') value |= c - '0';
            else if (c >= 'a' && c <= 'f') value |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') value |= c - 'A' + 10;
            else return false;
        }
        mac[i] = static_cast<unsigned char>(value);
    }
    return true;
}

constexpr const char* kLoopbackType = "772";  // ARPHRD_LOOPBACK

}  // namespace

std::string first_hardware_address(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const fs::path dir = fs::path(folder) / name;
        if (name == "lo" || first_line_of(dir / "type") == kLoopbackType) continue;
        unsigned char mac[6];
        if (!parse_mac(first_line_of(dir / "address"), mac)) continue;
        if (std::all_of(std::begin(mac), std::end(mac), [](unsigned char b) { return b == 0; })) continue;
        char text[18];
        std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4],
                      mac[5]);
        return text;
    }
    return "";
}

unsigned char random_byte() {
    std::random_device device;
    std::mt19937 generator(device());
    return static_cast<unsigned char>(generator() & 0xff);
}

std::string random_hex_bytes(int n) {
    std::string out;
    char hex[3];
    for (int i = 0; i < n; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", random_byte());
        out += hex;
    }
    return out;
}

std::string random_id_text() {
    return random_hex_bytes(4) + "-" + random_hex_bytes(2) + "-" + random_hex_bytes(2) + "-" + random_hex_bytes(2) +
           "-" + random_hex_bytes(6);
}

void make_device_id() {
    std::string node = first_hardware_address(network_interfaces_folder);
    if (node.empty()) node = random_id_text();
    current_user_info.device_id = sha1_hex(reinterpret_cast<const unsigned char*>(node.data()), node.size());
    if (current_user_info.device_id.empty()) current_user_info.device_id = random_id_text();
    current_user_info.platform = wxGetOsDescription().utf8_string();
}

std::string own_file_version() { return VELK_FILE_VERSION; }
std::string own_product_version() { return VELK_PRODUCT_VERSION; }

void read_product_info() {
    current_product_info.name = utf8_to_wide(VELK_PRODUCT_NAME);
    current_product_info.version = own_file_version();
}

void report_user_stat() {
    try {
        if (!cfgui.device_id.empty())
            current_user_info = cfgui;
        else
            make_device_id();
        read_product_info();
        if (user_info_equal(current_user_info, cfgui) && current_product_info.name == cfgpi.name &&
            current_product_info.version == cfgpi.version)
            return;
        cfgui = current_user_info;
        cfgpi.name = current_product_info.name;
        cfgpi.version = current_product_info.version;

        report_record r;
        init_report_record(action_user_stat, r);
        r.level = "info";
        r.desc = wide_to_utf8(current_product_info.name + L", ") + current_product_info.version;
        queue_report(r);
        save_user_info();
        save_product_info();
    } catch (const std::exception& ex) {
        diag_error("", ex.what());
    }
}
