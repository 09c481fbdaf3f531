#include "app/ui_language.h"

#include "app/diagnostics.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "platform/resources.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>
#include <mutex>

#include <wx/arrstr.h>
#include <wx/thread.h>
#include <wx/translation.h>

namespace {

const char* const kDomain = "velkorant";
const char* const kCatalogueType = "MOFILE";

// Resource names are upper case: "ZH_CN" becomes the canonical "zh_CN".
wxString canonical_name(const wxString& upper) {
    wxString lang = upper.BeforeFirst('_').Lower();
    if (upper.Find('_') != wxNOT_FOUND) lang += "_" + upper.AfterFirst('_').Upper();
    return lang;
}

// Reads catalogues from the resources compiled into the program.
class embedded_translations_loader : public wxTranslationsLoader {
public:
    wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString& lang) override {
        return load_embedded_catalogue(domain, lang);
    }
    wxArrayString GetAvailableTranslations(const wxString& domain) const override {
        wxArrayString langs;
        const wxString prefix = (domain + "_").Upper();
        for (const platform::embedded_resource* r = platform::embedded_resource_table; r->name; ++r) {
            wxString name = wxString::FromUTF8(r->name);
            if (std::strcmp(r->type, kCatalogueType) == 0 && name.Upper().StartsWith(prefix))
                langs.push_back(canonical_name(name.Mid(prefix.length())));
        }
        return langs;
    }
};

bool codeset_is_utf8() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

// The value itself lives with the other settings; these only translate forms.
void set_ui_language_setting(const std::string& value) {
    wxMutexLocker guard(settings_lock);
    language = utf8_to_wide(value);
}

std::string ui_language_setting() {
    wxMutexLocker guard(settings_lock);
    return wide_to_utf8(language);
}

bool is_chinese_language(const std::string& language, int system_language) {
    if (language == "中文" || language == "chinese") return true;
    if (language != "oslang") return false;
    switch (system_language) {
        // Every Chinese entry of the toolkit's language table (the table was
        // renumbered in 3.2, so compare names, not numbers).
        case wxLANGUAGE_CHINESE:
        case wxLANGUAGE_CHINESE_SIMPLIFIED:
        case wxLANGUAGE_CHINESE_TRADITIONAL:
        case wxLANGUAGE_CHINESE_HONGKONG:
        case wxLANGUAGE_CHINESE_MACAU:
        case wxLANGUAGE_CHINESE_SINGAPORE:
        case wxLANGUAGE_CHINESE_SIMPLIFIED_EXPLICIT:
        case wxLANGUAGE_CHINESE_SIMPLIFIED_HONGKONG:
        case wxLANGUAGE_CHINESE_SIMPLIFIED_MACAO:
        case wxLANGUAGE_CHINESE_TRADITIONAL_EXPLICIT:
            return true;
        default:
            return false;
    }
}

bool is_chinese_ui() { return is_chinese_language(ui_language_setting(), wxLocale::GetSystemLanguage()); }

wxMsgCatalog* load_embedded_catalogue(const wxString& domain, const wxString& lang) {
    const std::string name = (domain + "_" + lang).Upper().ToStdString();
    for (const platform::embedded_resource* r = platform::embedded_resource_table; r->name; ++r) {
        if (std::strcmp(r->type, kCatalogueType) != 0) continue;
        if (wxString::FromUTF8(r->name).Upper().ToStdString() != name) continue;
        if (r->size == 0) return nullptr;
        auto data = wxScopedCharBuffer::CreateNonOwned(reinterpret_cast<const char*>(r->data), r->size);
        return wxMsgCatalog::CreateFromData(data, domain);
    }
    return nullptr;
}

void setup_c_locale(bool chinese) {
    bool set = false;
    if (chinese) {
        for (const char* name : {"zh_CN.UTF-8", "zh_CN.utf8"}) {
            if (std::setlocale(LC_ALL, name)) {
                set = true;
                break;
            }
        }
    }
    if (!set) set = std::setlocale(LC_ALL, "") && codeset_is_utf8();
    if (!set) std::setlocale(LC_ALL, "C.UTF-8");
    // Numbers written to settings and data files keep the "C" decimal point.
    std::setlocale(LC_NUMERIC, "C");
}

bool setup_ui_language(wxLocale& ui_locale) {
    const bool chinese = is_chinese_ui();
    const wxLanguage language = chinese ? wxLANGUAGE_CHINESE_SIMPLIFIED : wxLANGUAGE_ENGLISH;
    // The system may not have this locale installed; initialising it anyway
    // only logs a failure, and the catalogue must load all the same.
    if (wxLocale::IsAvailable(language)) ui_locale.Init(language, wxLOCALE_LOAD_DEFAULT);

    wxTranslations* translations = wxTranslations::Get();
    if (!translations) {
        translations = new wxTranslations();
        wxTranslations::Set(translations);
    }
    translations->SetLoader(new embedded_translations_loader());
    // The message ids are the English texts: declaring them so makes the
    // result tell whether the Chinese catalogue was really found. In English
    // a small catalogue corrects the ids whose own spelling is wrong.
    translations->SetLanguage(chinese ? wxLANGUAGE_CHINESE_SIMPLIFIED : wxLANGUAGE_ENGLISH);
    const bool added = translations->AddCatalog(kDomain, wxLANGUAGE_ENGLISH_US);
    diag_print("\n add catalog (%s): %s", chinese ? "zh_CN" : "en", added ? "ok" : "failed");
    setup_c_locale(chinese);
    return chinese && added;
}
