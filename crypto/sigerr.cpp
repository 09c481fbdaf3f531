#include "crypto/sigerr.h"

namespace {

// Indexed by code + 1.
const char* const kSigerrNames[] = {
    "sigerr_unknown",          "sigerr_okay",           "sigerr_invalid",          "sigerr_sigdata",
    "sigerr_notsup_type",      "sigerr_modified",       "sigerr_unmodified",       "sigerr_no_signatures",
    "sigerr_no_certificate",   "sigerr_signcert_unmatch", "sigerr_sealsig_invalid", "sigerr_sealcert_invalid",
    "sigerr_expired",          "sigerr_sigtime_illegal", "sigerr_sigtime_local",   "sigerr_sigcalc_nonstd",
    "sigerr_notsup_alg",       "sigerr_tosign",
};
static_assert(sizeof kSigerrNames / sizeof kSigerrNames[0] == sigerr_tosign - sigerr_unknown + 1,
              "one name per code");

}  // namespace

const char* sigerr_name(int32_t code) {
    if (code < sigerr_unknown || code > sigerr_tosign) return kSigerrNames[0];
    return kSigerrNames[code + 1];
}
