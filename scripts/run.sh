#!/usr/bin/env bash
# Installs what is missing, builds Ombrel and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OMBREL_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target ombrel -j "$(nproc)"
exec "$build/app/ombrel" "$@"
