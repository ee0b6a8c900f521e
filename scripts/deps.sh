#!/usr/bin/env bash
# Installs the system packages Tembra needs to build, test and run (Debian).
# Safe to run again: packages already present are not fetched.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libncurses-dev libgtest-dev libre2-dev libssl-dev
  tmux zip unzip python3 xxd man-db groff-base time
  clang libclang-rt-dev
  zlib1g-dev libzstd-dev liblzma-dev libbz2-dev libarchive-dev
  gzip zstd xz-utils bzip2 tar libdeflate-tools
)
# The compression libraries (gzip, zstd, xz, bzip2 streams and tar archives through
# libarchive), and the command-line tools the benchmarks compare with (bench/archive;
# libdeflate-gunzip shows what a whole-buffer inflate would gain).
# --windows: also what the Windows build needs (scripts/windows.sh): the mingw-w64
# cross-compiler, zlib built for it, Wine with its fonts and a fixed-pitch face standing in for
# "Courier New", Xvfb and the X tools that find the window and take its picture.
INSTALL_OPTIONS=()
if [ "${1:-}" = "--windows" ]; then
  PACKAGES=(
    cmake ninja-build python3
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 libz-mingw-w64-dev
    wine wine64 fonts-wine fonts-liberation
    xvfb xauth xdotool x11-apps x11-utils
  )
  INSTALL_OPTIONS=(--no-install-recommends)
fi
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${INSTALL_OPTIONS[@]}" "${missing[@]}"
fi
