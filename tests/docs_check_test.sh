#!/bin/bash
# docs_check.sh on a small tree of its own: it names each broken link, heading,
# path and make target, passes the sound ones, and exits 1; on the same tree
# with the faults mended it exits 0.
set -u
check=$(cd "$(dirname "$0")" && pwd)/docs_check.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/docs" "$tree/src/core"
touch "$tree/src/core/io.h"
printf 'run:\n\tdo\nweb: configure\n\tdo\nBUILD ?= build\n' >"$tree/Makefile"
cat >"$tree/docs/topic.md" <<'EOF'
# Topic
## The web page
Back to the [README](../README.md#two-commands), see `src/core/io.h`.
EOF
cat >"$tree/README.md" <<'EOF'
# Show
## Two commands
    make run     # fine
    make BUILD=b web
    make tset    # a typo
Read [the topic](docs/topic.md#the-web-page) and [this](#two-commands), not
[gone](docs/gone.md) nor [a heading](docs/topic.md#the-webpage). The seam is
`src/core/io.h`; the player is in src/audio/player.h. Go to `make rnu`, and
[the site](https://example.org/x.md).
EOF
failures=0
expect() { # expect WHAT PATTERN: the output names it
    grep -qF -- "$2" <<<"$out" || { echo "not named: $1 ($2)"; failures=$((failures + 1)); }
}
out=$(bash "$check" "$tree")
status=$?
echo "$out"
[ $status -eq 1 ] || { echo "exit status $status, expected 1"; failures=$((failures + 1)); }
expect "a missing file" "links to docs/gone.md: no such file"
expect "a missing heading" "no heading #the-webpage"
expect "a missing path" "names src/audio/player.h: no such file"
expect "an unknown target in a code block" "\`make tset\`"
expect "an unknown target in a code span" "\`make rnu\`"
[ "$(grep -c '^docs: README.md' <<<"$out")" -eq 5 ] || { echo "expected exactly 5 breaches in README.md"; failures=$((failures + 1)); }
! grep -q 'topic.md links\|topic.md names' <<<"$out" || { echo "a sound line of docs/topic.md was named"; failures=$((failures + 1)); }

cat >"$tree/README.md" <<'EOF'
# Show
## Two commands
    make run
    make BUILD=b web
Read [the topic](docs/topic.md#the-web-page) and [this](#two-commands). The
seam is `src/core/io.h`, in src/core/. Go to `make run`.
EOF
out=$(bash "$check" "$tree")
status=$?
[ $status -eq 0 ] || { echo "mended tree: exit status $status, expected 0"; echo "$out"; failures=$((failures + 1)); }
[ $failures -eq 0 ] || exit 1
echo "docs_check names every kind of breach and passes a sound tree"
