#!/usr/bin/env bash
# Installs what is missing, builds Velkorant and runs the whole test suite:
# every test in a process of its own (ctest), then every test executable once
# whole in a shuffled order, so that no test depends on what another left.
#   ./test.sh             in ./build
#   ./test.sh --sanitize  under AddressSanitizer and UndefinedBehaviorSanitizer
#                         (./build-asan), then the executables that start
#                         workers under ThreadSanitizer (./build-tsan)
# VELK_JOBS=<n> bounds the parallel build and test jobs (default: every core).
# Exit code: 0 when everything passed.
set -eu
cd "$(dirname "$0")"
. ./scripts/deps.sh
. ./scripts/test_runs.sh
case "${1:-}" in
  "") ;;
  --sanitize) ;;
  *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac
velk_install_deps
rc=0
set +e
if [ "${1:-}" = --sanitize ]; then
  velk_run_sanitized || rc=1
else
  velk_build build || exit 1
  velk_run_ctest build || rc=1
  velk_run_whole build "${VELK_TEST_EXECUTABLES[@]}" || rc=1
fi
exit $rc
