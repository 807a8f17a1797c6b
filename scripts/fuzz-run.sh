#!/usr/bin/env bash
# The short fuzzing run of `make fuzz` (and so of `make test`): every target of
# the fuzz build for FUZZ_SECONDS seconds (default 6), over its seed corpus in
# fuzz/corpus/<target> and what earlier runs found (build/fuzz/corpus/<target>).
# Fails on any crash, sanitizer finding, leak or input slower than one second;
# the input is kept in build/fuzz/findings/<target>/.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-6}

shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "error: no fuzz targets in $build (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
  exit 1
fi

failed=()
for program in "${targets[@]}"; do
  [ -x "$program" ] || continue
  name=$(basename "$program"); name=${name#fuzz_}
  corpus=$build/corpus/$name findings=$build/findings/$name log=$build/findings/$name.log
  mkdir -p "$corpus" "$findings"
  (cd "$findings" && "$program" -timeout=1 -rss_limit_mb=2048 -max_total_time="$seconds" \
      -print_final_stats=1 -close_fd_mask=1 -artifact_prefix="$findings/" \
      "$corpus" "$root/fuzz/corpus/$name") >"$log" 2>&1
  status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1)
  if [ $status -eq 0 ]; then
    printf 'fuzz %-13s ok      %9s runs  %s\n' "$name" "${execs:-?}" "$cov"
  else
    printf 'fuzz %-13s FAILED  (exit %d)\n' "$name" "$status"
    grep -E 'ERROR:|SUMMARY:|property failed|Test unit written' "$log" | head -8 | sed 's/^/    /'
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs and logs in $build/findings)" >&2
  exit 1
fi
