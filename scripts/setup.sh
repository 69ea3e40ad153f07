#!/usr/bin/env bash
# Shared set-up of run.sh and test.sh: installs the Debian packages that are
# missing, then configures and builds into the given build folder.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake options...]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
shift

packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-translations-l10n libgl-dev
          googletest libgtest-dev xvfb xauth xclip desktop-file-utils lintian dpkg-dev file)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja "$@"
fi
cmake --build "$build"
