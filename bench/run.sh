#!/usr/bin/env bash
# Generates the benchmark inputs, runs every benchmark and prints one table.
# Usage: bench/run.sh [generate_mps options]   (default: 1,000,000 waypoints, 9,000 tracks)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" libbenchmark-dev time
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null

data=build-bench/data
mkdir -p "$data"
input="$data/big.mps"
./build-bench/bin/generate_mps "$@" "$input"
cat "$input" >/dev/null  # the runs below read it from the page cache

json="$data/results.json"
RIDLOE_BENCH_MPS="$input" RIDLOE_BENCH_DIR="$data" \
  ./build-bench/bin/ridloe_bench --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null

# Peak resident memory of one whole conversion, and of the least one.
peak() { { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null; } | tail -n 1; }
peak_kb=$(peak ./build-bench/bin/ridloe-cli convert --force "$input" "$data/peak.wtr")
minimal_kb=$(peak ./build-bench/bin/minimal_convert "$input" "$data/peak-minimal.wtr")
cmp -s "$data/peak.wtr" "$data/peak-minimal.wtr" || echo "warning: ridloe-cli and minimal_convert wrote different bytes" >&2
input_bytes=$(stat -c %s "$input")

python3 - "$json" "$input_bytes" "$peak_kb" "$minimal_kb" <<'PY'
import json, sys
results, size, peak_kb, minimal_kb = json.load(open(sys.argv[1])), int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
medians = {}
print(f"input: {size/1e6:.1f} MB; medians of 5 runs")
print(f"| {'benchmark':<20} | {'time (ms)':>10} | {'MB/s':>9} | {'records/s':>12} |")
print(f"|{'-'*22}|{'-'*12}|{'-'*11}|{'-'*14}|")
for b in results["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name = b["run_name"].split("/")[0].removeprefix("BM_")
    medians[name] = b["real_time"]
    print(f"| {name:<20} | {b['real_time']:>10.1f} | {b['bytes_per_second']/1e6:>9.0f} | {b['items_per_second']:>12,.0f} |")
print(f"ridloe-cli convert takes {medians['CliConvert']/medians['MinimalConvert']:.2f} x the minimal conversion "
      f"({medians['CliConvert']/medians['MinimalConvertNoSync']:.2f} x the one that does not flush to disk)")
print(f"peak resident memory of convert: {peak_kb/1024:.0f} MiB = {peak_kb*1024/size:.2f} x the input "
      f"(minimal: {minimal_kb/1024:.0f} MiB)")
PY
./build-bench/bin/dialog_list_bench
