#!/usr/bin/env bash
# The BOM commands and the whole console MRP on a synthetic factory (default the large one: 50,000
# goods, 250,000 BOM lines), on SQLite and, when MFG_PG_URL names a server (scripts/with-postgres),
# on PostgreSQL: wall time and peak memory of each command, run once each, beside a bare program start.
#   bench/large-factory.sh build/release/app/mfg/mfg [small|medium|large|xlarge]
#   scripts/with-postgres bench/large-factory.sh build/release/app/mfg/mfg
# The SQLite factory stays in $MFG_BENCH_DIR (default /tmp/mfg-bench) for the next run.
set -euo pipefail
mfg=$(realpath "$1")
size=${2:-large}
dir=${MFG_BENCH_DIR:-/tmp/mfg-bench}
mkdir -p "$dir"
file="$dir/$size.db"
if [ ! -f "$file" ]; then
  echo "writing the $size factory to $file ..." >&2
  "$mfg" --db "$file" init --synthetic "$size" >/dev/null
fi

# The finished product with the largest tree, and the purchased material whose where-used tree is
# the median of all materials' (the browsers expand every goods but purchased ones).
read -r product productNodes material materialNodes < <(python3 - "$file" <<'PY'
import sqlite3, sys
from collections import defaultdict
from functools import lru_cache
db = sqlite3.connect(sys.argv[1])
kind = dict(db.execute("select GoodsID, Kind from L_Goods"))
code = dict(db.execute("select GoodsID, Code from L_Goods"))
down, up = defaultdict(list), defaultdict(list)
for parent, component in db.execute("select GoodsID, ElemGID from L_GoodsBom"):
    down[parent].append(component)
    up[component].append(parent)
sys.setrecursionlimit(100000)
@lru_cache(None)
def below(g):
    return sum(1 + (below(c) if kind.get(c) != 1 else 0) for c in down[g])
@lru_cache(None)
def above(g):
    return sum(1 + (above(p) if kind.get(p) != 1 else 0) for p in up[g])
product = max((g for g in list(down) if kind.get(g) == 3), key=below)
materials = sorted((above(g), g) for g in list(up) if kind.get(g) == 1)
nodes, material = materials[len(materials) // 2]
print(code[product], below(product) + 1, code[material], nodes + 1)
PY
)

# One command: its wall time, its CPU time (user and system: the machine may be shared) and peak memory; the output goes to $dir/out.
measure() {
  local label=$1
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$mfg" --db "$db" "$@" >"$dir/out" 2>"$dir/err" || true
  read -r seconds user system kib <"$dir/time"
  printf '%-46s %7.2f s wall %7.2f s CPU %6d MiB\n' "$label" "$seconds" "$(echo "$user + $system" | bc)" $((kib / 1024))
}

backend() {
  echo "== $1, $size factory: product $product ($productNodes nodes), material $material ($materialNodes where-used nodes)"
  measure "program start (mfg --version)" --version
  measure "bom tree $product" bom tree "$product"
  measure "bom tree $material (raw material)" bom tree "$material"
  measure "bom where-used $material" bom where-used "$material"
  measure "bom check $product" bom check "$product"
  measure "cost $product --depth last" cost "$product" --depth last
  measure "mrp --mps all --json" mrp --mps all --json
}

db=$file
backend SQLite
if [ -n "${MFG_PG_URL:-}" ]; then
  case "$MFG_PG_URL" in *\?*) db="$MFG_PG_URL&schema=bench_$size" ;; *) db="$MFG_PG_URL?schema=bench_$size" ;; esac
  if ! "$mfg" --db "$db" sql "select count(*) as n from L_Goods" >/dev/null 2>&1; then
    start=$(date +%s.%N)
    "$mfg" --db "$db" init --synthetic "$size" >/dev/null
    printf 'writing the %s factory to PostgreSQL: %.1f s\n' "$size" "$(echo "$(date +%s.%N) - $start" | bc)"
  fi
  backend PostgreSQL
fi
