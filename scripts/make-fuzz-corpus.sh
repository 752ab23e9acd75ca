#!/usr/bin/env bash
# Writes the seed corpus of the fuzz targets into a directory: the bundled examples, the file
# sets under tests/data, small meshes from make_mesh, and every malformed case the unit tests
# know, each cut into one input as fuzz/file_set_input.h describes (files separated by a line
# "%%": node, element and side file, then optionally a second set and rectangle bytes).
#
#   scripts/make-fuzz-corpus.sh <out-dir> [<make_mesh>]
set -euo pipefail

if (($# < 1 || $# > 2)); then
    echo "usage: $0 <out-dir> [<make_mesh>]" >&2
    exit 2
fi
out=$1
make_mesh=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"

# seed <name> <part>...: the parts joined by separator lines. Parts go through printf %b, so
# "\0" and the like in them are the bytes they name.
seed() {
    local name=$1
    shift
    local first=1
    {
        for part in "$@"; do
            ((first)) || printf '\n%%%%\n'
            first=0
            printf '%b' "$part"
        done
    } >"$out/$name"
}

# file_seed <name> <base path> [<base path of a second set>]: a set of files on disk; a
# missing file ends the input there, so that it is missing to the reader too.
file_seed() {
    local name=$1
    shift
    local parts=()
    for base in "$@"; do
        for ext in n e s; do
            [[ -f "$base.$ext" ]] || break 2
            parts+=("$(cat "$base.$ext"; printf x)")
            parts[-1]=${parts[-1]%x}
        done
    done
    local first=1
    {
        for part in "${parts[@]}"; do
            ((first)) || printf '\n%%%%\n'
            first=0
            printf '%s' "$part"
        done
    } >"$out/$name"
}

# The bundled examples and the test data.
file_seed example-plate "$root/examples/plate"
file_seed example-channel "$root/examples/channel"
file_seed example-plate-then-channel "$root/examples/plate" "$root/examples/channel"
for dir in "$root"/tests/data/*/; do
    file_seed "data-$(basename "$dir")" "$dir/mesh"
done

# Small generated meshes in both numberings, one reaching into negative coordinates.
if [[ -n "$make_mesh" ]]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    "$make_mesh" "$work/a" 2 1 --base 0 >/dev/null
    "$make_mesh" "$work/b" 3 2 --base 1 --width 0.5 --height 0.25 --origin -1 -2 >/dev/null
    file_seed made-2x1-base0 "$work/a"
    file_seed made-3x2-base1-negative "$work/b"
    file_seed made-two-sets "$work/b" "$work/a"
fi

# The unit tests' cases. Two triangles on the unit square, numbered from 0.
sq_n='4\n0: 0.0 0.0 1\n1: 1.0 0.0 1\n2: 1.0 1.0 1\n3: 0.0 1.0 1\n'
sq_e='2\n0: 0 1 2 1 -1 -1 -1 -1 -1 0.66 0.33 0\n1: 0 2 3 -1 -1 0 -1 -1 -1 0.33 0.66 0\n'
sq_s='5\n0: 0 1 0 -1 1\n1: 1 2 0 -1 1\n2: 2 0 0 1 0\n3: 2 3 1 -1 1\n4: 3 0 1 -1 -1\n'
seed square "$sq_n" "$sq_e" "$sq_s"
for label in 1: 00: 0 0:x O: a; do
    seed "square-first-label-$label" "${sq_n/0:/$label}" "$sq_e" "$sq_s"
done
seed square-on-one-line "${sq_n//\\n/ }" "${sq_e//\\n/ }" "${sq_s//\\n/ }"
seed square-token-per-line "\t\r\n${sq_n// /\\n}" "\t\r\n${sq_e// /\\n}" "\t\r\n${sq_s// /\\n}"
seed later-labels-ignored '2\n1: 0 0 0\n0: 1 1 0\n' '0\n' '0\n' '2\n0: 0 0 0\nzz 1 1 0\n' '0\n' '0\n'
seed one-based '3\n1: 0 0 5\n2: 2 0 6\n3: 0 2 7\n' '1\n1: 1 2 3 9 9 9 9 9 9 0.5 0.25 4\n' \
    '3\n1: 1 2 1 0 -1\n2: 2 3 1 -1 0\n3: 3 1 -1 1 2\n'
seed saturated-indices '1\n1: 0 0 0\n' '1\n1: -9999999999 1 1 0 0 0 0 0 0 0 0 0\n' \
    '1\n1: 1 1 -9999999999 1 0\n'
seed indices-outside '1\n0: 0 0 0\n' '1\n0: 0 7 -3 0 0 0 0 0 0 0 0 0\n' '1\n0: 0 9 4 -7 0\n'
seed extents-first-mesh '1\n0: 3 -2 0\n' '0\n' '0\n'
seed extents-positive '2\n0: 5 7 0\n1: 9 8 0\n' '0\n' '0\n'
seed extents-widen-only '2\n0: -10 -20 0\n1: 100 200 0\n' '0\n' '0\n' \
    '2\n0: 1 1 0\n1: 150 2 0\n' '0\n' '0\n'
seed extents-nan '2\n0: nan 4 0\n1: 2 -nan 0\n' '0\n' '0\n'
seed short-files '3\n0: 1 2 3\n1: 4 5\n' '2\n0: 0 1 1\n' '4\n0: 0 1 0 -1 1\n'
seed missing-counts-keep-previous "$sq_n" "$sq_e" "$sq_s" "$sq_n" '' '  \n'
seed no-count-fresh 'x' '' ''
seed zero-counts-after-square "$sq_n" "$sq_e" "$sq_s" '0' '0' '0'
seed malformed-out-of-step '3\n0: 1.0 abc 7\n1: 2.0 3.0 4\n2: 5 6 7\n' '0' '0'
seed no-element-file '0'
seed no-side-file '0' '0'
seed negative-node-count '-1' '0' '0'
seed negative-side-count '0' '0' '-5 0: 0 0'
long_label=$(printf 'L%.0s' {1..80})
seed long-first-label "1 $long_label 0 0 0" '0' '0'
seed long-later-label '0' "2 0: 1 1 1 0 0 0 0 0 0 0 0 0 $long_label" '0'
seed label-79 "1 ${long_label:1} 0 0 0" '0' '0'
seed huge-count '99999999999999' '0' '0'
seed two-billion-nodes '2000000000 0: 1 2 3 ' '0' '0'
seed half-a-billion-sides '0' '0' '500000000 0: 1 2 3 4 '
seed million-zero-records '1048576 0: 1 2 3' '0' '0'
seed million-and-one-zero-records '1048577 0: 1 2 3' '0' '0'
seed letters-in-reals '3\n0: 1.0 abc 7\n1: 2.0 3.0 4\n2: 5 6 7\n' '0' '0'
seed odd-reals '4\n0: 1e 1e+ 3\n1: 3.x 12abc 5\n2: -0 +7 1\n3: .5 0x1p3 2\n' '0' '0'
seed words '3\n0: inf -infinity 1\n1: nax 5 6\n2: infinix 1 2\n' '0' '0'
seed odd-integers '0' '2\n0: +1 -2 0x3 4 5 6 7 8 9 1 2 3\n1: 1.5 2 3 4 5 6 7 8 9 1 2 3\n' \
    '2\n0: - 1 2 3 4\n1: 1 2 3 4 5\n'
seed short-files-all '3\n0: 1 2 3\n1: 4' '2\n0: 0 1' ''
seed colons-and-signs '2\n0: -x 1 2\n1: + 3 4\n' '0' '1 0: 0 0 0 0 -'
seed zero-byte-in-label '1\n0:\0x 5 6 7' '0' '0'
seed tokens-across-blocks '3\n0: -1.25e-3 0x1p-2 -7\n1: inf 3.x 12abc .5e1 +0 2147483648\n' '0' '0'

# The token scanner's tricky reals, each as the x of a node.
reals=(1e5 .5 -0 +7 0.1 inf -Infinity infx 0x1p3 -0X1.8P1 0x.8 0x. 1e 1e+ 1ex 3.x 12abc 1.5.3
    1e5e3 1e400 -1e400 1e-400 4.9406564584124654e-324 . -x + 0x 0xg nax infinix e5 abc NaN -NaN)
nodes="${#reals[@]}\n"
for i in "${!reals[@]}"; do
    nodes+="$i: ${reals[$i]} 1 0\n"
done
seed scanner-reals "$nodes" '0' '0'
seed scanner-integers '0' '0' \
    '5\n0: 42 +5 -5 007 12abc\n1: 1.5 0x10 2147483647 -2147483648 -\n2: -x x 1 2 3\n'

# An extra paint after the two sets: the rectangle (10, 20)-(512, 384) and text height 13; then
# also a clip box (0, 0)-(200, 150), digit widths of 6 to 9 pixels and read sizes 1, 2 and 3.
rect='\x0a\x00\x00\x00\x14\x00\x00\x00\x00\x02\x00\x00\x80\x01\x00\x00\x0d\x00\x00\x00'
clip='\x00\x00\x00\x00\x00\x00\x00\x00\xc8\x00\x00\x00\x96\x00\x00\x00'
widths='\x08\x06\x08\x08\x09\x08\x08\x07\x08\x08'
seed square-in-a-rectangle "$sq_n" "$sq_e" "$sq_s" "$sq_n" "$sq_e" "$sq_s" "$rect"
seed square-clipped-with-widths "$sq_n" "$sq_e" "$sq_s" "$sq_n" "$sq_e" "$sq_s" \
    "$rect$clip$widths\x01\x02\x03"
if [[ -n "$make_mesh" ]]; then
    file_seed made-clipped-with-widths "$work/b" "$work/a"
    printf '\n%%%%\n%b' "$rect$clip$widths" >>"$out/made-clipped-with-widths"
fi
