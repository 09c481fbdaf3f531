#pragma once
// The program's data folder (~/.local/share/Velkorant/ by the XDG rules) and
// the fixed paths inside it. Every path ends with "/".
#include <string>

// Set by app_data_dir.
extern std::string data_dir;        // the data folder
extern std::wstring configs_dir;    // data_dir + "configs/"
extern std::wstring settings_path;  // configs_dir + "reader-configs.xml"
extern std::string certstore_dir;   // data_dir + "certstore/" (created by the certificate store)

// Computes the data folder once, creates it and its "configs" folder (0700),
// and returns data_dir.
std::string app_data_dir();

// Puts the data folder at `root` + "Velkorant/" in place of the XDG data home
// (tests); an empty text returns to the XDG folder. The paths are computed
// again at the next app_data_dir call.
void set_data_root(const std::string& root);

// Creates `path` and every missing parent folder with mode 0700; folders that
// already exist are left as they are. True when the folder exists afterwards.
bool make_private_dirs(const std::string& path);
