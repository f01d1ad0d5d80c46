#!/usr/bin/env bash
# mfg mrp --release writes the run's suggestions as documents and prints their codes; the codes are
# in the database, a second release of the same run is refused, and a supplier that is needed but
# not given stops the purchase release before anything is written.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
run() { "$mfg" --db "$db" --today 2026-12-06 mrp --mps all "$@"; }
count() { "$mfg" --db "$db" sql "$1" | sed -n 3p | tr -d ' '; }

"$mfg" --db "$db" init --demo >/dev/null 2>&1
before=$(count "select count(*) from P_ORDER")
if run --release purchase >"$dir/codes" 2>"$dir/err"; then echo "purchase release without supplier exited 0"; exit 1; fi
grep -q '请选择货品的往来单位' "$dir/err" || { echo "no question for the supplier"; cat "$dir/err"; exit 1; }
[ "$(count "select count(*) from P_ORDER")" = "$before" ] || { echo "orders written after a cancel"; exit 1; }

run --release purchase --trader GY001 >"$dir/codes" 2>/dev/null
[ -s "$dir/codes" ] || { echo "no purchase order codes"; exit 1; }
while read -r code; do
  [ "$(count "select count(*) from P_ORDER where BillCode = '$code'")" = 1 ] || { echo "order $code not written"; exit 1; }
done <"$dir/codes"

run --release manufacture --workshop CJ04 >"$dir/codes" 2>/dev/null
first=$(head -1 "$dir/codes")
[ "$(count "select count(*) from MNF_MANUORDER where BillCode = '$first' and ReferBillType = 43")" = 1 ] ||
  { echo "manufacture order $first missing or not referring to its schedule line"; exit 1; }
[ "$(count "select count(*) from MNF_MANUORDERDETAIL d join MNF_MANUORDER m on m.BillID = d.BillID where m.BillCode = '$first'")" -gt 0 ] ||
  { echo "manufacture order $first without component lines"; exit 1; }

orders=$(count "select count(*) from MNF_MANUORDER")
if run --release manufacture --workshop CJ04 >/dev/null 2>"$dir/err"; then echo "second release exited 0"; exit 1; fi
grep -q '已经下达过' "$dir/err" || { echo "second release not refused"; cat "$dir/err"; exit 1; }
[ "$(count "select count(*) from MNF_MANUORDER")" = "$orders" ] || { echo "second release wrote orders"; exit 1; }
echo "release console: ok"
