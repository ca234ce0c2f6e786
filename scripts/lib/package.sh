# shellcheck shell=bash
# The package step of scripts/test: builds the two Debian packages from the
# `package` preset (build-pkg/) and checks them without installing anything:
# lintian, the file lists and modes, the settings as a conffile, the service
# unit (systemd-analyze verify), the manual pages, and the server started from
# the unpacked packages (tests/package/unpacked_service_test.sh).
# Source it after scripts/lib/common.sh.

# Paths each package must hold (a trailing * matches a prefix) and paths
# neither may hold.
LANZHOU_PACKAGE_CONTENTS=(
  "lanzhou|./usr/bin/lanzhou"
  "lanzhou|./usr/bin/lanzhou-cli"
  "lanzhou|./usr/share/applications/lanzhou.desktop"
  "lanzhou|./usr/share/icons/hicolor/scalable/apps/lanzhou.svg"
  "lanzhou|./usr/share/lanzhou/ver.txt"
  "lanzhou|./usr/share/lanzhou/ico/*"
  "lanzhou|./usr/share/lanzhou/music/*"
  "lanzhou|./usr/share/man/man1/lanzhou.1.gz"
  "lanzhou|./usr/share/man/man1/lanzhou-cli.1.gz"
  "lanzhou|./usr/share/doc/lanzhou/copyright"
  "lanzhou|./usr/share/doc/lanzhou/changelog.Debian.gz"
  "lanzhou-server|./usr/bin/lanzhou-server"
  "lanzhou-server|./usr/share/man/man8/lanzhou-server.8.gz"
  "lanzhou-server|./usr/share/doc/lanzhou-server/copyright"
  "lanzhou-server|./usr/share/doc/lanzhou-server/changelog.Debian.gz"
  "lanzhou-server|./usr/share/doc/lanzhou-server/examples/lanzhou-server.example.toml"
  "lanzhou-server|./usr/lib/systemd/system/lanzhou-server.service"
  "lanzhou-server|./usr/lib/sysusers.d/lanzhou-server.conf"
  "lanzhou-server|./usr/lib/tmpfiles.d/lanzhou-server.conf"
  "lanzhou-server|./etc/lanzhou/server.toml"
)
# Modes and owners of files whose mode matters, as `dpkg-deb -c` shows them.
LANZHOU_PACKAGE_MODES=(
  "lanzhou-server|./etc/lanzhou/server.toml|-rw-r--r-- root/root"
  "lanzhou-server|./usr/bin/lanzhou-server|-rwxr-xr-x root/root"
  "lanzhou-server|./usr/lib/systemd/system/lanzhou-server.service|-rw-r--r-- root/root"
)
# The files of each package the package manager keeps on upgrade (its
# DEBIAN/conffiles), in order.
LANZHOU_PACKAGE_CONFFILES=(
  "lanzhou|"
  "lanzhou-server|/etc/lanzhou/server.toml"
)
LANZHOU_PACKAGE_FORBIDDEN=(
  "lanzhou|./usr/bin/update"
  "lanzhou|./usr/bin/lanzhou-server"
  "lanzhou-server|./usr/bin/update"
  "lanzhou-server|./usr/bin/lanzhou"
  "lanzhou-server|./usr/share/lanzhou/*"
  "lanzhou-server|./var/*"
)

# Prints the one .deb of the named package in build-pkg/.
lanzhou_package_file() {
  local found=("$LANZHOU_ROOT"/build-pkg/"$1"_*.deb)
  if ((${#found[@]} != 1)) || [[ ! -f ${found[0]} ]]; then
    echo "package $1: expected one build-pkg/$1_*.deb, found ${#found[@]}" >&2
    return 1
  fi
  echo "${found[0]}"
}

lanzhou_check_packages() {
  lanzhou_ensure_packages "${LANZHOU_PACKAGES[@]}" "${LANZHOU_PACKAGING_PACKAGES[@]}"
  cd "$LANZHOU_ROOT" || return
  echo "== Debian packages"
  cmake --preset package -DLANZHOU_TELECOM_HOST=tel.example.com \
    -DLANZHOU_NETCOM_HOST=net.example.com -DLANZHOU_PORT=8866 >/dev/null
  nice cmake --build --preset package -j2
  rm -f build-pkg/*.deb
  (cd build-pkg && cpack -G DEB >/dev/null)

  local failed=0 entry name path deb expected
  local -A lists=() modes=()
  for name in lanzhou lanzhou-server; do
    deb=$(lanzhou_package_file "$name")
    lists[$name]=$(dpkg-deb -c "$deb" | awk '{print $6}')
    modes[$name]=$(dpkg-deb -c "$deb" | awk '{print $6 "|" $1 " " $2}')
    # Errors and warnings fail; each tag the packages override states its
    # reason in the override file.
    echo "-- lintian $(basename "$deb")"
    lintian --fail-on error,warning --display-info "$deb" || failed=1
  done
  for entry in "${LANZHOU_PACKAGE_CONTENTS[@]}"; do
    name=${entry%%|*} path=${entry#*|}
    if ! grep -qxF -- "$path" <<<"${lists[$name]}" \
      && ! { [[ $path == *\* ]] && grep -q "^${path%\*}." <<<"${lists[$name]}"; }; then
      echo "package $name lacks $path" >&2
      failed=1
    fi
  done
  for entry in "${LANZHOU_PACKAGE_FORBIDDEN[@]}"; do
    name=${entry%%|*} path=${entry#*|}
    if grep -qxF -- "$path" <<<"${lists[$name]}" \
      || { [[ $path == *\* ]] && grep -q "^${path%\*}" <<<"${lists[$name]}"; }; then
      echo "package $name must not hold $path" >&2
      failed=1
    fi
  done

  for entry in "${LANZHOU_PACKAGE_MODES[@]}"; do
    name=${entry%%|*} path=${entry#*|}
    expected=${path#*|} path=${path%%|*}
    if ! grep -qxF -- "$path|$expected" <<<"${modes[$name]}"; then
      echo "package $name: $path is not $expected" >&2
      failed=1
    fi
  done
  local conffiles
  for entry in "${LANZHOU_PACKAGE_CONFFILES[@]}"; do
    name=${entry%%|*} expected=${entry#*|}
    conffiles=$(dpkg-deb --ctrl-tarfile "$(lanzhou_package_file "$name")" \
      | tar -xOf - ./conffiles 2>/dev/null | paste -sd' ') || conffiles=
    if [[ $conffiles != "$expected" ]]; then
      echo "package $name: conffiles lists \"$conffiles\", expected \"$expected\"" >&2
      failed=1
    fi
  done

  # Every manual page renders, without a warning from the formatter, save
  # "cannot adjust line": the headless client's help shows whole JSON
  # commands, which are not broken and may pass the right margin.
  local root page warnings
  root=$(mktemp -d)
  for name in lanzhou lanzhou-server; do
    dpkg-deb -x "$(lanzhou_package_file "$name")" "$root"
  done
  for page in "$root"/usr/share/man/man*/*.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null \
      | grep -v 'cannot adjust line') || true
    if ! MANWIDTH=80 man -l "$page" >/dev/null 2>&1; then
      warnings+=" (man failed)"
    fi
    if [[ -n $warnings ]]; then
      echo "manual page $(basename "$page"): $warnings" >&2
      failed=1
    fi
  done

  # The unit as systemd reads it. verify wants the programs it starts to
  # exist: a copy of the unit starts the unpacked one. Its warnings (an
  # unknown key, a value it cannot parse) fail the check too.
  local unit_copy analysis
  unit_copy=$(mktemp -d)
  sed "s|^ExecStart=/|ExecStart=$root/|" "$root/usr/lib/systemd/system/lanzhou-server.service" \
    >"$unit_copy/lanzhou-server.service"
  # The documentation it names is the manual page checked above.
  if ! analysis=$(systemd-analyze verify --man=no "$unit_copy/lanzhou-server.service" 2>&1) \
    || [[ -n $analysis ]]; then
    echo "lanzhou-server.service: systemd-analyze verify: ${analysis:-failed}" >&2
    failed=1
  fi
  rm -rf "$root" "$unit_copy"

  "$LANZHOU_ROOT/tests/package/unpacked_service_test.sh" "$(lanzhou_package_file lanzhou)" \
    "$(lanzhou_package_file lanzhou-server)" || failed=1

  if ((failed)); then
    echo "Debian packages: checks failed" >&2
    return 1
  fi
  echo "Debian packages: lintian clean; contents, conffiles, unit and manual pages as expected"
}
