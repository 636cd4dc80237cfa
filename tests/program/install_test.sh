#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed program.
set -euo pipefail
build_dir=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in bin/tarnwick-uploader bin/tarnwick-receiver-sim bin/tarnwick-sample-image \
    share/man/man1/tarnwick-uploader.1.gz share/applications/tarnwick-uploader.desktop \
    share/icons/hicolor/scalable/apps/tarnwick-uploader.svg; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
out=$("$prefix/bin/tarnwick-uploader" --version)
[ "$out" = "tarnwick-uploader $version" ] || { echo "installed --version says: $out"; exit 1; }
if command -v man >/dev/null; then
    MANPATH="$prefix/share/man" MANWIDTH=80 man tarnwick-uploader 2>/dev/null | grep -q "TERMINAL FRONT END" ||
        { echo "the installed man page does not show"; exit 1; }
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/tarnwick-uploader.desktop"
fi
echo "installed and ran tarnwick-uploader $version"
