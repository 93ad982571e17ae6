#!/usr/bin/env bash
# Builds the libFuzzer targets (cmake --preset fuzz) and runs each for SECONDS
# from its corpus, all at once, one worker each. Fails when any run ends in a
# crash, leak, sanitizer report, timeout or out-of-memory; the input that did
# it is kept in build-fuzz/artifacts/. Prints per target the executions, the
# coverage (cov: edges, ft: features) and the corpus size.
#
# Usage: formats/fuzz/run.sh SECONDS [TARGET...]     (targets: mps_load wtr_load gpx_load roundtrip)
#
# Corpora grow in build-fuzz/corpus/TARGET between runs; each run also reads
# the generated seeds (build-fuzz/seeds/), the regression inputs
# (formats/tests/fuzz_regressions/) and the shared real files of the target's format.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

seconds=${1:-}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
  echo "usage: formats/fuzz/run.sh SECONDS [TARGET...]" >&2
  exit 2
fi
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(mps_load wtr_load gpx_load roundtrip)

. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" "${RIDLOE_FUZZ_PACKAGES[@]}"

build=$root/build-fuzz
cmake --preset fuzz >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" fuzz_seeds

mkdir -p "$build/artifacts" "$build/logs"
cat formats/fuzz/mps.dict formats/fuzz/wtr.dict >"$build/roundtrip.dict"
shared=$root/../shared/testdata

# Inputs are at most 16 KiB (the largest real file is 15 KiB). A load may take
# a small multiple of its input, so any single allocation above 32 MiB, or a
# process above 1 GiB, is a fault; so is one input taking over 10 seconds.
options=(-max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=32
  -print_final_stats=1 -print_pcs=0)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

declare -A pids
for t in "${targets[@]}"; do
  case $t in
    mps_load) dict=formats/fuzz/mps.dict; seeds=("$build/seeds/mps"); real=mps ;;
    wtr_load) dict=formats/fuzz/wtr.dict; seeds=("$build/seeds/wtr"); real= ;;
    gpx_load) dict=formats/fuzz/gpx.dict; seeds=("$build/seeds/gpx"); real=gpx ;;
    roundtrip) dict=$build/roundtrip.dict; seeds=("$build/seeds/mps"); real=mps ;;
    *) echo "formats/fuzz/run.sh: unknown target $t" >&2; exit 2 ;;
  esac
  [ -n "$real" ] && [ -d "$shared/$real" ] && seeds+=("$shared/$real")
  [ -d formats/tests/fuzz_regressions ] && seeds+=(formats/tests/fuzz_regressions)
  mkdir -p "$build/corpus/$t"
  "$build/bin/$t" "${options[@]}" -dict="$dict" -artifact_prefix="$build/artifacts/$t-" \
    "$build/corpus/$t" "${seeds[@]}" >"$build/logs/$t.log" 2>&1 &
  pids[$t]=$!
done

failed=0
printf '%-10s %12s %8s %8s %8s %8s  %s\n' target executions exec/s cov ft corpus result
for t in "${targets[@]}"; do
  rc=0
  wait "${pids[$t]}" || rc=$?
  log=$build/logs/$t.log
  result=ok
  if [ "$rc" -ne 0 ] ||
     grep -qE 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error:|^SUMMARY: ' "$log"; then
    result="FAILED (exit $rc; log $log)"
    failed=1
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9A-Za-z]*\).*/\1/p' <<<"$last")
  printf '%-10s %12s %8s %8s %8s %8s  %s\n' "$t" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$result"
done

if [ "$failed" -ne 0 ]; then
  echo >&2
  for t in "${targets[@]}"; do
    grep -hE 'ERROR:|runtime error:|SUMMARY:|^(mps_load|wtr_load|gpx_load|roundtrip): |Test unit written to' \
      "$build/logs/$t.log" >&2 || true
  done
  echo "A failing input is kept in $build/artifacts/; copy it to formats/tests/fuzz_regressions/ with the fix." >&2
  exit 1
fi
