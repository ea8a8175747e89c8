#!/usr/bin/env bash
# Renders every byte stream the project keeps (docs/examples, the library
# streams under tests/data, and any folders given, such as a fuzz corpus)
# through the built-in printer of one build: for each stream its receipts
# (PNG) and its --decode log, in a folder of their own. Two builds' folders
# compare with `diff -r`. PAPER=58 prints them on 58 mm paper.
#
#   [PAPER=58] tools/render-streams.sh BUILD_DIR OUT_DIR [STREAM_DIR...]
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 BUILD_DIR OUT_DIR [STREAM_DIR...]" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=$2
shift 2
run="$build/marlix-run"
[ -x "$run" ] || { echo "$run: not built" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The run reads the window's saved settings: give it none of the user's.
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
export XDG_CONFIG_HOME="$settings" QT_QPA_PLATFORM=offscreen

render() { # FILE NAME
    local dir="$out/$2"
    rm -rf "$dir"
    mkdir -p "$dir"
    # The log's lines name the folder: the same for every build.
    (cd "$dir" && "$run" -p virtual --no-transcript ${PAPER:+--paper "$PAPER"} --receipts . --decode "$1" >stdout.txt 2>decode.log) \
        || echo "exit $?" >"$dir/exit.txt"
}

streams=("$root/docs/examples" "$root/tests/data/library-streams" "$@")
count=0
for folder in "${streams[@]}"; do
    [ -d "$folder" ] || { echo "$folder: no such folder" >&2; exit 2; }
    while IFS= read -r -d '' file; do
        case "$file" in *.md|*.txt) continue ;; esac
        name=$(basename "$folder")/${file#"$folder"/}
        render "$file" "${name//\//_}"
        count=$((count + 1))
    done < <(find "$folder" -type f -print0 | sort -z)
done
echo "$count streams rendered into $out"
