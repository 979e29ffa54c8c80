#!/usr/bin/env bash
# Installs the Debian packages a job needs; those already installed are skipped, and
# apt-get runs only when something is missing.
#   scripts/setup.sh [demo|test|full|windows|viewer]   (default: test)
# demo: what the host, the plug-in and the stand-ins need to build and run, and the
#       compiler cache every preset builds through (ccache, kept in ~/.cache/ccache,
#       shared by every clone on the machine).
# test: adds GoogleTest, the test models, the benchmarks' library and Node for the glTF
#       validator (scripts/setup_validator.sh).
# full: adds clang (fuzzing), mingw-w64 (the Windows checks) and clang-format.
# windows: mingw-w64 (posix threads), wine and GoogleTest's sources, for the Windows build
#       (scripts/setup_windows_sources.sh then brings the libraries Debian has no mingw build of);
#       wine's commands (wine, wineboot, winepath, wineserver) are in the package wine, and its
#       preloader keeps the low addresses every Windows process needs free: without it about one
#       start in a thousand fails in silence ("failed to map the shared user data", exit code 1);
#       the 32-bit linker (a 32-bit bridge for the tests) and the zh_CN.UTF-8 locale (wine takes
#       the system language from it).
# viewer: f3d, a VTK glTF viewer, offscreen under xvfb, and Pillow to read its pictures
#       (scripts/check_viewer.sh, scripts/demo.sh --picture).
set -euo pipefail
profile="${1:-test}"

packages=(
  build-essential cmake ninja-build ccache pkg-config python3 git uuid-dev
  libeigen3-dev libssl-dev libcpp-httplib-dev nlohmann-json3-dev libtinygltf-dev
  libpugixml-dev libassimp-dev
)
case "$profile" in
  demo) ;;
  test | full)
    packages+=(openssl libgtest-dev libgmock-dev assimp-testmodels libbenchmark-dev)
    # Node and npm run the glTF validator; a Node.js installed from elsewhere brings its own npm.
    command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
    [ "$profile" = full ] && packages+=(clang-format clang-14 libclang-rt-14-dev g++-mingw-w64-x86-64)
    ;;
  windows)
    packages=(cmake ninja-build ccache g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 wine64
      wine wine64-preloader googletest libeigen3-dev libcpp-httplib-dev nlohmann-json3-dev
      libtinygltf-dev locales)
    ;;
  viewer) packages=(f3d xvfb xauth python3-pil) ;;
  *) echo "setup.sh: unknown profile: $profile (demo, test, full, windows or viewer)" >&2; exit 2 ;;
esac

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

if [ "$profile" = windows ] && ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "Making the zh_CN.UTF-8 locale"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
