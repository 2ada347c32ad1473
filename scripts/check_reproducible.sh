#!/usr/bin/env bash
# Builds vantrel.exe and vantrel-check.exe once more, from a copy of this
# source tree in another folder, and compares them byte for byte with those in
# BUILD_DIR (a build of the same sources): a release can be checked by
# rebuilding it.
#   check_reproducible.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
reference=$1
work=$(mktemp -d /tmp/vantrel-reproduce.XXXXXX)
trap 'rm -rf "$work"' EXIT
copy=$work/elsewhere/vantrel-source
mkdir -p "$copy"
tar -C "$src" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
(cd "$copy" && cmake --preset windows -DVANTREL_TESTS=OFF >/dev/null &&
  cmake --build --preset windows --target vantrel vantrel-check >/dev/null)
status=0
for exe in vantrel.exe vantrel-check.exe; do
  sha256sum "$reference/$exe" "$copy/build/windows/$exe"
  if cmp -s "$reference/$exe" "$copy/build/windows/$exe"; then
    echo "reproducible: the two builds of $exe are identical"
  else
    echo "NOT reproducible: the two builds of $exe differ" >&2
    cmp -l "$reference/$exe" "$copy/build/windows/$exe" | head -n 20 >&2 || true
    status=1
  fi
done
exit $status
