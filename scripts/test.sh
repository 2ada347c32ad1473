#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test:
#   native  - the portable logic's unit tests, with AddressSanitizer and UBSan
#   windows - vantrel.exe, the same unit tests under Wine, and the end-to-end
#             tests of the real vantrel.exe under Wine (with Xvfb for windows)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset windows >/dev/null
cmake --build --preset windows

status=0
ctest --preset native || status=1
ctest --preset windows || status=1
# Every fuzz target, briefly, so that none of them rots.
bash scripts/fuzz.sh 4 || status=1
# The release: built twice from clones in two folders (the same ZIP), signed
# with a throwaway certificate, checked as a user checks a download.
echo "== The release (scripts/release.sh)"
python3 -m unittest -v tests/release/test_release.py || status=1
ls -l build/windows/vantrel.exe build/windows/vantrel-check.exe
sha256sum build/windows/vantrel.exe build/windows/vantrel-check.exe

# Last, the README's first command, as a newcomer runs it: the demo must show
# the check's comparison with the proxy's egress, the Engine started with the
# switches derived through the proxy, and an "ok" record.
echo "== The demo (scripts/demo.sh)"
mkdir -p build
if bash scripts/demo.sh 2>&1 | tee build/demo-output.txt; then
  for expected in \
      '^ +accept-language: agrees: the language the launcher would derive for FR$' \
      'command line: .* --webrtc-fake-public-ip=203.0.113.7 --force-webrtc-ip-handling-policy=default --timezone-override=Europe/Paris --lang=fr-FR --geo-lat=48.8566 --geo-lng=2.3522 --geo-accuracy=100 ' \
      '^\{"schema":1,"ts":"[^"]*","status":"ok","ip":"203.0.113.7","timezone":"Europe/Paris","country_code":"FR","lat":"48.8566","lng":"2.3522","lang":"fr-FR",.*"provider":"kestrin"'; do
    grep -Eq -- "$expected" build/demo-output.txt || { echo "demo check failed: no line matches $expected"; status=1; }
  done
else
  echo "demo check failed: scripts/demo.sh exited non-zero"
  status=1
fi
[ $status -eq 0 ] && echo "test.sh: all passed" || echo "test.sh: FAILED"
exit $status
