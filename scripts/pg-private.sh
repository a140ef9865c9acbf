#!/usr/bin/env bash
# Starts a private PostgreSQL server for the tests and prints the libpq connection string.
# Usage: pg-private.sh start DIR | pg-private.sh stop DIR
set -euo pipefail
action=$1
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
as_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
case "$action" in
start)
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres: "$dir"
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    as_pg "$bin/initdb" -D "$dir/data" -A trust -U postgres -E UTF8 >"$dir/initdb.log" 2>&1
  fi
  port=${PGPORT_PRIVATE:-55432}
  while (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
  as_pg "$bin/pg_ctl" -D "$dir/data" -w -t 60 -l "$dir/server.log" \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=100" start >/dev/null
  # Lets "Integrated Security=SSPI" (the operating-system user) log in too.
  me=$(id -un)
  if [ "$me" != postgres ]; then
    as_pg psql -h "$dir" -p "$port" -U postgres -d postgres -qtAc \
      "select 1 from pg_roles where rolname = '$me'" | grep -q 1 ||
      as_pg psql -h "$dir" -p "$port" -U postgres -d postgres -qc "create role \"$me\" superuser login" >/dev/null
  fi
  echo "host=$dir port=$port user=postgres dbname=postgres"
  ;;
stop)
  as_pg "$bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null 2>&1 || true
  ;;
esac
