#pragma once
// The program's thread event: how a worker (or a dialog) tells a window on the
// main thread that something happened. It carries a text tag and, for some
// tags, a pointer to an object made on the heap for that one receiver, which
// owns it afterwards (uses it, then deletes or keeps it).
#include <wx/event.h>

struct x509ui;
struct trust_cert_info;
struct certstore_sumfile_entry;

class wxt_thread_event : public wxThreadEvent {
public:
    explicit wxt_thread_event(const wxString& tag);
    wxt_thread_event(const wxString& tag, x509ui* payload);
    wxt_thread_event(const wxString& tag, trust_cert_info* payload);
    wxt_thread_event(const wxString& tag, certstore_sumfile_entry* payload);
    // Copying is the toolkit's own: the queued copy is a plain thread event
    // with the same tag (deep-copied) and the same payload pointer.
};

// Queues a copy of the event to the receiver; safe from any thread.
void post_thread_event(wxEvtHandler* receiver, const wxThreadEvent& event);

// The shared thread-event tags; each holds its own name.
inline constexpr wchar_t evt_update[] = L"evt_update";
inline constexpr wchar_t evt_loadend[] = L"evt_loadend";
inline constexpr wchar_t evt_verifyend[] = L"evt_verifyend";
inline constexpr wchar_t evt_addtrust[] = L"evt_addtrust";
inline constexpr wchar_t evt_deltrust[] = L"evt_deltrust";
inline constexpr wchar_t evt_addcert[] = L"evt_addcert";
inline constexpr wchar_t evt_delete[] = L"evt_delete";
inline constexpr wchar_t evt_newtip[] = L"evt_newtip";
inline constexpr wchar_t sign[] = L"sign";  // the signing panel's tag: the signing ended

// Action names of the usage reports sent to the maker's server.
inline constexpr char action_user_stat[] = "user-stat";
inline constexpr char action_feedback[] = "feedback";
inline constexpr char action_update_version[] = "update-version";
inline constexpr char action_agreement[] = "agreement";
inline constexpr char action_add_trust[] = "add-trust";
inline constexpr char action_update_trustlist[] = "update-trustlist";
inline constexpr char action_sign_file[] = "sign-file";
inline constexpr char action_verify_file[] = "verify-file";
inline constexpr char action_sigdata[] = "sigdata";
inline constexpr char action_make_stamp[] = "make-stamp";
inline constexpr char action_create_cert[] = "create-cert";
inline constexpr char action_import_pfx[] = "import-pfx";

inline constexpr const char* report_type_names[] = {
    action_user_stat, action_feedback,  action_update_version, action_agreement,
    action_add_trust, action_update_trustlist, action_sign_file, action_verify_file,
    action_sigdata,   action_make_stamp, action_create_cert,    action_import_pfx,
};
