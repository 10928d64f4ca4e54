#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a throw-away root and checks what
# a user would get: the files in their places, a valid desktop entry,
# dependencies computed from the binary, and an installed copy that keeps its
# data in the per-user folder. Nothing is installed on this machine; the test
# command does that in a step of its own (installed_package.sh).
# Usage: package_check.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/zentova_*.deb | head -n 1)
echo "package: $(basename "$deb")"
dpkg-deb -x "$deb" "$work/root"

fail=0
for f in usr/bin/zentova usr/bin/zentova-shortcuts usr/share/zentova/Chimes.wav \
         usr/share/applications/org.zentova.zentova.desktop usr/share/metainfo/org.zentova.zentova.metainfo.xml \
         usr/share/icons/hicolor/32x32/apps/zentova.png usr/share/icons/hicolor/256x256/apps/zentova.png \
         usr/share/doc/zentova/copyright usr/share/doc/zentova/changelog.gz \
         usr/share/man/man1/zentova.1.gz usr/share/man/man1/zentova-shortcuts.1.gz \
         usr/share/man/ja/man1/zentova.1.gz usr/share/man/ja/man1/zentova-shortcuts.1.gz; do
  if [ -s "$work/root/$f" ]; then echo "ok: $f"; else echo "MISSING: $f"; fail=1; fi
done
for module in zentova_sound.so zentova_strip.so; do
  found=$(find "$work/root/usr/lib" -path "*/zentova/$module" | head -n 1)
  [ -n "$found" ] && echo "ok: ${found#$work/root/}" || { echo "MISSING: $module under lib/zentova"; fail=1; }
done
# The command that desktop shortcuts run for every count loads no window's library.
if ldd "$work/root/usr/bin/zentova" | grep -q -E 'libQt6(Gui|Widgets)'; then
  echo "FAIL: /usr/bin/zentova needs Qt Gui or Widgets"; fail=1
else
  echo "ok: /usr/bin/zentova needs Qt Core alone"
fi
# The strip opens libpq (and its TLS, Kerberos, LDAP) only when a team
# connects, and loads no database library of Qt's at all.
strip=$(find "$work/root/usr/lib" -path "*/zentova/zentova_strip.so" | head -n 1)
if [ -n "$strip" ] && readelf -d "$strip" | grep NEEDED | grep -q -E 'libpq|libQt6Sql'; then
  echo "FAIL: the strip's module is linked to libpq or Qt Sql"; fail=1
else
  echo "ok: the strip's module opens libpq when a team connects"
fi
# Both languages: the installed command answers in the session's.
if LANGUAGE=en "$work/root/usr/bin/zentova" --help | head -n 1 | grep -q '^Usage: zentova' &&
   LANGUAGE=ja "$work/root/usr/bin/zentova" --help | head -n 1 | grep -q '^使い方: zentova'; then
  echo "ok: --help in English and in Japanese"
else
  echo "FAIL: --help does not follow the session's language"; fail=1
fi
desktop-file-validate "$work/root/usr/share/applications/org.zentova.zentova.desktop" && echo "ok: desktop entry valid" || fail=1
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.zentova.zentova.metainfo.xml" >"$work/as.log" 2>&1 \
  && echo "ok: AppStream metadata valid" || { cat "$work/as.log"; fail=1; }
# Debian's own judge of a package: no error and no warning.
if lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  echo "ok: lintian has no error or warning"
else
  echo "FAIL: lintian"; cat "$work/lintian.log"; fail=1
fi

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

if [ $fail -eq 0 ]; then echo "package: 1 passed, 0 failed"; else echo "package: 0 passed, 1 failed"; fi
exit $fail
