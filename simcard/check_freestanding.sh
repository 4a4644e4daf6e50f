#!/bin/sh
# check_freestanding.sh CC SOURCE OBJECT
# The card model goes into a kernel driver that links nothing but ntoskrnl:
# compiled as the driver compiles it, it must need no symbol from outside.
set -eu
cc=$1 source=$2 object=$3
# gcc needs telling not to turn loops into library calls; clang has no such flag.
no_patterns=-fno-tree-loop-distribute-patterns
"$cc" --version | grep -qi clang && no_patterns=
for level in -O0 -O2 -O3 -Os; do
    "$cc" -std=c99 "$level" -ffreestanding -fno-builtin $no_patterns -c "$source" -o "$object"
    undefined=$(nm -u "$object")
    if [ -n "$undefined" ]; then
        echo "simcard.c at $level needs: $undefined"
        echo "0 passed, 1 failed"
        exit 1
    fi
done
echo "1 passed, 0 failed"
