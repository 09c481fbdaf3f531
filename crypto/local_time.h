#pragma once
// Local time texts "YYYY-MM-DD HH:MM:SS" made from ASN.1 and calendar times.
// Each instant is converted with the UTC offset in force at that instant, so
// half-hour zones and daylight-saving changes come out right.
#include <cstdint>
#include <string>
#include <openssl/asn1.h>

// The ASN.1 time as a local time text; "" for null or an unreadable time.
std::string asn1_time_to_text(const ASN1_TIME* time);

// The local time text of an instant (seconds since 1970 UTC), with the zone
// rules in force at that instant; empty when it cannot be converted.
std::string epoch_to_local_text(int64_t seconds);

// A UTC time text (YYMMDDHHMMSSZ with 2 year digits, YYYYMMDDHHMMSSZ with 4),
// as a new malloc'ed 50-byte local time text the caller frees. Two-digit
// years above 49 are 19xx.
char* asn1_time_text_to_local(const char* text, int year_digits);

// A GeneralizedTime text ending in "Z" at its 15th character, as local time text; else "".
std::string generalized_time_to_local_text(const std::string& text);

// Seconds since 1970 as a new malloc'ed 50-byte local time text.
char* time_to_text(int64_t seconds);

// The current local time text.
std::string now_local_text();

// True when the text is not empty and not earlier than the current local time text.
bool time_text_not_passed(const std::string& text);

// Local hour minus UTC hour now, folded into -12..+12.
int local_utc_offset_hours();

// Seconds since 1970 of a UTCTime or GeneralizedTime. *error: 0 good,
// 1 bad format, 2 local time not convertible.
int64_t asn1_time_to_epoch(const ASN1_TIME* time, int* error);

// Gregorian calendar fields in UTC to seconds since 1970 (any year 0..9999).
int64_t utc_fields_to_epoch(int year, int month, int day, int hour, int minute, int second);
