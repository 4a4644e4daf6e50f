#!/bin/bash
# check_format.sh ROOT [FILE...]
# Every C and C++ source of the tree at ROOT (or each FILE given) must be as
# clang-format writes it with ROOT/.clang-format. Lists what is not, with the
# first lines that differ, and fails.
set -u
root=$1
shift
style=$root/.clang-format
[ -f "$style" ] || { echo "no $style"; exit 1; }
clang_format=${CLANG_FORMAT:-clang-format}
if [ $# -eq 0 ]; then
    if [ -d "$root/.git" ]; then
        mapfile -t files < <(git -C "$root" ls-files '*.c' '*.cpp' '*.h' | sed "s|^|$root/|")
    else
        mapfile -t files < <(find "$root" \( -path "$root/build" -o -path "$root/dist" -o -path "$root/.git" \) -prune \
                                 -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sort)
    fi
else
    files=("$@")
fi
[ ${#files[@]} -gt 0 ] || { echo "no sources found under $root"; exit 1; }
fail=0
for file in "${files[@]}"; do
    formatted=$("$clang_format" --style="file:$style" "$file") || { echo "$file: clang-format failed"; fail=1; continue; }
    if ! diff -q "$file" <(printf '%s\n' "$formatted") >/dev/null; then
        echo "$file: not formatted (clang-format -i --style=file:.clang-format $file)"
        diff "$file" <(printf '%s\n' "$formatted") | head -6 | sed 's/^/    /'
        fail=1
    fi
done
[ $fail = 0 ] && echo "${#files[@]} files formatted"
exit $fail
