#pragma once
// The device, user and product details sent with usage reports; the settings
// file keeps one saved copy of each (cfgui, cfgpi).
#include <string>

struct user_info {
    std::string device_id;     // settings key "device-id"
    std::wstring device_name;  // settings key "device-name"
    std::string platform;      // settings key "platform"
    std::wstring contact;      // filled only for feedback; never stored
    std::string country;       // settings key "country"; read, never written
};

struct product_info {
    std::wstring name;    // settings key "name"
    std::string version;  // settings key "version"
};
