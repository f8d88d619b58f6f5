#!/bin/bash
# Checks that the README and docs/ still tell the truth about the tree:
#  - every relative link ([text](path), ![alt](path)) names a file or folder
#    that exists, and a #heading in it that exists (GitHub's anchors);
#  - every path into the repository's own folders that they name, in prose
#    or in a command (src/..., tests/..., docs/..., and so on), exists;
#  - every `make TARGET` they name, in code, is a target of the Makefile.
# Generated places (build/, out/, data/) are not checked.
#   docs_check.sh [ROOT]   (ROOT: the repository, by default the one around this script)
# Prints each breach and exits 1 if there is any.
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
breaches=0
breach() {
    echo "docs: $*"
    breaches=$((breaches + 1))
}

# GitHub's anchor for each heading of a Markdown file, one a line.
anchors() {
    sed -n 's/^#\{1,6\}[[:space:]]\{1,\}//p' "$1" |
        tr '[:upper:]' '[:lower:]' | sed 's/[^a-z0-9 _-]//g; s/ /-/g'
}

# The folders of the repository whose paths are checked.
folders='src|tests|docs|web|tools|dist|debian|cmake|scripts|benchmarks|\.ci'
targets=$(sed -n 's/^\([A-Za-z0-9_-]\{1,\}\):\([^=]\|$\).*/\1/p' Makefile)

docs=(README.md)
while IFS= read -r f; do docs+=("$f"); done < <(find docs -name '*.md' | sort)

for doc in "${docs[@]}"; do
    [ -f "$doc" ] || { breach "$doc is missing"; continue; }
    here=$(dirname "$doc")

    # Links, with any title after the target left out.
    while IFS= read -r target; do
        case $target in
        http://* | https://* | mailto:*) continue ;;
        esac
        file=${target%%#*}
        anchor=
        [ "$file" = "$target" ] || anchor=${target#*#}
        if [ -z "$file" ]; then
            path=$doc
        else
            path=$file
            [ "$here" = . ] || path=$here/$file
            [ -e "$path" ] || { breach "$doc links to $target: no such file"; continue; }
        fi
        if [ -n "$anchor" ] && [ -f "$path" ] && ! anchors "$path" | grep -qxF -- "$anchor"; then
            breach "$doc links to $target: no heading #$anchor in $path"
        fi
    done < <(grep -o '\]([^) ]*' "$doc" | sed 's/^](//')

    # Paths into the repository's folders, wherever they are named (links are
    # checked above).
    while IFS= read -r path; do
        path=${path%[.,:;]}
        [ -e "$path" ] && continue
        # A pattern such as src/platform/x_dialog*: at least one file matches.
        case $path in *'*'*) compgen -G "$path" >/dev/null && continue ;; esac
        breach "$doc names $path: no such file"
    done < <(grep -oE "(^|[[:space:]\`\"'])($folders)/[A-Za-z0-9_./*-]*" "$doc" |
        sed -E "s/^[[:space:]\`\"']//" | sort -u)

    # make targets, in code spans and in code blocks (indented or fenced).
    while IFS= read -r target; do
        grep -qxF -- "$target" <<<"$targets" || breach "$doc names \`make $target\`: the Makefile has no such target"
    done < <({
        grep -o '`[^`]*`' "$doc"
        grep -E '^(    |\t)' "$doc"
        awk '/^```/ { inside = !inside; next } inside' "$doc"
    } | grep -oE '(^|[^[:alnum:]_$-])make( +[A-Z_]+=[^ ]*)* +[a-z][a-z0-9-]*' |
        sed -E 's/.*make( +[A-Z_]+=[^ ]*)* +//' | sort -u)
done

[ "$breaches" -eq 0 ] || {
    echo "docs: $breaches breach(es)"
    exit 1
}
echo "docs: ${#docs[@]} files, every link, path and make target they name exists"
