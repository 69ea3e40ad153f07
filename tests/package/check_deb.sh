#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree and checks what a user
# gets: the files and their places, dependencies found from the linked libraries,
# desktop entries that validate, no lintian errors. Exits 77 (skipped) when the
# packaging tools are not installed.
# Usage: check_deb.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
debs=("$work"/tobrin_*_amd64.deb)
[ -f "${debs[0]}" ] || { echo "no tobrin_<version>_amd64.deb in:"; ls "$work"; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb")"

fail=0
contents=$(dpkg-deb -c "$deb" | awk '{print $1, $NF}')
for expected in \
    "-rwxr-xr-x ./usr/bin/tobrin" \
    "-rw-r--r-- ./usr/lib/tobrin/tobrin-window.so" \
    "-rw-r--r-- ./usr/share/applications/tobrin.desktop" \
    "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/tobrin.svg" \
    "-rw-r--r-- ./usr/share/man/man1/tobrin.1.gz" \
    "-rw-r--r-- ./usr/share/doc/tobrin/tobrin.html" \
    "-rw-r--r-- ./usr/share/doc/tobrin/copyright" \
    "-rw-r--r-- ./usr/share/doc/tobrin/changelog.gz"; do
    grep -qxF -- "$expected" <<<"$contents" || { echo "missing: $expected"; fail=1; }
done
# Nothing else but directories: no build products, no tests.
extra=$(grep -v '^d' <<<"$contents" | grep -vE ' \./usr/(bin/tobrin|lib/tobrin/tobrin-window\.so|share/(applications/tobrin\.desktop|icons/hicolor/scalable/apps/tobrin\.svg|man/man1/tobrin\.1\.gz|doc/tobrin/(tobrin\.html|copyright|changelog\.gz)))$' || true)
[ -z "$extra" ] || { echo "unexpected files:"; echo "$extra"; fail=1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 qt6-qpa-plugins; do
    grep -qE "(^|, )$lib( |,|$)" <<<"$depends" || { echo "Depends lacks $lib"; fail=1; }
done

description=$(dpkg-deb -f "$deb" Description)
grep -q '^ ;' <<<"$description" && { echo "Description lines begin with ';':"; echo "$description"; fail=1; }

dpkg-deb -x "$deb" "$work/root"

# The installed program finds its window's module: the command line answers, and
# without arguments the window comes up and keeps running until it is stopped.
home="$work/home"
mkdir -p "$home" && chmod 700 "$home"
"$work/root/usr/bin/tobrin" --version | grep -q '^Tobrin ' || { echo "tobrin --version fails"; fail=1; }
rc=0
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
    timeout 5 "$work/root/usr/bin/tobrin" >"$work/window.log" 2>&1 || rc=$?
[ "$rc" = 124 ] || { echo "the installed window did not start (exit $rc):"; cat "$work/window.log"; fail=1; }
desktop-file-validate "$work/root/usr/share/applications/tobrin.desktop" || fail=1

if command -v lintian >/dev/null; then
    # Errors only; warnings and notes are shown but do not fail.
    lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
    cat "$work/lintian.log"
    if grep -q '^E: ' "$work/lintian.log"; then fail=1; fi
else
    echo "lintian is not installed: its check is left out"
fi
exit $fail
