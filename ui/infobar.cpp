#include "ui/infobar.h"

#include <wx/animate.h>
#include <wx/mstream.h>
#include <wx/sizer.h>

#include "app/screen_layout.h"
#include "app/settings.h"
#include "app/theme_colours.h"
#include "document/doc_base.h"
#include "document/sig_result.h"
#include "forms/dynamic_resource.h"
#include "forms/pictures.h"
#include "ui/expandbar.h"
#include "ui/left_panel.h"
#include "ui/status_texts.h"
#include "ui/view_hooks.h"
#include "widgets/wxt_colorbutton.h"

infobar* the_infobar = nullptr;

namespace {

bool structural_failure(int status) { return status == 2 || status == 6 || status == 7 || status == -1; }

// The signer chain's first status, 14 (unknown) when there is no chain.
int signer_status(const sig_result& r) {
    return r.signer_chain && !r.signer_chain->empty() ? r.signer_chain->front().status : 14;
}

int result_status(const sig_result& r) { return r.sig ? r.sig->status : -1; }

}  // namespace

infobar::infobar(wxWindow* parent, const wxPoint& pos, const wxSize& size, const wxString& name)
    : infobar_base(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, name) {
    the_infobar = this;
    suppress_show = false;
    setup();
    message_label->Bind(wxEVT_LEFT_UP, &infobar::on_bar_click, this);
    busy_animation->Bind(wxEVT_LEFT_UP, &infobar::on_bar_click, this);
}

infobar::~infobar() {
    message_label->Unbind(wxEVT_LEFT_UP, &infobar::on_bar_click, this);
    busy_animation->Unbind(wxEVT_LEFT_UP, &infobar::on_bar_click, this);
    if (the_infobar == this) the_infobar = nullptr;
}

void infobar::setup() {
    const int s = screen_scale_percent;
    add_signature_button->disabled_look = false;
    signature_pane_button->disabled_look = false;
    if (s >= doubled_picture_scale) {
        infobar_bitmap->SetBitmap(bitmap_infobar_56());
        if (dynamic_resources) {
            signature_details_button->SetBitmapLabel(dynamic_resources->signature_details_button->GetBitmapLabel());
            timestamp_details_button->SetBitmapLabel(dynamic_resources->timestamp_details_button->GetBitmapLabel());
            mark_button->SetBitmapLabel(dynamic_resources->mark_button->GetBitmapLabel());
        }
    }
    busy_animation = new wxAnimationCtrl(this, wxID_ANY, wxNullAnimation, wxDefaultPosition, wxDefaultSize,
                                         wxAC_NO_AUTORESIZE | wxBORDER_NONE, "animationctrl");
    busy_animation->SetWindowStyle(wxBORDER_NONE);
    const picture_file gif = ::busy_animation();
    if (gif.data && gif.size) {
        wxMemoryInputStream in(gif.data, gif.size);
        wxAnimation animation;
        if (animation.Load(in, wxANIMATION_TYPE_GIF)) {
            busy_animation->SetAnimation(animation);
            busy_animation->SetMinSize(animation.GetSize());
        }
    }
    busy_animation->SetInactiveBitmap(wxNullBitmap);
    busy_animation->Play();
    GetSizer()->Insert(6, busy_animation, 1, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    Layout();
    if (s >= doubled_picture_scale) {
        const int h = GetSize().y * s / 120;
        SetSize(wxSize(GetSize().x, h));
        SetMinSize(wxSize(GetMinSize().x, h));
    }
    signature_pane_button->SetWindowStyle((signature_pane_button->GetWindowStyle() & ~wxBORDER_MASK) |
                                          (s / 100 < 2 ? wxBORDER_SIMPLE : wxBORDER_THEME));
    const wxSize b = signature_pane_button->GetSize();
    signature_pane_button->SetMinSize(wxSize(-1, b.y * std::max(s, 100) / 150));
    Layout();
    clear();
}

bool infobar::Show(bool show) { return infobar_base::Show(suppress_show ? false : show); }

void infobar::clear() {
    infobar_bitmap->Hide();
    signature_details_button->Hide();
    timestamp_details_button->Hide();
    mark_button->Hide();
    busy_animation->Hide();
    add_signature_button->Hide();
    signature_pane_button->Hide();
    message_label->SetLabel(wxString());
    message_label->Show();
    busy_animation->Stop();
    Layout();
}

void infobar::show_parts(int parts) {
    if (parts & infobar_status_icon) infobar_bitmap->Show();
    if (parts & infobar_signature_button) signature_details_button->Show();
    if (parts & infobar_timestamp_button) timestamp_details_button->Show();
    if (parts & infobar_mark_button) mark_button->Show();
    if (parts & infobar_busy) busy_animation->Show();
    if (parts & infobar_add_signature) add_signature_button->Show();
    if (parts & infobar_signature_pane) signature_pane_button->Show();
}

void infobar::show_styled(const wxColour& background, const wxColour& text, const wxString& message, int parts,
                          bool info) {
    clear();
    show_parts(parts);
    SetBackgroundColour(background);
    message_label->SetForegroundColour(text);
    if (parts & infobar_add_signature) add_signature_button->set_plain_colours(text, background);
    if (parts & infobar_signature_pane) signature_pane_button->set_plain_colours(text, background);
    if (info && (parts & infobar_busy)) {
        busy_animation->Play();
        busy_animation->SetBackgroundColour(button_colour);
    }
    finish_message(message);
}

void infobar::finish_message(const wxString& text) {
    message_label->SetLabel(text);
    message_label->SetToolTip(text);
    const bool was_shown = IsShown();
    Layout();
    if (!was_shown) call_hook(the_view_hooks().layout_main_window);
    Refresh();
    Update();
    Show(true);
}

void infobar::show_info(const wxString& text, int parts) { show_styled(button_colour, *wxBLACK, text, parts, true); }

void infobar::show_success(int parts, const wxString& text) {
    show_styled(info_colour, ok_colour, text, parts, false);
}

void infobar::show_error(int parts, const wxString& text) { show_styled(error_colour, *wxWHITE, text, parts, false); }

void infobar::show_summary() {
    busy_animation->Stop();
    doc_base* doc = current_document;
    if (!doc || doc->topsigs.empty()) {
        clear();
        add_signature_button->Show();
        SetBackgroundColour(warning_colour);
        message_label->SetForegroundColour(*wxBLACK);
        add_signature_button->set_plain_colours(*wxBLACK, warning_colour);
        finish_message(_("File is NOT signed") + _(", ") +
                       _("the Author is Unknown, the Content of file MAY be Modified."));
        return;
    }
    signature_pane_button->Show();
    const auto& results = doc->topsigs;
    const int pane_and_icon = infobar_signature_pane | infobar_status_icon;
    if (results.size() == 1) {
        sig_result& r = *results.front();
        const int st = result_status(r);
        if (st == 3 || structural_failure(st)) {
            show_error(pane_and_icon, signature_status_text(st));
            return;
        }
        if (r.check_valid()) {
            const sigdata_record* data = r.sig ? r.sig->data : nullptr;
            const wxString signer = data ? wxString(data->signer.subject_cn) : wxString();
            if (data && data->type == dstn_rfc3161ts) {
                std::string time;
                bool from_ts = false;
                r.signing_time(time, from_ts);
                show_success(infobar_signature_pane | infobar_timestamp_button,
                             _("Timestamp signer: ") + signer + " (" + wxString::FromUTF8(time) + ")");
                return;
            }
            const bool good_ts = r.ts && r.ts->status == 0 && r.ts_chain && !r.ts_chain->empty() &&
                                 r.ts_chain->front().status == 0;
            const wxString later = later_revisions_text(r.later);
            show_success(good_ts ? 0x86 : 0x82, _("File is signed by: ") + signer + _(", ") +
                                                    (later.empty() ? _("File is not modified since signed") : later));
            return;
        }
        show_error(pane_and_icon, signature_summary_line(result_status(r), signer_status(r)));
        return;
    }
    for (sig_result* r : results) {
        if (!r || !r->check_valid()) {
            show_error(pane_and_icon, _("At least one signature is invalid"));
            return;
        }
    }
    show_success(0x82, _("All signatrues are valid") + _(", ") + _("File is not modified since signed"));
}

wxString infobar::message() const { return message_label->GetLabel(); }

bool infobar::part_shown(int bit) const {
    switch (bit) {
        case infobar_status_icon: return infobar_bitmap->IsShown();
        case infobar_signature_button: return signature_details_button->IsShown();
        case infobar_timestamp_button: return timestamp_details_button->IsShown();
        case infobar_mark_button: return mark_button->IsShown();
        case infobar_busy: return busy_animation->IsShown();
        case infobar_add_signature: return add_signature_button->IsShown();
        case infobar_signature_pane: return signature_pane_button->IsShown();
        default: return false;
    }
}

wxColour infobar::message_colour() const { return message_label->GetForegroundColour(); }

void infobar::on_bar_click(wxMouseEvent& event) {
    const bool pane_shown = signature_pane && signature_pane->IsShown();
    if (!pane_shown && signature_pane_button->IsShown()) {
        if (left_expandbar) left_expandbar->set_expanded(true);
    } else if (pane_shown) {
        if (left_expandbar) left_expandbar->set_expanded(false);
    } else if (current_document && current_document->signed_num == 0) {
        if (right_expandbar) right_expandbar->set_expanded(!is_expand_right);
    }
    event.Skip();
}

void infobar::open_signature_dialog(int page, wxCommandEvent& event) {
    doc_base* doc = current_document;
    if (ask_hook(the_view_hooks().home_page_shown) || !doc || doc->topsigs.empty() || document_busy()) {
        event.Skip();
        return;
    }
    if (doc->topsigs.size() == 1) {
        sig_result* r = doc->topsigs.front();
        const int st = r ? result_status(*r) : -1;
        if (r && st != 3 && !structural_failure(st) && the_view_hooks().show_sig_infodlg)
            the_view_hooks().show_sig_infodlg(GetParent(), r, page);
    } else {
        wxMouseEvent click(wxEVT_LEFT_UP);
        on_bar_click(click);
    }
    event.Skip();
}

void infobar::on_signature_details(wxCommandEvent& event) { open_signature_dialog(0, event); }

void infobar::on_timestamp_details(wxCommandEvent& event) { open_signature_dialog(1, event); }

void infobar::on_signature_pane(wxCommandEvent& event) {
    if (!ask_hook(the_view_hooks().home_page_shown) && left_expandbar)
        left_expandbar->set_expanded(!is_expand_left);
    event.Skip();
}

void infobar::on_add_signature(wxCommandEvent& event) {
    if (!ask_hook(the_view_hooks().home_page_shown) && right_expandbar)
        right_expandbar->set_expanded(!is_expand_right);
    event.Skip();
}
