#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# Idempotent: refreshes the package lists and installs only when something is missing.
set -euo pipefail

PACKAGES=(
  # build tools
  cmake ninja-build g++ pkg-config
  # FFmpeg 5.1 (headers; the libraries are loaded at run time)
  libavcodec-dev libavformat-dev libavfilter-dev libavutil-dev libswscale-dev libswresample-dev
  # audio, text, images, compression, X11
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-wqy-microhei fonts-noto-cjk
  libjpeg-dev libpng-dev libgif-dev zlib1g-dev libx11-dev libxext-dev libxrandr-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg xvfb xauth xdotool
  # display tests and screenshots: window manager, compositor, clipboard, capture
  openbox xcompmgr xclip imagemagick x11-utils
  # notification area: a system tray for the display tests; the desktop
  # notification library the balloons are shown through (loaded at run time)
  trayer libnotify-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup.sh: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
echo "setup.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
