#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test
# (unit, GUI on the offscreen platform, and the source format check).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OMBREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh" --tests
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBREL_WERROR=ON \
    -DOMBREL_BUILD_TESTS=ON -DOMBREL_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
