#!/usr/bin/env bash
# Runs one test of a sanitizer tree (build/asan, build/tsan). Every process
# the test starts (winsim, Setup, the programs under tests/programs) is built
# with the same sanitizer and inherits these options. A process a sanitizer
# stops dies; its parent may take that for any other exit code, so what the
# sanitizers wrote is looked at here, after the test: a report from any
# process fails the test and is printed.
#
# AddressSanitizer and ThreadSanitizer write their reports to files in this
# test's own folder. UndefinedBehaviorSanitizer, built in beside
# AddressSanitizer, ignores log_path and writes to standard error, which every
# process inherits from the test (the tests that capture a program's error
# output pass it on): it is kept in a file and searched for its reports.
set -u
reports=$(mktemp -d "${TMPDIR:-/tmp}/zx-sanitizer.XXXXXX") || exit 1
options="halt_on_error=1:abort_on_error=1:log_path=$reports/report"
export ASAN_OPTIONS="$options:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="$options:print_stacktrace=1"
export TSAN_OPTIONS="$options:second_deadlock_stack=1"

"$@" 2>"$reports/stderr"
status=$?
cat "$reports/stderr" >&2

found=0
for report in "$reports"/report.*; do
  [ -f "$report" ] || continue
  # The leak check of a process that is being killed (the crash tests kill
  # programs on purpose, at any moment, their exit included) cannot stop
  # its threads and says only that; that is no finding about the program.
  if ! grep -qv "Unable to get registers from thread" "$report"; then
    echo "==== (a killed process's leak check could not run: $(cat "$report"))" >&2
    continue
  fi
  found=1
  echo "==== sanitizer report ($(basename "$report")) from a process of: $*" >&2
  cat "$report" >&2
done
if grep -qE "runtime error:|ERROR: (Address|Thread|Leak|UndefinedBehavior)Sanitizer|WARNING: ThreadSanitizer" "$reports/stderr"; then
  found=1
  echo "==== sanitizer report on the error output above, from a process of: $*" >&2
fi
rm -rf "$reports"
if [ "$found" -eq 1 ] && [ "$status" -eq 0 ]; then status=1; fi
exit "$status"
