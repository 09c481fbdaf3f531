#include "crypto/local_time.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include "app/diagnostics.h"

namespace {

const char* const kTimeFormat = "%4.4d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d";

std::string format_tm(const struct tm& t) {
    char text[64];
    std::snprintf(text, sizeof text, kTimeFormat, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

char* new_text_buffer(const std::string& text) {
    char* buffer = static_cast<char*>(std::calloc(50, 1));
    if (buffer) std::snprintf(buffer, 50, "%s", text.c_str());
    return buffer;
}

// Reads `count` decimal digits at *p; false when any is not a digit.
bool read_digits(const char*& p, const char* end, int count, int* value) {
    if (end - p < count) return false;
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        v = v * 10 + (p[i] - '0');
    }
    p += count;
    *value = v;
    return true;
}

}  // namespace

// The local time text of an instant, using the zone rules in force at that
// instant (not the offset of today).
std::string epoch_to_local_text(int64_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (!localtime_r(&t, &local)) return std::string();
    return format_tm(local);
}

int64_t utc_fields_to_epoch(int year, int month, int day, int hour, int minute, int second) {
    // Days from 1970-01-01 in the proleptic Gregorian calendar.
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second;
}

std::string asn1_time_to_text(const ASN1_TIME* time) {
    if (!time) return std::string();
    std::string text;
    struct tm utc {};
    if (ASN1_TIME_to_tm(time, &utc) == 1) {
        text = epoch_to_local_text(utc_fields_to_epoch(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                                                       utc.tm_hour, utc.tm_min, utc.tm_sec));
    }
    if (text.empty()) {
        diag_print("\n\n[ERROR] %s(), usertime from utctm failed [ERROR]\n", "");
        int error = 0;
        int64_t seconds = asn1_time_to_epoch(time, &error);
        if (error == 0) {
            char* buffer = time_to_text(seconds);
            if (buffer) text = buffer;
            std::free(buffer);
        }
        if (text.empty()) diag_print("\n\n[ERROR] %s(), ASN1_TIME_get() failed [ERROR]\n", "");
    }
    return text;
}

char* asn1_time_text_to_local(const char* text, int year_digits) {
    if (!text || (year_digits != 2 && year_digits != 4)) return new_text_buffer("");
    const char* p = text;
    const char* end = text + std::strlen(text);
    int year, month, day, hour, minute, second;
    if (!read_digits(p, end, year_digits, &year) || !read_digits(p, end, 2, &month) ||
        !read_digits(p, end, 2, &day) || !read_digits(p, end, 2, &hour) ||
        !read_digits(p, end, 2, &minute) || !read_digits(p, end, 2, &second))
        return new_text_buffer("");
    if (year_digits == 2) year += year > 49 ? 1900 : 2000;
    return new_text_buffer(epoch_to_local_text(utc_fields_to_epoch(year, month, day, hour, minute, second)));
}

std::string generalized_time_to_local_text(const std::string& text) {
    if (text.size() > 14 && text[14] == 'Z') {
        char* buffer = asn1_time_text_to_local(text.c_str(), 4);
        std::string result = buffer ? buffer : "";
        std::free(buffer);
        return result;
    }
    return std::string();
}

char* time_to_text(int64_t seconds) {
    return new_text_buffer(epoch_to_local_text(seconds));
}

std::string now_local_text() {
    return epoch_to_local_text(static_cast<int64_t>(std::time(nullptr)));
}

bool time_text_not_passed(const std::string& text) {
    return !text.empty() && text.compare(now_local_text()) >= 0;
}

int local_utc_offset_hours() {
    time_t now = std::time(nullptr);
    struct tm local {}, utc {};
    localtime_r(&now, &local);
    gmtime_r(&now, &utc);
    int offset = local.tm_hour - utc.tm_hour;
    if (offset > 12) offset -= 24;
    if (offset < -12) offset += 24;
    return offset;
}

int64_t asn1_time_to_epoch(const ASN1_TIME* time, int* error) {
    int dummy = 0;
    if (!error) error = &dummy;
    *error = 1;
    if (!time || !time->data) return 0;
    const bool generalized = time->type == V_ASN1_GENERALIZEDTIME;
    if (!generalized && time->type != V_ASN1_UTCTIME) return 0;

    const char* p = reinterpret_cast<const char*>(time->data);
    const char* end = p + time->length;
    int year, month, day, hour, minute, second = 0;
    if (generalized) {
        if (!read_digits(p, end, 4, &year)) return 0;
    } else {
        if (!read_digits(p, end, 2, &year)) return 0;
        year += year < 50 ? 2000 : 1900;
    }
    if (!read_digits(p, end, 2, &month) || month < 1 || month > 12) return 0;
    if (!read_digits(p, end, 2, &day) || day < 1 || day > 31) return 0;
    if (!read_digits(p, end, 2, &hour) || hour > 23) return 0;
    if (!read_digits(p, end, 2, &minute) || minute > 59) return 0;
    if (p < end && *p >= '0' && *p <= '9') {
        if (!read_digits(p, end, 2, &second) || second > 59) return 0;
    }
    if (generalized) {
        if (p < end && (*p == '.' || *p == ',')) {
            ++p;
            while (p < end && *p >= '0' && *p <= '9') ++p;
        }
        if (p == end) {
            // No zone: the time is local.
            struct tm local {};
            local.tm_year = year - 1900;
            local.tm_mon = month - 1;
            local.tm_mday = day;
            local.tm_hour = hour;
            local.tm_min = minute;
            local.tm_sec = second;
            local.tm_isdst = -1;
            errno = 0;
            time_t t = mktime(&local);
            if (t == static_cast<time_t>(-1) && errno != 0) {
                *error = 2;
                return 0;
            }
            *error = 0;
            return static_cast<int64_t>(t);
        }
    }
    if (p >= end) return 0;
    int64_t offset = 0;
    if (*p == 'Z') {
        ++p;
    } else if (*p == '+' || *p == '-') {
        const int sign = *p == '+' ? 1 : -1;
        ++p;
        int zone_hours, zone_minutes;
        if (!read_digits(p, end, 2, &zone_hours) || zone_hours > 12) return 0;
        if (!read_digits(p, end, 2, &zone_minutes) || zone_minutes > 59) return 0;
        offset = sign * (zone_hours * 3600 + zone_minutes * 60);
    } else {
        return 0;
    }
    if (p != end) return 0;
    *error = 0;
    return utc_fields_to_epoch(year, month, day, hour, minute, second) - offset;
}
