# A throwaway PostgreSQL cluster in a folder of the caller's (as the
# "postgres" user when run by root, since PostgreSQL refuses root), on a free
# loopback port with a fresh password. Source it from a script that has
# `set -euo pipefail`, call lanzhou_start_postgres FOLDER DATABASE, and
# lanzhou_stop_postgres in the script's exit trap. Afterwards
# LANZHOU_PG_URI names the database and PGPASSFILE holds its password.

lanzhou_pg_folder=""
lanzhou_pg_bin=""
lanzhou_pg_owner=()

lanzhou_start_postgres() {
  local folder="$1" database="$2"
  local user=lanzhou_soak password port
  lanzhou_pg_folder="$folder"
  lanzhou_pg_bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
  if [[ $(id -u) -eq 0 ]]; then
    chown postgres "$folder"
    lanzhou_pg_owner=(runuser -u postgres --)
  fi
  password="$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
  printf '%s\n' "$password" >"$folder/initdb-password"
  chown --reference="$folder" "$folder/initdb-password"
  "${lanzhou_pg_owner[@]}" "$lanzhou_pg_bin/initdb" -D "$folder/data" -U "$user" \
    --pwfile="$folder/initdb-password" --auth-local=trust --auth-host=scram-sha-256 -E UTF8 \
    --locale=C --no-sync --no-instructions >"$folder/initdb.log" 2>&1 \
    || { cat "$folder/initdb.log" >&2; return 1; }
  port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
  "${lanzhou_pg_owner[@]}" "$lanzhou_pg_bin/pg_ctl" -D "$folder/data" -l "$folder/postgres.log" \
    -w -t 60 -o "-p $port -k $folder -c listen_addresses=127.0.0.1 -c fsync=off \
-c full_page_writes=off -c max_connections=200" start >/dev/null \
    || { cat "$folder/postgres.log" >&2; return 1; }
  "${lanzhou_pg_owner[@]}" "$lanzhou_pg_bin/createdb" -h "$folder" -p "$port" -U "$user" "$database"
  printf '127.0.0.1:%s:*:%s:%s\n' "$port" "$user" "$password" >"$folder/pgpass"
  chmod 600 "$folder/pgpass"
  export PGPASSFILE="$folder/pgpass"
  LANZHOU_PG_URI="postgresql://$user@127.0.0.1:$port/$database"
}

lanzhou_stop_postgres() {
  if [[ -n $lanzhou_pg_folder ]]; then
    "${lanzhou_pg_owner[@]}" "$lanzhou_pg_bin/pg_ctl" -D "$lanzhou_pg_folder/data" -m immediate \
      stop >/dev/null 2>&1 || true
  fi
}
