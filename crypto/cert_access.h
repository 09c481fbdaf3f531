#pragma once
// How the program reaches a signing certificate and its key: a PFX file with
// its password, or a certificate in the system's "My" store. The records are
// plain data (the settings reader and writer use them without the crypto
// library); the access checks are in crypto/certstore.cpp.
#include "crypto/cert_info.h"

#include <string>

// Kinds of cert_access::cert_type.
enum : int {
    cert_type_none = 0,
    cert_type_pfx = 1,
    cert_type_sysstore = 3,
};

struct cert_pfx {
    std::wstring certfname;  // full path of the certificate copy (PEM) in the store folder
    std::wstring pfxfname;   // full path of the PFX copy in the store folder
    std::string pswd;        // the PFX password; plain only in memory, sealed in files
};

struct cert_sysstore {
    std::string store;     // system store name, "My" (names are not case-sensitive)
    std::string location;  // always "user"
    std::wstring subject;  // subject display name, as in cert_info
    std::wstring issuer;   // issuer display name, as in cert_info
    std::string sn;        // serial number, upper-case hex

    // Whether the certificate and its private key can both be obtained.
    bool check_access() const;
};

struct cert_access {
    int cert_type = cert_type_none;
    cert_pfx pfx;             // used for cert_type_pfx
    cert_sysstore sysstore;   // used for cert_type_sysstore

    // Kind 1: the PFX copy's path decides; kind 3: every store field; other
    // kinds are all equal to each other.
    bool operator==(const cert_access& other) const {
        if (cert_type != other.cert_type) return false;
        if (cert_type == cert_type_pfx) return pfx.pfxfname == other.pfx.pfxfname;
        if (cert_type == cert_type_sysstore)
            return sysstore.store == other.sysstore.store && sysstore.location == other.sysstore.location &&
                   sysstore.subject == other.sysstore.subject && sysstore.issuer == other.sysstore.issuer &&
                   sysstore.sn == other.sysstore.sn;
        return true;
    }
    bool operator!=(const cert_access& other) const { return !(*this == other); }

    // Kind 1: both copies exist (the password is not tried); kind 3: the store
    // certificate and its key can be obtained; any other kind: false.
    bool check_access() const;
};
