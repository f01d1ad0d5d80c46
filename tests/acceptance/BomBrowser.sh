#!/usr/bin/env bash
# mfg bom tree, where-used, export-tree and print: quantities scaled through a parent quantity of 2,
# the level stop on a stored cycle, the parents of a shared component, a workbook that reads back
# and a PDF that renders.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
run() { "$mfg" --db "$db" --today 2026-12-06 "$@"; }

run init --demo >/dev/null 2>&1
run bom tree 3001 >"$dir/tree"
[ "$(grep -c '1004 辐条 2.0×260mm 碳钢 \[ 36 \] 根' "$dir/tree")" = 2 ] || { cat "$dir/tree"; exit 1; }
# Output is written to files first: grep -q leaving early would break the pipe under pipefail.
run bom tree 3001 --qty 3 >"$dir/tree3"
grep -q '^ 0 3001 山地自行车 26寸 21速 黑色 \[ 3 \] 辆$' "$dir/tree3"
run bom tree 3001 --qty 3 --json >"$dir/tree3.json"
grep -q '"quantity": 108.0' "$dir/tree3.json"
run bom where-used 1004 >"$dir/used"
[ "$(grep -c '3001 山地自行车' "$dir/used")" = 2 ] || { cat "$dir/used"; exit 1; }
run bom where-used 1004 --json >"$dir/used.json"
grep -q '"code": "3003"' "$dir/used.json"

run sql "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, MnfQty, MasterQty) values (21, 11, 9, 1, 1)" >/dev/null
if timeout 20 "$mfg" --db "$db" bom tree 2001 >"$dir/out" 2>"$dir/err"; then
  echo "a cycle exploded without the level stop"; exit 1
fi
grep -q 'BOM嵌套清单超过30层或存在循环调用!' "$dir/err"
grep -q '^30 ' "$dir/out"
run sql "delete from L_GoodsBom where GoodsID = 21 and ItemNo = 9" >/dev/null

run bom export-tree 3001 --xlsx "$dir/tree.xlsx" >"$dir/out"
grep -q '已导出 46 行' "$dir/out"
unzip -p "$dir/tree.xlsx" xl/sharedStrings.xml >"$dir/strings"
grep -q '子件编码' "$dir/strings"
grep -q '产品编码:3001 品名:山地自行车' "$dir/strings"

run bom --help >"$dir/help"
if grep -q ' print' "$dir/help"; then
  run bom print 3001 --pdf "$dir/tree.pdf" 2>/dev/null >"$dir/out"
  grep -q '已打印到' "$dir/out"
  [ "$(head -c 4 "$dir/tree.pdf")" = '%PDF' ]
  if command -v pdftoppm >/dev/null; then
    pdftoppm -r 30 -png -f 1 -l 1 "$dir/tree.pdf" "$dir/page"
    [ -s "$dir/page-1.png" ]
  fi
fi
echo ok
