#!/usr/bin/env bash
# The installed program rings its installed chime: an alarm set for the next
# minute, the chime from /usr/share/zentova played through the sound plugin
# in lib/zentova, and recorded from the null sink of tests/with_pulseaudio.sh
# (run this under it). Usage: installed_chime.sh [PROGRAM]
set -euo pipefail
program=${1:-/usr/bin/zentova}
home=$(mktemp -d)
chmod 700 "$home"
pid='' rec=''
trap 'kill $pid $rec 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$home"' EXIT
data="$home/.local/share/zentova"
mkdir -p "$data"

# The next minute that leaves time to start.
at=$(( ($(date +%s) / 60 + 1) * 60 ))
[ $((at - $(date +%s))) -lt 8 ] && at=$((at + 60))
hour=$(date -d "@$at" +%-H)
minute=$(date -d "@$at" +%-M)
# A record with no counts and no titles, the alarm on at that minute, lap
# off, and day 0 (no day to offer back).
text() { printf "\\x$(printf %02x ${#1})\\0%s" "$1"; }
{
  head -c 20 /dev/zero
  text "$hour"
  text "$minute"
  printf '\0\0\377\377'
  head -c 8 /dev/zero
} >"$data/Countdata.dat"

HOME="$home" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen "$program" >"$home/run.log" 2>&1 &
pid=$!
parec --device=zentova_null.monitor --format=s16le --rate=44100 --channels=1 --raw \
  "$home/monitor.raw" &
rec=$!
sleep $((at - $(date +%s) + 4))
kill "$rec"
wait "$rec" 2>/dev/null || true
# The RMS of the loudest 20 ms.
peak=$(od -An -v -t d2 "$home/monitor.raw" | awk '
  { for (i = 1; i <= NF; i++) { s += $i * $i; if (++n == 882) { r = sqrt(s / n); if (r > m) m = r; s = 0; n = 0 } } }
  END { print int(m) }')
if [ "$peak" -gt 3000 ]; then
  echo "ok: the installed chime rings at $hour:$(printf %02d "$minute") (loudest 20 ms: RMS $peak)"
else
  echo "FAIL: no chime from the installed program (loudest 20 ms: RMS $peak)"
  cat "$home/run.log"
  exit 1
fi
