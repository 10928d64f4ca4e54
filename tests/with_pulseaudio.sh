#!/usr/bin/env bash
# Runs a command against a private PulseAudio daemon whose only output is a
# null sink, so sound can be recorded from its monitor on a headless machine.
set -u
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime" HOME="$runtime"
socket="$runtime/pulse.sock"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -L "module-null-sink sink_name=zentova_null" \
  -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
  >"$runtime/pulseaudio.log" 2>&1 &
daemon=$!
export PULSE_SERVER="unix:$socket"
for _ in $(seq 50); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
pactl set-default-sink zentova_null >/dev/null 2>&1
"$@"
status=$?
kill "$daemon" 2>/dev/null
wait "$daemon" 2>/dev/null
rm -rf "$runtime"
exit $status
