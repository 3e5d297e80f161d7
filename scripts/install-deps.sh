#!/usr/bin/env bash
# Installs every Debian package the project builds, tests, benchmarks and demos with.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git clang-format ccache
  # GUI toolkit, layouts, images, web view, OpenGL video widget
  qt6-base-dev qt6-tools-dev qt6-svg-dev qt6-webengine-dev libqt6opengl6-dev
  qt6-qpa-plugins qt6-image-formats-plugins libgl1-mesa-dri libglx-mesa0
  # network, data, digests
  libcurl4-openssl-dev libsqlite3-dev sqlite3 libtinyxml2-dev libjsoncpp-dev libssl-dev
  # engines behind our two plugins
  libaria2-0-dev libmpv-dev
  # reference site
  libcpp-httplib-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev ffmpeg mpv xvfb xauth imagemagick aria2 curl
  dbus-daemon
  # the journey test: input events from outside, and its driver
  xdotool python3
  # fuzzing of the parsers (scripts/fuzz.sh): clang and its libFuzzer runtime
  clang libclang-rt-14-dev
  # desktop integration and Chinese text
  shared-mime-info desktop-file-utils xdg-utils libglib2.0-bin fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
