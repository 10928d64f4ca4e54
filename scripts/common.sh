# Shared by the start and test commands: install what is missing, then build.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

# Everything the program, its tests and its tools need from Debian 12.
PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-multimedia-dev libgl-dev libsndfile1-dev libxcb1-dev
  fonts-ipafont-gothic
  xvfb xdotool x11-utils imagemagick faketime
  openbox xfwm4 dbus at-spi2-core weston qt6-wayland mutter xwayland
  pulseaudio pulseaudio-utils
  clang libclang-rt-14-dev
  desktop-file-utils dpkg-dev file lintian appstream man-db
  qt6-translations-l10n qt6-tools-dev qt6-l10n-tools
  libpq-dev postgresql pgbouncer
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=ON -DZENTOVA_BENCH=ON >/dev/null
  cmake --build "$BUILD" -j"$(nproc)"
}
