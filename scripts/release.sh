#!/usr/bin/env bash
# A release of the committed tree, reproducible, optionally signed:
#   scripts/release.sh                   build/release/: vantrel-VERSION-win64.zip, vantrel.exe,
#                                        vantrel-check.exe and SHA256SUMS; prints the ZIP's SHA-256 last
#   scripts/release.sh --verify FILE     removes the signature from FILE (a downloaded vantrel.exe or
#                                        vantrel-check.exe) and compares it with the local build of the same
#                                        commit: "identical" (exit 0) or where they differ (exit 1)
# Signing: VANTREL_SIGN_PKCS12 names a PKCS#12 file, VANTREL_SIGN_PASSWORD_FILE a file holding its
# password; both executables are then signed (Authenticode, SHA-256) before they are packed and summed.
set -euo pipefail
fail() { echo "release: $*" >&2; exit 1; }
# A name on one line as text: control characters (a line break above all) and bytes that are not UTF-8 escaped.
shown() {
  python3 -c 'import os, sys
t = os.fsencode(sys.argv[1]).decode("utf-8", "backslashreplace")
print("".join(c if " " <= c != "\x7f" and not "\x80" <= c <= "\x9f" else "\\x%02x" % ord(c) for c in t))' "$1"
}
# The file to verify is named where the user stands: resolved before anything changes folder. (The dot keeps a
# name's own trailing line breaks from the command substitution.)
if [ "${1:-}" = "--verify" ]; then
  [ $# -eq 2 ] && [ -f "$2" ] || fail "usage: release.sh --verify FILE (an existing file)"
  verify=$(realpath -- "$2" && echo .) || fail "cannot resolve $(shown "$2")"
  verify=${verify%.}
  verify=${verify%$'\n'}
fi
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh

version=$(sed -n 's/^project(vantrel_launcher VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in CMakeLists.txt"
commit=$(git rev-parse HEAD) || fail "not a git checkout: a release is built from a commit"
stamp=$(git log -1 --format=%ct HEAD)

work=$(mktemp -d /tmp/vantrel-release.XXXXXX)
trap 'rm -rf "$work" "$root/build/release.part"' EXIT

# The committed tree only, built in a folder of its own.
build_release() {
  mkdir -p "$work/src"
  git archive "$commit" | tar -x -C "$work/src"
  (cd "$work/src" && cmake --preset windows -DVANTREL_TESTS=OFF >/dev/null &&
    cmake --build --preset windows --target vantrel vantrel-check >/dev/null) || fail "the build failed"
  for exe in vantrel.exe vantrel-check.exe; do cp "$work/src/build/windows/$exe" "$work/$exe"; done
}

if [ -n "${verify:-}" ]; then
  build_release
  if ! osslsigncode remove-signature -in "$verify" -out "$work/unsigned.exe" >/dev/null 2>&1; then
    cp -- "$verify" "$work/unsigned.exe"  # it carried no signature
  fi
  for exe in vantrel.exe vantrel-check.exe; do
    if cmp -s "$work/unsigned.exe" "$work/$exe"; then
      echo "identical: $(shown "$verify") without its signature is the $exe of commit $commit"
      exit 0
    fi
  done
  name=$(basename -- "$verify")
  [ "$name" = vantrel-check.exe ] || name=vantrel.exe
  echo "different: $(shown "$verify") without its signature is not the $name of commit $commit"
  cmp "$work/unsigned.exe" "$work/$name" | sed 's/^[^:]*: //' | head -n1 || true
  cmp -l "$work/unsigned.exe" "$work/$name" 2>/dev/null | head -n 10 | sed 's/^/  byte, ours (octal), local build (octal): /' || true
  exit 1
fi

rm -rf build/release build/release.part
build_release
python3 scripts/release_check.py "$work/vantrel.exe" gui "$version" "$work" "$root" &&
  python3 scripts/release_check.py "$work/vantrel-check.exe" console "$version" "$work" "$root" ||
  fail "these executables are not what a release must be; nothing was written"

if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then
  [ -f "$VANTREL_SIGN_PKCS12" ] || fail "VANTREL_SIGN_PKCS12: no such file: $VANTREL_SIGN_PKCS12"
  [ -f "${VANTREL_SIGN_PASSWORD_FILE:-}" ] || fail "VANTREL_SIGN_PASSWORD_FILE must name the file holding the password"
  # The certificates in the PKCS#12 file, to verify the signatures against.
  openssl pkcs12 -in "$VANTREL_SIGN_PKCS12" -nokeys -passin "file:$VANTREL_SIGN_PASSWORD_FILE" -out "$work/certs.pem" \
    2>"$work/openssl.log" || fail "cannot read $VANTREL_SIGN_PKCS12 (a wrong password?): $(head -n1 "$work/openssl.log")"
  for exe in vantrel.exe vantrel-check.exe; do
    osslsigncode sign -pkcs12 "$VANTREL_SIGN_PKCS12" -readpass "$VANTREL_SIGN_PASSWORD_FILE" -h sha256 \
      -n "Vantrel" -in "$work/$exe" -out "$work/signed-$exe" >"$work/sign.log" 2>&1 ||
      fail "signing $exe failed: $(tail -n1 "$work/sign.log")"
    osslsigncode verify -CAfile "$work/certs.pem" -in "$work/signed-$exe" >"$work/verify.log" 2>&1 ||
      fail "the signature of $exe does not verify: $(grep -m1 -i fail "$work/verify.log")"
    osslsigncode remove-signature -in "$work/signed-$exe" -out "$work/removed-$exe" >/dev/null 2>&1 &&
      cmp -s "$work/removed-$exe" "$work/$exe" || fail "$exe without its signature is not the unsigned build"
    echo "signed $exe: the signature verifies, and without it the file is the unsigned reproducible build"
    mv "$work/signed-$exe" "$work/$exe"
  done
else
  echo "unsigned: VANTREL_SIGN_PKCS12 is not set"
fi

# The package: one folder, fixed order, time stamps of the commit, fixed permissions.
stage=$work/stage/vantrel-$version
mkdir -p "$stage/examples" "$stage/schemas"
cp "$work/vantrel.exe" "$work/vantrel-check.exe" "$stage/"
cp "$work/src/examples/command-line.json" "$work/src/examples/orlisk-webgl-profiles.json" "$stage/examples/"
cp "$work/src/schemas/"*.schema.json "$stage/schemas/"
# The manual names what this package is: its version, its commit, and
# whether its executables are signed (the same text for every build of one
# commit with the same signing: the package stays reproducible).
if [ -n "${VANTREL_SIGN_PKCS12:-}" ]; then signed="are signed with Authenticode"; else signed="are not signed"; fi
marker='This package: the release script writes here its version, the commit it was built from and whether its executables are signed.'
grep -qxF "$marker" "$work/src/MANUAL.md" || fail "MANUAL.md lacks the line the release script fills in"
python3 - "$work/src/MANUAL.md" "$stage/MANUAL.md" "$marker" \
  "This package: version $version, built from commit $commit; its executables $signed." <<'PY'
import sys
source, target, marker, line = sys.argv[1:5]
with open(source, encoding='utf-8') as f:
    text = f.read()
with open(target, 'w', encoding='utf-8', newline='') as f:
    f.write(text.replace(marker, line, 1))
PY
# Every other file of the package, summed: checked inside the unpacked folder with sha256sum -c.
(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum > SHA256SUMS)
mkdir -p build/release.part
zip=vantrel-$version-win64.zip
python3 - "$work/stage" "build/release.part/$zip" "$stamp" <<'PY'
import os, sys, time, zipfile
stage, out, stamp = sys.argv[1], sys.argv[2], int(sys.argv[3])
when = time.gmtime(max(stamp, 315532800))[:6]  # ZIP time stamps start in 1980
paths = []
for base, dirs, files in os.walk(stage):
    paths += [os.path.join(base, d) + '/' for d in dirs] + [os.path.join(base, f) for f in files]
with zipfile.ZipFile(out, 'w') as z:
    for path in sorted(paths):
        name = os.path.relpath(path, stage) + ('/' if path.endswith('/') else '')
        info = zipfile.ZipInfo(name, when)
        info.create_system = 3
        info.external_attr = ((0o40755 if name.endswith('/') else 0o100644) << 16) | (0x10 if name.endswith('/') else 0)
        if name.endswith('/'):
            z.writestr(info, b'')
        else:
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, 'rb') as f:
                z.writestr(info, f.read(), compresslevel=9)
PY
cp "$work/vantrel.exe" "$work/vantrel-check.exe" build/release.part/
(cd build/release.part && sha256sum "$zip" vantrel.exe vantrel-check.exe > SHA256SUMS)
mv build/release.part build/release
echo "release: build/release/ (commit $commit)"
(cd build/release && sha256sum "$zip")
