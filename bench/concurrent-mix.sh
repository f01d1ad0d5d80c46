#!/usr/bin/env bash
# Eight planners on one server for two minutes, each its own console process after process, doing
# what a planning office does all day: MRP runs, releases of purchase and manufacture suggestions,
# BOM imports, calendar toggles and conversions of sales-order lines into the schedule. Then
# "mfg check" must find every rule whole. Prints the operations done, the throughput and the
# slowest operation.
#   scripts/with-postgres bench/concurrent-mix.sh build/release/app/mfg/mfg [planners] [seconds]
set -euo pipefail
mfg=$(realpath "$1")
planners=${2:-8}
seconds=${3:-120}
url="${MFG_PG_URL:?MFG_PG_URL is not set: run through scripts/with-postgres}"
case "$url" in *\?*) db="$url&schema=bench_mix" ;; *) db="$url?schema=bench_mix" ;; esac
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
today=2026-12-06
extra=2000  # open lines added to the demo's first sales order, for the planners to convert

now() { date +%s.%N; }
m() { "$mfg" --db "$db" --today "$today" "$@"; }

m init --demo --force >/dev/null
values=$(seq 10 $((extra + 9)) | awk '{ printf "%s(1, %d, %d, 11, 5, 5, 0, 0, 0)", (NR > 1 ? "," : ""), $1, ($1 % 2 ? 2 : 1) }')
m sql "insert into S_OrderDetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, ReferQty, Closed, MPSREFERED)
       values $values" >/dev/null
m bom export 3003 --csv >"$dir/bom-3003.csv"

# One planner: operations picked at random until the time is up, one line per operation:
# kind, seconds, exit code.
planner() {
  local id=$1 end=$2 log="$dir/planner.$1.log" start code kind
  RANDOM=$((id * 7919))
  while [ "$(date +%s)" -lt "$end" ]; do
    local pick=$((RANDOM % 100))
    start=$(now)
    set +e
    if [ $pick -lt 20 ]; then
      kind=mrp; m mrp --mps all --json >/dev/null 2>>"$dir/err.$id"
    elif [ $pick -lt 30 ]; then
      kind=release-purchase; m mrp --mps all --release purchase --trader GY001 >/dev/null 2>>"$dir/err.$id"
    elif [ $pick -lt 40 ]; then
      kind=release-manufacture; m mrp --mps all --release manufacture --workshop CJ04 >/dev/null 2>>"$dir/err.$id"
    elif [ $pick -lt 55 ]; then
      kind=bom-import; m bom import "$dir/bom-3003.csv" >/dev/null 2>>"$dir/err.$id"
    elif [ $pick -lt 70 ]; then
      kind=calendar-toggle; m calendar toggle "2027-0$((RANDOM % 9 + 1))-1$((RANDOM % 9))" >/dev/null 2>>"$dir/err.$id"
    elif [ $pick -lt 97 ]; then
      kind=from-sales
      m mps from-sales "XS-2026-12-01-0001:$((RANDOM % extra + 10))" --finish 2026-12-24 >/dev/null 2>>"$dir/err.$id"
    else
      kind=from-sales-all; m mps from-sales --all --finish 2026-12-24 >/dev/null 2>>"$dir/err.$id"
    fi
    code=$?
    set -e
    printf '%s %.3f %d\n' "$kind" "$(echo "$(now) - $start" | bc)" "$code" >>"$log"
  done
}

end=$(($(date +%s) + seconds))
started=$(now)
for i in $(seq 1 "$planners"); do planner "$i" "$end" & done
wait
elapsed=$(echo "$(now) - $started" | bc)

cat "$dir"/planner.*.log >"$dir/all.log"
awk -v elapsed="$elapsed" -v planners="$planners" '
  { n[$1]++; t[$1] += $2; if ($2 > max[$1]) max[$1] = $2; if ($3 != 0) refused[$1]++; total++
    if ($2 > slowest) { slowest = $2; slowKind = $1 } }
  END {
    printf "%d planners, %.0f s: %d operations, %.2f per second\n", planners, elapsed, total, total / elapsed
    for (k in n) printf "  %-20s %5d  mean %6.2f s  slowest %6.2f s  not done %d\n", k, n[k], t[k] / n[k], max[k], refused[k]
    printf "slowest operation: %s, %.2f s\n", slowKind, slowest
  }' "$dir/all.log"
# What the planners were told, such as a line another planner converted first.
grep -h -o '\[信息\][^\r]*\|\[错误\][^\r]*\|错误:[^\r]*' "$dir"/err.* | sed -E 's/[0-9]+/N/g' | sort | uniq -c |
  sort -rn | head -8 || true
for word in "UNIQUE" "duplicate key" "deadlock" "错误:"; do
  if grep -q "$word" "$dir"/err.* 2>/dev/null; then echo "a planner was answered with \"$word\""; fi
done
m check
