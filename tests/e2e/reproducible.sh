# The packages are reproducible: `make package` run twice on the same sources,
# in two folders of different names, under different time zones, locales and
# umasks, gives byte-identical .deb files. Dates come from
# SOURCE_DATE_EPOCH (the last commit's, as `make package` takes it in a
# checkout), so the two builds are of one commit, as two fresh clones are.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
for tool in dpkg-deb dh git; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run 'bash scripts/setup.sh package'"
done
epoch=$(git -C "$E2E_REPO" log -1 --format=%ct 2>/dev/null) || epoch=""
[ -n "$epoch" ] || epoch=$(dpkg-parsechangelog -l "$E2E_REPO/debian/changelog" -STimestamp)
export SOURCE_DATE_EPOCH=$epoch

# Tracked and new files, without what .gitignore leaves out (builds, data, out).
copy_tree() {
    mkdir -p "$1"
    (cd "$E2E_REPO" && git ls-files -z -co --exclude-standard |
        xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
        tar --null -T - -cf -) | tar -C "$1" -xf - || fail "cannot copy the source tree to $1"
}

build() {
    local dir=$1 tag=$2
    shift 2
    note "building in ${dir#"$S"/} ($*)"
    (cd "$dir" && env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS "$@" make package) >"$S/$tag.log" 2>&1 ||
        { tail -30 "$S/$tag.log" >&2; fail "make package failed in $dir"; }
}

A=$S/a
B=$S/second-tree-with-a-longer-name
copy_tree "$A"
copy_tree "$B"
build "$A" a TZ=UTC LC_ALL=C.UTF-8 bash -c 'umask 022; exec "$0" "$@"'
build "$B" b TZ=Pacific/Kiritimati LC_ALL=C bash -c 'umask 002; exec "$0" "$@"'

n=0
for deb in "$A"/out/*.deb; do
    name=$(basename "$deb")
    other=$B/out/$name
    [ -f "$other" ] || fail "the second build made no $name"
    a=$(sha256sum <"$deb" | cut -d' ' -f1)
    b=$(sha256sum <"$other" | cut -d' ' -f1)
    if [ "$a" != "$b" ]; then
        # Name the files that differ, to say where to look.
        mkdir -p "$S/x/a" "$S/x/b"
        dpkg-deb -R "$deb" "$S/x/a/$name" && dpkg-deb -R "$other" "$S/x/b/$name"
        diff -rq "$S/x/a/$name" "$S/x/b/$name" >&2
        fail "$name differs between the two builds: $a and $b"
    fi
    note "$name: $a in both"
    n=$((n + 1))
done
[ "$n" -ge 2 ] || fail "only $n packages were built"
[ "$(ls "$B"/out/*.deb | wc -l)" -eq "$n" ] || fail "the builds made different sets of packages"
exit 0
