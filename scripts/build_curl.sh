#!/usr/bin/env bash
# Builds a Windows curl.exe (schannel TLS, static) from Debian's curl source
# package, for the end-to-end tests that go through a real SOCKS5 proxy:
# Wine's System32 has no curl.exe. The result is cached outside the clone,
# keyed by the source version, so later runs cost nothing:
#   ${VANTREL_CACHE:-~/.cache/vantrel}/curl-<version>/curl.exe
# Prints the path of curl.exe. The machine's apt setup is left unchanged: the
# source list lives in a private folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${VANTREL_CACHE:-$HOME/.cache/vantrel}
mkdir -p "$cache"

version=$(dpkg-query -W -f='${Version}' curl 2>/dev/null || true)
[ -n "$version" ] || version=$(apt-cache policy curl | awk '/Candidate:/ {print $2}')
out="$cache/curl-$version/curl.exe"
if [ -x "$out" ]; then echo "$out"; exit 0; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/sources.d" "$work/lists/partial" "$work/src"
# deb-src twins of the machine's Debian archives (the security archive carries
# the newest curl).
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
{
  echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main"
  echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main"
  echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main"
} > "$work/sources.d/src.list"
apt_opts=(-o Dir::Etc::SourceParts="$work/sources.d" -o Dir::Etc::SourceList=/dev/null -o Dir::State::Lists="$work/lists")
apt-get "${apt_opts[@]}" update -qq >&2
(cd "$work/src" && apt-get "${apt_opts[@]}" source --download-only curl >&2)
tarball=$(ls "$work"/src/curl_*.orig.tar.* | head -n1)
tar -xf "$tarball" -C "$work/src"
srcdir=$(find "$work/src" -maxdepth 1 -type d -name 'curl-*' | head -n1)

cmake -S "$srcdir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR= -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF -DCURL_STATICLIB=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DCURL_USE_LIBPSL=OFF -DBUILD_TESTING=OFF \
  -DBUILD_CURL_EXE=ON -DCMAKE_EXE_LINKER_FLAGS=-static >&2
cmake --build "$work/build" --target curl -j2 >&2
mkdir -p "$(dirname "$out")"
cp "$(find "$work/build" -name curl.exe | head -n1)" "$out.part"
mv "$out.part" "$out"
echo "$out"
