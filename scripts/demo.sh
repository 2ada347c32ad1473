#!/usr/bin/env bash
# Demo of the launcher's main job: builds vantrel.exe (and, once, a Windows
# curl.exe), lays out a launcher folder with a stand-in Engine that records
# what it receives, and a sample profile; then runs vantrel.exe under Wine
# through microsocks, a SOCKS5 proxy with a login, to a geo-IP server on loopback, with its progress
# window on a display, and shows what the Engine received, the result record
# and what the profile hygiene removed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target vantrel vantrel-check stand_in >/dev/null
echo "Building (or taking from the cache) a Windows curl.exe..."
curl_exe=$(bash scripts/build_curl.sh 2>/dev/null | tail -n1)

demo=$PWD/build/demo
rm -rf "$demo/app" "$demo/profile"
mkdir -p "$demo/app" "$demo/profile/Default/Sessions" "$demo/profile/Default/Network" \
         "$demo/profile/Default/Service Worker/CacheStorage"
cp build/windows/vantrel.exe "$demo/app/"
cp build/windows/vantrel-check.exe "$demo/app/"
cp build/windows/tools/stand_in.exe "$demo/app/vantrel-engine.exe"
cp examples/orlisk-webgl-profiles.json "$demo/app/"
for f in "Default/Last Session" "Default/Sessions/Session_1" "Default/Cookies" "Default/Network/Cookies" \
         "Default/Service Worker/CacheStorage/entry" "Default/Bookmarks"; do
  echo demo > "$demo/profile/$f"
done

if [ ! -f "$demo/wineprefix/system.reg" ]; then
  echo "Creating a Wine prefix for the demo (once)..."
  bash tests/e2e/wine_prefix.sh up "$demo/wineprefix"
fi

python3 scripts/demo_discovery.py "$demo" "$curl_exe"
echo
echo "== Profile after the run (previous session and cookies removed):"
(cd "$demo/profile" && find . -mindepth 1 | sort | sed 's/^/  /')
