#!/usr/bin/env bash
# mfg init --synthetic N builds a factory of N goods, the same for the same seed and today;
# a bad size or --demo beside it is refused before anything is written.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$mfg" --db "$dir/a.db" --today 2026-12-06 init --synthetic 200 --seed 3 2>"$dir/progress" | grep -q '200 种货品'
grep -q '物料清单' "$dir/progress" || { echo "no progress on stderr"; cat "$dir/progress"; exit 1; }
"$mfg" --db "$dir/b.db" --today 2026-12-06 init --synthetic 200 --seed 3 2>/dev/null >/dev/null
digest="select count(*) as n, sum(GoodsID * ItemNo * Quantity) as s from L_GoodsBom"
[ "$("$mfg" --db "$dir/a.db" sql "$digest")" = "$("$mfg" --db "$dir/b.db" sql "$digest")" ] \
  || { echo "the same seed gave other rows"; exit 1; }
"$mfg" --db "$dir/a.db" sql "select count(*) as n from L_Goods" | grep -q '^ *200$'
"$mfg" --db "$dir/a.db" sql "select top 1 WORKDATE from MNF_CALENDAR order by WORKDATE desc" | grep -q '2028-12-31'

# A factory big enough that the JSON's tree, made beside the other results, comes in many pieces:
# it is whole, and every goods' tree quantities add up to its gross requirement.
"$mfg" --db "$dir/m.db" --today 2026-12-06 init --synthetic 5000 >/dev/null 2>&1
"$mfg" --db "$dir/m.db" --today 2026-12-06 mrp --mps all --json >"$dir/mrp.json" 2>/dev/null
python3 - "$dir/mrp.json" <<'PY' || { echo "the JSON tree does not add up to the gross requirements"; exit 1; }
import collections, json, math, os, sys
assert os.path.getsize(sys.argv[1]) > 4 << 20, "too small to come in pieces"
run = json.load(open(sys.argv[1]))
tree = collections.Counter()
def walk(node):
    tree[node["goodsid"]] += node["quantity"]
    for child in node["children"]:
        walk(child)
for root in run["tree"]:
    walk(root)
gross = {row["goodsid"]: row["quantity"] for row in run["gross"]}
assert tree.keys() == gross.keys(), (len(tree), len(gross))
assert all(math.isclose(tree[g], gross[g], rel_tol=1e-9) for g in gross)
PY

for bad in "--synthetic tiny" "--synthetic 50" "--synthetic 300 --demo"; do
  # shellcheck disable=SC2086
  if "$mfg" --db "$dir/c.db" init $bad 2>"$dir/err"; then
    echo "init $bad was not refused"; exit 1
  fi
  [ ! -s "$dir/c.db" ] || { echo "init $bad wrote a database"; exit 1; }
done
grep -q -- '--demo' "$dir/err"
echo "acceptance: init --synthetic behaves"
