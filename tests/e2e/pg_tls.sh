#!/usr/bin/env bash
# A site that keeps passwords out of files and requires verified TLS: a private PostgreSQL server
# with a certificate signed by the site's own authority, a role logging in by password, and labhost
# connecting with the user named in the connection settings, the password taken from libpq's
# password file and sslmode=verify-full. A wrong authority is refused, and no output names the
# password. Usage: pg_tls.sh LABHOST
set -euo pipefail
labhost=$1
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bin" ] || ! command -v openssl >/dev/null; then
  echo "no PostgreSQL server binaries or openssl here"
  [ -n "${CORVANE_REQUIRE_PG:-}" ] && exit 1
  exit 77
fi
as_pg() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }

work=$(mktemp -d)
[ "$(id -u)" = 0 ] && chown postgres: "$work"
trap 'as_pg "$bin/pg_ctl" -D "$work/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

password='Tls-Secret-8d41'
# The site's authority and the server's certificate for localhost.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Corvane Test CA" \
  -keyout "$work/ca.key" -out "$work/ca.crt" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
printf 'subjectAltName=DNS:localhost\n' > "$work/san.ext"
openssl x509 -req -in "$work/server.csr" -CA "$work/ca.crt" -CAkey "$work/ca.key" -CAcreateserial -days 2 \
  -extfile "$work/san.ext" -out "$work/server.crt" 2>/dev/null
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Someone Else" \
  -keyout "$work/other.key" -out "$work/other.crt" 2>/dev/null
chmod 600 "$work/server.key"
[ "$(id -u)" = 0 ] && chown postgres: "$work/server.key" "$work/server.crt" "$work"/*.crt

as_pg "$bin/initdb" -D "$work/data" -A trust -U postgres -E UTF8 >/dev/null
cat > "$work/data/pg_hba.conf" <<HBA
local   all all               trust
hostssl all all 127.0.0.1/32  scram-sha-256
HBA
port=56432
while (echo >/dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
as_pg "$bin/pg_ctl" -D "$work/data" -w -t 60 -l "$work/server.log" \
  -o "-p $port -k $work -c listen_addresses=127.0.0.1 -c fsync=off -c ssl=on -c ssl_cert_file=$work/server.crt -c ssl_key_file=$work/server.key" \
  start >/dev/null
as_pg psql -h "$work" -p "$port" -U postgres -d postgres -q -c "create role labtls login password '$password'" \
  -c "create database corvane_tls owner labtls" >/dev/null

home="$work/home"
mkdir -p "$home"
printf 'localhost:%s:corvane_tls:labtls:%s\n' "$port" "$password" > "$home/pgpass"
chmod 600 "$home/pgpass"
# The workstation's settings name the user and no password.
cat > "$home/QUORIX Current User.conf" <<CONF
[Connection]
User=labtls
Password=
Server=localhost:$port/corvane_tls
Database=LABORATORY
CONF
chmod 600 "$home/QUORIX Current User.conf"
export XDG_CONFIG_HOME="$home" PGPASSFILE="$home/pgpass" PGSSLMODE=verify-full PGSSLROOTCERT="$work/ca.crt"
export QT_QPA_PLATFORM=offscreen
unset PGUSER PGPASSWORD PGHOST PGPORT PGDATABASE PGSERVICE

out=$(PGUSER=labtls "$labhost" init --source "localhost:$port/corvane_tls" 2>&1) || fail "init over verified TLS: $out"
echo "$out" | grep -q "Created the laboratory database" || fail "init said: $out"
out=$("$labhost" sql "select ssl, client_addr from pg_stat_ssl join pg_stat_activity using (pid) where pid = pg_backend_pid()" 2>&1) \
  || fail "sql with the settings' user and the password file: $out"
echo "$out" | grep -Eq "^(t|true|1) " || fail "the connection is not encrypted: $out"

all="$out"
# Another authority: refused, and nothing printed names the password.
if out=$(PGSSLROOTCERT="$work/other.crt" "$labhost" sql "select 1" 2>&1); then fail "an unknown authority was accepted: $out"; fi
echo "$out" | grep -qi "certificate" || fail "the refusal does not say why: $out"
all+="$out"
# Without TLS the server does not let the role in.
if out=$(PGSSLMODE=disable "$labhost" sql "select 1" 2>&1); then fail "a connection without TLS was accepted: $out"; fi
all+="$out"
# A wrong password in the file: refused, and the password tried never shows.
printf 'localhost:%s:corvane_tls:labtls:%s\n' "$port" "Wrong-$password" > "$home/pgpass"
if out=$("$labhost" sql "select 1" 2>&1); then fail "a wrong password was accepted: $out"; fi
all+="$out"
if echo "$all" | grep -q "$password"; then fail "the password appears in the output"; fi
echo "ok: verified TLS with the password from the password file; wrong authority, no TLS and wrong password refused"
