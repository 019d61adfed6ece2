#!/usr/bin/env bash
# Builds NX_iParameter on Debian 12, installing what is missing, then starts it or runs every test.
#   ./build.sh run     build and start the program
#   ./build.sh test    build and run the whole test suite
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libpugixml-dev googletest libgtest-dev
          libchm-dev fp-utils clang libclang-rt-14-dev python3-lxml dpkg-dev file)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${NX_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${NX_BUILD_TYPE:-RelWithDebInfo} ${NX_CMAKE_ARGS:-} >/dev/null
cmake --build "$build"

case "${1:-run}" in
  run)
    exec "$build/bin/NX_iParameter" ;;
  test)
    export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" ;;
  *)
    echo "usage: $0 run|test" >&2; exit 2 ;;
esac
