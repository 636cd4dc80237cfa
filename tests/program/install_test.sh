#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed program.
set -euo pipefail
build_dir=$1
version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
for file in share/applications/tarnwick-uploader.desktop \
    share/icons/hicolor/scalable/apps/tarnwick-uploader.svg \
    share/doc/tarnwick-uploader/copyright share/doc/tarnwick-uploader/changelog.gz; do
    [ -e "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
# Every program answers --help and has a man page whose SEE ALSO names installed pages.
for program in tarnwick-uploader tarnwick-receiver-sim tarnwick-sample-image; do
    "$prefix/bin/$program" --help >/dev/null || { echo "$program --help failed"; exit 1; }
    page=$prefix/share/man/man1/$program.1.gz
    [ -e "$page" ] || { echo "no man page: $program"; exit 1; }
    for ref in $(zcat "$page" | sed -n '/^\.SH SEE ALSO/,$p' | awk '$1 == ".BR" { print $2 "." substr($3, 2, 1) }'); do
        [ -e "$prefix/share/man/man${ref##*.}/$ref.gz" ] || { echo "$program(1) refers to $ref"; exit 1; }
    done
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
