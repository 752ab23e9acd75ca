#!/usr/bin/env bash
# Writes the seeds of the fuzz targets into a directory: every file set of examples/ and of
# tests/data/ as it is, each cut into one input as fuzz/file_set_input.h describes (the files
# separated by a line "%%": node, element and side file, then optionally a second set and the
# bytes of an extra paint), and a few of them read one after the other, plainly and with
# extra paints. The inputs of past findings stay in fuzz/corpus, which the fuzzers read besides.
#
#   fuzz/make-seeds.sh <out-dir>
set -euo pipefail

if (($# != 1)); then
    echo "usage: $0 <out-dir>" >&2
    exit 2
fi
out=$1
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"

# seed <name> <base path>...: the file sets on disk, then the bytes of the standard input. A
# missing file ends the input there, so that it is missing to the reader too.
seed() {
    local name=$1
    shift
    {
        local first=1
        for base in "$@"; do
            for ext in n e s; do
                [[ -f "$base.$ext" ]] || break 2
                ((first)) || printf '\n%%%%\n'
                first=0
                cat "$base.$ext"
            done
        done
        cat
    } >"$out/$name"
}

for base in "$root"/examples/*.n; do
    seed "example-$(basename "$base" .n)" "${base%.n}" </dev/null
done
for dir in "$root"/tests/data/*/; do
    seed "data-$(basename "$dir")" "$dir/mesh" </dev/null
done
plate=$root/examples/plate
channel=$root/examples/channel
square=$root/tests/data/square/mesh
seed example-plate-then-channel "$plate" "$channel" </dev/null

# Extra paints after the two sets: the rectangle (10, 20)-(512, 384) and text height 13; then
# also the clip box (0, 0)-(200, 150) and digit widths of 6 to 9 pixels; then also read sizes
# 1, 2 and 3.
rect='\x0a\x00\x00\x00\x14\x00\x00\x00\x00\x02\x00\x00\x80\x01\x00\x00\x0d\x00\x00\x00'
clip='\x00\x00\x00\x00\x00\x00\x00\x00\xc8\x00\x00\x00\x96\x00\x00\x00'
widths='\x08\x06\x08\x08\x09\x08\x08\x07\x08\x08'
printf "\n%%%%\n$rect" | seed square-in-a-rectangle "$square" "$square"
printf "\n%%%%\n$rect$clip$widths\x01\x02\x03" | seed square-clipped-with-widths "$square" "$square"
printf "\n%%%%\n$rect$clip$widths" | seed example-channel-then-plate-clipped "$channel" "$plate"
