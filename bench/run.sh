#!/usr/bin/env bash
# Generates the benchmark inputs, runs every benchmark and prints one table;
# then the peak memory of whole conversions, and GDAL's ogr2ogr reading the
# same GPX file side by side.
# Usage: bench/run.sh [generate_mps options]   (default: 1,000,000 waypoints, 9,000 tracks)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ridloe_need_packages "${RIDLOE_BUILD_PACKAGES[@]}" libbenchmark-dev time gdal-bin
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$(nproc)" >/dev/null

data=build-bench/data
mkdir -p "$data"
input="$data/big.mps"
./build-bench/bin/generate_mps "$@" "$input"
gpx="$data/big.gpx"
./build-bench/bin/ridloe-cli convert --force -o "$gpx" "$input" 2>/dev/null
cat "$input" "$gpx" >/dev/null  # the runs below read them from the page cache

json="$data/results.json"
RIDLOE_BENCH_MPS="$input" RIDLOE_BENCH_GPX="$gpx" RIDLOE_BENCH_DIR="$data" \
  ./build-bench/bin/ridloe_bench --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null

# Peak resident memory of one whole conversion, and of the least one.
peak() { { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null; } | tail -n 1; }
peak_kb=$(peak ./build-bench/bin/ridloe-cli convert --force -o "$data/peak.wtr" "$input")
minimal_kb=$(peak ./build-bench/bin/minimal_convert "$input" "$data/peak-minimal.wtr")
cmp -s "$data/peak.wtr" "$data/peak-minimal.wtr" || echo "warning: ridloe-cli and minimal_convert wrote different bytes" >&2
to_gpx_kb=$(peak ./build-bench/bin/ridloe-cli convert --force -o "$data/peak.gpx" "$input")
from_gpx_kb=$(peak ./build-bench/bin/ridloe-cli convert --force -o "$data/peak-gpx.wtr" "$gpx")
cmp -s "$data/peak.wtr" "$data/peak-gpx.wtr" || echo "warning: MPS -> GPX -> WTR differs from MPS -> WTR" >&2
input_bytes=$(stat -c %s "$input")
gpx_bytes=$(stat -c %s "$gpx")

# GDAL reading the same GPX, every layer written as CSV: seconds and peak KiB.
rm -rf "$data/ogr-csv"
ogr=$({ /usr/bin/time -f '%e %M' ogr2ogr -f CSV "$data/ogr-csv" "$gpx" 2>&1 >/dev/null; } | tail -n 1)

python3 - "$json" "$input_bytes" "$peak_kb" "$minimal_kb" "$gpx_bytes" "$to_gpx_kb" "$from_gpx_kb" $ogr <<'PY'
import json, sys
results, size, peak_kb, minimal_kb = json.load(open(sys.argv[1])), int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
gpx_size, to_gpx_kb, from_gpx_kb = int(sys.argv[5]), int(sys.argv[6]), int(sys.argv[7])
ogr_seconds, ogr_kb = float(sys.argv[8]), int(sys.argv[9])
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
print(f"GPX: {gpx_size/1e6:.1f} MB. MPS -> GPX: {size/1e6/(medians['CliMpsToGpx']/1e3):.0f} MB/s of MPS as a process "
      f"({size/1e6/(medians['MpsToGpx']/1e3):.0f} in the process), peak {to_gpx_kb/1024:.0f} MiB = "
      f"{to_gpx_kb*1024/size:.2f} x the MPS")
print(f"GPX -> WTR: {gpx_size/1e6/(medians['CliGpxToWtr']/1e3):.0f} MB/s of GPX as a process "
      f"({gpx_size/1e6/(medians['GpxToWtr']/1e3):.0f} in the process), peak {from_gpx_kb/1024:.0f} MiB = "
      f"{from_gpx_kb*1024/gpx_size:.2f} x the GPX")
print(f"ogr2ogr -f CSV of the same GPX: {ogr_seconds:.1f} s ({gpx_size/1e6/ogr_seconds:.0f} MB/s), peak "
      f"{ogr_kb/1024:.0f} MiB; ridloe-cli reads it {ogr_seconds/(medians['CliGpxToWtr']/1e3):.0f} times as fast")
PY
./build-bench/bin/dialog_list_bench
