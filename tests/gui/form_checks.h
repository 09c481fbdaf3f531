#pragma once
// Checks the form tests share: a form's members looked up by name and
// checked against a table, events sent to each handler a form connects, and
// the probes that record which override ran.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/event.h>
#include <wx/string.h>
#include <wx/window.h>

namespace form_checks {

using windows = std::map<std::string, wxWindow*>;
using kind_test = std::function<bool(wxWindow*)>;

template <class T>
kind_test is() {
    return [](wxWindow* w) { return dynamic_cast<T*>(w) != nullptr; };
}

// A text control's or combo box's value, any other window's label.
wxString text_of(wxWindow* w);

// Labels that the form wraps at a width get line breaks in place of spaces.
bool same_text(wxString shown, wxString expected);

// What one control is expected to be. The parts left unset are not checked,
// except the tool tip: nullptr there means the control has none.
struct control_expectation {
    kind_test kind;
    std::optional<wxWindow*> parent;
    std::optional<int> id;        // this very id
    bool toolkit_id = false;      // an id the toolkit assigns (negative)
    const char* name = nullptr;   // window name
    std::optional<wxString> text; // label or value
    bool text_may_wrap = false;   // see same_text
    const char* tip = nullptr;
    bool shown_and_enabled = false;  // a notebook's pages need not be shown
};

void check_control(wxWindow* w, const control_expectation& e);

// Looks each row's member up and checks it against expect(row). With
// every_member, the table has to name each member the form lists.
template <class Row, class Expect>
void check_rows(const windows& members, const std::vector<Row>& rows, bool every_member, Expect expect) {
    if (every_member) {
        EXPECT_EQ(members.size(), rows.size()) << "a member without a row";
    }
    for (const Row& r : rows) {
        SCOPED_TRACE(r.member);
        auto it = members.find(r.member);
        ASSERT_NE(it, members.end());
        ASSERT_NE(it->second, nullptr);
        check_control(it->second, expect(r));
    }
}

// One handler connection: the handler's name, the event, the source member
// ("" for the form itself).
struct handler_row {
    const char* handler;
    wxEventType type;
    const char* source;
};

// An event of the class the toolkit would send for the type, from source.
std::unique_ptr<wxEvent> event_of(wxEventType type, wxWindow* source);

// Sends one event of the type to source; true when no recorded override ran.
bool reaches_no_handler(wxWindow* source, wxEventType type, std::vector<std::string>& calls);

// What the probes' overrides write down: each handler's name and the
// object of its event.
struct recorder {
    std::vector<std::string> calls;
    std::vector<wxObject*> objects;
};

#define RECORD(handler, event_type)            \
    void handler(event_type& e) override {     \
        calls.push_back(#handler);             \
        objects.push_back(e.GetEventObject()); \
    }

// Size events also go on, so that the sizers still lay the form out.
#define RECORD_SKIP(handler, event_type)       \
    void handler(event_type& e) override {     \
        calls.push_back(#handler);             \
        objects.push_back(e.GetEventObject()); \
        e.Skip();                              \
    }

// A size event that goes on lays the form out, which may size children with
// size handlers of their own: with size_may_cascade those may come after.
enum class size_events { exact, size_may_cascade };

// Sends each row's event to its source and expects exactly the named
// override to run; with objects, also that the control was the event's
// object. Paint events only come from the toolkit: for those the source is
// repainted and the handler awaited.
void check_handlers(wxWindow* form, const windows& members, const std::vector<handler_row>& rows,
                    std::vector<std::string>& calls, std::vector<wxObject*>* objects = nullptr,
                    size_events sizes = size_events::exact);

inline void check_handlers(wxWindow* form, const windows& members, const std::vector<handler_row>& rows,
                           std::vector<std::string>& calls, std::vector<wxObject*>& objects,
                           size_events sizes = size_events::exact) {
    check_handlers(form, members, rows, calls, &objects, sizes);
}

}  // namespace form_checks
