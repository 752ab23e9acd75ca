#!/usr/bin/env bash
# `make zoomed-screenshot`: the mesh of a million triangles (build/bench-meshes/1M-base1, made
# once with make_mesh), opened through the real File > Open dialog on a virtual display, zoomed
# in with the wheel until its seven-digit numbers can be read, and photographed into
# build/velmora-1M-zoomed.png.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
velmora_exe=$root/build/mingw/app/velmora.exe
set_file_name_exe=$root/build/mingw/tests/e2e/set_file_name.exe
make_mesh=$root/build/release/tools/make_mesh
mesh=$root/build/bench-meshes/1M-base1
screenshot=$root/build/velmora-1M-zoomed.png
notches=${VELMORA_ZOOM_NOTCHES:-26}

if [[ -z "${DISPLAY:-}" ]]; then
    exec "$root/scripts/with-xvfb.sh" "$0"
fi
if [[ ! -f $mesh.s ]]; then
    cmake --preset release >/dev/null
    cmake --build --preset release --target make_mesh >/dev/null
    mkdir -p "$(dirname "$mesh")"
    "$make_mesh" "$mesh" --triangles 1000000 --base 1
fi

driver_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-zoomed.XXXXXX")
driver_context="zoomed screenshot"
source "$root/scripts/viewer-driver.sh"
trap 'driver_end_viewer; rm -rf "$driver_dir"' EXIT

start_viewer "$(dirname "$mesh")"
choose_file "$mesh.n"
wait_for_no_window "Open"
photograph_mesh "$driver_dir/fit.png"
# The wheel in, one notch at a time, with the pointer in the middle of the window.
size=$(identify -format '%w %h' "$driver_dir/fit.png")
xdotool mousemove --window "$main_window" $((${size% *} / 2)) $((${size#* } / 2))
for _ in $(seq "$notches"); do
    xdotool click 4
done
sleep 2
photograph "$screenshot"
press_on_main_window ctrl+q
expect_exit_code 0
echo "Screenshot of the 1M mesh zoomed in by $notches steps: $screenshot"
