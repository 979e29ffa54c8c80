#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Packages already installed are skipped; apt-get runs only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libeigen3-dev libssl-dev openssl libcpp-httplib-dev nlohmann-json3-dev libtinygltf-dev
  libpugixml-dev libassimp-dev assimp-testmodels libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64 clang-14 libclang-rt-14-dev uuid-dev git
)
# Node and npm run the glTF validator (scripts/setup_validator.sh); a Node.js installed from
# elsewhere brings its own npm.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
