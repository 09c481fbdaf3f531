#pragma once
// The feedback dialog: the user writes a message and a contact; Submit sends
// one "feedback" report on a worker thread and shows whether the server
// accepted it, with a mail link when it did not. The dialog cannot be closed
// while a submission runs.
#include <atomic>
#include <string>

#include "forms/feedback_dlg_base.h"
#include "service/event_target.h"

class feedback_dlg : public feedback_dlg_base {
public:
    explicit feedback_dlg(wxWindow* parent);
    ~feedback_dlg() override;

    // A submission runs.
    bool is_busy() const { return busy; }

    // The worker's body: sends the report and queues the reply's status as a
    // thread event to the dialog.
    static void submit_worker(event_target_ptr dialog, std::wstring message, std::wstring contact);
    // The pause after the post, before the result is shown.
    static int worker_pause_ms;

    // The result of checking the two texts: empty when they may be sent,
    // else the (English) refusal text.
    static const char* validation_error(const std::wstring& message, const std::wstring& contact);

protected:
    void on_close(wxCloseEvent& event) override;
    void on_init_dialog(wxInitDialogEvent& event) override;
    void on_size(wxSizeEvent& event) override;
    void on_mail_link(wxHyperlinkEvent& event) override;
    void on_submit(wxCommandEvent& event) override;
    void on_close_button(wxCommandEvent& event) override;
    virtual void on_submitted(wxThreadEvent& event);

    // Set on the main thread when a worker starts, cleared when its event
    // arrives: the worker posts to this dialog, so the dialog must stay.
    std::atomic<bool> busy{false};
    event_target_ptr target;
};

// Opens the feedback dialog modally, centred on parent, and destroys it.
void show_feedback_dialog(wxWindow* parent);
