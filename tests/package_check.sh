#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a throw-away root and checks what
# a user would get: the files in their places, a valid desktop entry,
# dependencies computed from the binary, and an installed copy that keeps its
# data in the per-user folder. As root it also installs the package for real:
# the unit tests must still pass beside it, and its alarm must ring its own
# chime. Usage: package_check.sh BUILD_DIR [UNIT_TEST...]
set -euo pipefail
build=$1
shift
units=("$@") # the unit tests to run again with the package installed
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/zentova_*.deb | head -n 1)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$work/root"

fail=0
for f in usr/bin/zentova usr/share/zentova/Chimes.wav usr/share/applications/zentova.desktop \
         usr/share/icons/hicolor/32x32/apps/zentova.png usr/share/icons/hicolor/256x256/apps/zentova.png \
         usr/share/doc/zentova/copyright; do
  if [ -s "$work/root/$f" ]; then echo "ok: $f"; else echo "MISSING: $f"; fail=1; fi
done
plugin=$(find "$work/root/usr/lib" -path '*/zentova/zentova_sound.so' | head -n 1)
[ -n "$plugin" ] && echo "ok: ${plugin#$work/root/}" || { echo "MISSING: the sound plugin under lib/zentova"; fail=1; }
desktop-file-validate "$work/root/usr/share/applications/zentova.desktop" && echo "ok: desktop entry valid" || fail=1

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6multimedia6 libsndfile1 "fonts-ipafont-gothic | fonts-noto-cjk"; do
  case "$depends" in *"$lib"*) ;; *) echo "MISSING dependency: $lib"; fail=1 ;; esac
done

# The installed copy, started as a user would: its data goes to the per-user
# folder, never beside the binary, even where root could write there.
mkdir -p "$work/home"
chmod 700 "$work/home"
HOME="$work/home" XDG_RUNTIME_DIR="$work/home" QT_QPA_PLATFORM=offscreen \
  "$work/root/usr/bin/zentova" >"$work/run.log" 2>&1 &
pid=$!
for _ in $(seq 50); do
  [ -e "$work/home/.local/share/zentova/Countdata.dat" ] && break
  sleep 0.1
done
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true
if [ -e "$work/home/.local/share/zentova/Countdata.dat" ] && [ ! -e "$work/root/usr/bin/Countdata.dat" ]; then
  echo "ok: installed copy keeps its data per user"
else
  echo "FAIL: installed copy's data not in the per-user folder"; cat "$work/run.log"; fail=1
fi

# Installed on this machine for real: what the package brings is there, and
# the tests still see only their own sandboxes. Removed again afterwards
# (unless it was installed before).
if [ "$(id -u)" -eq 0 ]; then
  preinstalled=false
  dpkg-query -W -f='${Status}' zentova 2>/dev/null | grep -q 'install ok installed' && preinstalled=true
  if ! $preinstalled && ! DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
       "$deb" >"$work/apt.log" 2>&1; then
    echo "FAIL: the package does not install"; cat "$work/apt.log"; fail=1
  else
    [ -s /usr/share/doc/zentova/copyright ] && echo "ok: copyright installed" || { echo "MISSING: copyright"; fail=1; }
    case "$(dpkg-query -W -f='${Depends}' zentova)" in
      *fonts-ipafont-gothic*) echo "ok: installed package depends on a Japanese font" ;;
      *) echo "FAIL: no Japanese font in Depends"; fail=1 ;;
    esac
    for t in "${units[@]}"; do
      if QT_QPA_PLATFORM=offscreen TZ=Asia/Tokyo LC_ALL=C.UTF-8 "$t" >"$work/unit.log" 2>&1; then
        echo "ok: $(basename "$t") passes with the package installed"
      else
        echo "FAIL: $(basename "$t") with the package installed"; grep -E 'FAIL|Loc' "$work/unit.log"; fail=1
      fi
    done
    "$here/with_pulseaudio.sh" bash "$here/installed_chime.sh" || fail=1
    $preinstalled || DEBIAN_FRONTEND=noninteractive apt-get purge -y zentova >/dev/null 2>&1 || true
  fi
fi

if [ $fail -eq 0 ]; then echo "package: 1 passed, 0 failed"; else echo "package: 0 passed, 1 failed"; fi
exit $fail
