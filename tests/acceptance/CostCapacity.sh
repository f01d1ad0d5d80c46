#!/usr/bin/env bash
# mfg cost and mfg capacity over the demo factory: totals agree with their lines, the depths and
# bases differ where the demo's prices differ, bad choices are refused.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
"$mfg" --db "$db" init --demo >/dev/null 2>&1
run() { "$mfg" --db "$db" --today 2026-12-06 "$@"; }

first=$(run cost 3001 --json)
python3 - "$first" <<'PY'
import json, sys
cost = json.loads(sys.argv[1])
assert cost["goodscode"] == "3001", cost
assert len(cost["lines"]) == 12, len(cost["lines"])
total = round(sum(line["sumamt"] for line in cost["lines"]), 2)
assert abs(total - cost["amount"]) < 0.005, (total, cost["amount"])
assert abs(cost["price"] - cost["amount"] / cost["qty"]) < 0.0001
PY
last=$(run cost 3001 --depth last --basis stock --qty 10 --json)
python3 - "$last" <<'PY'
import json, sys
cost = json.loads(sys.argv[1])
assert cost["qty"] == 10
codes = [line["goodscode"] for line in cost["lines"]]
assert "2001" not in codes and "1001" in codes, codes  # sub-assemblies give way to their materials
assert codes == sorted(codes)
PY
run cost 3001 --basis last | grep -q '单价:'
if run cost NOPE 2>"$dir/err"; then echo "an unknown product was costed"; exit 1; fi
grep -q '没有这个货品' "$dir/err"
if run cost 3001 --basis cheapest 2>/dev/null; then echo "an unknown basis was taken"; exit 1; fi

weeks=$(run capacity --from 2026-12-01 --to 2027-01-31 --period week --json 2>"$dir/err")
grep -q '跳过 XS-2026-12-03-0001 第 2 行' "$dir/err"
python3 - "$weeks" <<'PY'
import json, sys
rows = json.loads(sys.argv[1])
assert rows and all(r["billdate"] >= "2026-12-04" for r in rows), rows
for r in rows:
    assert abs(r["factcapacity"] - r["usedload"] - r["load"]) < 0.02, r
    assert r["overplus"] == 0 or r["excess"] == 0, r
assert any(r["sugstartdate"] for r in rows)
PY
days=$(run capacity --from 2026-12-01 --to 2027-01-31 --json 2>/dev/null | grep -c '"billdate"')
months=$(run capacity --from 2026-12-01 --to 2027-01-31 --period month --json 2>/dev/null | grep -c '"billdate"')
[ "$days" -gt "$months" ] || { echo "days $days, months $months"; exit 1; }
if run capacity --from 2026-12-01 --to 2027-01-31 --workshop CJ05 2>"$dir/err"; then
  echo "a workshop without hours was planned"; exit 1
fi
grep -q '请选择生产车间' "$dir/err"
