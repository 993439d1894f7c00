#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. Needs root (or sudo) when anything is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make binutils
  rapidjson-dev libcli11-dev libfmt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  libgraphviz-dev pkg-config
  chromium chromium-driver
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
