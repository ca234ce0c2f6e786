# shellcheck shell=bash
# The package step of scripts/test: builds the two Debian packages from the
# `package` preset (build-pkg/) and checks them without installing anything.
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
)
LANZHOU_PACKAGE_FORBIDDEN=(
  "lanzhou|./usr/bin/update"
  "lanzhou|./usr/bin/lanzhou-server"
  "lanzhou-server|./usr/bin/update"
  "lanzhou-server|./usr/bin/lanzhou"
  "lanzhou-server|./usr/share/lanzhou/*"
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

  local failed=0 entry name path deb
  local -A lists=()
  for name in lanzhou lanzhou-server; do
    deb=$(lanzhou_package_file "$name")
    lists[$name]=$(dpkg-deb -c "$deb" | awk '{print $6}')
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
  rm -rf "$root"
  if ((failed)); then
    echo "Debian packages: checks failed" >&2
    return 1
  fi
  echo "Debian packages: lintian clean, contents and manual pages as expected"
}
