#include "app/thread_event.h"

wxt_thread_event::wxt_thread_event(const wxString& tag) : wxThreadEvent(wxEVT_THREAD, wxID_ANY) {
    SetString(tag);
}

wxt_thread_event::wxt_thread_event(const wxString& tag, x509ui* payload) : wxt_thread_event(tag) {
    SetPayload(payload);
}

wxt_thread_event::wxt_thread_event(const wxString& tag, trust_cert_info* payload) : wxt_thread_event(tag) {
    SetPayload(payload);
}

wxt_thread_event::wxt_thread_event(const wxString& tag, certstore_sumfile_entry* payload) : wxt_thread_event(tag) {
    SetPayload(payload);
}

void post_thread_event(wxEvtHandler* receiver, const wxThreadEvent& event) {
    if (receiver) receiver->QueueEvent(event.Clone());
}
