#pragma once
// The signing-certificate store: the PFX certificates the user registered,
// kept in data_dir + "certstore.json" with copies of each certificate (PEM)
// and PFX file in the "certstore" folder beside it. The file carries file
// names only and sealed passwords, so it keeps working when the data folder
// moves. Store certificates of the system are not kept here; they are listed
// afresh into syscert_entries.
#include "crypto/cert_access.h"
#include "crypto/cert_info.h"

#include <mutex>
#include <string>
#include <vector>

// One certificate of the store: how to reach it and its summary.
struct certstore_sumfile_entry {
    cert_access access;
    cert_info info;

    bool operator==(const certstore_sumfile_entry& other) const {
        return access == other.access && info == other.info;
    }
    bool operator!=(const certstore_sumfile_entry& other) const { return !(*this == other); }

    // Registers the entry (see certstore.cpp): true when it is (now) in the
    // store or among the listed system-store certificates.
    bool add_to_store() const;
};

// The PFX certificates of the store, in file order.
extern std::vector<certstore_sumfile_entry> certstore_entries;
// The usable system-store certificates last listed.
extern std::vector<certstore_sumfile_entry> syscert_entries;
// data folder + "certstore.json".
extern std::string certstore_file;
// Held by load_certstore, save_certstore and add_to_store; a page that changes
// certstore_entries itself takes it too (the loader runs on its own thread).
extern std::recursive_mutex certstore_lock;

// Replaces certstore_entries from data_folder + "certstore.json" (creating the
// "certstore" folder) and returns the number of entries. Entries whose copies
// are missing are dropped. A missing file leaves the entries as they were; an
// unreadable one is moved aside (never deleted) and gives 0.
int load_certstore(const std::string& data_folder);
// Writes certstore_entries to certstore_file, atomically: the old file stays
// whole until the new one is complete. False when it could not be written.
bool save_certstore();

// The first entry in [begin, end) equal to `entry`, or end.
std::vector<certstore_sumfile_entry>::iterator find_certstore_entry(
    const certstore_sumfile_entry& entry, std::vector<certstore_sumfile_entry>::iterator begin,
    std::vector<certstore_sumfile_entry>::iterator end);

// Where the copies of a certificate go: the store folder (created when
// missing), then issuer + "-" + sn made one safe file name, then ".cer" / ".pfx".
std::wstring certstore_cer_path(const cert_info& info);
std::wstring certstore_pfx_path(const cert_info& info);

// False when a path is empty or a copy is missing (not a regular file). With
// open false that is all; with open true the PFX is opened with the password
// and must yield both a certificate and a private key.
bool check_pfx_access(const std::wstring& certfname, const std::wstring& pfxfname, const std::string& pswd,
                      bool open);
