#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one over its seed corpus, one after the
# other, then prints executions per second and the outcome per target.
#   fuzz/run.sh [SECONDS] [TARGET...]     default: 60 seconds each, every target
# The corpus each run grows is kept in <build>/corpus/<target> and reused by the next run; the
# seeds in fuzz/corpus/<target> are only read. A finding is written to <build>/findings/<target>/
# and makes the script fail; add the reproducer to the seeds once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(fuzz_template fuzz_overlay fuzz_number_text fuzz_save_reopen)
build=${NX_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNX_FUZZ=ON \
  -DNX_BUILD_GUI=OFF -DNX_BUILD_TESTS=OFF -DNX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/logs"
summary=()
failed=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/findings/$t"
  log="$build/logs/$t.log"
  echo "== $t: ${seconds} s"
  status=0
  # -timeout: an input that runs this long is reported as a hang.
  "$build/bin/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -dict=fuzz/xml.dict -artifact_prefix="$build/findings/$t/" \
    "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  if ((status == 0)); then
    result=clean
  else
    result="FINDING (status $status, log $log)"
    failed=1
    grep -E 'ERROR:|SUMMARY:|property violated|Test unit written' "$log" | head -20 || true
  fi
  grep -E '^stat::|^Done ' "$log" || true
  # The target figure is 1,000 executions per second; a slower run is named, not failed, since
  # the rate depends on the machine and its load.
  if [[ "${rate:-0}" =~ ^[0-9]+$ ]] && ((rate < 1000)); then result+=", below 1000 exec/s"; fi
  summary+=("$(printf '%-18s %10s exec/s %12s runs  %s' "$t" "${rate:-?}" "${runs:-?}" "$result")")
done

echo
echo "Fuzz run, ${seconds} s per target:"
printf '  %s\n' "${summary[@]}"
exit "$failed"
