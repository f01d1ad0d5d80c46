#!/usr/bin/env bash
# mfg mrp plans the demo factory: JSON with every result, a workbook with a sheet per result, and
# a clear refusal with a non-zero exit for unknown codes, empty demand and dates off the calendar.
# In a file, or on PostgreSQL with "postgres" as second argument.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
if [ "${2:-sqlite}" = postgres ]; then
  # A schema of its own on the run's server (scripts/with-postgres).
  url="${MFG_PG_URL:?MFG_PG_URL is not set: run through scripts/with-postgres}"
  case "$url" in *\?*) db="$url&schema=acceptance_mrp_$$" ;; *) db="$url?schema=acceptance_mrp_$$" ;; esac
fi
run() { "$mfg" --db "$db" --today 2026-12-06 mrp "$@"; }

"$mfg" --db "$db" init --demo >/dev/null 2>&1
run --goods 3001:10:2026-12-20 --json >"$dir/out.json"
for key in gross tree net manufacture purchase funds exceptions warnings; do
  grep -q "\"$key\"" "$dir/out.json" || { echo "no $key in the JSON"; exit 1; }
done
grep -q "\"goodscode\":\"3001\"" "$dir/out.json" || { echo "goods not given by code"; exit 1; }
# The tree is written node by node: one root per demanded goods, every node with its code, text and
# components, nested down to the wheel's spokes, quantities multiplied along the way.
python3 - "$dir/out.json" <<'PY' || { echo "the goods tree is not the nested BOM of 3001"; exit 1; }
import json, sys
tree = json.load(open(sys.argv[1]))["tree"]
assert [node["goodscode"] for node in tree] == ["3001"], tree
def walk(node, depth):
    assert set(node) == {"goodscode", "goodsid", "quantity", "text", "children"}, node
    assert node["text"].startswith("货品编号:" + node["goodscode"] + ",")
    return max([depth] + [walk(child, depth + 1) for child in node["children"]])
assert walk(tree[0], 0) >= 3
assert tree[0]["quantity"] == 10 and all(child["quantity"] > 0 for child in tree[0]["children"])
PY
run --mps all --period week --lot min,inc --without optSub --xlsx "$dir/mrp.xlsx" 2>/dev/null
sheets=$(unzip -l "$dir/mrp.xlsx" | grep -c 'xl/worksheets/sheet')
[ "$sheets" -ge 5 ] || { echo "expected a sheet per result, got $sheets"; exit 1; }

# The schedule lines of the workbench's selection: JH-2026-11-0001 (3002 × 30) is released in full.
run --mps all --json >"$dir/mps.json"
grep -q '货品编号:3002,货品名称:城市自行车,毛需求:40.0000' "$dir/mps.json" \
  || { echo "mrp --mps all took other lines than the plan selection offers"; grep -o '货品编号:3002[^"]*' "$dir/mps.json"; exit 1; }
# A bought goods beside a made one is planned with its stock (25) and safety stock (10); a goods
# the MRP does not plan is named.
run --goods 3001:10:2026-12-20 1039:500:2026-12-20 1034:5:2026-12-20 --json >"$dir/bought.json"
sed -n '/"purchase":/,/"funds":/p' "$dir/bought.json" | grep -Eq '"goodscode":"1039".*"netqty":485\.0' \
  || { echo "1039 was not planned with its stock"; cat "$dir/bought.json"; exit 1; }
grep -q '"warnings":\[.*需求货品 1034 不参与MRP运算' "$dir/bought.json" || { echo "1034 not named in the warnings"; exit 1; }
run --goods 3001:10:2026-12-20 1034:5:2026-12-20 2>"$dir/err" >/dev/null
grep -q '警告: 需求货品 1034 不参与MRP运算' "$dir/err" || { echo "no warning on stderr"; cat "$dir/err"; exit 1; }
# The demo's import order of V刹 arrives on 2027-01-05, long after the shortage of 2026-12-23; the
# message names it by its code and line.
run --mps all --exceptions >"$dir/exceptions.txt" 2>/dev/null
grep -q "^异常信息" "$dir/exceptions.txt" || { echo "no exception table"; exit 1; }
grep -q "提前 .*1025 .*2026-12-23 .*300 .*进口订单 .*JK-2026-12-0001 .*1 " "$dir/exceptions.txt" || { echo "no reschedule-in of 1025"; cat "$dir/exceptions.txt"; exit 1; }
# The JSON rows come straight from the run: each an object with its keys in order and the goods'
# code beside its id; by day and by week the same gross requirements; the same messages as the table.
run --mps all --period week --json >"$dir/week.json"
python3 - "$dir/mps.json" "$dir/week.json" "$dir/exceptions.txt" <<'PY' || { echo "the JSON rows are not the run's results"; exit 1; }
import json, sys
from collections import Counter
day, week = (json.load(open(path)) for path in sys.argv[1:3])
table = open(sys.argv[3]).read()
def gross(run):
    total = Counter()
    for result in ("gross", "net", "exceptions"):
        for row in run[result]:
            assert list(row) == sorted(row) and "goodscode" in row, (result, row)
    for row in run["net"]:
        assert len(row) == 20, row
        if row["class"] is None:
            assert row["needdate"] and row["goodscode"], row
            total[row["goodscode"]] += row["gross"] or 0
        else:  # the heading row of a goods names its level and goods alone
            assert all(v is None for k, v in row.items() if k not in ("class", "goodsid", "goodscode")), row
    return {code: round(quantity, 4) for code, quantity in total.items()}
assert gross(day) == gross(week) and gross(day), (gross(day), gross(week))
assert len(week["net"]) < len(day["net"]), "no two days of one week were grouped"
for message in day["exceptions"]:
    assert any(message["kind"] in line and message["goodscode"] in line for line in table.splitlines()), message
PY
run --mps all --exceptions --early-days 250 2>/dev/null | grep -q "提前 .*1025" && { echo "--early-days ignored"; exit 1; }

expect_refusal() {
  local pattern="$1"; shift
  if run "$@" 2>"$dir/err" >/dev/null; then echo "mrp $* exited 0"; exit 1; fi
  grep -q "$pattern" "$dir/err" || { echo "mrp $*: no message matching $pattern"; cat "$dir/err"; exit 1; }
}
expect_refusal '没有编码为 NOPE 的货品' --goods NOPE:1:2026-12-20
expect_refusal '请正确选择需要计算的计划' 
expect_refusal '不在工作日历' --goods 3001:1:2040-01-02
expect_refusal '没有选项 optNone' --goods 3001:1:2026-12-20 --with optNone
expect_refusal 'late-days必须是整数' --goods 3001:1:2026-12-20 --late-days 2天
echo "mrp console: ok"
