#!/usr/bin/env bash
# Builds Tobrin (installing what is missing) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOBRIN_TESTS=OFF
exec "$root/build/src/tobrin" "$@"
