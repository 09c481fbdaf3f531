#pragma once
// The trust list: the program's own set of certificates and the only thing
// that makes a certificate chain trusted. One process-wide map keyed by
// certificate id, saved as "trustlist+.json" in the data folder, with a PEM
// copy of every certificate in the "certcache" folder.
//
// Entry kinds (trust / usr / usr_untrust):
//   built-in (approved)      true  / false / false   (sys: from the system set)
//   added by the user        true  / true  / false
//   withdrawn by the user    (kept)/ (kept)/ true
//   issuer cache             false / false / false
// An entry anchors trust when `trust` is set and `usr_untrust` is not.
//
// Locking: every operation holds `trust_list_mutex` (recursive) for its whole
// run; operations call one another freely. Lock order: the trust-list lock is
// always taken BEFORE the certificate-chain lock. Chain verification takes the
// trust-list lock first and then its own, so a thread holding the chain lock
// never waits for the trust-list lock.
//
// Failures are thrown as exceptionex.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <json/value.h>
#include <openssl/x509.h>

struct x509ui;
class wxEvtHandler;

struct trust_cert_info {
    std::string id;     // certificate id: upper-case hex SHA-1 of the DER; the map key
    std::string skid;   // subject key identifier, upper-case hex; "" when none
    std::wstring name;  // subject DN on one line
    std::wstring sb;    // subject display name (CN, else organisation)
    std::wstring is;    // issuer display name
    std::string sn;     // serial number, upper-case hex
    std::string exp;    // not-after, local time text
    bool trust = true;
    bool usr = false;          // added by the user
    bool usr_untrust = false;  // the user withdrew trust
    bool sys = false;          // in the system certificate set (see system_roots.h)

    bool anchors_trust() const { return trust && !usr_untrust; }
};

using trust_list_map = std::map<std::string, trust_cert_info>;

extern trust_list_map trust_list;
extern std::string trust_list_id;    // id of the bundle the built-in entries came from
extern std::string trust_list_file;  // data folder + "trustlist+.json", set by load_trust_list
extern std::string certcache_dir;    // data folder + "certcache/", set at start-up (ends with "/")
extern std::string system_roots_source;  // where the approved roots were read; "" when no set was found
extern std::recursive_mutex trust_list_mutex;
using trust_list_lock = std::lock_guard<std::recursive_mutex>;

inline constexpr char kTrustListFileName[] = "trustlist+.json";

// Loads data_folder + "trustlist+.json" (data_folder ends with "/"), replacing
// the list; returns the entry count (0 when missing or unreadable; an
// unreadable file is moved aside as "trustlist+.json.broken").
int load_trust_list(const std::string& data_folder);
// Writes the whole list and its id, atomically.
void save_trust_list();

trust_cert_info trust_cert_info_from_x509ui(const x509ui& ui, bool usr);
Json::Value trust_cert_info_to_json(const trust_cert_info& entry);
trust_cert_info trust_cert_info_from_json(const Json::Value& element);

// Stores the certificate's entry (trust on, withdrawn off) under its id,
// replacing one with that id; returns the stored entry. Nothing is stored for
// an empty id (the returned entry then has an empty id).
trust_cert_info trust_list_put(const x509ui& ui, bool usr);
// The user trusts a certificate: PEM copy, user entry, appended to the file.
void trust_list_import_cert(X509* cert);
// Records an issuer certificate as an untrusted cache entry unless its id is present.
void trust_list_add_issuer(X509* cert);
// Writes certcache_dir + id + ".cer" (PEM) when no such file exists.
void write_certcache_copy(X509* cert);
// Appends one element to the file's "trustlist" array (the caller holds the lock).
void append_trust_entry_to_file(const trust_cert_info& entry);

// The entry with that id, if any (a copy, taken under the lock).
bool trust_list_find(const std::string& id, trust_cert_info* found = nullptr);
// Issuer lookup by one-line subject name (letter case ignored) and key id:
// a matching name with an equal or absent key id selects an entry; a key id
// alone never does. Returns the entry's id, or "".
std::string trust_list_find_issuer(const std::string& key_id, const std::wstring& name);
// Every entry trust_list_find_issuer could select, in key order: issuers
// re-keyed under one name (or test authorities made again) are all offered,
// so that chain building can take the one whose key signed the child.
std::vector<std::string> trust_list_find_issuers(const std::string& key_id, const std::wstring& name);

// Erases every built-in entry that is not from the system set; user,
// withdrawn, issuer-cache and system entries stay.
void trust_list_drop_builtin();

// Makes the built-in part the given system set: its certificates become
// approved entries (those the user withdrew or added keep their state), and
// every other built-in entry goes (then trust_list_id is cleared so that an
// online bundle is fetched again). Records `source`, writes missing cache
// copies and saves the list when it changed. Returns whether it changed.
bool sync_system_roots(const std::vector<X509*>& certs, const std::string& source);
// Reset: the whole list becomes the system set. The set is read before the
// list is emptied: without one, the list stays as it was and this throws.
void reset_trust_list_to_system();

// The certificates of a bundle (DER PKCS#7 signedData or GM signedData,
// certificates only), in order. Throws "(), parse trustlist from p7c failed:
// trustlistp7len: N" when the bytes are not a PKCS#7.
std::vector<X509*> parse_trust_bundle(const unsigned char* bytes, std::size_t length);
void free_certificates(std::vector<X509*>& certs);

// Merges a bundle (parsed first: a broken bundle changes nothing), sets
// trust_list_id (the given id, or the SHA-1 of the bytes when empty) and saves.
void merge_trust_bundle(const std::string& id, const unsigned char* bytes, std::size_t length);
// Empties the whole list and merges the bundle; the bundle is parsed before
// anything is emptied, so a broken bundle leaves the list as it was.
void reset_trust_list(const unsigned char* bytes, std::size_t length);

// Thread bodies, run detached at start-up.
// Reads the system set (once) and brings the built-in part in line with it;
// a machine without one keeps an empty approved part and says so in a
// diagnostic line. Sets trust_list_ready at its end.
void trust_list_rebuild_thread();
// The online update: waits (ending early on stop_workers) for the list to be
// ready, the trust page to be filled and no verification to run; fetches the
// update information from trustlist_info_url and, for a new id, replaces the
// built-in part with the downloaded bundle, restoring the old list on failure.
void trust_list_update_thread();

// Wiring set by start-up and the trust-list page (may stay unset).
// Called with (old id, new id, ok) after an update attempt (the
// "update-trustlist" usage report).
extern void (*trust_update_report_hook)(const std::string& old_id, const std::string& new_id, bool ok);
// Receives "evt_update" after the online update changed the list (the trust-list page).
extern std::atomic<wxEvtHandler*> trust_update_receiver;
