#include "ui/left_panel.h"

#include <algorithm>
#include <vector>

#include <wx/imaglist.h>
#include <wx/settings.h>

#include "app/screen_layout.h"
#include "app/theme_colours.h"
#include "app/worker_flags.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/expandbar.h"
#include "ui/page_glcanvas.h"
#include "ui/status_texts.h"
#include "ui/view_hooks.h"

left_panel* signature_pane = nullptr;

namespace {
const wxColour red(255, 0, 0);
}

left_panel::left_panel(wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name)
    : leftpanel_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name) {
    signature_pane = this;
    item_map.clear();
    expand_click = false;
    setup();
}

left_panel::~left_panel() {
    if (signature_pane == this) signature_pane = nullptr;
}

void left_panel::setup() {
    title_label->SetForegroundColour(theme_text_colour);
    signature_tree->SetForegroundColour(theme_text_colour);
    signature_tree->SetBackgroundColour(theme_control_colour);
    SetBackgroundColour(theme_control_colour);
    signature_tree->SetIndent(16);
    const bool doubled = screen_scale_percent >= doubled_picture_scale;
    const wxBitmap& valid = doubled ? bitmap_sig_valid_56() : bitmap_sig_valid_28();
    const wxBitmap& invalid = doubled ? bitmap_sig_invalid_56() : bitmap_sig_invalid_28();
    auto* images = new wxImageList(valid.GetWidth(), valid.GetHeight(), true);
    images->Add(valid);
    images->Add(invalid);
    images->Add(doubled ? bitmap_pen_56() : bitmap_pen_28());  // a field awaiting a signature
    signature_tree->AssignImageList(images);
    signature_tree->Bind(wxEVT_TREE_ITEM_EXPANDED, [this](wxTreeEvent& event) {
        event.Skip();
        fit_width();
    });
    Layout();
}

void left_panel::fit_width() {
    if (base_width <= 0) base_width = GetMinSize().x > 0 ? GetMinSize().x : GetSize().x;
    wxWindow* top = wxGetTopLevelParent(this);
    // Up to three fifths of the window: at 200 % on a 1920-pixel screen half
    // of it cut the source of trust and the later revisions short.
    const int limit = std::max(base_width, top ? top->GetClientSize().x * 3 / 5 : base_width);
    wxTreeCtrl* t = signature_tree;
    // The tree lays its rows out when it is idle; asking its best size lays
    // them out now. Then the right edge of the widest open row is measured.
    t->InvalidateBestSize();
    t->GetBestSize();
    int widest = 0;
    std::vector<wxTreeItemId> open{t->GetRootItem()};
    for (size_t n = 0; n < open.size(); ++n) {
        if (!open[n].IsOk()) continue;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = t->GetFirstChild(open[n], cookie); c.IsOk(); c = t->GetNextChild(open[n], cookie)) {
            wxRect r;
            if (t->GetBoundingRect(c, r, true)) widest = std::max(widest, r.GetRight() + 1);
            if (t->IsExpanded(c)) open.push_back(c);
        }
    }
    int scrolled = 0;
    t->GetViewStart(&scrolled, nullptr);
    int unit = 0;
    t->GetScrollPixelsPerUnit(&unit, nullptr);
    widest += scrolled * unit;
    // Beside the rows the pane keeps its margins and room for the scroll bar.
    const int bar = std::max(0, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, t));
    const int wanted = widest + 8 + bar + (GetSize().x - t->GetClientSize().x);
    const int width = std::clamp(wanted, base_width, limit);
    if (width == GetMinSize().x && width == GetMaxSize().x) return;
    SetMinSize(wxSize(width, -1));
    SetMaxSize(wxSize(width, -1));
    if (GetParent()) GetParent()->Layout();
}

bool left_panel::Enable(bool enable) { return signature_tree->Enable(enable); }

void left_panel::clear() {
    item_map.clear();
    signature_tree->DeleteAllItems();
}

void left_panel::build_tree() {
    wxTreeCtrl* t = signature_tree;
    wxFont bold = t->GetFont();
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    clear();
    doc_base* doc = current_document;
    if (!doc) return;
    const wxTreeItemId root = t->AddRoot(wxString());
    for (size_t i = 0; i < doc->topsigs.size(); ++i) {
        sig_result* r = doc->topsigs[i];
        if (!r) continue;
        const sigcheck_record* c = r->record;
        const int st = r->sig ? r->sig->status : -1;
        wxTreeItemId top;
        if (st == 3) {
            top = t->AppendItem(root, _("Unsupported Signatrue"), 1);
        } else if (st == 2 || st == 6 || st == 7 || st == -1 || !r->sig || !r->signer_chain) {
            top = t->AppendItem(root, _("Signature is INVALID"), 1);
            const wxTreeItemId why = t->AppendItem(top, signature_status_text(st));
            t->SetItemTextColour(why, red);
        } else {
            const bool valid = r->check_valid();
            const int status = r->sig->status;
            const sigdata_record* data = r->sig->data;
            wxString signer = _("Signed by ");
            if (data) {
                signer += wxString(data->signer.subject_cn);
                if (!data->signer.subject_email.empty())
                    signer += "<" + wxString::FromUTF8(data->signer.subject_email) + ">";
            }
            top = t->AppendItem(root, signer, valid ? 0 : 1);
            item_map[top] = {(int)i, tree_item_signature};

            const wxTreeItemId verdict = t->AppendItem(top, signature_status_text(valid ? 0 : 1));
            if (!valid) t->SetItemTextColour(verdict, red);
            const bool good_code = status == 0 || status == 13;
            // After a signature that does not cover the whole file, the file
            // was changed: what came after is said instead.
            const wxString later = later_revisions_text(r->later);
            if (good_code) {
                t->AppendItem(verdict, later.empty() ? signature_status_text(5) : later);
                const int cs = r->signer_chain->empty() ? 14 : r->signer_chain->front().status;
                if (cs == 0) {
                    t->AppendItem(verdict, _("Certificate's identity is VALID"));
                } else {
                    const wxTreeItemId id = t->AppendItem(verdict, certificate_status_text(cs));
                    t->SetItemTextColour(id, red);
                }
            } else {
                const wxTreeItemId why = t->AppendItem(verdict, signature_status_text(status));
                t->SetItemTextColour(why, red);
                if (status == sigerr_modified && !later.empty()) t->SetItemTextColour(t->AppendItem(verdict, later), red);
            }
            if (data && data->type == dstn_rfc3161ts)
                t->AppendItem(verdict, _("Signature is a document timestamp signature"));

            std::string time;
            bool from_ts = false;
            r->signing_time(time, from_ts);
            if (!time.empty())
                t->AppendItem(top, _("Signing time") + _(": ") + wxString::FromUTF8(time) +
                                       (from_ts ? wxString() : _("(local time)")));

            const wxTreeItemId trust =
                t->AppendItem(top, _("Source of Trust obtained from Velkorant Approved Trust List(VATL)"));
            if (!time.empty() && from_ts) t->AppendItem(trust, _("Signature includes an embedded timestamp"));
            if (valid && c && c->ltv_enabled) t->AppendItem(trust, _("Signature is LTV enabled"));
            t->Expand(trust);

            const wxTreeItemId details = t->AppendItem(top, _("Signature Details..."));
            t->SetItemFont(details, bold);
            item_map[details] = {(int)i, tree_item_details};
            if (c) {
                if (c->reason[0]) t->AppendItem(details, _("Reason: ") + wxString::FromUTF8(c->reason));
                if (c->location[0]) t->AppendItem(details, _("Location: ") + wxString::FromUTF8(c->location));
                if (c->contact[0]) t->AppendItem(details, _("Contact: ") + wxString::FromUTF8(c->contact));
                wxString lock;
                if (c->locked) {
                    lock = _("Document is locked");
                } else if (c->certified) {
                    switch (c->permission) {
                        case 1: lock = _("Document is locked"); break;
                        case 2: lock = _("Form fill-in and digital signatures"); break;
                        case 3: lock = _("Anotations, form fill-in, and digital signatures"); break;
                        default: break;
                    }
                }
                if (c->locked || c->certified) t->AppendItem(details, lock);
            }
            const wxTreeItemId cert = t->AppendItem(details, _("Certificate Details..."));
            t->SetItemFont(cert, bold);
            item_map[cert] = {(int)i, tree_item_certificate};
            t->Expand(details);
        }
        if (c && c->rect[0] != c->rect[2]) {
            const wxTreeItemId field = t->AppendItem(top, _("Field: ") + wxString::FromUTF8(c->field_name) +
                                                              _(" on page ") + wxString::Format("%d", c->page_index + 1));
            t->SetItemFont(field, bold);
            item_map[field] = {(int)i, tree_item_field};
        } else {
            t->AppendItem(top, _("Invisible Signature") + _(": ") + wxString::FromUTF8(c ? c->field_name : ""));
        }
    }
    add_empty_fields(root);
    expand_click = false;
    fit_width();
}

void left_panel::add_empty_fields(const wxTreeItemId& root) {
    const doc_base* doc = current_document;
    // A prepared field (its value a placeholder awaiting the signing) is
    // the signing's own business and is not listed.
    for (int32_t k = 0; doc->swis && k < doc->swis_num; ++k) {
        const sigcheck_record& c = doc->swis[k];
        if (!c.empty_field || c.status == sigerr_tosign) continue;
        wxString text = _("Empty signature field: ") + wxString::FromUTF8(c.field_name);
        const bool visible = c.rect[0] != c.rect[2];
        if (visible) text += _(" on page ") + wxString::Format("%d", c.page_index + 1);
        const wxTreeItemId item = signature_tree->AppendItem(root, text, 2);
        if (visible) item_map[item] = {(int)k, tree_item_empty_field};
    }
}

void left_panel::show_field(const sigcheck_record& c) {
    if (!page_canvas) return;
    doc_base* doc = current_document;
    const int target = c.page_index;
    if (target != page_canvas->requested_page && target != page_canvas->page) {
        const int last = std::max(0, doc->page_count - 1);
        page_canvas->go_to_page(std::min(std::max(target, 0), last));
    }
    if (doc->swis) page_canvas->set_highlight({c.rect[0], c.rect[1], c.rect[2], c.rect[3]}, c.rotation);
    page_canvas->repaint();
}

bool left_panel::clicks_allowed() const {
    return current_document && current_document->loaded && !document_busy() &&
           !ask_hook(the_view_hooks().sign_panel_busy);
}

void left_panel::act_on_item(const wxTreeItemId& item) {
    auto it = item_map.find(item);
    if (it == item_map.end()) return;
    doc_base* doc = current_document;
    const int index = it->second.first;
    if (!doc) return;
    if (it->second.second == tree_item_empty_field) {
        if (doc->swis && index >= 0 && index < doc->swis_num) show_field(doc->swis[index]);
        return;
    }
    if (index < 0 || index >= (int)doc->topsigs.size()) return;
    sig_result* r = doc->topsigs[index];
    if (!r) return;
    view_hooks& hooks = the_view_hooks();
    switch (it->second.second) {
        case tree_item_signature:
        case tree_item_field:
            if (r->record) show_field(*r->record);
            break;
        case tree_item_certificate:
            // A missing or empty chain opens no certificate dialog.
            if (r->signer_chain && !r->signer_chain->empty() && hooks.show_signer_certificate)
                hooks.show_signer_certificate(wxGetTopLevelParent(this), r);
            break;
        case tree_item_details:
            if (hooks.show_sig_infodlg) hooks.show_sig_infodlg(wxGetTopLevelParent(this), r, 0);
            break;
        default: break;
    }
}

void left_panel::on_tree_sel_changed(wxTreeEvent& event) {
    if (!clicks_allowed()) {
        event.Skip();
        return;
    }
    event.StopPropagation();
    const wxTreeItemId item = event.GetItem();
    if (is_dark_theme && item.IsOk()) signature_tree->SetItemTextColour(item, theme_text_colour);
    act_on_item(item);
}

void left_panel::on_tree_begin_label_edit(wxTreeEvent& event) {
    if (clicks_allowed()) {
        const wxTreeItemId item = event.GetItem();
        if (is_dark_theme && item.IsOk()) signature_tree->SetItemTextColour(item, theme_text_colour);
        act_on_item(item);
    }
    event.Veto();
}

void left_panel::on_tree_item_collapsing(wxTreeEvent& event) {
    expand_click = true;
    event.Skip();
}

void left_panel::on_tree_item_expanding(wxTreeEvent& event) {
    expand_click = true;
    event.Skip();
}

void left_panel::on_left_down(wxMouseEvent& event) {
    if (page_canvas) page_canvas->left_pressed = false;
    if (left_expandbar) left_expandbar->pressed = false;
    event.Skip();
}

void left_panel::on_tree_left_up(wxMouseEvent& event) {
    if (expand_click) {
        expand_click = false;
    } else {
        const bool pressed_elsewhere =
            (page_canvas && page_canvas->left_pressed) || (left_expandbar && left_expandbar->pressed);
        if (!pressed_elsewhere && left_expandbar) left_expandbar->set_expanded(false);
    }
    if (page_canvas) page_canvas->left_pressed = false;
    event.Skip();
}

void left_panel::on_left_up(wxMouseEvent& event) { on_tree_left_up(event); }
