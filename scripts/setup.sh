#!/usr/bin/env bash
# Installs what building and testing the launcher needs, from Debian's
# packages. Idempotent: when everything is present it only checks (a second
# run costs well under a second). Must run as root (or with sudo available).
set -euo pipefail

PACKAGES=(
  cmake make g++ python3 procps                   # native build, test driver (pgrep)
  googletest libgtest-dev                         # unit tests (built from source here)
  g++-mingw-w64-x86-64-posix mingw-w64-tools      # the Windows cross compiler
  wine64                                          # runs the Windows binaries
  xvfb imagemagick                                # windows under a virtual display, screenshots
  openssl                                         # test certificates for the HTTPS geo server
  microsocks                                      # the SOCKS5 proxy of the demo and the tests
  clang libclang-rt-14-dev                        # libFuzzer targets (scripts/fuzz.sh)
  osslsigncode python3-jsonschema                 # signing releases, the formats' schemas
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: run as root to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
