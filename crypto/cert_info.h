#pragma once
// The summary of a certificate kept beside the record of how to reach it.
#include <string>
#include <vector>

struct cert_info {
    std::wstring subject;  // subject display name
    std::wstring issuer;   // issuer display name
    std::string expired;   // notAfter as local time text
    std::string sn;        // serial number, upper-case hex
    std::vector<unsigned char> der;  // optional DER copy, never written to files

    // The DER bytes are not compared.
    bool operator==(const cert_info& other) const {
        return sn == other.sn && subject == other.subject && issuer == other.issuer &&
               expired == other.expired;
    }
    bool operator!=(const cert_info& other) const { return !(*this == other); }
};
