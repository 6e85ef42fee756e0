#!/usr/bin/env bash
# Checks the program as desktops and Debian take it: the desktop entry, the
# AppStream metadata and the Debian package that cpack makes of the build
# (with its library dependencies found by dpkg-shlibdeps). Run after
# scripts/setup.sh has built into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

rm -f build/tevka-lupe_*.deb
(cd build && cpack -G DEB >/dev/null)
desktop-file-validate packaging/linux/de.tevka.Lupe.desktop
appstreamcli validate --no-net build/packaging/linux/de.tevka.Lupe.metainfo.xml
lintian --fail-on error build/tevka-lupe_*.deb
echo "Paket, Desktop-Eintrag und AppStream-Daten sind in Ordnung: $(ls build/tevka-lupe_*.deb)"
