#pragma once
// The maker's addresses the program shows. They are placeholders on reserved
// example domains, kept in this one place so a release can set real ones.

// The maker's name as the placeholder texts of the forms show it.
inline constexpr const char maker_company_name[] = "Velkorant Software";
// Support mail: feedback, certificate requests, error reports.
inline constexpr const char maker_support_mail[] = "support@velkorant.example";
// The maker's web site.
inline constexpr const char maker_web_site[] = "https://velkorant.example";
