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
for key in gross tree net manufacture purchase funds exceptions warnings; do
  grep -q "\"$key\"" "$dir/out.json" || { echo "no $key in the JSON"; exit 1; }
done
grep -q "\"goodscode\":\"3001\"" "$dir/out.json" || { echo "goods not given by code"; exit 1; }
run --mps all --period week --lot min,inc --without optSub --xlsx "$dir/mrp.xlsx" 2>/dev/null
sheets=$(unzip -l "$dir/mrp.xlsx" | grep -c 'xl/worksheets/sheet')
[ "$sheets" -ge 5 ] || { echo "expected a sheet per result, got $sheets"; exit 1; }

# The demo's purchase orders of V刹 arrive on 2027-01-05, long after the shortage of 2026-12-10.
run --mps all --exceptions >"$dir/exceptions.txt" 2>/dev/null
grep -q "^异常信息" "$dir/exceptions.txt" || { echo "no exception table"; exit 1; }
grep -q "提前 .*1025 .*2026-12-10 .*300 .*采购订单" "$dir/exceptions.txt" || { echo "no reschedule-in of 1025"; cat "$dir/exceptions.txt"; exit 1; }
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
