#!/usr/bin/env bash
# The package installed on this machine for real, as a user would have it:
# what it brings is in place, and the installed program's alarm rings the
# installed chime through the installed plugin. Removed again afterwards
# (unless it was installed before). Run by the test command outside the test
# suite, as root; it changes the machine's packages and says so.
# Usage: installed_package.sh DEB
set -euo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$(id -u)" -ne 0 ]; then
  echo "installed package: skipped (needs root to install it)"
  exit 0
fi
fail=0
preinstalled=false
dpkg-query -W -f='${Status}' zentova 2>/dev/null | grep -q 'install ok installed' && preinstalled=true
echo "Installing $(basename "$deb") for the check; it is purged afterwards."
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$deb" \
     >"$work/apt.log" 2>&1; then
  echo "FAIL: the package does not install"; cat "$work/apt.log"
  exit 1
fi
[ -s /usr/share/doc/zentova/copyright ] && echo "ok: copyright installed" || { echo "MISSING: copyright"; fail=1; }
case "$(dpkg-query -W -f='${Depends}' zentova)" in
  *fonts-ipafont-gothic*) echo "ok: installed package depends on a Japanese font" ;;
  *) echo "FAIL: no Japanese font in Depends"; fail=1 ;;
esac
"$here/with_pulseaudio.sh" bash "$here/installed_chime.sh" || fail=1
$preinstalled || DEBIAN_FRONTEND=noninteractive apt-get purge -y zentova >/dev/null 2>&1 || true

if [ $fail -eq 0 ]; then echo "installed package: 1 passed, 0 failed"; else echo "installed package: 0 passed, 1 failed"; fi
exit $fail
