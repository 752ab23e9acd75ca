#!/usr/bin/env bash
# `make run`: opens the viewer under Wine with examples/ as its working directory, so File > Open
# lists the bundled meshes. Without a display it shows that it works instead: on a virtual display
# it opens the default example through the real File > Open dialog, saves a screenshot under
# build/ and prints its path. With VELMORA_WINE_DPI=144 the viewer runs in a Wine prefix of its
# own whose screen has 144 DPI, as a screen at 150 % has.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
velmora_exe=$root/build/mingw/app/velmora.exe
set_file_name_exe=$root/build/mingw/tests/e2e/set_file_name.exe
default_example=$root/examples/plate.n
screenshot=$root/build/velmora-screenshot${VELMORA_WINE_DPI:+-${VELMORA_WINE_DPI}dpi}.png

if [[ ! -f "$velmora_exe" ]]; then
    echo "run-viewer: $velmora_exe is missing; build it with 'make windows'" >&2
    exit 1
fi

if [[ -n "${DISPLAY:-}" && "${1:-}" != --screenshot ]]; then
    source "$root/scripts/wine-env.sh"
    velmora_wine_prefix_ready
    cd "$root/examples"
    exec wine "$velmora_exe"
fi

if [[ -z "${DISPLAY:-}" ]]; then
    echo "No display: opening $(basename "$default_example") on a virtual display instead."
    exec "$root/scripts/with-xvfb.sh" "$0" --screenshot
fi

driver_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-run.XXXXXX")
driver_context="make run"
source "$root/scripts/viewer-driver.sh"
trap 'driver_end_viewer; rm -rf "$driver_dir"' EXIT

start_viewer "$root/examples"
choose_file "$default_example"
wait_for_no_window "Open"
mkdir -p "$(dirname "$screenshot")"
photograph_mesh "$screenshot"
press_on_main_window ctrl+q
expect_exit_code 0
echo "Screenshot of Velmora for Windows showing $(basename "$default_example"): $screenshot"
