#!/usr/bin/env bash
# mfg mrp plans the demo factory: JSON with every result, a workbook with a sheet per result, and
# a clear refusal with a non-zero exit for unknown codes, empty demand and dates off the calendar.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
run() { "$mfg" --db "$db" --today 2026-12-06 mrp "$@"; }

"$mfg" --db "$db" init --demo >/dev/null 2>&1
run --goods 3001:10:2026-12-20 --json >"$dir/out.json"
for key in gross tree net manufacture purchase funds warnings; do
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

expect_refusal() {
  local pattern="$1"; shift
  if run "$@" 2>"$dir/err" >/dev/null; then echo "mrp $* exited 0"; exit 1; fi
  grep -q "$pattern" "$dir/err" || { echo "mrp $*: no message matching $pattern"; cat "$dir/err"; exit 1; }
}
expect_refusal '没有编码为 NOPE 的货品' --goods NOPE:1:2026-12-20
expect_refusal '请正确选择需要计算的计划' 
expect_refusal '不在工作日历' --goods 3001:1:2040-01-02
expect_refusal '没有选项 optNone' --goods 3001:1:2026-12-20 --with optNone
echo "mrp console: ok"
