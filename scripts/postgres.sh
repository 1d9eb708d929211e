# Sourced by the test scripts: starts a PostgreSQL server of the run's own (a throw-away data folder on a
# free loopback port), exports its port as KEMB_PG_PORT and stops it again however the script ends.
pg_bin=/usr/lib/postgresql/15/bin
pg_dir=$(mktemp -d /tmp/kemb-pg.XXXXXX)
as_postgres=()
if [ "$(id -u)" -eq 0 ]; then
  chown postgres: "$pg_dir"
  as_postgres=(runuser -u postgres --)
fi
stop_postgres() {
  "${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$pg_dir"
}
trap stop_postgres EXIT
pg_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"${as_postgres[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -U postgres -A trust --no-sync >"$pg_dir/initdb.log"
"${as_postgres[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w start \
  -o "-p $pg_port -k $pg_dir -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=200" >/dev/null
export KEMB_PG_PORT=$pg_port
