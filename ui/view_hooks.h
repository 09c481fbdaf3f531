#pragma once
// What the page view, the info bar, the signature tree and the expand bars
// ask of the main window and its other panels. The main window fills these
// when it is built; until then each is a no-op (or answers "no"), so the
// views can be built and tested on their own.
#include <functional>

class wxWindow;
struct sig_result;

struct view_hooks {
    // The page box shows the page the view is about to draw.
    std::function<void()> update_page_number;
    // The home page is the main book's shown page.
    std::function<bool()> home_page_shown;
    // The signing panel has a visible stamp selected (placing a rectangle).
    std::function<bool()> visible_stamp_selected;
    // The signing panel's start handler is running (save dialog included).
    std::function<bool()> sign_panel_busy;
    // The signing panel selects (true) or lets go of (false) its stamp.
    std::function<void(bool)> select_stamp;
    // Shows or hides the signature pane (left) or the signing book (right);
    // the content panel is laid out by the caller's next step.
    std::function<void(bool left, bool show)> show_pane;
    // Lays out the content page (the page view and the panes beside it).
    std::function<void()> layout_content;
    // Gives the keyboard focus to the signature pane (left) or the signing book.
    std::function<void(bool left)> focus_pane;
    // Lays the main window out (a bar that was hidden takes room again).
    std::function<void()> layout_main_window;
    // The validation status dialog of one signature, modal.
    std::function<void(wxWindow* parent, sig_result* result)> show_simple_sigdlg;
    // The signature properties dialog, modal, on its page 0 (signature) or 1 (time stamp).
    std::function<void(wxWindow* parent, sig_result* result, int page)> show_sig_infodlg;
    // The certificate dialog of a signer chain, modal, offering to trust it.
    std::function<void(wxWindow* parent, sig_result* result)> show_signer_certificate;
};

// The process's hooks; members left empty act as no-ops.
view_hooks& the_view_hooks();

// A signing or a verification runs: clicks that would open a result dialog
// (or show results) are refused, as the other document actions are.
bool document_busy();

// Calls a hook when it is set.
template <typename Hook, typename... Args>
inline void call_hook(const Hook& hook, Args&&... args) {
    if (hook) hook(std::forward<Args>(args)...);
}
// A yes/no hook; `fallback` when it is not set.
inline bool ask_hook(const std::function<bool()>& hook, bool fallback = false) { return hook ? hook() : fallback; }
