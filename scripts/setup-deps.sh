#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the main job need, when any is missing.
# Used the same way on a fresh machine, in CI and by a newcomer. Safe to run again.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-multimedia-dev libgl-dev
  libpugixml-dev libcurl4-openssl-dev libcpp-httplib-dev libssl-dev libsqlite3-dev libboost1.81-dev
  nettle-dev libminizip-dev zlib1g-dev libvips-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei xvfb xauth curl
  dbus gstreamer1.0-plugins-base gstreamer1.0-plugins-good
)
# Extra sets, asked for by scripts that need them ("bench", "fuzz", "docs": the screenshot capture).
for extra in "$@"; do
  case "$extra" in
    bench) packages+=(nginx-light curl libvips-tools imagemagick graphicsmagick libarchive-tools) ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    docs) packages+=(imagemagick xdotool) ;;
    *) echo "setup-deps: unknown extra set '$extra'" >&2; exit 2 ;;
  esac
done

# npm packages of the tus interoperability test (it skips without them).
interop="$(dirname "$0")/../tests/service/interop"
if command -v npm >/dev/null && [ ! -d "$interop/node_modules" ]; then
  bash "$(dirname "$0")/setup-npm.sh" >/dev/null || echo "setup-deps: npm packages not installed" >&2
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup-deps: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
