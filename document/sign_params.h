#pragma once
// What a signing needs: the signing panel's task and the parameters the sign
// operation builds from it for the signing loop.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

struct sigstampui;

// Filled by the signing panel when signing starts.
struct sign_task {
    sigstampui* stamp = nullptr;  // the chosen stamp (not owned)
    std::wstring source;          // the open document's file
    std::wstring intermediate;    // a temporary ".pdf" path when signing in place, else empty
    std::wstring output;          // where the signed PDF goes
    int32_t page = 0;             // zero-based page current when the task was made
    uint8_t add_revocation = 0;   // the "is-ltv" setting
    uint8_t lock = 0;
    uint8_t certify = 0;
    int32_t permission = 1;       // DocMDP permission 1..3
};

// Zero-filled before use; every text is UTF-8 and NUL-terminated.
struct sign_params {
    int32_t page;
    float x0, y0, x1, y1;  // PDF page space, y0 bottom, y1 top
    char picture[256];     // stamp picture path; empty: invisible signature
    char reason[1024];
    char location[1024];
    char contact[1024];
    char signing_time[1024];  // PDF date text
    char field_name[256];
    int32_t add_revocation;
    int32_t lock;
    int32_t certify;
    int32_t permission;
    int32_t timestamp_only;
};

// Copies the text with its terminator into a fixed field; false (and the field
// left empty) when it does not fit.
template <std::size_t N>
bool set_param_text(char (&field)[N], const std::string& text) {
    field[0] = 0;
    if (text.size() >= N || text.find('\0') != std::string::npos) return false;
    std::memcpy(field, text.c_str(), text.size() + 1);  // with its terminator
    return true;
}

// "D:YYYYMMDDHHMMSS+HH'MM'" for the instant in local time, with the UTC offset
// in force at that instant (half-hour zones and daylight saving included).
std::string pdf_signing_time_text(std::time_t when);
