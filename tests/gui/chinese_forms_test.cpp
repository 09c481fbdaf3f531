// The forms with the embedded Simplified Chinese catalogue active, as
// start-up loads it: labels, tool tips, columns and tabs come out in Chinese,
// and no text that has a translation is left in English. The gallery gets the
// main window in Chinese (its glyphs must draw, not show as boxes).
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <wx/bookctrl.h>
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/display.h>
#include <wx/intl.h>
#include <wx/simplebook.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/translation.h>

#include "app/ui_language.h"
#include "forms/cert_select_dlg_base.h"
#include "forms/frame_base.h"
#include "forms/sig_infodlg_base.h"
#include "gui/gui_harness.h"

namespace {

wxString zh(const char* utf8) { return wxString::FromUTF8(utf8); }

// Every text a window tree shows: labels, entry values, tool tips, tab and
// column titles, window titles.
void collect_texts(wxWindow* w, std::vector<wxString>& texts) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(w))
        texts.push_back(t->GetValue());
    else if (auto* c = dynamic_cast<wxComboBox*>(w))
        texts.push_back(c->GetValue());
    else if (auto* control = dynamic_cast<wxControl*>(w))
        texts.push_back(control->GetLabel());
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(w)) texts.push_back(top->GetTitle());
    if (w->GetToolTip()) texts.push_back(w->GetToolTipText());
    if (auto* book = dynamic_cast<wxBookCtrlBase*>(w))
        for (size_t i = 0; i < book->GetPageCount(); ++i) texts.push_back(book->GetPageText(i));
    if (auto* view = dynamic_cast<wxDataViewCtrl*>(w))
        for (unsigned i = 0; i < view->GetColumnCount(); ++i) texts.push_back(view->GetColumn(i)->GetTitle());
    for (wxWindow* child : w->GetChildren()) collect_texts(child, texts);
}

std::set<wxString> texts_of(wxWindow* root) {
    std::vector<wxString> texts;
    collect_texts(root, texts);
    return std::set<wxString>(texts.begin(), texts.end());
}

// Texts still in English although the catalogue translates them: a form that
// bypasses the lookup, or a label set before the catalogue was loaded.
std::vector<std::string> untranslated(const std::set<wxString>& texts) {
    std::vector<std::string> left;
    for (const wxString& t : texts)
        if (!t.empty() && wxGetTranslation(t) != t) left.push_back(t.utf8_string());
    return left;
}

void expect_shown(const std::set<wxString>& texts, const std::vector<const char*>& expected) {
    for (const char* e : expected) EXPECT_EQ(texts.count(zh(e)), 1u) << e;
}

class frame_form : public frame_base {
public:
    frame_form() : frame_base(nullptr, wxID_ANY, "Velkorant", wxDefaultPosition, wxSize(1280, 800)) {}
    wxSimplebook* book() const { return main_book; }
};

using gui_test::chinese_interface;

TEST(chinese_forms, main_window_shows_chinese) {
    chinese_interface chinese;
    ASSERT_TRUE(chinese.loaded);
    auto* f = new frame_form;
    const std::set<wxString> texts = texts_of(f);
    expect_shown(texts, {
                            "最近", "设置", "信任列表", "证书库", "快捷键", "关于",  // home page buttons
                            "CTRL-TAB 切换面板",
                            "切换到主页 (CTRL-H)",  // tool tips of the tool bar
                            "打开/拖放文档 (CTRL-O)",
                            "启动时检查更新",  // settings page
                            "签名与验证",
                            "签名制作面板",  // side panels
                            "印章制作面板",
                        });
    EXPECT_EQ(untranslated(texts), std::vector<std::string>());
    f->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

TEST(chinese_forms, dialogs_show_chinese) {
    chinese_interface chinese;
    ASSERT_TRUE(chinese.loaded);
    {
        cert_select_dlg_base d(nullptr);
        const std::set<wxString> texts = texts_of(&d);
        expect_shown(texts, {"选择数字证书", "创建/导入...", "名称", "确定", "使用者：", "颁发者："});
        EXPECT_EQ(untranslated(texts), std::vector<std::string>());
    }
    {
        sig_infodlg_base d(nullptr);
        const std::set<wxString> texts = texts_of(&d);
        expect_shown(texts, {"签名", "时间戳", "签名概要", "时间戳概要", "签名者", "显示签名者证书..."});
        EXPECT_EQ(untranslated(texts), std::vector<std::string>());
    }
}

// ---------------------------------------------------------------- gallery

// Run again at 200 % with the rest of the gallery.
TEST(gallery, main_window_in_chinese) {
    chinese_interface chinese;
    ASSERT_TRUE(chinese.loaded);
    auto* f = new frame_form;
    const wxSize screen = wxGetDisplaySize();
    f->SetSize(std::min(1280, screen.x - 40), std::min(800, screen.y - 60));
    f->Move(0, 0);
    f->book()->ChangeSelection(0);
    f->Show();
    gui_test::settle(std::chrono::milliseconds(300));
    f->Move(0, 0);
    // The pointer rests in the middle of the screen, over a button with a tool
    // tip: move it to a corner outside the window, out of the picture.
    const wxPoint corner = f->ScreenToClient(wxPoint(screen.x - 2, screen.y - 2));
    f->WarpPointer(corner.x, corner.y);
    f->Refresh();
    EXPECT_FALSE(gui_test::save_screenshot(f, "frame_home_zh").empty());
    f->Destroy();
    gui_test::settle(std::chrono::milliseconds(50));
}

}  // namespace
