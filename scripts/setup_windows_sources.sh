#!/usr/bin/env bash
# Brings the sources of the libraries the Windows build needs and Debian ships no
# mingw-w64 build of, from Debian's own source packages, once per machine: each is
# unpacked into the cache under its version, and a version already there is kept.
#   scripts/setup_windows_sources.sh
# Prints nothing but progress; the Windows build finds them in the cache
# (cmake/WindowsDependencies.cmake).
set -euo pipefail
cache="${ORVEX_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/orvexconv}/windows"
mkdir -p "$cache"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

# The source index of the archive the machine already uses, beside its binary index.
enable_source_index() {
  local list=/etc/apt/sources.list.d/orvexconv-sources.sources
  apt-cache showsrc pugixml >/dev/null 2>&1 && return 0
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo_cmd tee "$list" >/dev/null
  else
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $sudo_cmd tee /etc/apt/sources.list.d/orvexconv-sources.list >/dev/null
  fi
  $sudo_cmd apt-get update -q >/dev/null
}

# unpack PACKAGE: the newest source version the index offers, unpacked from its upstream
# tarball into $cache/PACKAGE-VERSION (Debian's packaging is not needed to build it).
unpack() {
  local package="$1" version upstream folder
  version="$(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -V | tail -n 1)"
  upstream="${version#*:}"
  upstream="${upstream%-*}"
  folder="$cache/$package-$upstream"
  [ -f "$folder/.complete" ] && return 0
  echo "Windows sources: $package $upstream"
  local download
  download="$(mktemp -d)"
  # The newest version's files, else those of the suite's own release (a security
  # update's packaging can be missing from the mirror while its tarball is there).
  (cd "$download" && apt-get source --download-only -q "$package=$version" >/dev/null 2>&1 ||
    apt-get source --download-only -q "$package" >/dev/null 2>&1 || true)
  local tarball
  tarball="$(ls "$download"/"${package}_${upstream}".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1)"
  if [ -z "$tarball" ]; then
    echo "Windows sources: no source of $package $upstream could be downloaded" >&2
    rm -rf "$download"
    return 1
  fi
  rm -rf "$folder"
  mkdir -p "$folder"
  tar -xf "$tarball" -C "$folder" --strip-components=1
  touch "$folder/.complete"
  rm -rf "$download"
}

# build_openssl: OpenSSL's libraries for mingw-w64, static, without tests, installed
# beside its source in the cache. Built once per version.
build_openssl() {
  local folder
  folder="$(ls -d "$cache"/openssl-* 2>/dev/null | grep -v -- '-build$' | sort -V | tail -n 1)"
  [ -f "$folder/install/.complete" ] && return 0
  echo "Windows sources: building OpenSSL for mingw-w64 (once per version: a few minutes)"
  local log="$folder/build.log"
  (
    cd "$folder"
    ./Configure mingw64 --cross-compile-prefix=x86_64-w64-mingw32- no-shared no-tests \
      --prefix="$folder/install" --libdir=lib &&
      make -j "$(nproc)" build_libs &&
      make install_dev
  ) >"$log" 2>&1 || {
    tail -n 40 "$log" >&2
    echo "Windows sources: the OpenSSL build failed (whole log: $log)" >&2
    return 1
  }
  touch "$folder/install/.complete"
}

enable_source_index
unpack pugixml
unpack cpp-httplib
unpack openssl
build_openssl
