#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
set -euo pipefail
# Fonts: the Chinese interface needs a CJK font that fontconfig can find. clang with its
# runtime libraries (the unversioned packages follow the distribution's default clang) builds
# the sanitizer build of the tests and the fuzz targets; lld links the programs quickly.
packages=(
  build-essential cmake ninja-build pkg-config git
  libcairo2-dev libpango1.0-dev libfontconfig-dev libsdl2-dev libplist-dev libpugixml-dev
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev fonts-wqy-microhei
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev lld
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
export DEBIAN_FRONTEND=noninteractive
# Another installation (an unattended upgrade, a second clone's run) may hold the package
# manager's lock: wait for it rather than fail.
wait_lock=(-o DPkg::Lock::Timeout=600)
$SUDO apt-get "${wait_lock[@]}" update -qq
$SUDO apt-get "${wait_lock[@]}" install -y -qq "${missing[@]}"
