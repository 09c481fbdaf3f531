#!/usr/bin/env bash
# Installs what is missing, builds Velkorant and runs the whole test suite.
# Exit code: the test suite's.
set -eu
cd "$(dirname "$0")"
. ./scripts/deps.sh
velk_install_deps
velk_build build
cd build
# GUI tests need a display: the whole suite runs under a virtual one.
set +e
xvfb-run -a -s "-screen 0 1920x1200x24" ctest --output-on-failure -j "$(nproc)" --timeout 600
rc=$?
exit $rc
