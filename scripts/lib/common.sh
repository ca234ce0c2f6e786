# Shared by the scripts: package installation and the default build.
# Source it from a script that has `set -euo pipefail`.

LANZHOU_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# ccache (used by the build when installed): paths inside the checkout are
# hashed relative to it, so that a fresh clone elsewhere hits the same cache.
export CCACHE_BASEDIR="$LANZHOU_ROOT" CCACHE_NOHASHDIR=1

# Debian packages the build and the tests need.
LANZHOU_PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  zlib1g-dev libdeflate-dev libasio-dev nlohmann-json3-dev libtomlplusplus-dev libsqlite3-dev
  libssl-dev openssl
  libpq-dev postgresql
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev libqt6webenginecore6-bin qt6-qpa-plugins libgl-dev
  libsdl2-mixer-dev timgm6mb-soundfont fonts-noto-cjk xvfb xauth
  libcurl4-openssl-dev libminizip-dev libdbus-1-dev python3 python3-pyftpdlib procps tzdata
  dbus-daemon python3-dbus python3-gi at-spi2-core python3-pyatspi dbus
)

# Packages of the Debian packages' build and checks (the package step of
# scripts/test): systemd for systemd-analyze, systemd-sysusers and
# systemd-tmpfiles, util-linux for setpriv.
LANZHOU_PACKAGING_PACKAGES=(help2man gzip lintian man-db dpkg-dev systemd util-linux)

# Packages of the fuzz targets (clang with libFuzzer and the sanitizer runtimes).
LANZHOU_FUZZ_PACKAGES=(clang libclang-rt-dev)

# Installs whichever of the named packages are missing.
lanzhou_ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$pkg")
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  echo "Installing: ${missing[*]}" >&2
  local sudo=()
  if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures (once) and builds the default preset into build/.
lanzhou_build() {
  lanzhou_ensure_packages "${LANZHOU_PACKAGES[@]}"
  cd "$LANZHOU_ROOT"
  if [[ ! -f build/CMakeCache.txt ]]; then
    cmake --preset default >/dev/null
  fi
  cmake --build --preset default "$@"
}
