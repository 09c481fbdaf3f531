// The views of the verdict: the status texts of result codes, the info bar's
// summary, the signature tree and the expand bars, on scripted results; and
// in the gallery on the results of verifying real corpus PDFs, in English
// and in Chinese.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <memory>
#include <vector>

#include <openssl/x509.h>
#include <wx/animate.h>
#include <wx/display.h>
#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/translation.h>

#include "app/data_dirs.h"
#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/text_utils.h"
#include "app/theme_colours.h"
#include "app/ui_language.h"
#include "app/worker_flags.h"
#include "crypto/cert_loading.h"
#include "crypto/crypto_init.h"
#include "crypto/trust_list.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"
#include "document/doc_pdfium.h"
#include "document/pdf_layer_mupdf.h"
#include "gui/fake_document.h"
#include "gui/gui_harness.h"
#include "support/test_support.h"
#include "support/verification_scratch.h"
#include "ui/expandbar.h"
#include "ui/infobar.h"
#include "ui/left_panel.h"
#include "ui/page_glcanvas.h"
#include "ui/status_texts.h"
#include "ui/view_hooks.h"

namespace {

std::string u8(const wxString& w) { return w.utf8_string(); }

using chinese_ui = gui_test::chinese_interface;

// ---------------------------------------------------------------- status texts

TEST(status_texts, every_code_has_its_text_and_unknown_codes_the_last_row) {
    const struct {
        int code;
        const char* text;
    } signature[] = {
        {-1, "Signatrue can not been verified"}, {0, "Signature is VALID"}, {1, "Signature is INVALID"},
        {2, "There are errors in the formatting or information contained in this signature"},
        {3, "Unsupported Signatrue"}, {4, "File is MODIFIED since signed"}, {5, "File is not modified since signed"},
        {6, "File have no signatures"}, {7, "Signature have no certificates"},
        {8, "Signature's certificate is not allowed by electronic seal"},
        {9, "Electronic seal's signature is INVALID"}, {10, "Electronic seal's identify is INVALID"},
        {11, "Signature is expired"}, {12, "Signature is added when certificate is invalid"},
        {13, "Signature is VALID"},
        {14, "There are errors in the formatting or information contained in this signature"},
        {15, "Unsupported algorithm"}, {16, "Signing operation is need"},
        {17, "Signatrue can not been verified"}, {-5, "Signatrue can not been verified"},
        {INT_MIN, "Signatrue can not been verified"}, {INT_MAX, "Signatrue can not been verified"},
    };
    for (const auto& row : signature) EXPECT_EQ(u8(signature_status_text(row.code)), row.text) << row.code;
    const struct {
        int code;
        const char* text;
    } certificate[] = {
        {0, "The certificate is VALID"}, {1, "The certificate is INVALID"},
        {2, "The certificate can not be verified"}, {3, "The certificate's was Modified"},
        {4, "The certificate's have no issuer"}, {5, "The certificate's signatrue is invalid"},
        {6, "The certificate is self signed"}, {7, "The certificate identity is NOT TRUSTED"},
        {8, "The certificate is not valid yet"}, {9, "The certificate is expired"},
        {10, "The certificate is revoked"}, {11, "The certificate chain is broken"},
        {12, "The certificate have invalid signature algorithm"}, {13, "The certificate can not be verified"},
        {14, "The certificate can not be verified"}, {15, "The certificate can not be verified"},
        {-1, "The certificate can not be verified"}, {INT_MIN, "The certificate can not be verified"},
    };
    for (const auto& row : certificate) EXPECT_EQ(u8(certificate_status_text(row.code)), row.text) << row.code;
}

TEST(status_texts, summary_line_gives_one_reason_signature_first) {
    EXPECT_EQ(u8(signature_summary_line(13, 0)), "Signature is VALID");
    EXPECT_EQ(u8(signature_summary_line(0, 0)), "Signature is VALID");
    EXPECT_EQ(u8(signature_summary_line(13, 7)), "Signature is INVALID: The certificate identity is NOT TRUSTED");
    EXPECT_EQ(u8(signature_summary_line(4, 7)), "Signature is INVALID: File is MODIFIED since signed");
    EXPECT_EQ(u8(signature_summary_line(5, 0)), "Signature is INVALID: File is not modified since signed");
    EXPECT_EQ(u8(signature_summary_line(99, -3)), "Signature is INVALID: Signatrue can not been verified");
    EXPECT_EQ(u8(signature_summary_line(0, 99)), "Signature is INVALID: The certificate can not be verified");
}

TEST(status_texts, chinese_catalogue_translates_the_pieces) {
    chinese_ui zh;
    ASSERT_TRUE(zh.loaded);
    EXPECT_EQ(u8(signature_status_text(4)), "文件自签名后已被修改");
    EXPECT_EQ(u8(signature_summary_line(13, 7)), "签名无效：证书身份不受信任");
    EXPECT_EQ(u8(certificate_status_text(-1)), "证书无法验证");
}

// ---------------------------------------------------------------- a window with the views

// A frame with the info bar, the signature pane and the two expand bars
// around a page view, laid out as the main window does; the hooks show and
// hide the panes.
class verdict_window {
public:
    verdict_window() {
        set_fixed_colours();  // as start-up does
        // As wide as the main window is on a laptop, or the whole work area
        // where that is smaller (1920 x 1200 pixels at 200 %).
        const wxRect area = wxDisplay(0u).GetClientArea();
        frame = new wxFrame(nullptr, wxID_ANY, "Velkorant", wxPoint(0, 0),
                            wxSize(std::min(1280, area.width), std::min(580, area.height)));
        auto* column = new wxBoxSizer(wxVERTICAL);
        bar = new infobar(frame, wxDefaultPosition, wxSize(-1, 42), "infobar");
        column->Add(bar, 0, wxEXPAND);
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        pane = new left_panel(frame, wxDefaultPosition, wxSize(440, -1), "leftpanel");
        pane->SetMinSize(wxSize(440, -1));
        row->Add(pane, 0, wxEXPAND);
        left = new expandbar(frame, wxID_ANY, wxDefaultPosition, wxSize(20, -1), wxTAB_TRAVERSAL, "expandbar-left");
        row->Add(left, 0, wxEXPAND);
        view = new page_glcanvas(frame, wxDefaultPosition, "page_glcanvas_base");
        view->use_own_context();
        row->Add(view, 1, wxEXPAND);
        right = new expandbar(frame, wxID_ANY, wxDefaultPosition, wxSize(20, -1), wxTAB_TRAVERSAL,
                              "expandbar-right");
        row->Add(right, 0, wxEXPAND);
        signing = new wxPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(200, -1));
        row->Add(signing, 0, wxEXPAND);
        column->Add(row, 1, wxEXPAND);
        frame->SetSizer(column);
        view_hooks& h = the_view_hooks();
        h.show_pane = [this](bool is_left, bool show) { (is_left ? (wxWindow*)pane : signing)->Show(show); };
        h.layout_content = [this] { frame->Layout(); };
        h.layout_main_window = [this] { frame->Layout(); };
        left->set_expanded(true);
        right->set_expanded(false);
        frame->Show();
        frame->Layout();
    }
    ~verdict_window() {
        the_view_hooks() = view_hooks{};
        frame->Destroy();
        gui_test::settle(std::chrono::milliseconds(50));
    }
    // The texts of the tree, depth-first, indented two spaces per level.
    std::vector<std::string> tree_lines() const {
        std::vector<std::string> lines;
        wxTreeCtrl* t = pane->tree();
        if (!t->GetRootItem().IsOk()) return lines;
        walk(t, t->GetRootItem(), -1, lines);
        return lines;
    }
    static void walk(wxTreeCtrl* t, const wxTreeItemId& item, int depth, std::vector<std::string>& lines) {
        if (depth >= 0) lines.push_back(std::string(depth * 2, ' ') + t->GetItemText(item).utf8_string());
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = t->GetFirstChild(item, cookie); c.IsOk(); c = t->GetNextChild(item, cookie))
            walk(t, c, depth + 1, lines);
    }
    wxTreeItemId find(const std::string& text) const {
        wxTreeCtrl* t = pane->tree();
        std::vector<wxTreeItemId> stack{t->GetRootItem()};
        while (!stack.empty()) {
            wxTreeItemId i = stack.back();
            stack.pop_back();
            if (i != t->GetRootItem() && t->GetItemText(i).utf8_string() == text) return i;
            wxTreeItemIdValue cookie;
            for (wxTreeItemId c = t->GetFirstChild(i, cookie); c.IsOk(); c = t->GetNextChild(i, cookie))
                stack.push_back(c);
        }
        return {};
    }

    wxFrame* frame;
    infobar* bar;
    left_panel* pane;
    expandbar* left;
    expandbar* right;
    page_glcanvas* view;
    wxPanel* signing;
};

class options_scope {
public:
    options_scope() : l(is_expand_left), r(is_expand_right) {}
    ~options_scope() {
        is_expand_left = l;
        is_expand_right = r;
    }

private:
    bool l, r;
};

using spec = fake_document::signature_spec;

spec valid_with_timestamp() {
    spec s;
    s.timestamp = true;
    s.rect[0] = 50;
    s.rect[1] = 600;
    s.rect[2] = 250;
    s.rect[3] = 700;
    s.page = 2;
    return s;
}

// ---------------------------------------------------------------- info bar

TEST(infobar, summary_of_scripted_results) {
    options_scope options;
    verdict_window w;
    fake_document doc(std::vector<fake_document::page_spec>(3, {612, 792}));
    current_document_scope scope(&doc);

    // Unsigned: orange, black text, only "Add Signature...".
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(),
              "File is NOT signed, the Author is Unknown, the Content of file MAY be Modified.");
    EXPECT_EQ(w.bar->GetBackgroundColour(), warning_colour);
    EXPECT_EQ(w.bar->message_colour(), *wxBLACK);
    EXPECT_TRUE(w.bar->part_shown(infobar_add_signature));
    for (int bit : {0x01, 0x02, 0x04, 0x08, 0x10, 0x80}) EXPECT_FALSE(w.bar->part_shown(bit)) << bit;

    // One valid signature with a valid time stamp: both details buttons.
    doc.set_signatures({valid_with_timestamp()});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "File is signed by: Alice Signer, File is not modified since signed");
    EXPECT_EQ(w.bar->GetBackgroundColour(), info_colour);
    EXPECT_EQ(w.bar->message_colour(), ok_colour);
    for (int bit : {0x02, 0x04, 0x80}) EXPECT_TRUE(w.bar->part_shown(bit)) << bit;
    EXPECT_FALSE(w.bar->part_shown(infobar_status_icon));

    // A document time stamp: the time-stamp button and the signer with the time.
    spec dts;
    dts.type = "dstn_rfc3161ts";
    dts.signer = L"TSA Unit";
    dts.sign_time = "2024-06-01 08:30:00";
    doc.set_signatures({dts});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "Timestamp signer: TSA Unit (2024-06-01 08:30:00)");
    EXPECT_TRUE(w.bar->part_shown(infobar_timestamp_button));
    EXPECT_FALSE(w.bar->part_shown(infobar_signature_button));

    // One invalid: the summary line of its codes, red with the status icon.
    spec untrusted;
    untrusted.signer_status = 7;
    doc.set_signatures({untrusted});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "Signature is INVALID: The certificate identity is NOT TRUSTED");
    EXPECT_EQ(w.bar->GetBackgroundColour(), error_colour);
    EXPECT_EQ(w.bar->message_colour(), *wxWHITE);
    EXPECT_TRUE(w.bar->part_shown(infobar_status_icon));
    spec no_chain;
    no_chain.signer_status = -100;  // no chain: counted as 14
    doc.set_signatures({no_chain});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "Signature is INVALID: The certificate can not be verified");

    // Two, the second invalid: one line, no signature details button.
    spec modified;
    modified.status = 4;
    doc.set_signatures({valid_with_timestamp(), modified});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "At least one signature is invalid");
    EXPECT_TRUE(w.bar->part_shown(infobar_status_icon));
    EXPECT_TRUE(w.bar->part_shown(infobar_signature_pane));
    EXPECT_FALSE(w.bar->part_shown(infobar_signature_button));
    doc.set_signatures({valid_with_timestamp(), valid_with_timestamp()});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(), "All signatrues are valid, File is not modified since signed");

    // Progress: grey with the busy animation running.
    w.bar->show_info("Verifying document", infobar_busy);
    EXPECT_TRUE(w.bar->part_shown(infobar_busy));
    EXPECT_TRUE(w.bar->busy_animation->IsPlaying());
    EXPECT_EQ(w.bar->GetBackgroundColour(), button_colour);
    EXPECT_FALSE(w.bar->part_shown(infobar_signature_pane));
    w.bar->show_summary();
    EXPECT_FALSE(w.bar->busy_animation->IsPlaying());

    // A refresh while the bar is suppressed leaves it hidden.
    w.bar->Hide();
    w.bar->suppress_show = true;
    w.bar->show_summary();
    EXPECT_FALSE(w.bar->IsShown());
    w.bar->suppress_show = false;
}

TEST(infobar, clicks_open_panes_and_the_dialog_of_a_single_signature) {
    options_scope options;
    verdict_window w;
    fake_document doc;
    current_document_scope scope(&doc);
    // Unsigned: a click on the bar toggles the signing pane.
    w.left->set_expanded(false);
    w.bar->show_summary();
    wxMouseEvent click(wxEVT_LEFT_UP);
    w.bar->on_bar_click(click);
    EXPECT_TRUE(is_expand_right);
    EXPECT_TRUE(w.signing->IsShown());
    w.bar->on_bar_click(click);
    EXPECT_FALSE(is_expand_right);

    // One signature: the time-stamp button opens the dialog on its page 1.
    int opened_page = -1;
    the_view_hooks().show_sig_infodlg = [&](wxWindow*, sig_result*, int page) { opened_page = page; };
    doc.set_signatures({valid_with_timestamp()});
    w.bar->show_summary();
    wxCommandEvent button(wxEVT_BUTTON);
    w.bar->on_timestamp_details(button);
    EXPECT_EQ(opened_page, 1);
    // Two: the details button acts as a click on the bar (opens the pane).
    opened_page = -1;
    doc.set_signatures({valid_with_timestamp(), valid_with_timestamp()});
    w.bar->show_summary();
    w.bar->on_signature_details(button);
    EXPECT_EQ(opened_page, -1);
    EXPECT_TRUE(is_expand_left);
    EXPECT_TRUE(w.pane->IsShown());
}

// ---------------------------------------------------------------- signature tree

TEST(signature_tree, texts_of_valid_modified_and_unsupported_signatures) {
    options_scope options;
    verdict_window w;
    fake_document doc(std::vector<fake_document::page_spec>(3, {612, 792}));
    current_document_scope scope(&doc);
    w.pane->build_tree();
    // Nothing signed: the hidden root has no items.
    EXPECT_EQ(w.pane->tree()->GetCount(), 0u);
    EXPECT_TRUE(w.tree_lines().empty());

    spec good = valid_with_timestamp();
    good.email = "alice@example.org";
    good.reason = "Approved";
    good.certified = 1;
    good.permission = 2;
    good.ltv = 1;
    spec modified;
    modified.status = 4;
    modified.field = "Sig2";
    modified.sign_time = "";
    spec unsupported;
    unsupported.status = 3;
    unsupported.field = "Sig3";
    doc.set_signatures({good, modified, unsupported});
    w.pane->build_tree();
    const std::vector<std::string> expected = {
        "Signed by Alice Signer<alice@example.org>",
        "  Signature is VALID",
        "    File is not modified since signed",
        "    Certificate's identity is VALID",
        "  Signing time: 2024-05-01 10:00:05",
        "  Source of Trust obtained from Velkorant Approved Trust List(VATL)",
        "    Signature includes an embedded timestamp",
        "    Signature is LTV enabled",
        "  Signature Details...",
        "    Reason: Approved",
        "    Form fill-in and digital signatures",
        "    Certificate Details...",
        "  Field: Signature1 on page 3",
        "Signed by Alice Signer",
        "  Signature is INVALID",
        "    File is MODIFIED since signed",
        "  Source of Trust obtained from Velkorant Approved Trust List(VATL)",
        "  Signature Details...",
        "    Certificate Details...",
        "  Invisible Signature: Sig2",
        "Unsupported Signatrue",
        "  Invisible Signature: Sig3",
    };
    EXPECT_EQ(w.tree_lines(), expected);
    wxTreeCtrl* t = w.pane->tree();
    EXPECT_EQ(t->GetItemImage(w.find("Signed by Alice Signer")), 1);
    EXPECT_EQ(t->GetItemTextColour(w.find("Signature is INVALID")), wxColour(255, 0, 0));
    EXPECT_EQ(t->GetItemTextColour(w.find("File is MODIFIED since signed")), wxColour(255, 0, 0));
    // The field item, the details and the certificate are clickable; the
    // invisible field is not.
    EXPECT_EQ(w.pane->item_map.count(w.find("Field: Signature1 on page 3")), 1u);
    EXPECT_EQ(w.pane->item_map.count(w.find("Invisible Signature: Sig2")), 0u);

    // A local signing time is marked so.
    spec local;
    local.sign_time = "2024-05-02 09:00:00";
    doc.set_signatures({local});
    w.pane->build_tree();
    EXPECT_TRUE(w.find("Signing time: 2024-05-02 09:00:00(local time)").IsOk());
}

TEST(signature_tree, what_came_after_a_signature_is_named_under_its_verdict) {
    options_scope options;
    verdict_window w;
    fake_document doc;
    current_document_scope scope(&doc);
    spec filled;
    filled.later.later_revisions = 2;
    filled.later.signatures_added = 2;
    filled.later.timestamps_added = 1;
    filled.later.validation_data = true;
    filled.later.form_filled = true;
    filled.later.empty_fields_added = 2;
    spec changed;
    changed.status = 4;
    changed.later.later_revisions = 1;
    changed.later.other_changes = true;
    changed.later.permitted = false;
    doc.set_signatures({filled, changed});
    w.pane->build_tree();
    const std::vector<std::string> lines = w.tree_lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2],
              "    Later revisions: 1 signature added, 1 document time stamp added, 2 empty signature fields added, "
              "validation data added, form fields filled")
        << "in place of 'File is not modified since signed'";
    ASSERT_TRUE(w.find("Later revisions: content changed").IsOk());
    EXPECT_EQ(w.pane->tree()->GetItemTextColour(w.find("Later revisions: content changed")), wxColour(255, 0, 0));

    // The bar says it too, and a changed document is never shown as valid.
    doc.set_signatures({filled});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message(), "File is signed by: Alice Signer, Later revisions: 1 signature added, 1 document time "
                                "stamp added, 2 empty signature fields added, validation data added, form fields filled");
    doc.set_signatures({changed});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message(), "Signature is INVALID: File is MODIFIED since signed");
    EXPECT_TRUE(w.bar->part_shown(infobar_status_icon));

    chinese_ui zh;
    ASSERT_TRUE(zh.loaded);
    doc.set_signatures({filled});
    w.pane->build_tree();
    EXPECT_EQ(w.tree_lines()[2], "    后续修订：添加了 1 个签名，添加了 1 个文档时间戳，添加了 2 个空签名域，添加了验证数据，填写了表单域");
}

TEST(signature_tree, empty_fields_follow_the_signatures_and_prepared_ones_stay_unlisted) {
    options_scope options;
    verdict_window w;
    fake_document doc(std::vector<fake_document::page_spec>(3, {612, 792}));
    current_document_scope scope(&doc);
    spec empty_visible = valid_with_timestamp();
    empty_visible.empty_field = true;
    empty_visible.field = "Approval";
    spec empty_invisible;
    empty_invisible.empty_field = true;
    empty_invisible.field = "Hidden";
    spec prepared = valid_with_timestamp();
    prepared.status = 16;
    prepared.field = "Prepared";
    spec good;
    good.field = "Signed";

    // Only empty fields: nothing is signed, yet the fields are listed.
    doc.set_signatures({empty_visible, prepared, empty_invisible});
    w.bar->show_summary();
    EXPECT_EQ(w.bar->message().utf8_string(),
              "File is NOT signed, the Author is Unknown, the Content of file MAY be Modified.");
    w.pane->build_tree();
    EXPECT_EQ(w.tree_lines(), (std::vector<std::string>{"Empty signature field: Approval on page 3",
                                                        "Empty signature field: Hidden"}));

    // Beside a signature, after it; the visible one jumps to its field.
    doc.set_signatures({empty_visible, good, prepared, empty_invisible});
    w.pane->build_tree();
    const std::vector<std::string> lines = w.tree_lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "Signed by Alice Signer");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"  Invisible Signature: Signed", "Empty signature field: Approval on page 3",
                                        "Empty signature field: Hidden"}));
    EXPECT_FALSE(w.find("Empty signature field: Prepared on page 3").IsOk());
    EXPECT_EQ(w.pane->item_map.count(w.find("Empty signature field: Hidden")), 0u);
    EXPECT_EQ(w.pane->tree()->GetItemImage(w.find("Empty signature field: Hidden")), 2) << "the pen";
    w.view->hold = false;
    ASSERT_TRUE(gui_test::run_until([&] { return w.view->painted.load(); }));
    wxTreeEvent select(wxEVT_TREE_SEL_CHANGED, w.pane->tree(), w.find("Empty signature field: Approval on page 3"));
    w.pane->on_tree_sel_changed(select);
    EXPECT_EQ(w.view->requested_page, 2);
    EXPECT_TRUE(w.view->highlight);
    EXPECT_FLOAT_EQ(w.view->highlight_rect.x0, 50);

    chinese_ui zh;
    ASSERT_TRUE(zh.loaded);
    w.pane->build_tree();
    EXPECT_EQ(w.tree_lines().back(), "空签名域：Hidden");
    EXPECT_TRUE(w.find("空签名域：Approval，页码 3").IsOk());
}

TEST(signature_tree, a_field_click_jumps_and_outlines_but_not_while_verifying) {
    options_scope options;
    verdict_window w;
    fake_document doc(std::vector<fake_document::page_spec>(3, {612, 792}));
    current_document_scope scope(&doc);
    doc.set_signatures({valid_with_timestamp()});
    w.pane->build_tree();
    w.view->hold = false;
    ASSERT_TRUE(gui_test::run_until([&] { return w.view->painted.load(); }));
    const wxTreeItemId field = w.find("Field: Signature1 on page 3");
    ASSERT_TRUE(field.IsOk());

    doc_verifying = true;
    wxTreeEvent during(wxEVT_TREE_SEL_CHANGED, w.pane->tree(), field);
    w.pane->on_tree_sel_changed(during);
    doc_verifying = false;
    EXPECT_EQ(w.view->requested_page, 0);

    wxTreeEvent select(wxEVT_TREE_SEL_CHANGED, w.pane->tree(), field);
    w.pane->on_tree_sel_changed(select);
    EXPECT_EQ(w.view->requested_page, 2);
    EXPECT_TRUE(w.view->highlight);
    EXPECT_FLOAT_EQ(w.view->highlight_rect.x0, 50);

    // Labels are never edited.
    wxTreeEvent edit(wxEVT_TREE_BEGIN_LABEL_EDIT, w.pane->tree(), field);
    w.pane->on_tree_begin_label_edit(edit);
    EXPECT_FALSE(edit.IsAllowed());

    // A release after an expand click keeps the pane; a plain one closes it.
    w.pane->expand_click = true;
    wxMouseEvent up(wxEVT_LEFT_UP);
    w.pane->on_tree_left_up(up);
    EXPECT_TRUE(is_expand_left);
    w.pane->on_tree_left_up(up);
    EXPECT_FALSE(is_expand_left);
    EXPECT_FALSE(w.pane->IsShown());
}

// ---------------------------------------------------------------- expand bars

TEST(expandbar, sides_arrows_and_refits) {
    options_scope options;
    verdict_window w;
    fake_document doc;
    current_document_scope scope(&doc);
    EXPECT_TRUE(w.left->is_left);
    EXPECT_FALSE(w.right->is_left);
    w.view->hold = false;
    ASSERT_TRUE(gui_test::run_until([&] { return w.view->painted.load(); }));

    w.left->set_expanded(true);
    EXPECT_TRUE(w.left->first_arrow_shown());
    w.left->set_expanded(false);
    EXPECT_FALSE(w.left->first_arrow_shown());
    EXPECT_FALSE(is_expand_left);

    // Expanding the right pane refits only when the document can be signed.
    // The view keeps its size here, so only the bar decides the refit.
    the_view_hooks().layout_content = [] {};
    int selected = -1;
    the_view_hooks().select_stamp = [&](bool s) { selected = s; };
    w.view->zoom = 400;
    w.right->set_expanded(true);
    EXPECT_EQ(selected, 1);
    EXPECT_NE(w.view->zoom, 400);
    spec locked;
    locked.locked = 1;
    doc.set_signatures({locked});
    w.right->set_expanded(false);
    w.view->zoom = 400;
    w.right->set_expanded(true);
    EXPECT_EQ(w.view->zoom, 400);
    EXPECT_FALSE(w.right->first_arrow_shown());

    // A press that began on the bar does not close the signature pane on release.
    w.left->set_expanded(true);
    w.left->pressed = true;
    wxMouseEvent up(wxEVT_LEFT_UP);
    w.pane->on_tree_left_up(up);
    EXPECT_TRUE(is_expand_left);
    w.left->pressed = false;
}

// ---------------------------------------------------------------- gallery

// Verifies as the verify worker does, the pyHanko test CA trusted.
class corpus_verification {
public:
    corpus_verification() {
        install_verification_services();
        const std::string corpus = testsupport::corpus_dir() + "/pyhanko/";
        for (const char* ca : {"ca-root.cert.pem", "ca-interm.cert.pem", "ca-tsa.cert.pem"}) {
            X509* cert = load_certificate_file((corpus + ca).c_str());
            if (cert) trust_list_import_cert(cert);
            X509_free(cert);
        }
    }
    // The document verified, made the current one.
    std::unique_ptr<doc_pdfium> open(const std::string& path) {
        auto doc = testsupport::verification_scratch::verify_path(path);
        current_document = doc.get();
        return doc;
    }
    testsupport::verification_scratch dir;
};

// A copy of a signed corpus file in `folder` under `name`, changed by an
// incremental update that MuPDF writes as any editor would.
template <typename Edit>
std::string changed_copy(const std::string& source, const std::string& folder, const std::string& name, Edit edit) {
    const std::string path = folder + "/" + name;
    std::filesystem::copy_file(testsupport::corpus_dir() + "/" + source, path);
    FPDF_DOCUMENT doc = FPDF_LoadDocument(path.c_str(), "");
    if (!doc) return "";
    fz_context* ctx = pdf_layer_context();
    pdf_document* pdf = pdf_layer_document(doc);
    int saved = 0;
    fz_var(saved);
    fz_try(ctx) {
        edit(ctx, pdf, pdf_lookup_page_obj(ctx, pdf, 0));
        pdf_write_options options = pdf_default_write_options;
        options.do_incremental = 1;
        pdf_save_document(ctx, pdf, path.c_str(), &options);
        saved = 1;
    }
    fz_catch(ctx) {}
    FPDF_CloseDocument(doc);
    return saved ? path : std::string();
}

// The page's text replaced after the signing.
std::string page_text_replaced(const std::string& folder) {
    return changed_copy("pyhanko/pades-with-old-style-signing-cert-attr.pdf", folder, "page-text-replaced.pdf",
                        [](fz_context* ctx, pdf_document* pdf, pdf_obj* page) {
                            static const char text[] = "BT /F1 18 Tf 0 0 Td (Goodbye World) Tj ET";
                            fz_buffer* b = fz_new_buffer_from_copied_data(
                                ctx, reinterpret_cast<const unsigned char*>(text), sizeof text - 1);
                            pdf_update_stream(ctx, pdf, pdf_dict_get(ctx, page, PDF_NAME(Contents)), b, 0);
                            fz_drop_buffer(ctx, b);
                        });
}

// A second, empty signature field added after the signing.
std::string empty_field_added(const std::string& folder) {
    return changed_copy("pyhanko/pades-with-old-style-signing-cert-attr.pdf", folder, "empty-field-added.pdf",
                        [](fz_context* ctx, pdf_document* pdf, pdf_obj* page) {
                            pdf_obj* field = pdf_add_new_dict(ctx, pdf, 8);
                            pdf_dict_put(ctx, field, PDF_NAME(Type), PDF_NAME(Annot));
                            pdf_dict_put(ctx, field, PDF_NAME(Subtype), PDF_NAME(Widget));
                            pdf_dict_put(ctx, field, PDF_NAME(FT), PDF_NAME(Sig));
                            pdf_dict_put_text_string(ctx, field, PDF_NAME(T), "Approval");
                            pdf_dict_put_rect(ctx, field, PDF_NAME(Rect), fz_make_rect(300, 600, 500, 680));
                            pdf_dict_put_int(ctx, field, PDF_NAME(F), 4);
                            pdf_dict_put(ctx, field, PDF_NAME(P), page);
                            pdf_array_push(ctx, pdf_dict_get(ctx, page, PDF_NAME(Annots)), field);
                            pdf_obj* root = pdf_dict_get(ctx, pdf_trailer(ctx, pdf), PDF_NAME(Root));
                            pdf_array_push(ctx, pdf_dict_getp(ctx, root, "AcroForm/Fields"), field);
                            pdf_drop_obj(ctx, field);
                        });
}

void shoot_verdicts(const std::string& suffix) {
    corpus_verification v;
    options_scope options;
    std::vector<std::string> paths;
    for (const char* name : {"pyhanko/minimal-two-fields-signed-twice.pdf", "pyhanko/pades-lta-dss-indirect-arrs-test.pdf",
                             "dss/pades-ltv.pdf", "dss/test-with-vri.pdf"})
        paths.push_back(testsupport::corpus_dir() + "/" + name);
    paths.push_back(page_text_replaced(v.dir.path()));
    paths.push_back(empty_field_added(v.dir.path()));
    for (const std::string& name : paths) {
        ASSERT_FALSE(name.empty()) << "a changed copy could not be written";
        std::unique_ptr<doc_pdfium> doc;
        ASSERT_NO_THROW(doc = v.open(name)) << name;
        verdict_window w;
        w.view->hold = false;
        w.bar->show_summary();
        w.pane->build_tree();
        gui_test::run_until([&] { return w.view->painted.load(); });
        // Opened for the picture, so that every line can be read.
        w.pane->tree()->ExpandAll();
        gui_test::settle(std::chrono::milliseconds(100));
        // Every open row is read whole: the pane widened to its rows.
        wxTreeCtrl* tree = w.pane->tree();
        std::vector<wxTreeItemId> items{tree->GetRootItem()};
        for (size_t n = 0; n < items.size(); ++n) {
            wxTreeItemIdValue cookie;
            for (wxTreeItemId c = tree->GetFirstChild(items[n], cookie); c.IsOk(); c = tree->GetNextChild(items[n], cookie))
                items.push_back(c);
        }
        items.erase(items.begin());  // the hidden root
        for (const wxTreeItemId& item : items) {
            wxRect r;
            if (tree->GetBoundingRect(item, r, true)) {
                EXPECT_LE(r.GetRight(), tree->GetClientSize().x) << tree->GetItemText(item).utf8_string();
            }
        }
        const std::string stem = std::filesystem::path(name).stem().string();
        std::printf("%s: %s\n", stem.c_str(), w.bar->message().utf8_string().c_str());
        for (const std::string& line : w.tree_lines()) std::printf("  %s\n", line.c_str());
        EXPECT_FALSE(w.bar->message().empty());
        if (stem == "page-text-replaced") {
            EXPECT_TRUE(w.find(u8(signature_status_text(sigerr_modified))).IsOk());
        }
        if (stem == "empty-field-added") {
            EXPECT_TRUE(w.find(u8(_("Empty signature field: ") + "Approval" + _(" on page ") + "1")).IsOk());
            EXPECT_TRUE(w.find(u8(_("Later revisions: ") + _("1 empty signature field added"))).IsOk());
        }
        EXPECT_FALSE(gui_test::save_screenshot(w.frame, "verdict_" + stem + suffix).empty());
        // The first signature's dialog: what it says about what came after.
        if (!doc->topsigs.empty() && doc->topsigs[0]->sig && doc->topsigs[0]->sig->data) {
            auto* d = new sig_infodlg(nullptr, 0, doc->topsigs[0]);
            d->Move(0, 0);
            d->InitDialog();
            d->Show();
            EXPECT_FALSE(gui_test::save_screenshot(d, "verdict_dialog_" + stem + suffix).empty());
            // Taller than the screen at 200 %: it stays on it and scrolls.
            EXPECT_TRUE(display_client_area(d).Contains(d->GetScreenRect())) << stem;
            d->Destroy();
            gui_test::settle(std::chrono::milliseconds(50));
            // The short form a click on the signature on the page opens.
            auto* brief = new simple_sigdlg(nullptr, doc->topsigs[0]);
            brief->Move(0, 0);
            brief->InitDialog();
            brief->Show();
            EXPECT_FALSE(gui_test::save_screenshot(brief, "verdict_brief_" + stem + suffix).empty());
            brief->Destroy();
            gui_test::settle(std::chrono::milliseconds(50));
        }
        w.view->hold = true;
        current_document = nullptr;
    }
}

TEST(gallery, verdict_on_real_verification_results) {
    REQUIRE_CORPUS();
    shoot_verdicts("");
}

TEST(gallery, verdict_on_real_verification_results_in_chinese) {
    REQUIRE_CORPUS();
    chinese_ui zh;
    ASSERT_TRUE(zh.loaded);
    shoot_verdicts("_zh");
}

}  // namespace
