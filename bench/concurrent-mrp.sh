#!/usr/bin/env bash
# Several planners on one server: the synthetic factory's whole MRP (mfg mrp --mps all --json) run
# alone, then four runs at once, each its own process with its own session (and so its own goods
# scope), on PostgreSQL. Every result must equal the lone run's; the times are printed.
#   scripts/with-postgres bench/concurrent-mrp.sh build/release/app/mfg/mfg [size] [runs]
set -euo pipefail
mfg=$(realpath "$1")
size=${2:-large}
runs=${3:-4}
url="${MFG_PG_URL:?MFG_PG_URL is not set: run through scripts/with-postgres}"
case "$url" in *\?*) db="$url&schema=bench_$size" ;; *) db="$url?schema=bench_$size" ;; esac
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

now() { date +%s.%N; }
since() { echo "$(now) - $1" | bc; }

if ! "$mfg" --db "$db" sql "select count(*) as n from L_Goods" >/dev/null 2>&1; then
  start=$(now)
  "$mfg" --db "$db" init --synthetic "$size" >/dev/null
  printf 'writing the %s factory: %.1f s\n' "$size" "$(since "$start")"
fi

start=$(now)
"$mfg" --db "$db" mrp --mps all --json >"$dir/lone.json" 2>"$dir/lone.err"
lone=$(since "$start")
printf 'one run alone: %.2f s (%d bytes of results)\n' "$lone" "$(stat -c %s "$dir/lone.json")"

start=$(now)
pids=()
for i in $(seq 1 "$runs"); do
  /usr/bin/time -f "%e" -o "$dir/time.$i" "$mfg" --db "$db" mrp --mps all --json >"$dir/run.$i.json" 2>"$dir/run.$i.err" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
together=$(since "$start")
[ "$failed" -eq 0 ] || { echo "a run failed"; exit 1; }
for i in $(seq 1 "$runs"); do
  cmp -s "$dir/lone.json" "$dir/run.$i.json" || { echo "run $i differs from the lone run"; exit 1; }
  printf 'run %d of %d at once: %.2f s, result identical\n' "$i" "$runs" "$(cat "$dir/time.$i")"
done
printf '%d runs at once: %.2f s in all, %.2f x one run alone (at most %d allowed)\n' "$runs" "$together" \
  "$(echo "$together / $lone" | bc -l)" "$runs"
awk -v t="$together" -v l="$lone" -v n="$runs" 'BEGIN { exit !(t <= n * l) }' ||
  { echo "the runs took longer together than one after another"; exit 1; }
