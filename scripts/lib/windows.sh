# The Windows cross build and its Wine runs (see shared notes on the traps).
# Source it after common.sh from a script that has `set -euo pipefail`.

# mingw-w64 (posix threads) with its zlib, and Wine.
LANZHOU_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine
  libasio-dev nlohmann-json3-dev googletest
)

LANZHOU_WINE_DIR=/usr/lib/wine

# libdeflate has no mingw package: its Debian source package is fetched once
# into build-windows-deps/ and compiled by the cross build (cmake/Deflate.cmake).
LANZHOU_WINDOWS_DEFLATE="$LANZHOU_ROOT/build-windows-deps/libdeflate"

lanzhou_windows_deflate_source() {
  [[ -f $LANZHOU_WINDOWS_DEFLATE/libdeflate.h ]] && return 0
  local work
  work=$(mktemp -d)
  # A private source list: the machine's own apt configuration stays as it is.
  printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm' \
    'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$work/src.sources"
  mkdir -p "$work/lists/partial"
  local apt_options=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update -qq
  (cd "$work" && apt-get "${apt_options[@]}" source --download-only -qq libdeflate >/dev/null)
  mkdir -p "$LANZHOU_WINDOWS_DEFLATE"
  tar -xzf "$work"/libdeflate_*.orig.tar.gz -C "$LANZHOU_WINDOWS_DEFLATE" --strip-components=1
  rm -rf "$work"
}

# Environment of every Wine run: a private 64-bit prefix, no window system,
# quiet but naming a missing DLL, no Mono/Gecko installers, no crash debugger
# (it would turn a crash into status 0).
lanzhou_wine_environment() {
  export WINEPREFIX="$LANZHOU_ROOT/build-windows/wine-prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all,err+module
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  unset DISPLAY WAYLAND_DISPLAY
  export PATH="$LANZHOU_WINE_DIR:$PATH"
}

# Recreates the prefix and starts one persistent wineserver that every test
# process shares; it is stopped when the calling script exits.
lanzhou_wine_start() {
  lanzhou_wine_environment
  "$LANZHOU_WINE_DIR/wineserver" -k 2>/dev/null || true
  "$LANZHOU_WINE_DIR/wineserver" -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  local tries=0
  until "$LANZHOU_WINE_DIR/wineserver" -p </dev/null >/dev/null 2>&1; do
    # Status 2: a server of this prefix still runs; wait for it and retry.
    "$LANZHOU_WINE_DIR/wineserver" -w || true
    tries=$((tries + 1))
    if ((tries > 5)); then
      echo "wineserver did not start" >&2
      return 1
    fi
  done
  trap lanzhou_wine_stop EXIT
  "$LANZHOU_WINE_DIR/wine64" wineboot --init </dev/null >/dev/null 2>&1
  # Windows without a display: the null graphics driver still gives
  # (invisible) windows and message queues.
  "$LANZHOU_WINE_DIR/wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
    </dev/null >/dev/null 2>&1
}

lanzhou_wine_stop() {
  "$LANZHOU_WINE_DIR/wineserver" -k 2>/dev/null || true
  "$LANZHOU_WINE_DIR/wineserver" -w 2>/dev/null || true
}

# Tests that do not hold under Wine, each with its reason; left out of the
# Windows run until their files are changed.
LANZHOU_WINDOWS_SKIPPED_TESTS=(
  # Wine finishes an overlapped send of 16 MiB at once, so nothing stalls
  ErpcClientSend.StalledMessageIsAbandonedAndTheNextOneGoesOut
  # About one run in twenty to forty under Wine ends in an access violation
  # when a connection closed in the middle of a flood frees what it still
  # held (the stack the crash report prints ends in the heap, freeing the
  # closed connection's waiting events) and the client connects again at once;
  # not seen on Linux nor under the sanitizers. Kept out until it is
  # understood on a real Windows.
  ErpcClientReconnect.TakenEventsAndReadyCallsStayWithTheirConnection
  ErpcClientReconnect.AnOldHandlerIsNeverCalledAfterItsConnectionEnded
)

# The skipped tests as one ctest -E pattern.
lanzhou_windows_skip_pattern() {
  local IFS='|'
  echo "^(${LANZHOU_WINDOWS_SKIPPED_TESTS[*]})\$"
}
