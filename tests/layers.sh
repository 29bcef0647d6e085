#!/bin/sh
# Fails when a source folder includes a folder above it. Lower folders come
# first; a folder includes only its own and those before it. Keep in step
# with README.md's Layout paragraph.
order="model docfile cover/photos print check/delivery ui app"
src="$1/src"
rank() {
    r=0
    for level in $order; do
        case "/$level/" in *"/$1/"*) echo $r; return ;; esac
        r=$((r + 1))
    done
    echo unknown
}
bad=0
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    own=$(rank "$folder")
    if [ "$own" = unknown ]; then
        echo "$folder: not in the order of folders"; bad=1; continue
    fi
    for line in $(grep -Ho '#include "[a-z]*/' "$dir"*.h "$dir"*.cpp 2>/dev/null | sed 's|#include "||;s|/$||'); do
        file=${line%%:*}
        target=${line##*:}
        [ "$target" = "$folder" ] && continue
        other=$(rank "$target")
        if [ "$other" = unknown ] || [ "$other" -ge "$own" ]; then
            echo "${file#$1/}: $folder must not include $target/"; bad=1
        fi
    done
done
exit $bad
