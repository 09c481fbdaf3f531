#pragma once
// The words for result codes: a signature's sigerr code and a certificate's
// certerr code become one translated sentence. Every window that shows a
// verdict (info bar, signature tree, stamp editor, the certificate and
// signature dialogs) goes through these three functions.
#include <cstdint>

#include <wx/string.h>

struct revision_changes;

// Any code outside -1..16 reads as sigerr_unknown.
wxString signature_status_text(int32_t sigerr);
// Any code outside 0..14 (negative ones too) reads as "can not be verified".
wxString certificate_status_text(int32_t certerr);
// One line for the info bar: valid only for signature code 0 or 13 with a
// certificate code of 0; otherwise "INVALID: " and the first reason, the
// signature's before the certificate's.
wxString signature_summary_line(int32_t sigerr, int32_t certerr);

// What the updates written after a signature did, as one line ("Later
// revisions: 1 signature added, form fields filled"); empty when nothing
// was written after the signed revision, or nothing that can be named.
wxString later_revisions_text(const revision_changes& later);
