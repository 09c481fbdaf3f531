#pragma once
// Where a worker thread queues its result event. A window that starts a
// worker hands it a shared target and clears the target in its destructor,
// so a worker that ends after the window is gone drops its event instead of
// queueing it to a destroyed window.
#include <memory>
#include <mutex>

#include <wx/event.h>

class event_target {
public:
    explicit event_target(wxEvtHandler* handler) : handler_(handler) {}
    // Queues a copy of the event; false (nothing queued) once detached.
    bool post(const wxEvent& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (handler_ == nullptr) return false;
        handler_->QueueEvent(event.Clone());
        return true;
    }
    void detach() {
        std::lock_guard<std::mutex> lock(mutex_);
        handler_ = nullptr;
    }

private:
    std::mutex mutex_;
    wxEvtHandler* handler_;
};

using event_target_ptr = std::shared_ptr<event_target>;
inline event_target_ptr make_event_target(wxEvtHandler* handler) { return std::make_shared<event_target>(handler); }
