#!/usr/bin/env bash
# Installs the system packages Tembra needs to build, test and run (Debian).
# Safe to run again: packages already present are not fetched.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libncurses-dev libgtest-dev
  tmux zip unzip python3 xxd
  clang libclang-rt-dev
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
