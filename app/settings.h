#pragma once
// The user's settings: one process-wide variable per option, kept in the XML
// file configs_dir + "reader-configs.xml". A change is made in the variable and
// then saved by the writer of the option's section.
#include "app/user_info.h"

#include <wx/thread.h>
#include <wx/xml/xml.h>

#include <cstdint>
#include <string>
#include <vector>

// Section "ui-status".
extern bool is_rem_possize;        // remember the main window's position and size (true)
extern int frame_x;                // main window left edge (0)
extern int frame_y;                // main window top edge (0)
extern int frame_w;                // main window width; 0: the default size (0)
extern int frame_h;                // main window height (0)
extern bool is_open_recent;        // open the most recent file at start-up (true)
extern bool is_disable_tooltip;    // tooltips switched off (false)
extern bool is_expand_left;        // left signature pane open (false)
extern bool is_expand_right;       // right signing pane open (false)
extern bool is_zoom_fullpage;      // default zoom: whole page (true)
extern bool is_zoom_auto_w;        // default zoom: page width (false)
extern bool is_zoom_auto_h;        // default zoom: page height (false)
extern int txt_font_style;         // text layout: 1 compact, 2 middle, 3 loose; 0 unset
extern bool is_show_scrollbar;     // (true)
extern std::wstring theme;         // "light", "dark" or "system"
extern std::uint32_t doc_bgcolor;  // page background 0xAARRGGBB (0x00FFFFFF)
extern bool agree;                 // the user agreement was accepted (false)
extern bool checkversion_startup;  // check for a new version at start-up (true)
extern bool updated_tip;           // an update was downloaded in the previous run (false)
extern std::wstring language;      // user-interface language ("oslang")

// Section "signature".
extern bool is_rem_clientcer;                 // (true)
extern bool is_addverifyicon;                 // mark invalid signatures on the page (true)
extern bool is_timestamp;                     // add an RFC 3161 time stamp when signing (true)
extern std::vector<std::wstring> timestamp_urls;  // time-stamp servers; the first is used
extern bool is_ltv;                           // add long-term-validation data (true)
extern bool is_lock;                          // lock the document when signing (true)
extern bool is_certify;                       // certify the document when signing (true)
extern int certifyperms;                      // certification level, kept within 1..3 (1)

// Recent files, most recent first; add_recent_file keeps at most this many.
extern std::vector<std::wstring> recent_files;
constexpr std::size_t kMaxRecentFiles = 10;

// Sections "user-info" and "product-info".
extern user_info cfgui;
extern product_info cfgpi;

// The zoom percentages the main window offers.
extern const std::vector<int> zoom_levels;

// The settings document in memory and the lock held while it is read or written.
extern wxXmlDocument settings_document;
extern wxMutex settings_lock;  // recursive

// Reading.
void set_default_settings();
void load_settings();
void create_default_settings();

// Writing: each writer updates its section in the document and saves the file.
void save_settings_file();
void save_all_settings();
void save_ui_status();
void save_signature();
void save_timestamp_urls();
void save_recent_files();
void save_user_info();
void save_product_info();

// Puts `path` at the front of recent_files and saves the list; false when the
// path is empty, already first, or holds characters XML cannot carry (nothing
// is saved then).
bool add_recent_file(const std::wstring& path);

// XML helpers of the writers.
// The first child element named `name`; a new empty one is appended when none exists.
wxXmlNode* xml_child(wxXmlNode* parent, const wxString& name);
// Sets the text of the child `name` (found or appended); null when `parent` is
// null or `name` empty. Here and in xml_new_element, characters XML 1.0 cannot
// carry are left out of the text, so the file always stays readable.
wxXmlNode* xml_set_child_text(wxXmlNode* parent, const wxString& name, const wxString& text);
// A new element with a text child (when `text` is not empty), inserted right
// after `sibling`, or appended to `parent` when `sibling` is null.
wxXmlNode* xml_new_element(const wxString& name, const wxString& text, wxXmlNode* parent, wxXmlNode* sibling);
