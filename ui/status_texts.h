#pragma once
// The sentences the user interface shows for signature and certificate
// result codes, translated at the moment of the call. Every integer has a
// text: a code outside the known ones takes the "cannot be verified" text.
#include <string>

std::wstring signature_status_text(int sigerr_code);
std::wstring certificate_status_text(int certerr_code);
// The one-line verdict of a signature from its own code and its signer
// certificate's code: only 0 and 13 are valid signature codes; the
// signature's reason is given before the certificate's.
std::wstring signature_summary_line(int sigerr_code, int certerr_code);
