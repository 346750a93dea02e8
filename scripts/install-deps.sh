#!/usr/bin/env bash
# Installs the Debian packages Ombrel needs to build and run; with --package also those that build
# its Debian package, with --tests also those the tests, benchmarks and checks need (the package
# check among them). Only the missing ones. Runs apt-get as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    qt6-multimedia-dev qt6-translations-l10n
    libxlsxwriter-dev
    # The live results; Debian's HTTP server module finds itself only beside the WebSockets module.
    qt6-httpserver-dev qt6-websockets-dev qtkeychain-qt6-dev libqrencode-dev
    fonts-liberation fonts-dejavu-core
    xdg-utils
)
packaging=(dpkg-dev file)
for option in "$@"; do
    case "$option" in
        --package) packages+=("${packaging[@]}") ;;
        --tests)
            packages+=(
                libgtest-dev libgmock-dev libbenchmark-dev
                qt6-base-private-dev
                clang-format clang-tidy
                unzip poppler-utils cups
                nginx
                "${packaging[@]}" desktop-file-utils lintian
            )
            ;;
        *) echo "usage: $0 [--package] [--tests]" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "Please install as root: apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
