#!/bin/bash
# Checks the layout of the sources, as a newcomer relies on it:
#  - every include in src/ names its own folder or one on a floor below
#    (the floors, lowest first: math; core; gfx, audio; particles, slides,
#    text; platform; record; show, which holds the programs' entries);
#  - no two sources need each other, directly or round a longer circle
#    (a header and its .cpp count as one);
#  - no file in src/ or benchmarks/ is over 450 lines, and no function in
#    src/, benchmarks/ or tools/ over 100.
# Run from anywhere; prints each breach and exits 1 if there is any.
set -u
cd "$(dirname "$0")/.."
breaches=0
breach() {
    echo "layout: $*"
    breaches=$((breaches + 1))
}

floor() {
    case $1 in
    math) echo 1 ;;
    core) echo 2 ;;
    gfx | audio) echo 3 ;;
    particles | slides | text) echo 4 ;;
    platform) echo 5 ;;
    record) echo 6 ;;
    show) echo 7 ;;
    *) echo 0 ;;
    esac
}

edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
    rel=${file#src/}
    folder=${rel%%/*}
    own=$(floor "$folder")
    [ "$own" -gt 0 ] || breach "$file: src/$folder is not one of the floors"
    while IFS= read -r target; do
        [ -e "src/$target" ] || continue # a system or generated header
        tfolder=${target%%/*}
        tfloor=$(floor "$tfolder")
        if [ "$tfolder" != "$folder" ] && [ "$tfloor" -ge "$own" ]; then
            breach "$file includes $target: src/$tfolder is not below src/$folder"
        fi
        from=${rel%.*}
        to=${target%.*}
        [ "$from" = "$to" ] || echo "$from $to" >>"$edges"
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

# tsort names the members of any circle it meets on its standard error.
loops=$(tsort <"$edges" 2>&1 >/dev/null | grep -v 'input contains a loop' | sed 's/^tsort: /  /' | sort -u)
[ -z "$loops" ] || breach "sources that need each other, round a circle through:
$loops"

while IFS= read -r file; do
    lines=$(wc -l <"$file")
    [ "$lines" -le 450 ] || breach "$file: $lines lines (at most 450)"
done < <(find src benchmarks -name '*.h' -o -name '*.cpp' | sort)

if command -v ctags-universal >/dev/null || ctags --version 2>/dev/null | grep -q Universal; then
    ctags=$(command -v ctags-universal || command -v ctags)
    while read -r length where name; do
        [ "$length" -le 100 ] || breach "$where: $name is $length lines (at most 100)"
    done < <("$ctags" -R --languages=C++ --c++-kinds=f --fields=+ne -f - src benchmarks tools |
        awk -F'\t' '{ s = e = ""; for (i = 4; i <= NF; i++) { if ($i ~ /^line:/) s = substr($i, 6); if ($i ~ /^end:/) e = substr($i, 5) }
                      if (s != "" && e != "") print e - s + 1, $2 ":" s, $1 }')
else
    breach "Universal Ctags is needed to measure functions (scripts/setup.sh test installs it)"
fi

[ "$breaches" -eq 0 ] || {
    echo "layout: $breaches breach(es)"
    exit 1
}
echo "layout: every include points down, no circles, files and functions within their lengths"
