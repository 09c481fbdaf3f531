#pragma once
// Every server address of the program, in one place. The compiled-in defaults
// name the maker's service on a neutral example domain; start-up may replace
// them before any worker runs, tests point them at a loopback server, and
// reset_service_addresses puts the defaults back.
#include <string>

extern std::string report_endpoint;     // where usage reports and feedback are posted
extern std::string download_base;       // base address of the download area (ends with "/")
extern std::string maker_site_address;  // the maker's web site (no final "/")
extern std::string trustlist_info_url;  // the trust-list update information (JSON: "id", "url")

void reset_service_addresses();
