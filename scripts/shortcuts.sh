#!/usr/bin/env bash
# Binds Ctrl+Alt+1 ... Ctrl+Alt+5 to `zentova --count 1` ... `--count 5` in
# the desktop's own keyboard settings, so that a key counts from any program.
#
#   bash scripts/shortcuts.sh            shows what it would do, changes nothing
#   bash scripts/shortcuts.sh --apply    does it, for GNOME or Xfce
#
# ZENTOVA=/path/to/zentova names the program when it is not on the PATH.
set -euo pipefail
apply=false
[ "${1:-}" = "--apply" ] && apply=true
program=${ZENTOVA:-zentova}

run() {
  echo "  $(printf '%q ' "$@")"
  if $apply; then "$@"; fi
}

if command -v gsettings >/dev/null 2>&1 &&
   gsettings list-schemas 2>/dev/null | grep -qx org.gnome.settings-daemon.plugins.media-keys; then
  echo "GNOME:"
  schema=org.gnome.settings-daemon.plugins.media-keys
  base=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings
  list=$(gsettings get $schema custom-keybindings)
  [ "$list" = "@as []" ] && list="[]"
  for n in 1 2 3 4 5; do
    path="$base/zentova-$n/"
    case "$list" in *"'$path'"*) ;; "[]") list="['$path']" ;; *) list="${list%]}, '$path']" ;; esac
    run gsettings set "$schema.custom-keybinding:$path" name "Zentova $n"
    run gsettings set "$schema.custom-keybinding:$path" command "$program --count $n"
    run gsettings set "$schema.custom-keybinding:$path" binding "<Primary><Alt>$n"
  done
  run gsettings set $schema custom-keybindings "$list"
elif command -v xfconf-query >/dev/null 2>&1; then
  echo "Xfce:"
  for n in 1 2 3 4 5; do
    run xfconf-query -c xfce4-keyboard-shortcuts -p "/commands/custom/<Primary><Alt>$n" \
      -n -t string -s "$program --count $n"
  done
else
  echo "Neither GNOME's gsettings nor Xfce's xfconf-query is here: bind the keys in the"
  echo "desktop's keyboard settings by hand (see the README, 'Counting from any program')."
  exit 1
fi
$apply || echo "Nothing was changed. Run again with --apply to bind the keys."
