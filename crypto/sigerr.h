#pragma once
// Signature result codes shared by the verification primitives and the
// document verifier. 0 is a valid signature.
#include <cstdint>

enum sigerr_code : int32_t {
    sigerr_unknown = -1,
    sigerr_okay = 0,
    sigerr_invalid = 1,
    sigerr_sigdata = 2,
    sigerr_notsup_type = 3,
    sigerr_modified = 4,
    sigerr_unmodified = 5,
    sigerr_no_signatures = 6,
    sigerr_no_certificate = 7,
    sigerr_signcert_unmatch = 8,
    sigerr_sealsig_invalid = 9,
    sigerr_sealcert_invalid = 10,
    sigerr_expired = 11,
    sigerr_sigtime_illegal = 12,
    sigerr_sigtime_local = 13,
    sigerr_sigcalc_nonstd = 14,
    sigerr_notsup_alg = 15,
    sigerr_tosign = 16,
};

// Results of the raw signature checks (verify_sm2_raw and friends).
constexpr int raw_verify_valid = 5;
constexpr int raw_verify_invalid = 1;
constexpr int raw_verify_unavailable = -1;

// The name of a code ("sigerr_unknown" ... "sigerr_tosign"), as reports and
// logs write it. Any value outside -1..16 gives "sigerr_unknown".
const char* sigerr_name(int32_t code);
