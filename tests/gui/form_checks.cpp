#include "gui/form_checks.h"

#include <algorithm>

#include <wx/bookctrl.h>
#include <wx/combobox.h>
#include <wx/dataview.h>
#include <wx/hyperlink.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/treectrl.h>

#include "gui/gui_harness.h"

namespace form_checks {

wxString text_of(wxWindow* w) {
    if (auto* t = dynamic_cast<wxTextCtrl*>(w)) return t->GetValue();
    if (auto* c = dynamic_cast<wxComboBox*>(w)) return c->GetValue();
    return w->GetLabel();
}

bool same_text(wxString shown, wxString expected) {
    if (shown == expected) return true;
    shown.Replace("\n", " ");
    expected.Replace("\n", " ");
    return shown == expected;
}

void check_control(wxWindow* w, const control_expectation& e) {
    EXPECT_TRUE(e.kind(w));
    if (e.parent) {
        EXPECT_EQ(w->GetParent(), *e.parent);
    }
    if (e.id) {
        EXPECT_EQ(w->GetId(), *e.id);
    } else if (e.toolkit_id) {
        EXPECT_LT(w->GetId(), 0) << "expected an id the toolkit assigns";
    }
    if (e.name) {
        EXPECT_EQ(w->GetName(), wxString::FromUTF8(e.name));
    }
    if (e.text && e.text_may_wrap) {
        EXPECT_TRUE(same_text(text_of(w), *e.text)) << text_of(w);
    } else if (e.text) {
        EXPECT_EQ(text_of(w), *e.text);
    }
    if (e.tip) {
        EXPECT_EQ(w->GetToolTipText(), wxString::FromUTF8(e.tip));
    } else {
        EXPECT_EQ(w->GetToolTip(), nullptr);
    }
    if (e.shown_and_enabled) {
        // A notebook shows one page at a time.
        if (!dynamic_cast<wxBookCtrlBase*>(w->GetParent())) {
            EXPECT_TRUE(w->IsShown());
        }
        EXPECT_TRUE(w->IsEnabled());
    }
}

std::unique_ptr<wxEvent> event_of(wxEventType type, wxWindow* source) {
    std::unique_ptr<wxEvent> e;
    if (type == wxEVT_ACTIVATE || type == wxEVT_ACTIVATE_APP)
        e.reset(new wxActivateEvent(type));
    else if (type == wxEVT_CLOSE_WINDOW)
        e.reset(new wxCloseEvent(type));
    else if (type == wxEVT_MOVE)
        e.reset(new wxMoveEvent(wxPoint(1, 1)));
    else if (type == wxEVT_SIZE)
        e.reset(new wxSizeEvent(source->GetSize()));
    else if (type == wxEVT_INIT_DIALOG)
        e.reset(new wxInitDialogEvent());
    else if (type == wxEVT_KILL_FOCUS)
        e.reset(new wxFocusEvent(type));
    else if (type == wxEVT_MOUSEWHEEL || type == wxEVT_LEFT_UP || type == wxEVT_LEFT_DOWN ||
             type == wxEVT_RIGHT_UP || type == wxEVT_LEFT_DCLICK || type == wxEVT_ENTER_WINDOW ||
             type == wxEVT_LEAVE_WINDOW)
        e.reset(new wxMouseEvent(type));
    else if (type == wxEVT_TREE_BEGIN_LABEL_EDIT || type == wxEVT_TREE_ITEM_COLLAPSING ||
             type == wxEVT_TREE_ITEM_EXPANDING || type == wxEVT_TREE_SEL_CHANGED)
        e.reset(new wxTreeEvent(type, static_cast<wxTreeCtrl*>(source), wxTreeItemId()));
    else if (type == wxEVT_DATAVIEW_ITEM_ACTIVATED || type == wxEVT_DATAVIEW_SELECTION_CHANGED)
        e.reset(new wxDataViewEvent(type, static_cast<wxDataViewCtrl*>(source), wxDataViewItem()));
    else if (type == wxEVT_HYPERLINK)
        e.reset(new wxHyperlinkEvent(source, source->GetId(), static_cast<wxHyperlinkCtrl*>(source)->GetURL()));
    else
        e.reset(new wxCommandEvent(type));
    e->SetEventType(type);
    e->SetEventObject(source);
    e->SetId(source->GetId());
    return e;
}

bool reaches_no_handler(wxWindow* source, wxEventType type, std::vector<std::string>& calls) {
    calls.clear();
    auto e = event_of(type, source);
    source->GetEventHandler()->ProcessEvent(*e);
    return calls.empty();
}

void check_handlers(wxWindow* form, const windows& members, const std::vector<handler_row>& rows,
                    std::vector<std::string>& calls, std::vector<wxObject*>* objects, size_events sizes) {
    for (const handler_row& r : rows) {
        SCOPED_TRACE(r.handler);
        wxWindow* source = *r.source ? members.at(r.source) : form;
        calls.clear();
        if (objects) objects->clear();
        if (r.type == wxEVT_PAINT) {
            // Only the toolkit makes paint events: ask for a real repaint.
            wxGetTopLevelParent(form)->Show();
            source->Refresh();
            source->Update();
            EXPECT_TRUE(gui_test::run_until(
                [&] { return std::find(calls.begin(), calls.end(), r.handler) != calls.end(); }));
            continue;
        }
        auto e = event_of(r.type, source);
        source->GetEventHandler()->ProcessEvent(*e);
        if (r.type == wxEVT_SIZE && sizes == size_events::size_may_cascade) {
            ASSERT_GE(calls.size(), 1u);
        } else {
            ASSERT_EQ(calls.size(), 1u);
        }
        EXPECT_EQ(calls[0], r.handler);
        if (objects) {
            EXPECT_EQ((*objects)[0], source);
        }
    }
}

}  // namespace form_checks
