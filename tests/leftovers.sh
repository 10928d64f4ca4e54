#!/usr/bin/env bash
# Lists the processes still running with MARK in their environment (every
# test of the suite runs with it, and whatever they start inherits it);
# fails where there is any.
set -u
mark=$1
left=0
for environ in /proc/[0-9]*/environ; do
  pid=${environ#/proc/}; pid=${pid%/environ}
  [ "$pid" = "$$" ] && continue
  if tr '\0' '\n' 2>/dev/null < "$environ" | grep -qxF "$mark"; then
    echo "left running: $pid $(tr '\0' ' ' < /proc/$pid/cmdline 2>/dev/null)"
    left=$((left + 1))
  fi
done
if [ "$left" -gt 0 ]; then
  echo "$left processes started by the tests are still running"
  exit 1
fi
echo "no process started by the tests is left"
