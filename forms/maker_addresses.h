#pragma once
// The maker's addresses that the windows show. They are placeholders on
// reserved example domains, kept in one place so that a real deployment
// changes them once.

// The web site, as a host name without a scheme (a link opens it as a web
// address).
inline constexpr const char maker_web_site[] = "www.velkorant.example.org";

// The support mail address, bare (a link opens it as a mail address).
inline constexpr const char maker_support_mail[] = "support@velkorant.example.org";

// The maker's own time-stamp service, offered before the user adds others.
inline constexpr const char maker_timestamp_url[] = "http://timestamp.velkorant.example.org/tsa";
