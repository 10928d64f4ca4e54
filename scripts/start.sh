#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zentova.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No desktop here: give the program a virtual screen of its own.
  export DISPLAY=:77
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  sleep 1
  echo "No display was set: Zentova runs on the virtual screen $DISPLAY."
fi
exec "$BUILD/zentova"
