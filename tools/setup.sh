#!/usr/bin/env bash
# Installs what the project needs on Debian 12, builds it from scratch and then
#   run:  runs a default simulation in a fresh working folder, or
#   test: runs every test.
set -euo pipefail

mode=${1:-test}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

# x11-utils also brings luit, which xterm -lc uses under a Shift-JIS locale.
packages=(build-essential cmake pkg-config libgtest-dev qt6-base-dev libgl-dev
          python3-xraylib xterm xvfb xauth xdotool x11-utils imagemagick
          fonts-ipafont-gothic fonts-liberation fonts-dejavu-core locales)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi

# A Shift-JIS locale, so that the tests can check the engine's console in that character set.
if [ "$mode" = test ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.sjis$'; then
  if [ "$(id -u)" -eq 0 ]; then
    localedef -f SHIFT_JIS -i ja_JP ja_JP.SJIS 2>/dev/null || true
  else
    sudo localedef -f SHIFT_JIS -i ja_JP ja_JP.SJIS 2>/dev/null || true
  fi
fi

rm -rf "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)"

case "$mode" in
  test)
    cd "$build"
    ctest --output-on-failure -j"$(nproc)"
    ;;
  run)
    work=$(mktemp -d)
    printf '0150.0\r\n12.000\r\n02.500\r\n02.000\r\n00.200\r\n0010.0\r\n0001000000.\r\n02\r\n01\r\n01\r\nrun1.csv\r\n' \
      > "$work/B2F.dat"
    cd "$work"
    # End of input answers both Enter prompts.
    "$build/bin/Drevik" < /dev/null
    echo "Results: $work/run1.csv"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
