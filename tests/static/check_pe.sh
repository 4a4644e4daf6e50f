#!/bin/bash
# Static checks of a release binary that cannot run here:
#   check_pe.sh [--version A.B.C.D] [--description TEXT] [--exact-exports]
#               [--entry-export NAME] FILE ALLOWED_IMPORTS [EXPORT ...]
# PE32 (i686), subsystem 4.0, imports only from system DLLs and only
# functions on the allow-list, the given exports spelled exactly (and, with
# --exact-exports, no other), a version resource whose file and product
# versions are A.B.C.D and whose FileDescription is TEXT, and, with
# --entry-export, an image entry point that is the export NAME itself.
set -u
version=
description=
entry_export=
exact=false
while [ $# -gt 0 ]; do
    case $1 in
    --version) version=$2; shift 2 ;;
    --description) description=$2; shift 2 ;;
    --entry-export) entry_export=$2; shift 2 ;;
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

if [ -n "$entry_export" ]; then
    # The export's index in the name table is its index in the address table.
    index=$(awk -v name="$entry_export" '/\[Ordinal\/Name Pointer\] Table/{t=1;next}
        t&&/^\t\[/&&$NF==name{line=$0; gsub(/[][]/," ",line); split(line,f," "); print f[1]; exit}' \
        <<<"$headers")
    rva=$(awk -v i="$index" '/Export RVA/{line=$0; gsub(/[][+]/," ",line); split(line,f," ");
        if (f[1]==i) {print f[4]; exit}}' <<<"$headers")
    entry=$(awk '/^AddressOfEntryPoint/{print $2}' <<<"$headers")
    if [ -z "$index" ] || [ -z "$rva" ]; then
        say "has no export $entry_export to be its entry point"
        fail=1
    elif [ $((16#$entry)) != $((16#$rva)) ]; then
        say "entry point $entry is not $entry_export ($rva)"
        fail=1
    fi
fi

# The whole file as one line of hex bytes, for the resource checks.
bytes=$(od -An -tx1 -v -w16777216 "$file")

if [ -n "$version" ]; then
    # VS_FIXEDFILEINFO: signature, structure version, then file and product
    # version, each as two little-endian dwords (A.B and C.D).
    IFS=. read -r a b c d <<<"$version"
    word() { printf '%02x %02x' $(($1 & 255)) $(($1 >> 8)); }
    pair="$(word "$b") $(word "$a") $(word "$d") $(word "$c")"
    fixed="bd 04 ef fe 00 00 01 00 $pair $pair"
    if ! grep -q "$fixed" <<<"$bytes"; then
        say "has no version resource for $version"
        fail=1
    fi
fi

if [ -n "$description" ]; then
    # A String of the version resource: its key in UTF-16, zero, padding to
    # a 32-bit boundary, then the value in UTF-16 and its zero.
    utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v -w16777216; }
    if ! grep -Eq "$(utf16 FileDescription)( 00 00){1,2}$(utf16 "$description") 00 00" <<<"$bytes"; then
        say "has no FileDescription \"$description\" in its version resource"
        fail=1
    fi
fi

[ $fail = 0 ] && say "PE32, subsystem 4.0, $(wc -l <<<"$imports") reviewed imports"
exit $fail
