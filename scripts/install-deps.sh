#!/usr/bin/env bash
# Installs every Debian package needed to build and test Halvern. Safe to run again: packages that are
# already there are left alone, and apt is not touched at all when nothing is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache file
  libjsoncpp-dev libudev-dev libcurl4-openssl-dev python3 libxtst-dev libxi-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  qt6-base-dev qt6-tools-dev libqt6opengl6-dev qt6-svg-dev
  xvfb xauth trayer dbus-daemon dbus-bin
  weston qt6-wayland
  udev desktop-file-utils appstream
  libfftw3-dev libpulse-dev pulseaudio pulseaudio-utils
  pipewire pipewire-pulse wireplumber  # the sound tests run on both sound servers
  libasound2-dev ladspa-sdk lsp-plugins-ladspa  # the headset's equaliser plugin
  rubberband-ladspa libmysofa-dev  # the voice changer's pitch shifter; the measured HRTF set (libmysofa1)
  fonts-noto-cjk  # the Chinese interface's glyphs, which the layout tests measure
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The RGB server's test client (openrgb-sdk, pinned by tests/rgb/package-lock.json) runs on Node.js. A
# Node.js installed from elsewhere brings its own npm (and conflicts with Debian's): it is used as it is.
if ! command -v node > /dev/null || ! command -v npm > /dev/null; then
  missing+=(nodejs npm)
fi

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
