#!/usr/bin/env bash
# Installs everything the build and the tests need on Debian 12, and fetches
# the ClipperLib source into the dependency cache. Idempotent: when everything
# is present it only checks and returns.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache="$top/.deps"

packages=(
  build-essential cmake pkg-config
  qtbase5-dev qttools5-dev-tools qttools5-dev libqt5xml5
  libminizip-dev zlib1g-dev libsodium-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libboost-dev libgeos-dev
  python3 zip unzip curl xvfb util-linux dpkg-dev file binutils
  fonts-wqy-microhei
  kicad-demos
  clang-14 libclang-rt-14-dev clang-format-14
)
packages+=("$@")  # extra packages a caller needs (e.g. the Windows tools)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

updated=0
apt_update() {
  if [ "$updated" -eq 0 ]; then
    "${sudo_cmd[@]}" apt-get update -qq
    updated=1
  fi
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# ClipperLib 6.4.2 from Debian's source package: Debian's binary package is
# built without use_xyz, so we compile clipper.cpp ourselves. Exactly this
# version: the clipper glue depends on its behaviour, so a missing source
# package or any other version stops here with the reason, never falls back.
clipper_version=6.4.2
clipper_package=libpolyclipping=6.4.2-7
clipper_dir="$cache/polyclipping"
fail() { echo "setup: $*" >&2; exit 1; }
# $1 clipper.hpp: its CLIPPER_VERSION.
clipper_header_version() { sed -n 's/^#define CLIPPER_VERSION "\(.*\)".*/\1/p' "$1"; }
if [ ! -f "$clipper_dir/cpp/clipper.cpp" ]; then
  if ! grep -rqsE '^(deb-src .*bookworm|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "setup: adding a deb-src entry for bookworm main"
    echo "deb-src http://deb.debian.org/debian bookworm main" \
      | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/bookworm-src.list >/dev/null
    updated=0
  fi
  apt_update
  rm -rf "$cache/src-download"
  mkdir -p "$cache/src-download"
  (cd "$cache/src-download" && apt-get source -qq --download-only "$clipper_package") \
    || fail "apt-get source $clipper_package failed; ClipperLib $clipper_version is needed" \
      "exactly (is the bookworm deb-src entry reachable?)"
  (cd "$cache/src-download" && dpkg-source -x --skip-patches ./*.dsc unpacked >/dev/null) \
    || fail "unpacking the $clipper_package source package failed"
  rm -rf "$clipper_dir"
  mkdir -p "$cache"
  mv "$cache/src-download/unpacked" "$clipper_dir"
  rm -rf "$cache/src-download"
fi
for f in clipper.cpp clipper.hpp; do
  [ -f "$clipper_dir/cpp/$f" ] || fail "$clipper_dir/cpp/$f is missing; remove $clipper_dir and run again"
done
found=$(clipper_header_version "$clipper_dir/cpp/clipper.hpp")
[ "$found" = "$clipper_version" ] \
  || fail "$clipper_dir holds ClipperLib '${found:-unknown}', not $clipper_version; remove it and run again"
echo "setup: ready"
