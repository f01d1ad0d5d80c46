#!/usr/bin/env bash
# mfg calendar: extension, month view, toggling, quick setting with the dialog's refusals, the
# settings file, the privilege and the numbering check, end to end on a demo database.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export TMPDIR="$dir"  # the settings file lives in the host's temporary folder
db="$dir/demo.db"
run() { "$mfg" --db "$db" --today 2026-12-06 "$@"; }
fail() { echo "$1"; exit 1; }
seq_of() { run sql "select SEQUENCE from MNF_CALENDAR where WORKDATE = '$1'" --json | grep -o '"SEQUENCE": [0-9-]*' | grep -o '[0-9-]*$'; }

"$mfg" --db "$db" init --demo >/dev/null
run calendar extend | grep -q '无需延长' || fail "a full calendar was extended"
run sql "delete from MNF_CALENDAR where WORKDATE > '2028-12-20'" >/dev/null
run calendar extend | grep -q '延长 11 天' || fail "the last eleven days were not added back"
[ "$(seq_of 2028-12-31)" = 770 ] || fail "2028-12-31 numbered $(seq_of 2028-12-31)"

days=$(run calendar show --month 2026-12 --json | grep -c '"WORKDATE"')
[ "$days" -eq 31 ] || fail "December shows $days days"
if run calendar show --month 2026-13 2>/dev/null; then fail "month 13 was shown"; fi

run calendar toggle 2026-12-09 | grep -q '休息日' || fail "Wednesday did not become a rest day"
[ "$(seq_of 2026-12-10)" = 240 ] || fail "the Thursday after did not take the Wednesday's number"
if run calendar toggle 2031-01-01 2>/dev/null; then fail "a day outside the calendar was toggled"; fi
run calendar check | grep -q '完好' || fail "the calendar is broken after a toggle"

set_range=(calendar set --from 2027-01-01 --to 2027-01-31)
run calendar set --from 2027-01-31 --to 2027-01-01 2>"$dir/err" && fail "an end before the start was accepted"
grep -q '结束日期应大于开始日期!' "$dir/err" || fail "no message for an end before the start"
run "${set_range[@]}" --holiday 13-1 2>"$dir/err" && fail "month 13 was accepted"
grep -q '请输入正确的月份!' "$dir/err"
run "${set_range[@]}" --holiday 2-30 2>"$dir/err" && fail "February 30 was accepted"
grep -q '请输入正确的日数!' "$dir/err"
run "${set_range[@]}" --rest sun,mon,tue,wed,thu,fri,sat </dev/null 2>/dev/null && fail "all rest days went through without a yes"
[ ! -e "$dir"/mfg-*/ShopCalendar.dat ] || fail "a refused setting wrote the settings file"
before=$(seq_of 2027-03-01)
run "${set_range[@]}" --rest sun --holiday 1-1 --holiday 5 >/dev/null
[ "$(seq_of 2027-03-01)" = $((before + 5)) ] || fail "five working Saturdays did not move March by five"
size=$(stat -c %s "$dir"/mfg-*/ShopCalendar.dat)
[ "$size" -eq 2931 ] || fail "the settings file has $size bytes"
run "${set_range[@]}" --rest sun,mon,tue,wed,thu,fri,sat --yes >/dev/null
[ "$(run sql "select count(distinct SEQUENCE) as n from MNF_CALENDAR where WORKDATE between '2027-01-01' and '2027-01-31'" --json | grep -o '"n": [0-9]*')" = '"n": 1' ] \
  || fail "a month of rest days does not keep one number"
run calendar check | grep -q '完好' || fail "the calendar is broken after the quick settings"

head -c 100 "$dir"/mfg-*/ShopCalendar.dat > "$dir/short" && cp "$dir/short" "$dir"/mfg-*/ShopCalendar.dat
run "${set_range[@]}" 2>"$dir/err" >/dev/null
grep -q '默认' "$dir/err" || fail "a short settings file was not reported"
[ "$(seq_of 2027-03-01)" = "$before" ] || fail "the defaults (Saturday, Sunday, 1-1, 1-2) did not restore March"

echo x | "$mfg" --db "$db" user add zhaoliu --password-stdin >/dev/null
if MFG_PASSWORD=x run --user zhaoliu calendar toggle 2026-12-10 2>"$dir/err"; then fail "a user without the right toggled a day"; fi
grep -q '2046' "$dir/err" || fail "the refusal does not name the right: $(cat "$dir/err")"
[ "$(seq_of 2026-12-11)" = 241 ] || fail "a refused toggle changed the numbers"

run sql "update MNF_CALENDAR set SEQUENCE = 5 where WORKDATE = '2027-06-01'" >/dev/null
run sql "delete from MNF_CALENDAR where WORKDATE = '2027-07-01'" >/dev/null
set +e
run calendar check >"$dir/out"
rc=$?
set -e
[ "$rc" -eq 3 ] || fail "check of a broken calendar exited $rc"
grep -q '2027-06-01 的 SEQUENCE 为 5' "$dir/out" || fail "the broken number was not reported"
grep -q '2027-07-02 之前缺少 1 天' "$dir/out" || fail "the missing day was not reported"
echo "acceptance: calendar extend, show, toggle, set and check behave"
