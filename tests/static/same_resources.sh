#!/bin/bash
# same_resources.sh RC INCLUDE_DIR... : the applet's resources as the i686
# release and its x86_64 twin compile them are the same: every dialog
# template, string and icon, compared in their decompiled form.
set -euo pipefail
rc=$1
shift
includes=()
for dir in "$@"; do includes+=(-I "$dir"); done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for arch in i686 x86_64; do
    "$arch-w64-mingw32-windres" "${includes[@]}" "$rc" -O coff -o "$work/$arch.o"
    "$arch-w64-mingw32-windres" -i "$work/$arch.o" -O rc -o "$work/$arch.rc"
done
if ! diff -q "$work/i686.rc" "$work/x86_64.rc" >/dev/null; then
    echo "the i686 and x86_64 builds of $(basename "$rc") differ:"
    diff "$work/i686.rc" "$work/x86_64.rc" | head -20
    exit 1
fi
echo "$(grep -c '^[0-9A-Z_]* DIALOG' "$work/i686.rc" || true) dialogs, $(grep -c '^  [0-9]*,' "$work/i686.rc" || true) strings: the same in both builds"
