# Shared by test.sh: the ways the test suite runs. Each function takes the
# build folder first and returns non-zero when anything failed.

VELK_SCREEN="-screen 0 1920x1200x24"
VELK_TEST_EXECUTABLES=(test_platform test_app test_net test_crypto test_document test_service test_gui)

# Every test in a process of its own, under a virtual display (the GUI tests
# start one of their own each).
velk_run_ctest() {
  local dir="$1"; shift
  (cd "$dir" && xvfb-run -a -s "$VELK_SCREEN" ctest --output-on-failure -j "$(velk_jobs)" --timeout 600 "$@")
}

# Each named test executable once as one process, side by side, in a shuffled
# order: what one test leaves behind reaches the tests after it, as it never
# does under ctest. A failure names its seed; the same order comes back with
#   <executable> --gtest_shuffle --gtest_random_seed=<seed>
velk_run_whole() {
  local dir="$1"; shift
  local logs="$dir/whole-runs"
  mkdir -p "$logs"
  local names=() pids=() seeds=() exe
  for exe in "$@"; do
    [ -x "$dir/tests/$exe" ] || continue
    local launcher=() seed=$((RANDOM % 99999 + 1))
    [ "$exe" = test_gui ] && launcher=(xvfb-run -a -s "$VELK_SCREEN")
    # A bound for a hung run; a whole executable normally takes minutes.
    timeout --kill-after=30 2400 "${launcher[@]}" "$dir/tests/$exe" --gtest_shuffle --gtest_random_seed="$seed" \
      --gtest_brief=1 >"$logs/$exe.log" 2>&1 &
    names+=("$exe")
    pids+=($!)
    seeds+=("$seed")
  done
  local i rc=0
  for i in "${!pids[@]}"; do
    exe="${names[$i]}"
    if wait "${pids[$i]}"; then
      echo "whole shuffled run of $exe (seed ${seeds[$i]}): passed"
    else
      rc=1
      echo "whole shuffled run of $exe (seed ${seeds[$i]}): FAILED, log in $logs/$exe.log"
      grep -E "^\[  FAILED  \]|ERROR: .*Sanitizer|WARNING: ThreadSanitizer|runtime error:|^SUMMARY: " \
        "$logs/$exe.log" | head -40
      tail -n 20 "$logs/$exe.log"
    fi
  done
  return $rc
}

# The suite built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan, then the executables that start workers built with
# ThreadSanitizer in build-tsan and run whole. The suppression files hold the
# toolkit's own leaks and races only (GTK, GLib, fontconfig, Mesa, X11).
velk_run_sanitized() {
  local supp="$PWD/tests/sanitizers"
  local rc=0
  # Mesa's llvmpipe compiles code at run time. Under AddressSanitizer it
  # registers that code's unwind tables while holding libgcc's unwinder lock
  # and allocates under it: a full unwind of that allocation waits for the
  # same lock for ever. Under ThreadSanitizer its locks look held for good,
  # until the deadlock detector's table overflows. softpipe draws the same
  # pictures without compiling code.
  export GALLIUM_DRIVER=softpipe
  (
    export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=0"
    export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp"
    velk_build build-asan -DVELK_SANITIZE=address &&
      velk_run_ctest build-asan
  ) || rc=1
  (
    export TSAN_OPTIONS="suppressions=$supp/tsan.supp:halt_on_error=0:exitcode=66:second_deadlock_stack=1"
    local workers=(test_document test_gui test_service)
    VELK_BUILD_TARGET="${workers[0]}" velk_build build-tsan -DVELK_SANITIZE=thread &&
      cmake --build build-tsan -j "$(velk_jobs)" --target "${workers[@]}" &&
      velk_run_whole build-tsan "${workers[@]}"
  ) || rc=1
  return $rc
}
