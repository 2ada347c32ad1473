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
ls -l build/windows/vantrel.exe
exit $status
