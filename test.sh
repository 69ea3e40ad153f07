#!/usr/bin/env bash
# Builds Tobrin with AddressSanitizer and UBSan (installing what is missing) and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=Debug -DTOBRIN_SANITIZE=ON
cd "$root/build-test"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1
ctest --output-on-failure -j2 "$@"
