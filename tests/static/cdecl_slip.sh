#!/bin/bash
# cdecl_slip.sh CXX DEF [ENTRY...]: a library one of whose entries slipped to
# cdecl must not link as the release links (the .def names each entry's
# decorated symbol, CPlApplet@16 and friends, and the stdcall fix-up is off);
# the same entries all stdcall must. Each ENTRY is "RESULT NAME(PARAMETERS)";
# without any, the applet's three.
set -u
cxx=$1
def=$2
shift 2
entries=("$@")
[ ${#entries[@]} -gt 0 ] || entries=(
    "LONG CPlApplet(HWND, UINT, LPARAM, LPARAM)"
    "DWORD TarvoConfigure(DWORD, const void*, const char**)"
    "DWORD CMConfigure(DWORD)")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# write NAME SLIPPED: every entry stdcall but the one numbered SLIPPED (-1: none).
write() {
    {
        echo '#include <windows.h>'
        echo 'extern "C" {'
        local i convention
        for i in "${!entries[@]}"; do
            convention=WINAPI
            [ "$i" != "$2" ] || convention=__cdecl
            echo "${entries[$i]%% *} $convention ${entries[$i]#* } { return 0; }"
        done
        echo '}'
    } >"$work/$1.cpp"
}
link() { "$cxx" -shared -o "$work/$1.dll" "$work/$1.cpp" "$def" -Wl,--disable-stdcall-fixup >"$work/$1.log" 2>&1; }
write stdcall -1
link stdcall || { echo "the stdcall entries do not link:"; cat "$work/stdcall.log"; exit 1; }
for i in "${!entries[@]}"; do
    write "cdecl$i" "$i"
    if link "cdecl$i"; then
        echo "${entries[$i]} as cdecl linked against $(basename "$def"): a cdecl slip would reach a 32-bit caller"
        exit 1
    fi
done
echo "each entry as cdecl refused (${#entries[@]}), the stdcall entries linked"
