#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# build/zentova_<version>_<arch>.deb (install it with apt-get install ./build/zentova_*.deb).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_missing
build
(cd "$BUILD" && cpack -G DEB >/dev/null)
ls "$BUILD"/zentova_*.deb
