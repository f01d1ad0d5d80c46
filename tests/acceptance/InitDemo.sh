#!/usr/bin/env bash
# mfg init --demo builds the demo factory (in a file, or on PostgreSQL with "postgres" as second argument); mfg sql reads it back as JSON; a second init is refused.
set -euo pipefail
mfg="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
db="$dir/demo.db"
if [ "${2:-sqlite}" = postgres ]; then
  # A schema of its own on the run's server (scripts/with-postgres).
  url="${MFG_PG_URL:?MFG_PG_URL is not set: run through scripts/with-postgres}"
  case "$url" in *\?*) db="$url&schema=acceptance_$$" ;; *) db="$url?schema=acceptance_$$" ;; esac
fi

if "$mfg" --db "$dir/typo.db" sql "select 1" 2>"$dir/err"; then
  echo "a database file that does not exist was opened"; exit 1
fi
grep -q "$dir/typo.db" "$dir/err" || { echo "the refusal does not name the path"; cat "$dir/err"; exit 1; }
[ ! -e "$dir/typo.db" ] || { echo "a mistyped path left a file behind"; exit 1; }

"$mfg" --db "$db" init --demo
if [ "${2:-sqlite}" = postgres ]; then
  # The server has the statistics of the tables just written: its first plans are not made blind.
  "$mfg" --db "$db" sql "select count(*) as n from pg_stat_user_tables where schemaname = 'acceptance_$$' and relname = 'l_goodsbom' and last_analyze is not null" --json |
    grep -q '"n": 1' || { echo "init left the server without statistics of the new tables"; exit 1; }
fi
out=$("$mfg" --db "$db" sql "select top 3 Code, Name from L_Goods order by Code" --json)
echo "$out"
count=$(grep -c '"Code"' <<<"$out")
[ "$count" -eq 3 ] || { echo "expected 3 goods, got $count"; exit 1; }

if "$mfg" --db "$db" init 2>"$dir/err"; then
  echo "init on a non-empty database was not refused"; exit 1
fi
grep -q -- '--force' "$dir/err" || { echo "refusal does not tell about --force"; cat "$dir/err"; exit 1; }
"$mfg" --db "$db" init --demo --force >/dev/null

MFG_DB="$db" "$mfg" sql "select count(*) as n from L_Goods" | grep -q '(1 行)'
if "$mfg" --db "$db" sql "select * from no_such_table" 2>"$dir/err"; then
  echo "a bad statement exited 0"; exit 1
fi
grep -q 'no_such_table' "$dir/err"
code=$("$mfg" --db "$db" --today 2026-12-06 billcode --type 2 --table P_ORDER)
[ "$code" = "CG-2026-12-0004" ] || { echo "next purchase order code: $code"; exit 1; }
if "$mfg" --db "$db" billcode --type 77 --table P_ORDER 2>/dev/null; then
  echo "a bill type without a rule gave a code"; exit 1
fi
echo 'Secret#1' | "$mfg" --db "$db" user add lisi --name 李四 --password-stdin --grant 2044
echo 'Secret#1' | "$mfg" --db "$db" login lisi | grep -q '登录成功'
if echo 'wrong' | "$mfg" --db "$db" login lisi 2>/dev/null; then
  echo "a wrong password was accepted"; exit 1
fi
if "$mfg" --db "$db" sql "select count(*) as n from m_operator where Password like '%Secret%' or PasswordHash like '%Secret%'" | grep -q '^ *1'; then
  echo "a plain password was stored"; exit 1
fi
if echo x | MFG_PASSWORD='Secret#1' "$mfg" --db "$db" --user lisi user add wangwu 2>"$dir/err"; then
  echo "a user without the right added an operator"; exit 1
fi
grep -q '只有管理员' "$dir/err" || { echo "not refused for the right"; cat "$dir/err"; exit 1; }
echo "acceptance: init, sql, billcode, user and login behave"
