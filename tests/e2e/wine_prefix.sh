#!/bin/sh
# Creates (up) or stops (down) the private Wine prefix of a test run.
#   wine_prefix.sh up PREFIX [DISPLAY] | down PREFIX
#   up:   a fresh prefix, with no Mono/Gecko prompts, no window-manager
#         decorations (Wine then does not wait ~2 s per destroyed window),
#         and a persistent wineserver so each test's Wine start is quick.
#   down: ends every process of that prefix; touches no other prefix.
#         Wine's background processes (its desktop among them) belong to
#         the display they start with: DISPLAY, or none when not given.
set -eu
. "$(dirname "$0")/../../cmake/wine.env"
action=$1
prefix=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
display=${3:-}
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
case "$action" in
  up)
    # One persistent server for the whole run, started before any program.
    # A server that Wine starts by itself (as the first wineboot of a new
    # prefix does) is not persistent: once the last program has exited it
    # shuts the prefix down, and a program started in that moment is killed
    # with exit code 1 and no output. So end whatever server runs, wait for
    # it to be gone, and start ours; failing that, fail here.
    mkdir -p "$prefix"
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    if [ ! -f "$prefix/system.reg" ]; then
      "$WINE" wineboot -i >/dev/null 2>&1
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    fi
    # The first Windows program of a session starts Wine's background
    # services; start them here, detached from the caller's output, so that
    # they never hold a test's output pipe open.
    if [ -n "$display" ]; then export DISPLAY="$display"; fi
    "$WINE" wineboot -u </dev/null >/dev/null 2>&1
    printf '%s' "${display:-none}" > "$prefix/.vantrel-display-mode"  # see tests/e2e/wine.py
    ;;
  down)
    "$WINESERVER" -k || true
    rm -f "$prefix/.vantrel-display-mode"
    ;;
esac
