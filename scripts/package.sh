#!/usr/bin/env bash
# Builds the Debian package build/ombrel_<version>_<arch>.deb for the laptop at the track
# (install it with: sudo apt install ./build/ombrel_*.deb). Installs what is missing first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OMBREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh" --package
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" --target ombrel -j "$(nproc)"
(cd "$build" && cpack -G DEB --config CPackConfig.cmake)
