#!/usr/bin/env bash
# Demo of the launcher's main job: builds vantrel.exe, lays out a launcher
# folder (with a stand-in Engine that records what it receives) and a sample
# profile, runs vantrel.exe under Wine, and shows what the Engine received,
# the result record and what the profile hygiene removed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target vantrel fake_engine >/dev/null

demo=$PWD/build/demo
rm -rf "$demo/app" "$demo/profile"
mkdir -p "$demo/app" "$demo/profile/Default/Sessions" "$demo/profile/Default/Network" \
         "$demo/profile/Default/Service Worker/CacheStorage"
cp build/windows/vantrel.exe "$demo/app/"
cp build/windows/tools/fake_engine.exe "$demo/app/vantrel-engine.exe"
cp examples/orlisk-webgl-profiles.json "$demo/app/"
cp examples/command-line.json "$demo/profile/"
for f in "Default/Last Session" "Default/Sessions/Session_1" "Default/Cookies" "Default/Network/Cookies" \
         "Default/Service Worker/CacheStorage/entry" "Default/Bookmarks"; do
  echo demo > "$demo/profile/$f"
done

export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating a Wine prefix for the demo (once)..."
  /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1
fi

profile_win="Z:${demo//\//\\}\\profile"
echo "== Running: vantrel.exe --user-data-dir=$profile_win --no-first-run"
set +e
/usr/lib/wine/wine64 "$demo/app/vantrel.exe" "--user-data-dir=$profile_win" --no-first-run </dev/null >/dev/null 2>&1
code=$?
set -e
echo "   exit code: $code"
for _ in $(seq 1 100); do [ -f "$demo/app/engine-received.json" ] && break; sleep 0.05; done
echo
echo "== The Engine received:"
python3 - "$demo" <<'PY'
import json, sys
got = json.load(open(sys.argv[1] + '/app/engine-received.json', encoding='utf-8'))
print('command line:', got['command_line'])
print('arguments:')
for i, a in enumerate(got['argv']):
    print('  [%d] %s' % (i, a))
PY
echo
echo "== Result record (profile/.orlisk-launcher-result.json):"
cat "$demo/profile/.orlisk-launcher-result.json"
echo
echo "== Profile after the run (session files, cookies and cache storage removed):"
(cd "$demo/profile" && find . -mindepth 1 | sort | sed 's/^/  /')
