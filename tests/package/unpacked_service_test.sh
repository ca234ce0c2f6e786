#!/usr/bin/env bash
# The two packages unpacked into a temporary root, nothing installed on the
# machine: the server's user and state folder made there by the package's
# own sysusers.d and tmpfiles.d files, the server started from the unit's
# ExecStart line as that user, with the unit's umask, an account added by
# the operator command run as root, and a member logged in with the unpacked
# lanzhou-cli. The database and every file beside it must stay the service
# user's, readable by it alone.
#   tests/package/unpacked_service_test.sh CLIENT.deb SERVER.deb
# Needs root, to start the server as another user: skipped otherwise.
set -euo pipefail

client_deb=$1
server_deb=$2
if [[ $(id -u) -ne 0 ]]; then
  echo "unpacked service test: skipped (it starts the server as another user, which needs root)"
  exit 0
fi

root=$(mktemp -d)
run_dir=$(mktemp -d)
server_pid=
cli_pid=
cleanup() {
  if [[ -n $cli_pid ]]; then kill "$cli_pid" 2>/dev/null || true; fi
  if [[ -n $server_pid ]]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$root" "$run_dir"
}
trap cleanup EXIT

fail() {
  echo "unpacked service test: $*" >&2
  if [[ -f $root/server.err ]]; then
    sed 's/^/  server: /' "$root/server.err" >&2
  fi
  exit 1
}

# The service user must reach the programs and its folder.
chmod 0755 "$root"
dpkg-deb -x "$client_deb" "$root"
dpkg-deb -x "$server_deb" "$root"

unit=$root/usr/lib/systemd/system/lanzhou-server.service
unit_value() { sed -n "s/^$1=//p" "$unit" | tail -n 1; }
user=$(unit_value User)
group=$(unit_value Group)
umask_value=$(unit_value UMask)
read -r -a command <<<"$(unit_value ExecStart)"
[[ -n $user && -n $group && -n $umask_value && ${#command[@]} -gt 0 ]] \
  || fail "the unit lacks User=, Group=, UMask= or ExecStart="

# The user and the state folder, as the maintainer scripts make them, but in
# the temporary root.
made=$(systemd-sysusers --root="$root" lanzhou-server.conf 2>&1) || fail "systemd-sysusers: $made"
made=$(systemd-tmpfiles --root="$root" --create lanzhou-server.conf 2>&1) \
  || fail "systemd-tmpfiles: $made"
uid=$(awk -F: -v name="$user" '$1 == name { print $3 }' "$root/etc/passwd")
gid=$(awk -F: -v name="$group" '$1 == name { print $3 }' "$root/etc/group")
[[ -n $uid && -n $gid ]] || fail "sysusers.d made no user $user and group $group"
state=$root/var/lib/lanzhou
[[ $(stat -c '%a %u' "$state") == "700 $uid" ]] \
  || fail "state folder is $(stat -c '%a %u' "$state"), expected 700 $uid"

# Every absolute path of the command line, and the settings' database and
# address, point into the temporary root and at any free loopback port.
for i in "${!command[@]}"; do
  if [[ ${command[i]} == /* ]]; then
    command[i]=$root${command[i]}
  fi
done
settings=$root/etc/lanzhou/server.toml
grep -qx 'location = "/var/lib/lanzhou/lanzhou.db"' "$settings" \
  || fail "server.toml does not put the database in /var/lib/lanzhou"
sed -i -e "s|^location = \"/|location = \"$root/|" -e 's|^listen = .*|listen = "127.0.0.1:0"|' \
  "$settings"

# The operator commands with the service's settings: as root before the
# server first ran (root makes the database, as the service user it becomes,
# or the service could not open it), then as the service user and as root
# while it runs.
server=$root/usr/bin/lanzhou-server
told=$("$server" account add --config "$settings" --name member1 --password secret1 --type 1 \
  --expiry "2099-12-31 00:00:00" 2>&1 >/dev/null) || fail "account add as root failed: $told"
[[ $told == *"acting as "* ]] || fail "root did not become the state folder's user: $told"

(umask "$umask_value" && exec setpriv --reuid="$uid" --regid="$gid" --clear-groups \
  --no-new-privs -- "${command[@]}" >"$root/server.out" 2>"$root/server.err") &
server_pid=$!
port=
for _ in $(seq 200); do
  port=$(sed -n 's/^{"listening":"127.0.0.1:\([0-9]*\)"}$/\1/p' "$root/server.out")
  [[ -n $port ]] && break
  kill -0 "$server_pid" 2>/dev/null || fail "the server ended before it listened"
  sleep 0.1
done
[[ -n $port ]] || fail "the server did not start listening"

listed=$(setpriv --reuid="$uid" --regid="$gid" --clear-groups -- \
  "$server" account list --config "$settings") || fail "account list as $user failed"
grep -q member1 <<<"$listed" || fail "account list as $user does not show member1"
told=$("$server" card add --config "$settings" --number card1 --days 30 2>&1) \
  || fail "card add as root failed: $told"
for file in "$state"/*; do
  [[ $(stat -c '%a %u' "$file") == "600 $uid" ]] \
    || fail "$(basename "$file") is $(stat -c '%a %u' "$file"), expected 600 $uid"
done
[[ -f $state/lanzhou.db ]] || fail "no database in the state folder"

# A member logs in with the unpacked headless client.
coproc CLI { exec "$root/usr/bin/lanzhou-cli" --server "127.0.0.1:$port" --run-dir "$run_dir" 2>&1; }
# shellcheck disable=SC2153 # coproc sets CLI_PID
cli_pid=$CLI_PID
wait_event() {
  local line
  while IFS= read -r -t 20 line <&"${CLI[0]}"; do
    [[ $line == *"\"event\":\"$1\""* ]] && { echo "$line"; return 0; }
  done
  return 1
}
wait_event bulletin >/dev/null || fail "lanzhou-cli saw no handshake"
echo '{"cmd":"login","account":"member1","password":"secret1"}' >&"${CLI[1]}"
main=$(wait_event main) || fail "lanzhou-cli did not log in"
grep -q '"account":"member1"' <<<"$main" || fail "logged in as something else: $main"
echo '{"cmd":"quit"}' >&"${CLI[1]}"
wait "$cli_pid" 2>/dev/null || true
cli_pid=

kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
server_pid=
((status == 0)) || fail "the server ended with status $status on SIGTERM"
for file in "$state"/*; do
  [[ $(stat -c '%u' "$file") == "$uid" ]] || fail "$(basename "$file") is not $user's"
done
echo "unpacked service test: the unit's server ran as $user (uid $uid); member1 logged in"
