#include "net/service_addresses.h"

namespace {
// The maker's service on a neutral example domain.
const char* const kDefaultReportEndpoint = "https://service.velkorant.example.com/api/report";
const char* const kDefaultDownloadBase = "https://download.velkorant.example.com/";
const char* const kDefaultMakerSite = "https://www.velkorant.example.com";
const char* const kDefaultTrustlistInfo = "https://download.velkorant.example.com/trustlist/info.json";
}  // namespace

std::string report_endpoint = kDefaultReportEndpoint;
std::string download_base = kDefaultDownloadBase;
std::string maker_site_address = kDefaultMakerSite;
std::string trustlist_info_url = kDefaultTrustlistInfo;

void reset_service_addresses() {
    report_endpoint = kDefaultReportEndpoint;
    download_base = kDefaultDownloadBase;
    maker_site_address = kDefaultMakerSite;
    trustlist_info_url = kDefaultTrustlistInfo;
}
