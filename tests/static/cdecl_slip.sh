#!/bin/bash
# cdecl_slip.sh CXX DEF: an applet whose entries slipped to cdecl must not
# link as the release links (the .def names CPlApplet@16 and friends, the
# stdcall fix-up is off); the same entries as stdcall must.
set -u
cxx=$1
def=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
write() {
    cat >"$work/$1.cpp" <<SOURCE
#include <windows.h>
extern "C" {
LONG $2 CPlApplet(HWND, UINT, LPARAM, LPARAM) { return 0; }
DWORD $2 TarvoConfigure(DWORD, const void*, const char**) { return 0; }
DWORD $2 CMConfigure(DWORD) { return 0; }
}
SOURCE
}
write stdcall WINAPI
write cdecl __cdecl
link() { "$cxx" -shared -o "$work/$1.dll" "$work/$1.cpp" "$def" -Wl,--disable-stdcall-fixup >"$work/$1.log" 2>&1; }
link stdcall || { echo "the stdcall entries do not link:"; cat "$work/stdcall.log"; exit 1; }
if link cdecl; then
    echo "cdecl entries linked against $(basename "$def"): a cdecl slip would reach a 32-bit caller"
    exit 1
fi
echo "cdecl entries refused, stdcall entries linked"
