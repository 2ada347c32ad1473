#!/usr/bin/env bash
# Runs the benchmarks and prints their figures:
#   1. overlay: read + model + list overlays of 4 KiB, 1 MiB and 16 MiB
#      (native, optimized build), time per MiB;
#   2. start-up: vantrel.exe's passthrough path from process start to the
#      Engine's start, against a trampoline that only starts the Engine and
#      against the launcher of commit BEFORE (below), alternating, under Wine
#      (median of RUNS, default 20);
#   3. discovery: the passthrough path against the discovery path with the
#      real curl.exe through a SOCKS5 proxy to an HTTPS geo server on
#      loopback, window on Xvfb (median of RUNS/2, at least 10);
#   4. cleaning: the launcher of commit BEFORE (default 00bdf08, the last
#      that cleaned by path; VANTREL_BENCH_BEFORE=<commit>) against this one,
#      cleaning a wide tree and chains 1,000 to 3,000 folders deep under Wine
#      (median of 3 alternated runs each).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
bash scripts/setup.sh
cmake --preset bench >/dev/null && cmake --build --preset bench --target overlay_bench >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target vantrel stand_in trampoline startup_bench >/dev/null
# The launcher of an earlier commit, for the start-up and cleaning comparisons.
before=${VANTREL_BENCH_BEFORE:-00bdf08}
src=$PWD/build/bench-before/src
rm -rf "$src"; mkdir -p "$src"
git archive "$before" | tar -x -C "$src"
cmake -S "$src" -B "$PWD/build/bench-before/build" --toolchain "$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$PWD/build/bench-before/build" --target vantrel -j 2 >/dev/null

echo "== Overlay reading (native, optimized)"
build/bench/bench/overlay_bench

echo
echo "== Start-up under Wine (launcher start to Engine start)"
work=$PWD/build/bench-startup
rm -rf "$work"; mkdir -p "$work/launcher" "$work/trampoline" "$work/before" "$work/profile"
cp build/windows/vantrel.exe "$work/launcher/"
cp build/windows/bench/trampoline.exe "$work/trampoline/"
cp build/bench-before/build/vantrel.exe "$work/before/"
for d in launcher trampoline before; do cp build/windows/tools/stand_in.exe "$work/$d/vantrel-engine.exe"; done
# A passthrough start (the example overlay asks for discovery): a start page, the catalogue's profile, cleaning.
printf '%s\n' '{"start-page":"https://start.example/","webgl-profile":"nvidia-rtx-3060","granular-storage-reset":{"cookies":true}}' \
  > "$work/profile/command-line.json"
for d in launcher before; do cp examples/orlisk-webgl-profiles.json "$work/$d/"; done
export WINEPREFIX=$PWD/build/windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
bash tests/e2e/wine_prefix.sh up "$WINEPREFIX"
w() { echo "Z:${1//\//\\}"; }
. cmake/wine.env
"$WINE" build/windows/bench/startup_bench.exe "$(w "$work/engine.json")" "$runs" \
  launcher "$(w "$work/launcher/vantrel.exe")" "$(w "$work/profile")" \
  trampoline "$(w "$work/trampoline/trampoline.exe")" "$(w "$work/profile")" \
  "$before" "$(w "$work/before/vantrel.exe")" "$(w "$work/profile")" </dev/null

echo
echo "== Discovery path against passthrough path under Wine (real curl, loopback proxy and geo server)"
curl_exe=$(bash scripts/build_curl.sh 2>/dev/null | tail -n1)
druns=$(( runs / 2 > 10 ? runs / 2 : 10 ))
python3 bench/discovery_bench.py "$PWD/build/bench-discovery" "$WINEPREFIX" "$curl_exe" "$druns"

echo
echo "== Cleaning under Wine: a wide tree and deep chains, the launcher of ${VANTREL_BENCH_BEFORE:-00bdf08} against this one"
python3 bench/cleaning_bench.py "$PWD/build/bench-cleaning" "$WINEPREFIX" "$PWD/build/bench-before/build/vantrel.exe" \
  "$PWD/build/windows/vantrel.exe" 3
bash tests/e2e/wine_prefix.sh down "$WINEPREFIX"
