#!/usr/bin/env bash
# Zentova against the toolkit's floor: the real program and a bare Qt window
# with as many widgets (bench/baseline.h), measured side by side in one run,
# alternating, and reported as medians with the ratio program / baseline.
#
#   bash bench/run.sh            # the full run, about twenty minutes
#   bash bench/run.sh --smoke    # one short round, to see that it still works
#
# Environment: BUILD (build folder, default ./build), STARTS (start-ups of
# each), RUNS (idle rounds), IDLE (seconds of each idle window).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
STARTS=${STARTS:-15}
RUNS=${RUNS:-3}
IDLE=${IDLE:-300}
SETTLE=5
CLICKS=10000
BIGLOG=100
COMMANDS=50
TEAMCOUNTS=1000
TEAMDAYS=365
FLOOR="1000 300 60" # strips, changes a day each over a month of 22 days, seconds of sending
if [ "${1:-}" = "--smoke" ]; then
  STARTS=1 RUNS=1 IDLE=2 SETTLE=1 CLICKS=300 COMMANDS=3 BIGLOG=5 TEAMCOUNTS=20 TEAMDAYS=5
  FLOOR="20 10 5"
fi
for exe in zentova zentova_baseline zentova_mapwait zentova_clickbench zentova_historybench zentova_console_baseline zentova_countclient zentova_teambench; do
  [ -x "$BUILD/$exe" ] || { echo "missing $BUILD/$exe: build first (bash scripts/start.sh)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 170 199); do
  [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  xdpyinfo >/dev/null 2>&1 && break
done
unset QT_QPA_PLATFORM
export HOME="$work/home" XDG_RUNTIME_DIR="$work/home"
mkdir -p "$HOME" && chmod 700 "$HOME"

# Ticks of CPU of a process, all its threads.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The same by thread: a line "NAME COUNT" for each thread, threads of one
# name summed.
thread_wakeups() {
  for t in /proc/"$1"/task/*; do
    printf '%s %s\n' "$(tr ' ' '_' <"$t/comm" 2>/dev/null)" \
      "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status" 2>/dev/null)"
  done | awk 'NF == 2 {s[$1] += $2} END {for (n in s) print n, s[n]}'
}
# Wake-ups a minute by thread between two thread_wakeups, over SECONDS: of
# the threads there at the end (one that ended meanwhile, a pool's idle
# thread, takes its count with it).
per_minute_by_thread() { # per_minute_by_thread BEFORE AFTER SECONDS
  awk -v s="$3" 'NR == FNR {a[$1] = $2; next} {printf "%s %.1f\n", $1, ($2 - a[$1]) * 60 / s}' \
    <(echo "$1") <(echo "$2")
}
summed() { awk '{s += $2} END {printf "%.1f", s}' <<<"$1"; }
# A strip left idle: after SETTLE, its wake-ups a minute by thread over
# IDLE seconds into threads_KEY, and their sum recorded as wake_KEY.
idle_by_thread() { # idle_by_thread PID KEY
  local before by
  sleep "$SETTLE"
  before=$(thread_wakeups "$1")
  sleep "$IDLE"
  by=$(per_minute_by_thread "$before" "$(thread_wakeups "$1")" "$IDLE")
  printf -v "threads_$2" '%s' "$by"
  record "wake_$2" "$(summed "$by")"
}
kib() { awk -v k="$2" '$1 == k":" {print $2}' "/proc/$1/status"; }

start() { # start NAME -> sets map_ms and pid
  local dir="$work/$1-$RANDOM"
  started_dir=$dir
  mkdir -p "$dir"
  cp "$BUILD/$2" "$dir/"
  if [ "$2" = zentova ]; then
    cp "$BUILD/zentova_strip.so" "$dir/"
    # Counter 1 titled "A" (a command counts only a counter on the strip),
    # no day yet: the start has nothing to offer back or to keep.
    printf '\0\0\0\0\0\0\0\0\0\0\1\0A\0\0\0\0\0\0\0\0\1\0000\1\0000\0\0\0\0\0\0\0\0\0\0\0\0' \
      >"$dir/Countdata.dat"
  fi
  local out
  out=$(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/$2")
  map_ms=$(echo "$out" | awk '{print $2}')
  pid=$(echo "$out" | awk '{print $4}')
  pids+=("$pid")
}

declare -A series threads
record() { series[$1]="${series[$1]:-} $2"; }
median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

stop() { # stop PID: end it and wait until it is gone, so that it cannot
  # disturb what is measured next (the program stores the day as it ends)
  kill "$1" 2>/dev/null || true
  for _ in $(seq 100); do [ -e "/proc/$1" ] || return 0; sleep 0.05; done
}

hz=$(getconf CLK_TCK)
# One start of each to warm the caches; not counted.
start p zentova; stop "$pid"; start b zentova_baseline; stop "$pid"

# Start-up: alternating, one program at a time on a quiet machine.
for r in $(seq "$STARTS"); do
  if [ $((r % 2)) -eq 1 ]; then order="zentova zentova_baseline"; else order="zentova_baseline zentova"; fi
  for exe in $order; do
    start "s$r" "$exe"
    record "start_$exe" "$map_ms"
    sleep 0.3
    stop "$pid"
  done
done

# Start-up on a data folder with this month's count log (200 counts a day)
# and yesterday's record: the log of yesterday is read from the end of the
# file and its line written to the history. Against the plain start above.
for r in $(seq "$STARTS"); do
  dir="$work/log$r"
  mkdir -p "$dir"
  cp "$BUILD/zentova" "$BUILD/zentova_strip.so" "$dir/"
  "$BUILD/zentova_historybench" --prepare-log "$dir"
  out=$(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/zentova")
  record start_log "$(echo "$out" | awk '{print $2}')"
  pid=$(echo "$out" | awk '{print $4}'); pids+=("$pid")
  sleep 0.3
  stop "$pid"
done

# Start-up on a day with a count log of $BIGLOG MiB (yesterday's, with the
# Countday.ini kept with it): nothing of the log is read back. Alternating
# with the same start on a log of none, each one's peak memory taken once it
# is up.
start_on_log() { # start_on_log NAME MIB KEY: a start on a day of MIB MiB of log
  local dir="$work/$1"
  mkdir -p "$dir"
  cp "$BUILD/zentova" "$BUILD/zentova_strip.so" "$dir/"
  "$BUILD/zentova_historybench" --prepare-big-log "$dir" "$2"
  sync # the log's writing must not be what the start waits for
  local out
  out=$(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/zentova")
  record "start_$3" "$(echo "$out" | awk '{print $2}')"
  pid=$(echo "$out" | awk '{print $4}'); pids+=("$pid")
  sleep 0.5
  record "peak_$3" "$(kib "$pid" VmHWM)"
  stop "$pid"
}
for r in $(seq "$STARTS"); do
  start_on_log "big$r" "$BIGLOG" biglog
  start_on_log "small$r" 0 plain
done

# `zentova --count 1` answered while the history window is open on that
# day's log: the window reads nothing when a count comes.
dir="$work/bighistory"
mkdir -p "$dir"
cp "$BUILD/zentova" "$BUILD/zentova_strip.so" "$dir/"
"$BUILD/zentova_historybench" --prepare-big-log "$dir" "$BIGLOG"
(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/zentova" >"$work/bigpid")
pid=$(awk '{print $4}' "$work/bigpid"); pids+=("$pid")
for _ in $(seq 50); do xdotool search --name '^zentova$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 0.5
xdotool mousemove 430 20 click --delay 80 3 >/dev/null 2>&1 || true
sleep 0.5
xdotool key Down >/dev/null 2>&1 || true
xdotool key Return >/dev/null 2>&1 || true
for _ in $(seq 100); do xwininfo -root -tree | grep -q '履歴' && break; sleep 0.1; done
history_open=$(xwininfo -root -tree | grep -q '履歴' && echo yes || echo no)
sleep 1 # the window has read the past days and painted
for _ in $(seq "$COMMANDS"); do
  t=$(date +%s%N); "$dir/zentova" --count 1 >/dev/null || true
  record count_history "$(( ($(date +%s%N) - t) / 1000 ))"
done
# Idle with the window open: its wake-ups against the strip's own below.
idle_by_thread "$pid" history
stop "$pid"

# What the history window adds to the memory of the program on ten years of
# days, against what a bare window of its kind adds to a bare strip, each
# opened from its strip's right click and measured once it is up.
history_added() { # history_added EXE WINDOW-NAME KEY
  local dir="$work/hist-$1-$RANDOM"
  mkdir -p "$dir"
  cp "$BUILD/$1" "$dir/"
  if [ "$1" = zentova ]; then
    cp "$BUILD/zentova_strip.so" "$dir/"
    "$BUILD/zentova_historybench" --prepare-history "$dir"
  fi
  local out p before
  out=$(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/$1")
  p=$(echo "$out" | awk '{print $4}'); pids+=("$p")
  sleep "$SETTLE"
  before=$(kib "$p" VmRSS)
  xdotool mousemove 430 20 click 3 >/dev/null 2>&1 || true
  if [ "$1" = zentova ]; then
    sleep 0.5
    xdotool key Down Return >/dev/null 2>&1 || true
  fi
  for _ in $(seq 100); do xwininfo -root -tree | grep -q "\"$2\"" && break; sleep 0.1; done
  sleep 2 # painted, and whatever it reads aside read
  record "$3" "$(( $(kib "$p" VmRSS) - before ))"
  stop "$p"
}
for r in $(seq "$RUNS"); do
  history_added zentova "履歴" history_added_zentova
  history_added zentova_baseline "bare history" history_added_zentova_baseline
done

# Memory and idle cost: both side by side, over the same idle window.
for r in $(seq "$RUNS"); do
  if [ $((r % 2)) -eq 1 ]; then order="zentova zentova_baseline"; else order="zentova_baseline zentova"; fi
  declare -A running=()
  for exe in $order; do
    start "$r" "$exe"
    running[$exe]=$pid
  done
  sleep "$SETTLE"
  declare -A t0=() tw0=()
  for exe in $order; do
    p=${running[$exe]}
    record "rss_$exe" "$(kib "$p" VmRSS)"
    t0[$exe]=$(cpu_ticks "$p"); tw0[$exe]=$(thread_wakeups "$p")
  done
  sleep "$IDLE"
  for exe in $order; do
    p=${running[$exe]}
    record "peak_$exe" "$(kib "$p" VmHWM)"
    record "cpu_$exe" "$(awk -v a="${t0[$exe]}" -v b="$(cpu_ticks "$p")" -v hz="$hz" -v s="$IDLE" 'BEGIN {printf "%.4f", 100 * (b - a) / hz / s}')"
    by=$(per_minute_by_thread "${tw0[$exe]}" "$(thread_wakeups "$p")" "$IDLE")
    record "wake_$exe" "$(summed "$by")"
    threads[$exe]="${threads[$exe]:-}$by"$'\n'
    stop "$p"
  done
done

# Idle with a team set and its server reachable: the server of the team's
# benchmark, up while its standard input stays open.
mkfifo "$work/serve"
QT_QPA_PLATFORM=offscreen "$BUILD/zentova_teambench" --serve <"$work/serve" >"$work/server" 2>/dev/null &
server_pid=$!; pids+=("$server_pid")
exec 7>"$work/serve"
for _ in $(seq 300); do [ -s "$work/server" ] && break; sleep 0.1; done
dir="$work/team"
mkdir -p "$dir"
cp "$BUILD/zentova" "$BUILD/zentova_strip.so" "$dir/"
printf '[Team]\nServer=%s\nName=bench\n' "$(head -n 1 "$work/server")" >"$dir/Options.ini"
out=$(cd "$dir" && "$BUILD/zentova_mapwait" "$dir/zentova")
pid=$(echo "$out" | awk '{print $4}'); pids+=("$pid")
idle_by_thread "$pid" team
stop "$pid"
exec 7>&-
wait "$server_pid" 2>/dev/null || true

clicks=$("$BUILD/zentova_clickbench" "$CLICKS" "$RUNS")
record click_zentova "$(awk '{print $4}' <<<"$clicks")"
record click_zentova_baseline "$(awk '{print $6}' <<<"$clicks")"
# `zentova --count 1` handed to a running strip, against the start of a bare
# Qt console program and against a C client sending the same line on the
# same socket: each a whole process, one after the other.
start c zentova
sleep 1
socket="$XDG_RUNTIME_DIR/zentova-$(printf '%s' "$(realpath "$started_dir")" | sha1sum | cut -c1-16)"
now_ns() { date +%s%N; }
for _ in $(seq "$COMMANDS"); do
  t=$(now_ns); "$started_dir/zentova" --count 1 >/dev/null; record count_zentova "$(( ($(now_ns) - t) / 1000 ))"
  t=$(now_ns); "$BUILD/zentova_console_baseline"; record count_zentova_baseline "$(( ($(now_ns) - t) / 1000 ))"
  t=$(now_ns); "$BUILD/zentova_countclient" "$socket" || echo "bench: the C client was not answered" >&2
  record count_c "$(( ($(now_ns) - t) / 1000 ))"
done
count_libs=$(ldd "$started_dir/zentova" | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')
stop "$pid"
history=$("$BUILD/zentova_historybench" "$RUNS")
century=$("$BUILD/zentova_historybench" "$RUNS" 100)
floor=$("$BUILD/zentova_historybench" "$RUNS" 10 --bare)

# The team, against a PostgreSQL of the benchmark's own.
team=$(QT_QPA_PLATFORM=offscreen "$BUILD/zentova_teambench" "$RUNS" "$TEAMCOUNTS" "$TEAMDAYS" 2>/dev/null) ||
  { echo "bench: the team's benchmark failed" >&2; exit 1; }

# shellcheck disable=SC2086 # three numbers
teamfloor=$(QT_QPA_PLATFORM=offscreen "$BUILD/zentova_teambench" --floor $FLOOR 2>/dev/null) ||
  { echo "bench: the floor's benchmark failed" >&2; exit 1; }

record size_zentova "$(stat -c %s "$BUILD/zentova")"
record size_zentova_baseline "$(stat -c %s "$BUILD/zentova_baseline")"

row() { # row LABEL KEY UNIT TARGET
  local p b
  p=$(median "${series[$2_zentova]}")
  b=$(median "${series[$2_zentova_baseline]}")
  awk -v l="$1" -v p="$p" -v b="$b" -v u="$3" -v t="$4" \
    'BEGIN {printf "| %-28s | %12s %-4s | %12s %-4s | %6s | %-22s |\n", l, p, u, b, u, (b > 0 ? sprintf("%.2f", p / b) : "-"), t}'
}
echo
echo "Zentova against a bare Qt window: medians of $STARTS start-ups each, $RUNS idle window(s) of ${IDLE} s, $RUNS x $CLICKS clicks"
echo "| figure                       |      program      |     baseline      |  ratio | target                 |"
echo "|------------------------------|-------------------|-------------------|--------|------------------------|"
row "start-up to first map"  start ms "<= 1.10 x"
row "RSS after ${SETTLE} s idle"  rss KiB "<= baseline + 2048 KiB"
row "peak RSS"               peak KiB ""
row "idle CPU"               cpu "%" "< 0.05 %"
row "idle wake-ups a minute" wake "/min" "<= baseline + 1 /min"
row "$CLICKS clicks, in-process" click ms "<= 1.20 x"
row "--count round trip"       count us "<= 1.20 x"
row "binary size"            size B ""
echo "--count round trip against a C client on the same socket (median of $COMMANDS): $(median "${series[count_zentova]}") us against $(median "${series[count_c]}") us; the command loads: $count_libs"
echo "Start-up with a year of count log (median of $STARTS): $(median "${series[start_log]}") ms, plain $(median "${series[start_zentova]}") ms"
echo "Start-up on a day of $BIGLOG MiB of count log (median of $STARTS): $(median "${series[start_biglog]}") ms against $(median "${series[start_plain]}") ms with none (target <= 1.10 x); peak memory $(median "${series[peak_biglog]}") KiB against $(median "${series[peak_plain]}") KiB (target < + 2048 KiB)"
echo "--count with the history window open on it (window open: $history_open; $COMMANDS counts): median $(median "${series[count_history]}") us, slowest $(tr ' ' '\n' <<<"${series[count_history]}" | sort -g | tail -n 1) us (target: every one < 50000 us)"
echo "History window with its chart, 3650 days and a year of log (median of $RUNS): $(awk '{print $2}' <<<"$history") ms (target < 100 ms), memory added when open: $(awk '{print $6}' <<<"$history") KiB"
echo "History window on 36500 days (median of $RUNS): $(awk '{print $2}' <<<"$century") ms (target < 100 ms), memory added when open: $(awk '{print $6}' <<<"$century") KiB"
echo "The toolkit's floor, a bare window of the same size and font with a table, two lists and three buttons: memory added when open: $(awk '{print $6}' <<<"$floor") KiB"
echo "Idle wake-ups a minute with the history window open: $(median "${series[wake_history]}") /min, with a team set and its server reachable: $(median "${series[wake_team]}") /min, the strip alone $(median "${series[wake_zentova]}") /min (targets: the same; at most 2 more)"
echo "History window on ten years of days, memory added when opened from the strip (median of $RUNS): $(median "${series[history_added_zentova]}") KiB; a bare window of its kind opened from a bare strip: $(median "${series[history_added_zentova_baseline]}") KiB (target <= bare + 2048 KiB)"
echo
echo "Idle wake-ups a minute by thread (each run's idle window of ${IDLE} s; threads of one name summed):"
echo "| process                 | thread               | wake-ups a minute |"
echo "|-------------------------|----------------------|-------------------|"
by_thread() { # by_thread LABEL LINES: the median a thread name's figures over the runs
  awk 'NF == 2 {v[$1] = v[$1] " " $2} END {for (n in v) print n, v[n]}' <<<"$2" | sort |
    while read -r name values; do
      printf '| %-23s | %-20s | %17s |\n' "$1" "$name" "$(median "$values")"
    done
}
by_thread "Zentova, strip alone" "${threads[zentova]:-}"
by_thread "bare Qt window" "${threads[zentova_baseline]:-}"
by_thread "Zentova, history open" "${threads_history:-}"
by_thread "Zentova, team set" "${threads_team:-}"
echo "Team (ten people, $TEAMCOUNTS counts each; the window on fifty people): $team (targets: every row once; the window < 200 ms)"
echo "A floor: $teamfloor (targets: every row once; the refresh on the month < 50 ms, its first read < 200 ms, the refresh on a month of 22 days within 1.5 x one of a day)"
echo "bench: 1 passed, 0 failed"
