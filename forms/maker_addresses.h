#pragma once
// The maker's addresses and name that the windows show. They are placeholders
// on a reserved example domain (the same one as the service addresses in
// net/service_addresses.h), kept in one place so that a release changes
// them once.

// The maker's name as the placeholder texts of the forms show it.
inline constexpr const char maker_company_name[] = "Velkorant Software";

// The web site, as a host name without a scheme (a link opens it as a web
// address).
inline constexpr const char maker_web_site[] = "www.velkorant.example.com";

// The support mail address, bare (a link opens it as a mail address):
// feedback, certificate requests, error reports.
inline constexpr const char maker_support_mail[] = "support@velkorant.example.com";

// The maker's own time-stamp service, offered before the user adds others.
inline constexpr const char maker_timestamp_url[] = "http://timestamp.velkorant.example.com/tsa";
