#!/bin/bash
# Static checks of a release binary that cannot run here:
#   check_pe.sh [--version A.B.C.D] [--exact-exports] FILE ALLOWED_IMPORTS [EXPORT ...]
# PE32 (i686), subsystem 4.0, imports only from system DLLs and only
# functions on the allow-list, the given exports spelled exactly (and, with
# --exact-exports, no other), and a version resource whose file and product
# versions are A.B.C.D.
set -u
version=
exact=false
while [ $# -gt 0 ]; do
    case $1 in
    --version) version=$2; shift 2 ;;
    --exact-exports) exact=true; shift ;;
    *) break ;;
    esac
done
file=$1
allowed=$2
shift 2
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
fail=0
say() { echo "$(basename "$file"): $*"; }

headers=$("$objdump" -p "$file") || { say "cannot read"; exit 1; }

grep -q 'file format pei-i386' <<<"$headers" || { say "not a PE32 i386 image"; fail=1; }
major=$(awk '/^MajorSubsystemVersion/{print $2}' <<<"$headers")
minor=$(awk '/^MinorSubsystemVersion/{print $2}' <<<"$headers")
[ "$major.$minor" = "4.0" ] || { say "subsystem version $major.$minor, expected 4.0"; fail=1; }

system_dlls="ADVAPI32.DLL KERNEL32.DLL USER32.DLL GDI32.DLL COMCTL32.DLL SHELL32.DLL MSVCRT.DLL SETUPAPI.DLL"
imports=$(awk '/DLL Name:/{dll=toupper($3)} /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/{print dll, $3}' <<<"$headers" | sort -u)
for dll in $(awk '/DLL Name:/{print toupper($3)}' <<<"$headers" | sort -u); do
    case " $system_dlls " in
    *" $dll "*) ;;
    *) say "imports from $dll, which is not a system DLL"; fail=1 ;;
    esac
done
while read -r dll fn; do
    [ -n "$dll" ] || continue
    if ! grep -qx "$dll $fn" <(grep -v '^#' "$allowed"); then
        say "imports $dll $fn, which is not on the reviewed list $(basename "$allowed")"
        fail=1
    fi
done <<<"$imports"

exported=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^\t\[/{print $NF}' <<<"$headers")
for export in "$@"; do
    if ! grep -qx -- "$export" <<<"$exported"; then
        say "does not export $export"
        fail=1
    fi
done
if $exact; then
    while read -r name; do
        [ -n "$name" ] || continue
        case " $* " in
        *" $name "*) ;;
        *) say "exports $name, which is not one of: $*"; fail=1 ;;
        esac
    done <<<"$exported"
fi

if [ -n "$version" ]; then
    # VS_FIXEDFILEINFO: signature, structure version, then file and product
    # version, each as two little-endian dwords (A.B and C.D).
    IFS=. read -r a b c d <<<"$version"
    word() { printf '%02x %02x' $(($1 & 255)) $(($1 >> 8)); }
    pair="$(word "$b") $(word "$a") $(word "$d") $(word "$c")"
    fixed="bd 04 ef fe 00 00 01 00 $pair $pair"
    if ! od -An -tx1 -v -w16777216 "$file" | grep -q "$fixed"; then
        say "has no version resource for $version"
        fail=1
    fi
fi

[ $fail = 0 ] && say "PE32, subsystem 4.0, $(wc -l <<<"$imports") reviewed imports"
exit $fail
