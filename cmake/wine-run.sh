#!/bin/sh
# Runs a Windows test binary under Wine in the build tree's private prefix.
# VANTREL_WINEPREFIX is set by CTest (see tests/CMakeLists.txt); the prefix is
# created by the "wine_prefix" test fixture before anything runs in it.
: "${VANTREL_WINEPREFIX:?VANTREL_WINEPREFIX must name the test prefix}"
export WINEPREFIX="$VANTREL_WINEPREFIX"
export WINEDEBUG=-all
# Unit tests show no windows; keep the prefix in its no-display mode.
unset DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml="
. "$(dirname "$0")/wine.env"
exec "$WINE" "$@"
