#pragma once
// Usage reports to the maker's server: the report record, its common header,
// its JSON text, the names used inside reports, and one builder per report
// type. A builder never fails towards its caller; most queue their report
// for the report sender, a few post it at once.
#include <cstdint>
#include <map>
#include <string>

#include "app/user_info.h"
#include "crypto/sigerr.h"
#include "document/sigdata.h"

struct x509ui;
struct sigstampui;
struct sign_task;
struct sig_status_cell;

struct report_record {
    std::string url;    // where it is posted (report_endpoint); not part of the body
    std::string type;   // the report type
    std::string time;   // local time, "YYYY-MM-DD hh:mm:ss"
    user_info user;     // copy of cfgui
    product_info product;  // copy of cfgpi
    std::string level;  // "", "info", "failed" or "error"
    std::string desc;
    std::map<std::string, std::string> data;
};

// The two types whose texts the shared action names do not hold.
inline constexpr char action_check_version[] = "check-version";

// Fills the header: url, type, local time, user (cfgui) and product (cfgpi).
// An empty saved device id, product name or version writes a diagnostic line.
void init_report_record(const std::string& type, report_record& record);

// The JSON body: "type", "time", "user-info" {"device-id", "platform",
// "contact" and "country" when not empty}, "product-info" {"name",
// "version"}, "level" and "desc" when not empty, "data" when it has entries.
std::string report_to_json(const report_record& record);

// The one-line name of a certificate name text: line feeds become spaces,
// and with a common name "CN = <cn> " is moved to the front (its first
// occurrence in the text removed).
std::wstring report_name_text(const std::wstring& common_name, const std::wstring& name_text);

// certerr_name with "certerr_unknown" for every code outside the table.
const char* report_certerr_name(int32_t code);

// ---- builders ---------------------------------------------------------------
// "agreement": queued by start-up once the user accepted the agreement.
void report_agreement();
// Posts a "feedback" report at once (10 s limit) and returns the reply's
// "status" text, "failed" when the reply is not a JSON object.
std::string send_feedback(const std::string& type, const std::wstring& message, const std::wstring& contact);

void report_check_version(const std::string& old_version, const std::string& new_version);
// Queued, or with queued false posted at once on the calling thread.
void report_update_version(bool ok, bool queued, const std::string& old_version, const std::string& new_version);
void report_add_trust(const x509ui& cert);
void report_update_trustlist(bool ok, const std::string& old_id, const std::string& new_id);

// One "verify-file" report per top-level result of a verification.
struct sig_results;
void report_verified_signatures(const sig_results& results);
// One "verify-file" report; nothing without a status cell, its data or a chain.
void report_verify_file(const sig_status_cell* status, const cert_chain_ui* chain,
                        const std::map<std::string, std::string>& extra);
// One "sigdata" report of a signature whose data is unusable.
void report_sigdata(const char* type, int32_t status, const unsigned char* bytes, uint32_t length);

// The "sign-file" report of one signing attempt.
void report_sign_task(const sign_task& task, const x509ui* signer, bool ok, const std::string& error);
void report_sign_file(bool ok, const std::map<std::string, std::wstring>& data, const std::string& error);
void report_make_stamp(const sigstampui& stamp, const x509ui* cert);
void report_create_cert(bool made, bool imported, const std::wstring& subject, const std::string& algorithm,
                        const std::string& error);
void report_import_pfx(bool ok, const std::wstring& subject, const std::wstring& issuer, const std::string& algorithm,
                       const std::string& error);

// The number of bytes of a signature's contents a "sigdata" report carries
// (see report_sigdata); exposed for tests.
std::size_t sigdata_report_length(const unsigned char* bytes, std::size_t count);
