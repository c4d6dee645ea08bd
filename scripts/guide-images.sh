#!/usr/bin/env bash
# guide-images.sh GUIDE DIR [SOURCE_ROOT]: every picture the user guide shows
# (![...](images/<program>-<shot>.png)) must be in DIR. With SOURCE_ROOT,
# each must also be a shot the program's demo tour takes, so that the next
# `make demo` refreshes it. Lists what is missing and fails when anything is.
set -euo pipefail
guide="$1"
dir="$2"
sources="${3:-}"
names="$(grep -oE '\]\(images/[^)]+\.png\)' "$guide" | sed -E 's/^\]\(images\///; s/\)$//' | sort -u)"
[ -n "$names" ] || { echo "guide-images: $guide shows no pictures" >&2; exit 1; }
missing=0
for n in $names; do
    if [ ! -s "$dir/$n" ]; then
        echo "guide-images: $dir/$n is missing" >&2
        missing=$((missing + 1))
    fi
    if [ -n "$sources" ]; then
        program="${n%%-*}"
        shot="${n#*-}"
        shot="${shot%.png}"
        case "$program" in
        wren) tour="$sources/wren/ui/WrenTour.cpp" ;;
        kestrel) tour="$sources/kestrel/ui/DemoTour.cpp" ;;
        merlin) tour="$sources/merlin/ui/MerlinDemoTour.cpp" ;;
        *) tour="" ;;
        esac
        if [ -z "$tour" ] || ! grep -qF "\"$shot\"" "$tour"; then
            echo "guide-images: no demo tour takes $n" >&2
            missing=$((missing + 1))
        fi
    fi
done
[ "$missing" -eq 0 ] || exit 1
echo "guide-images: all $(wc -w <<<"$names") pictures of the guide are in $dir"
