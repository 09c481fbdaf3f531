#include "app/settings.h"

#include "app/data_dirs.h"
#include "app/diagnostics.h"
#include "app/sigstampui.h"
#include "app/theme_colours.h"
#include "platform/atomic_file.h"

#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool is_rem_possize = true;
int frame_x = 0;
int frame_y = 0;
int frame_w = 0;
int frame_h = 0;
bool is_open_recent = true;
bool is_disable_tooltip = false;
bool is_expand_left = false;
bool is_expand_right = false;
bool is_zoom_fullpage = true;
bool is_zoom_auto_w = false;
bool is_zoom_auto_h = false;
int txt_font_style = 0;
bool is_show_scrollbar = true;
std::wstring theme;
std::uint32_t doc_bgcolor = 0x00FFFFFF;
bool agree = false;
bool checkversion_startup = true;
bool updated_tip = false;
std::wstring language = L"oslang";

bool is_rem_clientcer = true;
bool is_addverifyicon = true;
bool is_timestamp = true;
std::vector<std::wstring> timestamp_urls;
bool is_ltv = true;
bool is_lock = true;
bool is_certify = true;
int certifyperms = 1;

std::vector<std::wstring> recent_files;
user_info cfgui;
product_info cfgpi;

const std::vector<int> zoom_levels = {10, 15, 20, 25, 50, 75, 100, 125, 150, 175, 200, 300, 400, 500, 600};

wxXmlDocument settings_document;
wxMutex settings_lock(wxMUTEX_RECURSIVE);

namespace {

const char kRootName[] = "root";
const char* const kSectionOrder[] = {"ui-status", "recent-files", "sigstampuis", "signature", "user-info", "product-info"};

// ---- value encodings ----

std::string narrow(const wxString& text) { return text.utf8_string(); }
wxString from_narrow(const std::string& text) { return wxString::FromUTF8(text); }

wxString bool_text(bool value) { return value ? "true" : "false"; }

// The leading decimal integer (blanks and a sign allowed); false when the
// text does not begin with a number. Values beyond int are held at its limits.
bool parse_int(const wxString& text, int* out) {
    std::string s = narrow(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(begin, &end, 10);
    if (end == begin) return false;
    *out = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return true;
}

// The leading integer with its base taken from the text ("0x" hexadecimal,
// leading "0" octal, else decimal).
bool parse_colour(const wxString& text, std::uint32_t* out) {
    std::string s = narrow(text);
    const char* begin = s.c_str();
    char* end = nullptr;
    unsigned long long v = std::strtoull(begin, &end, 0);
    if (end == begin) return false;
    *out = static_cast<std::uint32_t>(v & 0xFFFFFFFFull);
    return true;
}

wxString colour_text(std::uint32_t value) { return wxString::Format("0x%08X", static_cast<unsigned>(value)); }

// ---- the option tables ----

enum class kind { boolean, integer, number, colour, text };

struct option_key {
    const char* key;
    kind type;
    void* value;
};

// "ui-status", in the order the writer puts them.
const option_key kUiStatusKeys[] = {
    {"is-rem-possize", kind::boolean, &is_rem_possize},
    {"frame-x", kind::integer, &frame_x},
    {"frame-y", kind::integer, &frame_y},
    {"frame-w", kind::integer, &frame_w},
    {"frame-h", kind::integer, &frame_h},
    {"is-expand-left", kind::boolean, &is_expand_left},
    {"is-expand-right", kind::boolean, &is_expand_right},
    {"is-zoom-fullpage", kind::boolean, &is_zoom_fullpage},
    {"is-zoom-auto-w", kind::boolean, &is_zoom_auto_w},
    {"is-zoom-auto-h", kind::boolean, &is_zoom_auto_h},
    {"is-show-scrollbar", kind::boolean, &is_show_scrollbar},
    {"is-open-recent", kind::boolean, &is_open_recent},
    {"txt-font-style", kind::number, &txt_font_style},
    {"is-disable-tooltip", kind::boolean, &is_disable_tooltip},
    {"theme", kind::text, &theme},
    {"doc-bgcolor", kind::colour, &doc_bgcolor},
    {"agree", kind::boolean, &agree},
    {"language", kind::text, &language},
    {"checkversion-startup", kind::boolean, &checkversion_startup},
    {"updated-tip", kind::boolean, &updated_tip},
};

// The "signature" keys before and after the time-stamp URL list.
const option_key kSignatureHead[] = {
    {"is-rem-clientcer", kind::boolean, &is_rem_clientcer},
    {"is-addverifyicon", kind::boolean, &is_addverifyicon},
    {"is-timestamp", kind::boolean, &is_timestamp},
};
const option_key kSignatureTail[] = {
    {"is-ltv", kind::boolean, &is_ltv},
    {"is-lock", kind::boolean, &is_lock},
    {"is-certify", kind::boolean, &is_certify},
    {"certifyperms", kind::integer, &certifyperms},
};

void read_option(const option_key& opt, const wxString& text) {
    switch (opt.type) {
    case kind::boolean:
        *static_cast<bool*>(opt.value) = text == "true";
        break;
    case kind::integer:
        parse_int(text, static_cast<int*>(opt.value));
        break;
    case kind::number: {
        // A text without a number gives 0 here.
        int v = 0;
        parse_int(text, &v);
        *static_cast<int*>(opt.value) = v;
        break;
    }
    case kind::colour:
        parse_colour(text, static_cast<std::uint32_t*>(opt.value));
        break;
    case kind::text:
        *static_cast<std::wstring*>(opt.value) = text.ToStdWstring();
        break;
    }
}

wxString option_text(const option_key& opt) {
    switch (opt.type) {
    case kind::boolean: return bool_text(*static_cast<bool*>(opt.value));
    case kind::integer:
    case kind::number: return wxString::Format("%d", *static_cast<int*>(opt.value));
    case kind::colour: return colour_text(*static_cast<std::uint32_t*>(opt.value));
    case kind::text: return wxString(*static_cast<std::wstring*>(opt.value));
    }
    return wxString();
}

template <std::size_t N>
const option_key* find_option(const option_key (&table)[N], const wxString& name) {
    for (const option_key& opt : table)
        if (name == opt.key) return &opt;
    return nullptr;
}

template <std::size_t N>
void write_options(wxXmlNode* section, const option_key (&table)[N]) {
    for (const option_key& opt : table) xml_set_child_text(section, opt.key, option_text(opt));
}

int clamp_certifyperms(int level) { return std::clamp(level, 1, 3); }

// The theme text decides the colour set; anything but "light" and "dark" means
// following the desktop.
void resolve_theme() {
    if (theme == L"light") {
        is_dark_theme = false;
    } else if (theme == L"dark") {
        is_dark_theme = true;
    } else {
        theme = L"system";
        is_dark_theme = system_theme_is_dark();
    }
}

// ---- sections ----

// Characters an XML 1.0 document can carry. A file name on this system may hold
// others (control characters); written raw they would make the whole settings
// file unreadable at the next start.
bool xml_char_allowed(wxUniChar::value_type c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool xml_can_hold(const std::wstring& text) {
    for (wchar_t c : text)
        if (!xml_char_allowed(static_cast<wxUniChar::value_type>(c))) return false;
    return true;
}

// The text without the characters XML cannot carry.
wxString xml_safe_text(const wxString& text) {
    wxString out;
    out.reserve(text.length());
    for (wxUniChar c : text)
        if (xml_char_allowed(c.GetValue())) out += c;
    return out;
}

bool is_element(const wxXmlNode* node) { return node && node->GetType() == wxXML_ELEMENT_NODE; }

void read_ui_status(wxXmlNode* section) {
    bool theme_seen = false;
    for (wxXmlNode* child = section->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child)) continue;
        const option_key* opt = find_option(kUiStatusKeys, child->GetName());
        if (!opt) continue;
        read_option(*opt, child->GetNodeContent());
        if (opt->value == &theme) theme_seen = true;
    }
    if (theme_seen) resolve_theme();
    apply_theme_colours();
}

void read_recent_files(wxXmlNode* section) {
    for (wxXmlNode* child = section->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child) || child->GetName() != "path") continue;
        wxString text = child->GetNodeContent();
        if (!text.empty()) recent_files.push_back(text.ToStdWstring());
    }
}

void read_signature(wxXmlNode* section) {
    for (wxXmlNode* child = section->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child)) continue;
        const wxString name = child->GetName();
        if (name == "timestamp-urls") {
            for (wxXmlNode* url = child->GetChildren(); url; url = url->GetNext()) {
                if (!is_element(url) || url->GetName() != "url") continue;
                wxString text = url->GetNodeContent();
                if (!text.empty()) timestamp_urls.push_back(text.ToStdWstring());
            }
            continue;
        }
        const option_key* opt = find_option(kSignatureHead, name);
        if (!opt) opt = find_option(kSignatureTail, name);
        if (!opt) continue;
        read_option(*opt, child->GetNodeContent());
        if (opt->value == &certifyperms) certifyperms = clamp_certifyperms(certifyperms);
    }
}

void read_user_info(wxXmlNode* section) {
    for (wxXmlNode* child = section->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child)) continue;
        const wxString name = child->GetName();
        const wxString text = child->GetNodeContent();
        if (name == "device-id") cfgui.device_id = narrow(text);
        else if (name == "device-name") cfgui.device_name = text.ToStdWstring();
        else if (name == "platform") cfgui.platform = narrow(text);
        else if (name == "country") cfgui.country = narrow(text);
    }
}

void read_product_info(wxXmlNode* section) {
    for (wxXmlNode* child = section->GetChildren(); child; child = child->GetNext()) {
        if (!is_element(child)) continue;
        const wxString name = child->GetName();
        if (name == "name") cfgpi.name = child->GetNodeContent().ToStdWstring();
        else if (name == "version") cfgpi.version = narrow(child->GetNodeContent());
    }
}

// The root when it is ours; a file with another root is never read or written.
wxXmlNode* settings_root() {
    wxXmlNode* root = settings_document.GetRoot();
    return root && root->GetName() == kRootName ? root : nullptr;
}

// Replaces the list element `name` of `parent` by a new empty one right after
// the child `after` (found or appended), and returns it.
wxXmlNode* rebuild_list(wxXmlNode* parent, const wxString& name, const wxString& after) {
    wxXmlNode* old = xml_child(parent, name);
    parent->RemoveChild(old);
    delete old;
    wxXmlNode* anchor = xml_child(parent, after);
    return xml_new_element(name, wxString(), parent, anchor);
}

void rebuild_timestamp_urls(wxXmlNode* signature) {
    wxXmlNode* list = rebuild_list(signature, "timestamp-urls", "is-timestamp");
    for (const std::wstring& url : timestamp_urls) xml_new_element("url", wxString(url), list, nullptr);
}

// ---- the file ----

std::string settings_file_narrow() { return narrow(wxString(settings_path)); }

bool file_exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool read_whole_file(const std::string& path, std::string* out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out->clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        out->append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

// Keeps a settings file that cannot be read for the user to inspect: it is
// renamed with ".bad" appended (".bad.2", ".bad.3", ... when that name is taken).
void move_aside(const std::string& path) {
    std::string target = path + ".bad";
    for (int n = 2; file_exists(target) && n < 1000; ++n) target = path + ".bad." + std::to_string(n);
    if (::rename(path.c_str(), target.c_str()) != 0)
        diag_print("\n\n[ERROR] %s(), cannot move aside the unreadable settings file: %s [ERROR]\n", "",
                   path.c_str());
}

}  // namespace

// ---- XML helpers ----

wxXmlNode* xml_child(wxXmlNode* parent, const wxString& name) {
    if (!parent) return nullptr;
    for (wxXmlNode* child = parent->GetChildren(); child; child = child->GetNext())
        if (is_element(child) && child->GetName() == name) return child;
    return xml_new_element(name, wxString(), parent, nullptr);
}

wxXmlNode* xml_set_child_text(wxXmlNode* parent, const wxString& name, const wxString& text) {
    if (!parent || name.empty()) return nullptr;
    wxXmlNode* child = xml_child(parent, name);
    if (wxXmlNode* first = child->GetChildren())
        first->SetContent(xml_safe_text(text));
    else
        child->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), xml_safe_text(text)));
    return child;
}

wxXmlNode* xml_new_element(const wxString& name, const wxString& text, wxXmlNode* parent, wxXmlNode* sibling) {
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, name);
    if (!text.empty()) element->AddChild(new wxXmlNode(wxXML_TEXT_NODE, wxString(), xml_safe_text(text)));
    if (sibling)
        parent->InsertChildAfter(element, sibling);
    else if (parent)
        parent->AddChild(element);
    return element;
}

// ---- reading ----

void set_default_settings() {
    is_dark_theme = system_theme_is_dark();
    apply_theme_colours();
    set_fixed_colours();

    // "theme" and "txt-font-style" keep their values; the time-stamp list is kept.
    is_rem_possize = true;
    frame_x = frame_y = frame_w = frame_h = 0;
    is_open_recent = true;
    is_disable_tooltip = false;
    is_expand_left = false;
    is_expand_right = false;
    is_zoom_fullpage = true;
    is_zoom_auto_w = false;
    is_zoom_auto_h = false;
    is_show_scrollbar = true;
    doc_bgcolor = 0x00FFFFFF;
    agree = false;
    checkversion_startup = true;
    updated_tip = false;
    language = L"oslang";

    is_rem_clientcer = true;
    is_addverifyicon = true;
    is_timestamp = true;
    is_ltv = true;
    is_lock = true;
    is_certify = true;
    certifyperms = 1;

    recent_files.clear();
    stamp_list.clear();
    cfgui.device_id.clear();
    cfgpi.version.clear();
}

void create_default_settings() {
    wxMutexLocker lock(settings_lock);
    if (settings_document.GetRoot()) return;
    wxXmlNode* root = new wxXmlNode(wxXML_ELEMENT_NODE, kRootName);
    settings_document.SetRoot(root);
    for (const char* section : kSectionOrder) xml_new_element(section, wxString(), root, nullptr);
    save_settings_file();
}

void load_settings() {
    wxMutexLocker lock(settings_lock);
    if (settings_path.empty()) app_data_dir();
    set_default_settings();
    settings_document = wxXmlDocument();

    const std::string path = settings_file_narrow();
    if (!file_exists(path)) {
        create_default_settings();
        return;
    }

    std::string bytes;
    bool loaded = read_whole_file(path, &bytes);
    if (loaded) {
        wxLogNull quiet;  // a damaged file is handled below, not reported by the toolkit
        wxMemoryInputStream stream(bytes.data(), bytes.size());
        loaded = settings_document.Load(stream, "UTF-8");
    }
    if (!loaded || !settings_document.GetRoot()) {
        move_aside(path);
        settings_document = wxXmlDocument();
        create_default_settings();
        return;
    }

    wxXmlNode* root = settings_root();
    if (!root) return;  // not our file: keep the defaults and never write over it

    for (wxXmlNode* section = root->GetChildren(); section; section = section->GetNext()) {
        if (!is_element(section)) continue;
        const wxString name = section->GetName();
        if (name == "ui-status") read_ui_status(section);
        else if (name == "recent-files") read_recent_files(section);
        else if (name == "signature") read_signature(section);
        else if (name == "user-info") read_user_info(section);
        else if (name == "product-info") read_product_info(section);
        else if (name == "sigstampuis") read_sigstampuis_section(section);
    }
}

// ---- writing ----

void save_settings_file() {
    wxMutexLocker lock(settings_lock);
    if (!settings_root() || settings_path.empty()) return;
    settings_document.SetVersion("1.0");
    settings_document.SetFileEncoding("UTF-8");
    wxMemoryOutputStream stream;
    if (!settings_document.Save(stream, 2)) return;
    std::string bytes(stream.GetLength(), '\0');
    stream.CopyTo(bytes.data(), bytes.size());
    // A failed write leaves the previous file whole; the options stay in
    // memory, and the line says what was not kept (a read-only or full
    // settings folder would otherwise lose the window geometry silently).
    const std::string path = settings_file_narrow();
    if (!platform::write_file_atomically(path, bytes, 0600)) {
        const int error = errno;
        diag_error("", ("cannot write the settings file " + path + ": " + std::strerror(error)).c_str());
    }
}

void save_ui_status() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    write_options(xml_child(root, "ui-status"), kUiStatusKeys);
    save_settings_file();
}

void save_signature() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    certifyperms = clamp_certifyperms(certifyperms);
    wxXmlNode* section = xml_child(root, "signature");
    write_options(section, kSignatureHead);
    rebuild_timestamp_urls(section);
    write_options(section, kSignatureTail);
    save_settings_file();
}

void save_timestamp_urls() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    rebuild_timestamp_urls(xml_child(root, "signature"));
    save_settings_file();
}

void save_recent_files() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    wxXmlNode* list = rebuild_list(root, "recent-files", "ui-status");
    for (const std::wstring& path : recent_files) xml_new_element("path", wxString(path), list, nullptr);
    save_settings_file();
}

void save_user_info() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    wxXmlNode* section = xml_child(root, "user-info");
    xml_set_child_text(section, "device-id", from_narrow(cfgui.device_id));
    xml_set_child_text(section, "device-name", wxString(cfgui.device_name));
    xml_set_child_text(section, "platform", from_narrow(cfgui.platform));
    // "country" is only read; an element already in the file stays as it is.
    save_settings_file();
}

void save_product_info() {
    wxMutexLocker lock(settings_lock);
    wxXmlNode* root = settings_root();
    if (!root) return;
    wxXmlNode* section = xml_child(root, "product-info");
    xml_set_child_text(section, "name", wxString(cfgpi.name));
    xml_set_child_text(section, "version", from_narrow(cfgpi.version));
    save_settings_file();
}

void save_all_settings() {
    wxMutexLocker lock(settings_lock);
    if (!settings_document.GetRoot()) return;
    save_ui_status();
    save_recent_files();
    save_sigstampuis();
    save_signature();
    save_settings_file();
}

bool add_recent_file(const std::wstring& path) {
    // A path the settings file cannot hold is not remembered (it could not be
    // stored as it is, and a changed path would open nothing).
    if (path.empty() || !xml_can_hold(path)) return false;
    if (!recent_files.empty() && recent_files.front() == path) return false;
    auto it = std::find(recent_files.begin(), recent_files.end(), path);
    if (it != recent_files.end()) recent_files.erase(it);
    recent_files.insert(recent_files.begin(), path);
    if (recent_files.size() > kMaxRecentFiles) recent_files.resize(kMaxRecentFiles);
    save_recent_files();
    return true;
}
