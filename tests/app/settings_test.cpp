#include "app/data_dirs.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "platform/atomic_file.h"
#include "platform/system_theme.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string make_temp_root() {
    std::string tmpl = (fs::temp_directory_path() / "velk-settings-XXXXXX").string();
    char* dir = ::mkdtemp(tmpl.data());
    EXPECT_NE(dir, nullptr);
    return tmpl;
}

unsigned mode_of(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::vector<std::string> element_names(const wxXmlNode* parent) {
    std::vector<std::string> names;
    for (const wxXmlNode* n = parent ? parent->GetChildren() : nullptr; n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE) names.push_back(n->GetName().utf8_string());
    return names;
}

const wxXmlNode* find_element(const wxXmlNode* parent, const char* name) {
    for (const wxXmlNode* n = parent ? parent->GetChildren() : nullptr; n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE && n->GetName() == name) return n;
    return nullptr;
}

std::string text_of(const wxXmlNode* parent, const char* name) {
    const wxXmlNode* n = find_element(parent, name);
    return n ? n->GetNodeContent().utf8_string() : std::string("<missing>");
}

// Parses the settings file as an independent reader would.
struct parsed_file {
    wxXmlDocument doc;
    const wxXmlNode* root() const { return doc.GetRoot(); }
    const wxXmlNode* section(const char* name) const { return find_element(root(), name); }
};

std::unique_ptr<parsed_file> parse_file(const std::string& path) {
    auto p = std::make_unique<parsed_file>();
    std::string bytes = read_text(path);
    wxMemoryInputStream in(bytes.data(), bytes.size());
    EXPECT_TRUE(p->doc.Load(in, "UTF-8")) << path;
    return p;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = make_temp_root();
        set_data_root(root_);
        app_data_dir();
        file_ = wxString(settings_path).utf8_string();
        // What a fresh process starts with.
        settings_document = wxXmlDocument();
        theme.clear();
        txt_font_style = 0;
        timestamp_urls.clear();
        cfgui = user_info();
        cfgpi = product_info();
        platform::set_system_theme_probe([this] { return desktop_dark_; });
    }
    void TearDown() override {
        platform::set_system_theme_probe(nullptr);
        set_data_root(root_ + "/gone");  // never fall back to the real home folder
        fs::remove_all(root_);
    }
    // Loads `xml` as the settings file.
    void load_from(const std::string& xml) {
        write_text(file_, xml);
        load_settings();
    }

    std::string root_;
    std::string file_;
    bool desktop_dark_ = false;
};

}  // namespace

TEST_F(Settings, DataFolderFollowsXdgAndIsPrivate) {
    std::string xdg = root_ + "/xdg/share";
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    set_data_root("");
    EXPECT_EQ(app_data_dir(), xdg + "/Velkorant/");
    EXPECT_EQ(configs_dir, wxString::FromUTF8(xdg + "/Velkorant/configs/").ToStdWstring());
    EXPECT_EQ(settings_path, configs_dir + L"reader-configs.xml");
    EXPECT_EQ(certstore_dir, xdg + "/Velkorant/certstore/");
    EXPECT_EQ(mode_of(xdg), 0700u);
    EXPECT_EQ(mode_of(xdg + "/Velkorant"), 0700u);
    EXPECT_EQ(mode_of(xdg + "/Velkorant/configs"), 0700u);
    // A relative XDG_DATA_HOME is ignored as the XDG rules say: HOME decides.
    const char* old_home = std::getenv("HOME");
    std::string saved_home = old_home ? old_home : "";
    setenv("HOME", (root_ + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", "relative/share", 1);
    set_data_root("");
    EXPECT_EQ(app_data_dir(), root_ + "/home/.local/share/Velkorant/");
    setenv("HOME", saved_home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");

    // A test root: <root>/Velkorant/; the store's folder is made by the store.
    set_data_root(root_);
    EXPECT_EQ(app_data_dir(), root_ + "/Velkorant/");
    EXPECT_FALSE(fs::exists(certstore_dir));
    EXPECT_TRUE(make_private_dirs(certstore_dir + "a/b"));
    EXPECT_EQ(mode_of(certstore_dir), 0700u);
    EXPECT_EQ(mode_of(certstore_dir + "a/b"), 0700u);
    write_text(root_ + "/plain", "x");
    EXPECT_FALSE(make_private_dirs(root_ + "/plain/sub"));
}

TEST_F(Settings, MissingFileGivesDefaultsAndANewDocument) {
    // Values a previous load left behind must not survive.
    is_open_recent = false;
    frame_w = 800;
    certifyperms = 3;
    doc_bgcolor = 0;
    language = L"zh_CN";
    recent_files = {L"/x.pdf"};
    cfgui.device_id = "dev";
    cfgpi.version = "9";
    load_settings();

    EXPECT_TRUE(is_rem_possize);
    EXPECT_EQ(frame_x, 0);
    EXPECT_EQ(frame_y, 0);
    EXPECT_EQ(frame_w, 0);
    EXPECT_EQ(frame_h, 0);
    EXPECT_TRUE(is_open_recent);
    EXPECT_FALSE(is_disable_tooltip);
    EXPECT_FALSE(is_expand_left);
    EXPECT_FALSE(is_expand_right);
    EXPECT_TRUE(is_zoom_fullpage);
    EXPECT_FALSE(is_zoom_auto_w);
    EXPECT_FALSE(is_zoom_auto_h);
    EXPECT_EQ(txt_font_style, 0);
    EXPECT_TRUE(is_show_scrollbar);
    EXPECT_EQ(theme, L"");
    EXPECT_EQ(doc_bgcolor, 0x00FFFFFFu);
    EXPECT_FALSE(agree);
    EXPECT_TRUE(checkversion_startup);
    EXPECT_FALSE(updated_tip);
    EXPECT_EQ(language, L"oslang");
    EXPECT_TRUE(is_rem_clientcer);
    EXPECT_TRUE(is_addverifyicon);
    EXPECT_TRUE(is_timestamp);
    EXPECT_TRUE(is_ltv);
    EXPECT_TRUE(is_lock);
    EXPECT_TRUE(is_certify);
    EXPECT_EQ(certifyperms, 1);
    EXPECT_TRUE(recent_files.empty());
    EXPECT_TRUE(cfgui.device_id.empty());
    EXPECT_TRUE(cfgpi.version.empty());

    ASSERT_TRUE(fs::exists(file_));
    EXPECT_EQ(mode_of(file_), 0600u);
    auto parsed = parse_file(file_);
    ASSERT_NE(parsed->root(), nullptr);
    EXPECT_EQ(parsed->root()->GetName(), "root");
    EXPECT_EQ(element_names(parsed->root()),
              (std::vector<std::string>{"ui-status", "recent-files", "sigstampuis", "signature", "user-info",
                                        "product-info"}));
    for (const wxXmlNode* s = parsed->root()->GetChildren(); s; s = s->GetNext())
        EXPECT_EQ(s->GetChildren(), nullptr) << s->GetName();
    std::string text = read_text(file_);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << text;
}

TEST_F(Settings, RoundTripKeepsEveryValueAndTheListedStructure) {
    load_settings();
    is_rem_possize = false;
    frame_x = -20;
    frame_y = 35;
    frame_w = 1344;
    frame_h = 900;
    is_open_recent = false;
    is_disable_tooltip = true;
    is_expand_left = true;
    is_expand_right = true;
    is_zoom_fullpage = false;
    is_zoom_auto_w = true;
    is_zoom_auto_h = true;
    txt_font_style = 2;
    is_show_scrollbar = false;
    theme = L"dark";
    doc_bgcolor = 0x00C0FFEE;
    agree = true;
    checkversion_startup = false;
    updated_tip = true;
    language = L"zh_CN";
    is_rem_clientcer = false;
    is_addverifyicon = false;
    is_timestamp = false;
    timestamp_urls = {L"http://tsa.example/a", L"http://tsa.example/b?x=1&y=<2>"};
    is_ltv = false;
    is_lock = false;
    is_certify = false;
    certifyperms = 2;
    recent_files = {L"/home/u/文档/合同.pdf", L"/tmp/b.pdf"};
    cfgui.device_id = "0123456789ABCDEF0123456789ABCDEF01234567";
    cfgui.device_name = L"机器";
    cfgui.platform = "Linux x86_64";
    cfgpi.name = L"Velkorant";
    cfgpi.version = "1.0.0.1";
    save_all_settings();
    save_user_info();
    save_product_info();

    // The structure, read by an independent parse.
    auto parsed = parse_file(file_);
    EXPECT_EQ(element_names(parsed->root()),
              (std::vector<std::string>{"ui-status", "recent-files", "sigstampuis", "signature", "user-info",
                                        "product-info"}));
    EXPECT_EQ(element_names(parsed->section("ui-status")),
              (std::vector<std::string>{"is-rem-possize", "frame-x", "frame-y", "frame-w", "frame-h",
                                        "is-expand-left", "is-expand-right", "is-zoom-fullpage", "is-zoom-auto-w",
                                        "is-zoom-auto-h", "is-show-scrollbar", "is-open-recent", "txt-font-style",
                                        "is-disable-tooltip", "theme", "doc-bgcolor", "agree", "language",
                                        "checkversion-startup", "updated-tip"}));
    EXPECT_EQ(element_names(parsed->section("signature")),
              (std::vector<std::string>{"is-rem-clientcer", "is-addverifyicon", "is-timestamp", "timestamp-urls",
                                        "is-ltv", "is-lock", "is-certify", "certifyperms"}));
    EXPECT_EQ(element_names(find_element(parsed->section("signature"), "timestamp-urls")),
              (std::vector<std::string>{"url", "url"}));
    EXPECT_EQ(element_names(parsed->section("recent-files")), (std::vector<std::string>{"path", "path"}));
    EXPECT_EQ(element_names(parsed->section("user-info")),
              (std::vector<std::string>{"device-id", "device-name", "platform"}));
    EXPECT_EQ(element_names(parsed->section("product-info")), (std::vector<std::string>{"name", "version"}));
    // Value encodings.
    const wxXmlNode* ui = parsed->section("ui-status");
    EXPECT_EQ(text_of(ui, "is-rem-possize"), "false");
    EXPECT_EQ(text_of(ui, "agree"), "true");
    EXPECT_EQ(text_of(ui, "frame-x"), "-20");
    EXPECT_EQ(text_of(ui, "doc-bgcolor"), "0x00C0FFEE");
    EXPECT_EQ(text_of(ui, "theme"), "dark");
    EXPECT_EQ(text_of(parsed->section("recent-files"), "path"), "/home/u/文档/合同.pdf");
    EXPECT_EQ(text_of(find_element(parsed->section("signature"), "timestamp-urls"), "url"), "http://tsa.example/a");
    EXPECT_EQ(mode_of(file_), 0600u);

    // Read back into a fresh process state: everything equal.
    settings_document = wxXmlDocument();
    theme.clear();
    txt_font_style = 0;
    timestamp_urls.clear();
    cfgui = user_info();
    cfgpi = product_info();
    load_settings();
    EXPECT_FALSE(is_rem_possize);
    EXPECT_EQ(frame_x, -20);
    EXPECT_EQ(frame_y, 35);
    EXPECT_EQ(frame_w, 1344);
    EXPECT_EQ(frame_h, 900);
    EXPECT_FALSE(is_open_recent);
    EXPECT_TRUE(is_disable_tooltip);
    EXPECT_TRUE(is_expand_left);
    EXPECT_TRUE(is_expand_right);
    EXPECT_FALSE(is_zoom_fullpage);
    EXPECT_TRUE(is_zoom_auto_w);
    EXPECT_TRUE(is_zoom_auto_h);
    EXPECT_EQ(txt_font_style, 2);
    EXPECT_FALSE(is_show_scrollbar);
    EXPECT_EQ(theme, L"dark");
    EXPECT_TRUE(is_dark_theme);
    EXPECT_EQ(doc_bgcolor, 0x00C0FFEEu);
    EXPECT_TRUE(agree);
    EXPECT_FALSE(checkversion_startup);
    EXPECT_TRUE(updated_tip);
    EXPECT_EQ(language, L"zh_CN");
    EXPECT_FALSE(is_rem_clientcer);
    EXPECT_FALSE(is_addverifyicon);
    EXPECT_FALSE(is_timestamp);
    EXPECT_EQ(timestamp_urls, (std::vector<std::wstring>{L"http://tsa.example/a", L"http://tsa.example/b?x=1&y=<2>"}));
    EXPECT_FALSE(is_ltv);
    EXPECT_FALSE(is_lock);
    EXPECT_FALSE(is_certify);
    EXPECT_EQ(certifyperms, 2);
    EXPECT_EQ(recent_files, (std::vector<std::wstring>{L"/home/u/文档/合同.pdf", L"/tmp/b.pdf"}));
    EXPECT_EQ(cfgui.device_id, "0123456789ABCDEF0123456789ABCDEF01234567");
    EXPECT_EQ(cfgui.device_name, L"机器");
    EXPECT_EQ(cfgui.platform, "Linux x86_64");
    EXPECT_EQ(cfgpi.name, L"Velkorant");
    EXPECT_EQ(cfgpi.version, "1.0.0.1");

    // Saving what was read gives the same file.
    std::string before = read_text(file_);
    save_all_settings();
    save_user_info();
    save_product_info();
    EXPECT_EQ(read_text(file_), before);
}

TEST_F(Settings, UnparsableFileIsMovedAsideNotDeleted) {
    const std::string garbage = "<root><ui-status><agree>true</agree></ui-status";  // cut short
    load_from(garbage);
    EXPECT_FALSE(agree);
    EXPECT_EQ(read_text(file_ + ".bad"), garbage);
    auto parsed = parse_file(file_);
    EXPECT_EQ(element_names(parsed->root()).size(), 6u);
    EXPECT_EQ(mode_of(file_), 0600u);

    // A second damaged file does not replace the first one kept aside.
    settings_document = wxXmlDocument();
    load_from("not xml at all");
    EXPECT_EQ(read_text(file_ + ".bad"), garbage);
    EXPECT_EQ(read_text(file_ + ".bad.2"), "not xml at all");

    settings_document = wxXmlDocument();
    load_from("");  // an empty file cannot be parsed either
    EXPECT_TRUE(fs::exists(file_ + ".bad.3"));
    EXPECT_TRUE(parse_file(file_)->root() != nullptr);
}

TEST_F(Settings, ForeignRootIsNeitherReadNorOverwritten) {
    const std::string foreign =
        "<?xml version=\"1.0\"?>\n<config><ui-status><agree>true</agree></ui-status></config>\n";
    load_from(foreign);
    EXPECT_FALSE(agree);
    agree = true;
    recent_files = {L"/a.pdf"};
    save_ui_status();
    save_signature();
    save_timestamp_urls();
    save_recent_files();
    save_user_info();
    save_product_info();
    EXPECT_TRUE(add_recent_file(L"/b.pdf"));
    save_all_settings();
    EXPECT_EQ(read_text(file_), foreign);
}

TEST_F(Settings, UnknownKeysAndSectionsSurviveTheWriters) {
    load_from(
        "<root><extra><keep>1</keep></extra>"
        "<ui-status><doc-fgcolor>0x00112233</doc-fgcolor><agree>false</agree></ui-status>"
        "<user-info><country>CN</country><device-id>old</device-id></user-info></root>");
    EXPECT_EQ(cfgui.country, "CN");
    agree = true;
    cfgui.country = "DE";  // never written
    cfgui.device_id = "new";
    save_ui_status();
    save_user_info();
    auto parsed = parse_file(file_);
    EXPECT_EQ(text_of(parsed->section("extra"), "keep"), "1");
    const wxXmlNode* ui = parsed->section("ui-status");
    // Existing keys keep their place, missing ones are appended.
    std::vector<std::string> names = element_names(ui);
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "doc-fgcolor");
    EXPECT_EQ(names[1], "agree");
    EXPECT_EQ(text_of(ui, "doc-fgcolor"), "0x00112233");
    EXPECT_EQ(text_of(ui, "agree"), "true");
    const wxXmlNode* user = parsed->section("user-info");
    EXPECT_EQ(element_names(user), (std::vector<std::string>{"country", "device-id", "device-name", "platform"}));
    EXPECT_EQ(text_of(user, "country"), "CN");
    EXPECT_EQ(text_of(user, "device-id"), "new");
}

TEST_F(Settings, ListsAndMissingSectionsAreRebuiltInTheirPlaces) {
    load_from(
        "<root><user-info/><ui-status/>"
        "<recent-files><path>/old.pdf</path><other/></recent-files>"
        "<signature><timestamp-urls><url>http://old</url></timestamp-urls>"
        "<is-ltv>false</is-ltv><is-timestamp>true</is-timestamp></signature></root>");
    EXPECT_EQ(timestamp_urls, (std::vector<std::wstring>{L"http://old"}));
    timestamp_urls = {L"http://new1", L"http://new2"};
    save_timestamp_urls();
    recent_files = {L"/new.pdf"};
    save_recent_files();
    save_product_info();  // a missing section goes to the end of the root

    auto parsed = parse_file(file_);
    EXPECT_EQ(element_names(parsed->root()),
              (std::vector<std::string>{"user-info", "ui-status", "recent-files", "signature", "product-info"}));
    EXPECT_EQ(element_names(parsed->section("recent-files")), (std::vector<std::string>{"path"}));
    EXPECT_EQ(text_of(parsed->section("recent-files"), "path"), "/new.pdf");
    const wxXmlNode* sig = parsed->section("signature");
    EXPECT_EQ(element_names(sig), (std::vector<std::string>{"is-ltv", "is-timestamp", "timestamp-urls"}));
    EXPECT_EQ(element_names(find_element(sig, "timestamp-urls")), (std::vector<std::string>{"url", "url"}));
    EXPECT_EQ(text_of(find_element(sig, "timestamp-urls"), "url"), "http://new1");
}

TEST_F(Settings, NumbersClampsAndColours) {
    struct row {
        const char* text;
        int expected;
    };
    // Each file first sets 2, so a text without digits shows it kept the previous value.
    for (const row& r : {row{"7", 3}, row{"0", 1}, row{"-2", 1}, row{" 3", 3}, row{"2x", 2}, row{"abc", 2},
                         row{"", 2}, row{"99999999999999", 3}}) {
        SCOPED_TRACE(r.text);
        settings_document = wxXmlDocument();
        load_from(std::string("<root><signature><certifyperms>2</certifyperms><certifyperms>") + r.text +
                  "</certifyperms></signature></root>");
        EXPECT_EQ(certifyperms, r.expected);
    }

    struct colour_row {
        const char* text;
        std::uint32_t expected;
    };
    for (const colour_row& r : {colour_row{"16777215", 0xFFFFFF}, colour_row{"0xffffff", 0xFFFFFF},
                                colour_row{"0x00FFFFFF", 0xFFFFFF}, colour_row{"0377", 0377},
                                colour_row{"0xFF102030", 0xFF102030}, colour_row{"none", 0x00FFFFFF}}) {
        SCOPED_TRACE(r.text);
        settings_document = wxXmlDocument();
        load_from(std::string("<root><ui-status><doc-bgcolor>") + r.text + "</doc-bgcolor></ui-status></root>");
        EXPECT_EQ(doc_bgcolor, r.expected);
    }

    // Ints keep their value on junk; the text layout falls to 0; a clamp is saved back.
    settings_document = wxXmlDocument();
    txt_font_style = 3;
    load_from("<root><ui-status><frame-x>40</frame-x><frame-x>left</frame-x>"
              "<txt-font-style>loose</txt-font-style></ui-status></root>");
    EXPECT_EQ(frame_x, 40);
    EXPECT_EQ(txt_font_style, 0);
    certifyperms = 9;
    save_signature();
    EXPECT_EQ(certifyperms, 3);
    EXPECT_EQ(text_of(parse_file(file_)->section("signature"), "certifyperms"), "3");
    doc_bgcolor = 0x00FFFFFF;
    save_ui_status();
    EXPECT_EQ(text_of(parse_file(file_)->section("ui-status"), "doc-bgcolor"), "0x00FFFFFF");

    // "true" exactly is true.
    for (const char* text : {"True", "1", "yes", " true", ""}) {
        SCOPED_TRACE(text);
        settings_document = wxXmlDocument();
        load_from(std::string("<root><ui-status><agree>true</agree><agree>") + text + "</agree></ui-status></root>");
        EXPECT_FALSE(agree);
    }
}

TEST_F(Settings, ThemeChoiceAndColourSets) {
    struct row {
        const char* text;
        bool desktop_dark;
        const wchar_t* stored;
        bool dark;
    };
    for (const row& r : {row{"", true, L"system", true}, row{"blue", false, L"system", false},
                         row{"system", true, L"system", true}, row{"light", true, L"light", false},
                         row{"dark", false, L"dark", true}, row{"Dark", false, L"system", false}}) {
        SCOPED_TRACE(r.text);
        desktop_dark_ = r.desktop_dark;
        settings_document = wxXmlDocument();
        load_from(std::string("<root><ui-status><theme>") + r.text + "</theme></ui-status></root>");
        EXPECT_EQ(theme, r.stored);
        EXPECT_EQ(is_dark_theme, r.dark);
        EXPECT_EQ(theme_window_colour, r.dark ? wxColour(45, 45, 48) : wxColour(255, 255, 255));
    }
    // Without a "theme" element the desktop decides; the text stays empty.
    desktop_dark_ = true;
    settings_document = wxXmlDocument();
    theme.clear();
    load_from("<root><ui-status/></root>");
    EXPECT_TRUE(is_dark_theme);
    EXPECT_EQ(theme, L"");

    struct colours {
        wxColour text, window, panel, hover, dialog, bar, control;
        std::uint32_t canvas;
    };
    const colours light{{0, 0, 0},       {255, 255, 255}, {238, 235, 235}, {201, 222, 245},
                        {245, 245, 245}, {230, 231, 232}, {248, 248, 248}, 0x969696};
    const colours dark{{200, 200, 200}, {45, 45, 48}, {51, 51, 55}, {63, 63, 64},
                       {37, 37, 38},    {51, 51, 51}, {47, 47, 47}, 0x1E1E1E};
    for (bool d : {false, true}) {
        is_dark_theme = d;
        apply_theme_colours();
        const colours& c = d ? dark : light;
        EXPECT_EQ(theme_text_colour, c.text);
        EXPECT_EQ(theme_window_colour, c.window);
        EXPECT_EQ(theme_panel_colour, c.panel);
        EXPECT_EQ(theme_hover_colour, c.hover);
        EXPECT_EQ(theme_dialog_colour, c.dialog);
        EXPECT_EQ(theme_bar_colour, c.bar);
        EXPECT_EQ(theme_control_colour, c.control);
        EXPECT_EQ(theme_canvas_colour, c.canvas);
        EXPECT_EQ(theme_text_colour.Alpha(), wxALPHA_OPAQUE);
    }
    EXPECT_EQ(accent_colour, wxColour(0, 122, 204));
    EXPECT_EQ(info_colour, wxColour(188, 220, 246));
    EXPECT_EQ(button_colour, wxColour(216, 216, 216));
    EXPECT_EQ(ok_colour, wxColour(13, 147, 45));
    EXPECT_EQ(error_colour, wxColour(175, 32, 49));
    EXPECT_EQ(warning_colour, wxColour(255, 128, 61));

    EXPECT_EQ(zoom_levels, (std::vector<int>{10, 15, 20, 25, 50, 75, 100, 125, 150, 175, 200, 300, 400, 500, 600}));
}

TEST_F(Settings, RecentFileRules) {
    std::string xml = "<root><ui-status/><recent-files>";
    for (int i = 1; i <= 12; ++i) xml += "<path>/f" + std::to_string(i) + ".pdf</path>";
    xml += "<path></path></recent-files></root>";
    load_from(xml);
    ASSERT_EQ(recent_files.size(), 12u);  // a file may hold more; all are loaded, empty ones skipped

    EXPECT_TRUE(add_recent_file(L"/new.pdf"));
    std::vector<std::wstring> expected{L"/new.pdf"};
    for (int i = 1; i <= 9; ++i) expected.push_back(L"/f" + std::to_wstring(i) + L".pdf");
    EXPECT_EQ(recent_files, expected);
    auto parsed = parse_file(file_);
    EXPECT_EQ(element_names(parsed->section("recent-files")).size(), 10u);
    EXPECT_EQ(text_of(parsed->section("recent-files"), "path"), "/new.pdf");

    // Already first: nothing changes and nothing is written.
    fs::remove(file_);
    EXPECT_FALSE(add_recent_file(L"/new.pdf"));
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_FALSE(add_recent_file(L""));
    EXPECT_FALSE(fs::exists(file_));

    // Third moves to the front and is written; the comparison is case-sensitive.
    EXPECT_TRUE(add_recent_file(L"/f2.pdf"));
    EXPECT_EQ(recent_files[0], L"/f2.pdf");
    EXPECT_EQ(recent_files[1], L"/new.pdf");
    EXPECT_EQ(recent_files[2], L"/f1.pdf");
    EXPECT_EQ(recent_files.size(), 10u);
    EXPECT_EQ(std::count(recent_files.begin(), recent_files.end(), L"/f2.pdf"), 1);
    EXPECT_TRUE(fs::exists(file_));
    EXPECT_TRUE(add_recent_file(L"/F2.pdf"));
    EXPECT_EQ(recent_files[1], L"/f2.pdf");
}

TEST_F(Settings, TextsXmlCannotCarryNeverSpoilTheFile) {
    load_settings();
    // File names here may hold control characters; the settings file must stay readable.
    std::vector<std::wstring> before = recent_files;
    EXPECT_FALSE(add_recent_file(L"/tmp/a\x01" L"b.pdf"));
    EXPECT_EQ(recent_files, before);
    EXPECT_TRUE(add_recent_file(L"/tmp/tab\there\r.pdf"));
    timestamp_urls = {L"http://tsa\x1b.example"};
    language = L"zh\x02" L"CN";
    recent_files.push_back(L"/bad\x7f\x08.pdf");  // put in directly, past the check
    save_all_settings();

    settings_document = wxXmlDocument();
    timestamp_urls.clear();
    load_settings();
    EXPECT_FALSE(fs::exists(file_ + ".bad"));
    EXPECT_EQ(recent_files, (std::vector<std::wstring>{L"/tmp/tab\there\r.pdf", L"/bad\x7f.pdf"}));
    EXPECT_EQ(timestamp_urls, (std::vector<std::wstring>{L"http://tsa.example"}));
    EXPECT_EQ(language, L"zhCN");
}

TEST_F(Settings, WritesAreAtomicPrivateAndUnderTheLock) {
    load_settings();
    ::chmod(file_.c_str(), 0644);
    save_ui_status();
    EXPECT_EQ(mode_of(file_), 0600u);
    // No temporary file is left beside the settings.
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(fs::path(file_).parent_path()))
        entries.push_back(e.path().filename().string());
    EXPECT_EQ(entries, (std::vector<std::string>{"reader-configs.xml"}));

    // A target whose folder is missing: false, nothing written.
    EXPECT_FALSE(platform::write_file_atomically(root_ + "/missing/x.xml", "data"));
    EXPECT_TRUE(platform::write_file_atomically(root_ + "/x.xml", "data", 0600));
    EXPECT_EQ(read_text(root_ + "/x.xml"), "data");

    // A writer waits while another thread holds the settings lock.
    std::string before = read_text(file_);
    std::atomic<bool> saved{false};
    settings_lock.Lock();
    agree = !agree;
    std::thread writer([&] {
        save_ui_status();
        saved = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(saved.load());
    EXPECT_EQ(read_text(file_), before);
    settings_lock.Unlock();
    writer.join();
    EXPECT_TRUE(saved.load());
    EXPECT_NE(read_text(file_), before);

    // A settings folder that cannot take the file (here: its place is taken
    // by a folder, which stops root as well): the failure is a diagnostic line.
    fs::remove(file_);
    fs::create_directory(file_);
    testing::internal::CaptureStdout();
    save_ui_status();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[ERROR] (), ex.what(): cannot write the settings file " + file_ + ": "), std::string::npos)
        << out;
    fs::remove(file_);
}
