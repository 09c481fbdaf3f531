#pragma once
// Signing stamps: named sets of signing choices kept in the "sigstampuis"
// section of the settings file. Pictures are kept by file name in the configs
// folder, certificate and PFX copies by file name in the certificate-store
// folder; passwords are sealed in the file and plain only in memory.
#include "crypto/cert_access.h"
#include "crypto/cert_info.h"

#include <memory>
#include <string>
#include <vector>

class wxXmlNode;

struct sigstampui {
    std::wstring name;          // shown in the lists
    bool is_localsign = true;   // the key is on this machine; false for cloud and time-stamp stamps
    bool is_visible = true;     // the signature shows the picture
    std::wstring imgfname;      // full path of the picture (in configs_dir)
    cert_access access;         // how the signing key is reached (kind 1 or 3)
    cert_info info;             // summary of the signing certificate
    bool is_tsmode = false;     // adds a document time stamp instead of a signature
    std::string tsurl;          // time-stamp server of a time-stamp stamp
    std::string addr;           // server address of a cloud stamp
    std::string user;           // user name of a cloud stamp
    std::string pswd;           // password of a cloud stamp (plain in memory)
    std::wstring reason;
    std::wstring location;
    std::wstring contact;
};

// The signing stamps in file order; the list owns them.
extern std::vector<std::unique_ptr<sigstampui>> stamp_list;

// Appends a stamp for every "sigstampui" child of the section (the list is not emptied first).
void read_sigstampuis_section(wxXmlNode* section);
void read_cert_access_xml(wxXmlNode* element, sigstampui& stamp);
void read_cert_info_xml(wxXmlNode* element, sigstampui& stamp);

// Rebuilds "sigstampuis" right after "recent-files" from stamp_list and saves
// the settings file; nothing happens when the settings root is not ours.
void save_sigstampuis();
