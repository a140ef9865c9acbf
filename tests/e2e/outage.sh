#!/usr/bin/env bash
# Outages as a ward sees them, through labhost run: the embedded database held locked by another
# program longer than the busy timeout, and the PostgreSQL server stopped hard between opening a
# request and saving it. Each time the technologist gets one clear message, nothing is stored, and
# once the database is free or back the same program saves without being restarted.
# Usage: outage.sh LABHOST PG_PRIVATE_SCRIPT
set -euo pipefail
labhost=$1
pgprivate=$2
work=$(mktemp -d)
chmod 755 "$work" # the server runs as postgres and keeps its socket below
export XDG_CONFIG_HOME="$work/home" QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_CONFIG_HOME"
pgdir="$work/pg"
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
cleanup() {
  [ -n "$bin" ] && [ -d "$pgdir/data" ] && as_pg "$bin/pg_ctl" -D "$pgdir/data" -m immediate stop >/dev/null 2>&1 || true
  jobs -p | xargs -r kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/run.log" ] && grep -vE '^(SQL|  )' "$work/run.log" | head -40; exit 1; }
waitfor() { for _ in $(seq 1 600); do [ -e "$1" ] && return 0; sleep 0.1; done; fail "waited in vain for $1"; }

# Opens R2603058 (an APTT nobody has saved), fails to save during the outage, saves once it is over
# with what was typed put back from the workstation's draft.
cat > "$work/session.txt" <<SCRIPT
clock 2026-03-09 10:00:00
supervisors 0101
session EmployeeCode=0101 EmployeeName="Liza Marie Castillo" CanVerify=true
open R2603058
frmAPTT: set txtAccNum A-7001
frmAPTT: touch $work/opened
frmAPTT: pause until $work/down 60
frmAPTT: click cmdSave
answer OK
touch $work/failed
pause until $work/up 90
open R2603058
answer Yes
frmAPTT: expect txtAccNum A-7001
frmAPTT: click cmdSave
frmMedTech: click FlatBttn1
SCRIPT

check_outcome() { # what the technologist saw, and what was stored
  local expect_in_message=$1
  grep -q '^OUTCOME passed' "$work/run.log" || fail "the session did not run through"
  [ "$(grep -c '^MSG .*Data was not saved! Error: \[' "$work/run.log")" = 1 ] || fail "expected exactly one failure message"
  [ "$(grep -c '^MSG ' "$work/run.log")" = 2 ] || fail "expected the failure and the offer of the draft, nothing else"
  grep -q '^MSG .*Results typed for request R2603058 .* were not saved' "$work/run.log" || fail "the draft was not offered"
  grep '^MSG .*Data was not saved' "$work/run.log" | grep -qi "$expect_in_message" || fail "the message does not say '$expect_in_message'"
  grep -q '^SHOW frmMedTech' "$work/run.log" || fail "the save after the outage did not reach the sign-off"
  rows=$("$labhost" sql --csv "select count(*) from laboratory..tbLabLogbook where RequestNum = 'R2603058'" | tail -n 1 | tr -d '\r')
  [ "$rows" = "1" ] || fail "stored after the outage: '$rows' (expected one logbook row)"
  grep '^MSG ' "$work/run.log"
}

# The embedded database, locked by another program for longer than the 15 s busy timeout.
"$labhost" init-demo "$work/db" >/dev/null
sqlite3 "$work/db/laboratory.db" "BEGIN IMMEDIATE" ".shell touch $work/locked" ".shell while [ ! -e $work/failed ]; do sleep 0.2; done" "COMMIT" &
waitfor "$work/locked"
touch "$work/down" "$work/up"
"$labhost" run "$work/session.txt" > "$work/run.log" 2>&1 &
runner=$!
wait $runner || true
wait
check_outcome "locked"
echo "embedded database: a lock held past the busy timeout was reported and the save went through afterwards"
rm -f "$work"/{opened,down,failed,up,locked}

if [ -z "$bin" ]; then
  echo "no PostgreSQL server binaries here"
  [ -n "${CORVANE_REQUIRE_PG:-}" ] && exit 1
  exit 0
fi
conn=$(bash "$pgprivate" start "$pgdir")
port=${conn##*port=}; port=${port%% *}
as_pg psql -h "$pgdir" -p "$port" -U postgres -d postgres -qc "create database corvane_outage" >/dev/null
"$labhost" init-demo --source "127.0.0.1:$port/corvane_outage" >/dev/null
"$labhost" run "$work/session.txt" > "$work/run.log" 2>&1 &
runner=$!
waitfor "$work/opened"
as_pg "$bin/pg_ctl" -D "$pgdir/data" -m immediate stop >/dev/null
touch "$work/down"
waitfor "$work/failed"
PGPORT_PRIVATE=$port bash "$pgprivate" start "$pgdir" >/dev/null
touch "$work/up"
wait $runner || true
check_outcome "connection"
echo "PostgreSQL: a server stopped hard was reported, and once it was back the same program saved"
