#pragma once
// The user-interface language: English, or Simplified Chinese with the
// translation catalogue compiled into the program.
#include <string>

#include <wx/intl.h>
#include <wx/language.h>

// The "language" setting as the settings file holds it (UTF-8): "oslang"
// (the default: follow the system), "中文" or "chinese" for Chinese, anything
// else for English. It is the "language" value of the settings (app/settings.h).
void set_ui_language_setting(const std::string& language);
std::string ui_language_setting();

// True when `language` selects Chinese, given the system's language.
bool is_chinese_language(const std::string& language, int system_language);

// True when the current setting selects Chinese; read again at every call.
bool is_chinese_ui();

// Loads the embedded catalogue of `domain` for the canonical language name
// (resource "<DOMAIN>_<lang>" of type "MOFILE", names compared without regard
// to letter case). Null when there is none.
class wxMsgCatalog;
wxMsgCatalog* load_embedded_catalogue(const wxString& domain, const wxString& lang);

// Start-up's language set-up: the toolkit locale in `ui_locale`, the Chinese
// catalogue when the interface is Chinese (else the English one, which only
// corrects misspelt message ids), and the C run-time locale.
// Returns true when the Chinese catalogue was added.
bool setup_ui_language(wxLocale& ui_locale);

// Sets the C run-time locale for all categories to a UTF-8 locale (the
// Chinese one when the interface is Chinese and the system has it, else the
// user's default when it is UTF-8, else C.UTF-8). Numbers keep the "C" form.
void setup_c_locale(bool chinese);
