#pragma once
// What the certificate dialog shows of one certificate: the rows of its
// field list and the readable names of its key usage and extended key usages.
#include <cstdint>
#include <string>
#include <vector>

#include <wx/string.h>

struct x509ui;

struct cert_detail_row {
    wxString name;        // translated field name
    wxString value;       // the full value (the value box)
    wxString short_text;  // what column "Value" shows when not empty
};

// The rows in display order; optional rows only when their source is present.
std::vector<cert_detail_row> certificate_detail_rows(const x509ui& cert);

// What column "Value" shows for a row: the short text, else the value up to
// and including its first line break.
wxString detail_row_column_text(const cert_detail_row& row);

// Names of the known extended key usages (codes 1..6, others skipped), joined
// by ", " (translated when `translated`).
wxString eku_names_text(const std::vector<int32_t>& codes, bool translated);
// Names of the key-usage bits found in the library's key-usage text.
wxString key_usage_names_text(const wxString& key_usage, bool translated);
