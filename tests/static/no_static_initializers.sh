#!/bin/bash
# no_static_initializers.sh OBJDUMP FILE...: the objects (or archives) of a
# library that runs without the C runtime's start-up hold no static
# constructor, destructor or C initializer: nothing would ever run them, and
# an object left unconstructed fails only when it is used.
set -u
objdump=$1
shift
fail=0
for file in "$@"; do
    sections=$("$objdump" -h "$file") || { echo "$(basename "$file"): cannot read"; fail=1; continue; }
    found=$(awk '/file format/{member=$1; sub(/:$/,"",member)}
        $2 ~ /^\.(ctors|dtors)/ || $2 ~ /^\.CRT\$X[CIPT]/ {print member, $2}' <<<"$sections")
    if [ -n "$found" ]; then
        while read -r member section; do
            echo "$(basename "$file"): $member has $section, which nothing runs in this library"
        done <<<"$found"
        fail=1
    fi
done
[ $fail = 0 ] && echo "$# files without static initializers"
exit $fail
