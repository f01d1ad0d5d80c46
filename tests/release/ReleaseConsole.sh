#!/usr/bin/env bash
# mfg mrp --release writes the run's suggestions as documents and prints their codes: the codes are
# in the database with their print records, releasing the same suggestions again writes a second set
# under codes of its own, new demand on a released date and orders deleted by the buyer are released
# again, a customer is no supplier, and a supplier that is needed but not given stops the purchase
# release before anything is written.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
run() { "$mfg" --db "$db" --today 2026-12-06 mrp "$@"; }
count() { "$mfg" --db "$db" sql "$1" | sed -n 3p | tr -d ' '; }
inlist() { sed "s/.*/'&'/" "$1" | paste -sd, -; }

"$mfg" --db "$db" init --demo >/dev/null 2>&1
before=$(count "select count(*) from P_ORDER")
if run --mps all --release purchase >"$dir/codes" 2>"$dir/err"; then echo "purchase release without supplier exited 0"; exit 1; fi
grep -q '请选择货品的往来单位' "$dir/err" || { echo "no question for the supplier"; cat "$dir/err"; exit 1; }
[ "$(count "select count(*) from P_ORDER")" = "$before" ] || { echo "orders written after a cancel"; exit 1; }

if run --mps all --release purchase --trader KH001 >/dev/null 2>"$dir/err"; then echo "a customer taken as supplier"; exit 1; fi
grep -q 'KH001 不是供应商' "$dir/err" || { echo "customer not refused by name"; cat "$dir/err"; exit 1; }
[ "$(count "select count(*) from P_ORDER")" = "$before" ] || { echo "orders written for a customer"; exit 1; }

run --mps all --release purchase --trader GY001 >"$dir/first" 2>/dev/null
[ -s "$dir/first" ] || { echo "no purchase order codes"; exit 1; }
while read -r code; do
  [ "$(count "select count(*) from P_ORDER where BillCode = '$code'")" = 1 ] || { echo "order $code not written"; exit 1; }
  [ "$(count "select count(*) from AB_BILLPRINT p join P_ORDER m on m.BillID = p.BillID and p.BillType = 2 where m.BillCode = '$code'")" = 1 ] ||
    { echo "order $code without print record"; exit 1; }
done <"$dir/first"
# The same suggestions again: a second set of orders under codes of their own.
run --mps all --release purchase --trader GY001 >"$dir/second" 2>/dev/null
[ "$(wc -l <"$dir/second")" = "$(wc -l <"$dir/first")" ] || { echo "second release differs in size"; exit 1; }
[ -z "$(comm -12 <(sort "$dir/first") <(sort "$dir/second"))" ] || { echo "a code written twice"; exit 1; }
[ "$(count "select count(*) from P_ORDER where BillCode in ($(inlist "$dir/second"))")" = "$(wc -l <"$dir/second")" ] ||
  { echo "second release not written"; exit 1; }
# Counted with unaudited documents, the next run sees the released orders as open supply.
[ "$(run --mps all --include-unaudited --json 2>/dev/null | grep -c '"fixqty"')" -lt \
  "$(run --mps all --json 2>/dev/null | grep -c '"fixqty"')" ] || { echo "released orders not seen as supply"; exit 1; }

# New demand on a date released before, and orders deleted by the buyer, are released again.
run --goods 3001:80:2026-12-20 --release request >"$dir/eighty" 2>/dev/null
run --goods 3001:120:2026-12-20 --release request >"$dir/more" 2>/dev/null ||
  { echo "the new shortfall on a released date was refused"; exit 1; }
"$mfg" --db "$db" sql "delete from P_ORDERDETAIL where BillID in (select BillID from P_ORDER where BillCode in ($(inlist "$dir/first")))" >/dev/null
"$mfg" --db "$db" sql "delete from P_ORDER where BillCode in ($(inlist "$dir/first"))" >/dev/null
run --mps all --release purchase --trader GY001 >"$dir/again" 2>/dev/null || { echo "release after deleting refused"; exit 1; }
[ -s "$dir/again" ] || { echo "nothing released after deleting"; exit 1; }

run --mps all --release manufacture --workshop CJ04 >"$dir/codes" 2>/dev/null
first=$(head -1 "$dir/codes")
[ "$(count "select count(*) from MNF_MANUORDER where BillCode = '$first' and ReferBillType = 43")" = 1 ] ||
  { echo "manufacture order $first missing or not referring to its schedule line"; exit 1; }
[ "$(count "select count(*) from MNF_MANUORDERDETAIL d join MNF_MANUORDER m on m.BillID = d.BillID where m.BillCode = '$first'")" -gt 0 ] ||
  { echo "manufacture order $first without component lines"; exit 1; }
orders=$(count "select count(*) from MNF_MANUORDER")
run --mps all --release manufacture --workshop CJ04 >"$dir/again" 2>/dev/null || { echo "second manufacture release failed"; exit 1; }
[ "$(count "select count(*) from MNF_MANUORDER")" = "$((orders + $(wc -l <"$dir/again")))" ] ||
  { echo "second manufacture release not written"; exit 1; }
[ -z "$(comm -12 <(sort "$dir/codes") <(sort "$dir/again"))" ] || { echo "a manufacture code written twice"; exit 1; }
echo "release console: ok"
