#!/usr/bin/env bash
# Builds vantrel.exe once more, from a copy of this source tree in another
# folder, and compares it byte for byte with REFERENCE_EXE (a build of the
# same sources): a release can be checked by rebuilding it.
#   check_reproducible.sh REFERENCE_EXE
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
reference=$1
work=$(mktemp -d /tmp/vantrel-reproduce.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/vantrel-source
mkdir -p "$copy"
tar -C "$src" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
(cd "$copy" && cmake --preset windows -DVANTREL_TESTS=OFF >/dev/null &&
  cmake --build --preset windows --target vantrel >/dev/null)
sha256sum "$reference" "$copy/build/windows/vantrel.exe"
if cmp -s "$reference" "$copy/build/windows/vantrel.exe"; then
  echo "reproducible: the two builds are identical"
else
  echo "NOT reproducible: the two builds differ" >&2
  cmp -l "$reference" "$copy/build/windows/vantrel.exe" | head -n 20 >&2 || true
  exit 1
fi
