#!/usr/bin/env bash
# `make bench`: makes the benchmark meshes once, measures the native build, then the Windows
# build under Wine with the same load benchmark, and ends with one table of both.
#
# Environment:
#   VELMORA_BENCH_SIZES      sizes to measure, of 10k 100k 1M 4M (default: all four)
#   VELMORA_BENCH_WINE       0 to leave out the Windows build
#   VELMORA_BENCH_ARGS       more options for velmora_load_bench in both builds
#                            (--repetitions N, --readers product,one_thread,reference)
#   VELMORA_BENCH_LOAD_SECONDS
#                            the time after which a reader stops repeating the loads of one
#                            file set (default 20; under Wine the fscanf reader reads about
#                            20 MB a second)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
sizes=${VELMORA_BENCH_SIZES:-10k 100k 1M 4M}
meshes=$root/build/bench-meshes
results=$root/build/bench-results
windows_build=$root/build/mingw-bench
mkdir -p "$meshes" "$results"
rm -f "$results"/*.figures "$results/load.txt"

triangles_of() {
    case $1 in
    10k) echo 10000 ;;
    100k) echo 100000 ;;
    1M) echo 1000000 ;;
    4M) echo 4000000 ;;
    *)
        echo "unknown size '$1' (use 10k 100k 1M 4M)" >&2
        return 1
        ;;
    esac
}

machine_load() {
    echo "$1: $(uptime | sed 's/.*load average/load average/')" | tee -a "$results/load.txt"
}

echo "== Native benchmarks: building in build/release =="
cmake --preset release -DVELMORA_BENCH=ON >/dev/null
cmake --build --preset release --target make_mesh velmora_load_bench bench_summary

echo "== Mesh file sets in build/bench-meshes =="
make_mesh=$root/build/release/tools/make_mesh
for size in $sizes; do
    for base in 0 1; do
        name=$meshes/$size-base$base
        # The side file is written last; a newer generator makes the set again.
        if [[ ! -f $name.s || $make_mesh -nt $name.s ]]; then
            echo "making $size-base$base"
            "$make_mesh" "$name" --triangles "$(triangles_of "$size")" --base "$base"
        fi
    done
done
du -ch "$meshes"/*.[nes] | tail -1

# The options of velmora_load_bench in both builds, after --meshes and --figures.
# shellcheck disable=SC2206 # VELMORA_BENCH_ARGS is a list of options
load_options=(--sizes "$sizes" --load-seconds "${VELMORA_BENCH_LOAD_SECONDS:-20}"
    ${VELMORA_BENCH_ARGS:-})

echo "== Native benchmarks: running =="
machine_load "native run, before"
build/release/bench/velmora_load_bench --meshes "$meshes" \
    --figures "$results/native.figures" "${load_options[@]}"
machine_load "native run, after"

if [[ ${VELMORA_BENCH_WINE:-1} != 0 ]]; then
    echo "== Windows benchmarks: building in build/mingw-bench =="
    cmake -S "$root" -B "$windows_build" --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON >/dev/null
    cmake --build "$windows_build" -j 2 --target velmora_load_bench
    repaint=yes
    cmake --build "$windows_build" -j 2 --target velmora_repaint_bench || repaint=no

    # A Wine prefix of the benchmarks' own: its wineserver and desktop are not shared with
    # tests that run at the same time on displays of their own.
    export VELMORA_WINEPREFIX=$root/build/wine-prefix-bench
    # Wine's drive Z: is the root of the file system.
    wine_meshes=Z:$meshes
    # Each run has a display of its own and ends only once its wineserver has: a wineserver
    # (and the desktop it keeps) outliving its display would fail the next run's window.
    WINEPREFIX=$VELMORA_WINEPREFIX timeout 30 wineserver --wait 2>/dev/null || true
    echo "== Windows benchmarks: loads under Wine =="
    machine_load "Wine loads, before"
    scripts/with-xvfb.sh scripts/wine-run.sh "$windows_build/bench/velmora_load_bench.exe" \
        --meshes "$wine_meshes" --figures "Z:$results/windows-load.figures" "${load_options[@]}" ||
        echo "(no Windows load figures: velmora_load_bench failed)"
    if [[ $repaint == yes ]]; then
        echo "== Windows benchmarks: GDI repaints under Wine and Xvfb =="
        machine_load "Wine repaints, before"
        scripts/with-xvfb.sh scripts/wine-run.sh "$windows_build/bench/velmora_repaint_bench.exe" \
            --meshes "$wine_meshes" --figures "Z:$results/windows-repaint.figures" \
            --sizes "$sizes" ||
            echo "(no GDI repaint figures: velmora_repaint_bench failed)"
    else
        echo "(no GDI repaint figures: velmora_repaint_bench did not build)"
    fi
    machine_load "Wine, after"
fi

echo
echo "================================ Summary ================================"
windows_figures=()
for figures in "$results"/windows-*.figures; do
    [[ -f $figures ]] && windows_figures+=(--windows "$figures")
done
build/release/bench/bench_summary --native "$results/native.figures" "${windows_figures[@]}"
echo
cat "$results/load.txt"
echo "(2 cores; figures are medians of repeated runs, see above)"
