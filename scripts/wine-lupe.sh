#!/usr/bin/env bash
# Starts the Windows program (build-mingw/tevka-lupe.exe) under Wine in place
# of this script, so that the end-to-end tests, given this script as
# $LUPE_EXECUTABLE, see Wine's process as the program's. The Wine prefix
# comes from WINEPREFIX, as scripts/windows-tests.sh sets it.
exec wine "$(dirname "$0")/../build-mingw/tevka-lupe.exe" "$@"
