#!/bin/sh
# Runs a Windows test binary under Wine in the build tree's private prefix.
# VANTREL_WINEPREFIX is set by CTest (see tests/CMakeLists.txt); the prefix is
# created by the "wine_prefix" test fixture before anything runs in it.
: "${VANTREL_WINEPREFIX:?VANTREL_WINEPREFIX must name the test prefix}"
export WINEPREFIX="$VANTREL_WINEPREFIX"
# Only the loader's own errors, for the retry below.
export WINEDEBUG=-all,err+virtual
# Unit tests show no windows; keep the prefix in its no-display mode.
unset DISPLAY
export WINEDLLOVERRIDES="mscoree,mshtml="
. "$(dirname "$0")/wine.env"
# Wine 8's loader now and then fails to create a process on a busy machine
# ("failed to map the shared user data", exit 1) before the program runs:
# such a start is tried again, up to three times in all.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
for attempt in 1 2 3; do
  "$WINE" "$@" 2>"$errors"
  code=$?
  [ "$code" -eq 1 ] && grep -q "failed to map the shared user data" "$errors" || break
done
cat "$errors" >&2
exit "$code"
