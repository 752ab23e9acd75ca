#!/usr/bin/env bash
# End-to-end tests of velmora.exe as a person uses it: the real program under Wine on an X
# display, driven with xdotool through its menu and the real Open dialog, photographed with
# ImageMagick's import.
#
#   velmora_e2e.sh CASE VELMORA_EXE EXAMPLES_DIR SET_FILE_NAME_EXE
#
# Cases: open-plate, open-channel, open-any-letters, cancel-keeps-mesh, missing-element-file,
# ctrl-q, file-exit, zoom-and-move.
# Without a DISPLAY the script runs itself on a fresh Xvfb display.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
if [[ -z "${DISPLAY:-}" ]]; then
    exec "$root/scripts/with-xvfb.sh" "$0" "$@"
fi

case_name=$1
velmora_exe=$(realpath "$2")
examples_dir=$(realpath "$3")
set_file_name_exe=$(realpath "$4")

driver_dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXX")
driver_context=$case_name
source "$root/scripts/viewer-driver.sh"
trap 'driver_end_viewer; rm -rf "$driver_dir"' EXIT

# Checks a picture of the mesh file set `base`; further arguments describe the view the user
# made, as check_picture.awk's variables (-v steps=4 ...).
check_picture() {
    local picture=$1 base=$2
    shift 2
    local size
    size=$(identify -format '%w %h' "$picture")
    marked_pixels "$picture" >"$driver_dir/pixels"
    awk -v width="${size% *}" -v height="${size#* }" "$@" -f "$here/check_picture.awk" \
        "$base.n" "$base.e" "$base.s" "$driver_dir/pixels" ||
        driver_fail "the picture of $base is wrong"
}

# Photographs the main window once a change has been painted: two pictures in a row the same.
photograph_settled() {
    local picture=$1
    photograph "$picture"
    for _ in $(seq 20); do
        sleep 0.3
        photograph "$driver_dir/again.png"
        if [[ $(compare -metric AE "$picture" "$driver_dir/again.png" null: 2>&1 || true) == 0 ]]; then
            return 0
        fi
        mv "$driver_dir/again.png" "$picture"
    done
}

# Starts the viewer, opens the file set of the node file `node_path` and checks its picture.
open_and_check() {
    local node_path=$1
    start_viewer "$examples_dir"
    choose_file "$node_path"
    wait_for_no_window "Open"
    photograph_mesh "$driver_dir/picture.png"
    check_picture "$driver_dir/picture.png" "${node_path%.n}"
    press_on_main_window ctrl+q
    expect_exit_code 0
}

# Copies the example mesh `name` to the file set of the node file `node_path`.
copy_example() {
    local name=$1 node_path=$2
    mkdir -p "$(dirname "$node_path")"
    for extension in n e s; do
        cp "$examples_dir/$name.$extension" "${node_path%n}$extension"
    done
}

# A node file path in driver_dir that Windows counts 259 UTF-16 units long, the longest it
# accepts, nearly all of them letters of three bytes in UTF-8: some 700 bytes in all.
longest_node_path() {
    local folders letters
    folders=$driver_dir/$(printf '长%.0s' {1..80})/$(printf '长%.0s' {1..80})
    # "Z:", the folders, a backslash, the letters and ".n"; wine-env.sh set a UTF-8 locale, in
    # which ${#...} counts letters.
    letters=$((259 - 2 - ${#folders} - 1 - 2))
    ((letters > 0 && letters <= 80)) || driver_fail "no room for a file name under $driver_dir"
    printf '%s/%s.n' "$folders" "$(printf '网%.0s' $(seq "$letters"))"
}

case "$case_name" in
open-plate)
    open_and_check "$examples_dir/plate.n"
    ;;
open-channel)
    open_and_check "$examples_dir/channel.n"
    ;;
open-any-letters)
    # Chinese, Cyrillic and accented Latin names, spaces, and the longest path Windows accepts.
    # Each in a viewer of its own: a load widens the extents the one before left.
    longest=$(longest_node_path)
    node_paths=("$driver_dir/网格 é/plaque trouée.n" "$driver_dir/Сетка/канал.n" "$longest")
    examples=(plate channel plate)
    for i in "${!node_paths[@]}"; do
        copy_example "${examples[i]}" "${node_paths[i]}"
        open_and_check "${node_paths[i]}"
    done
    ;;
cancel-keeps-mesh)
    start_viewer "$examples_dir"
    open_dialog
    xdotool key Escape
    wait_for_no_window "Open"
    expect_still_running

    choose_file "$examples_dir/plate.n"
    wait_for_no_window "Open"
    photograph_mesh "$driver_dir/before.png"
    open_dialog
    xdotool key Escape
    wait_for_no_window "Open"
    expect_still_running
    sleep 0.5
    photograph "$driver_dir/after.png"
    # The part the dialog covered is repainted with the same fit as the rest.
    differing=$(compare -metric AE "$driver_dir/before.png" "$driver_dir/after.png" null: 2>&1 || true)
    [[ "$differing" == "0" ]] || driver_fail "$differing pixels changed after Cancel"
    check_picture "$driver_dir/after.png" "$examples_dir/plate"
    press_on_main_window ctrl+q
    expect_exit_code 0
    ;;
missing-element-file)
    # The line names the element file as the viewer has it: in UTF-8.
    lonely="$driver_dir/одинокий 网格"
    mkdir "$lonely"
    cp "$examples_dir/plate.n" "$lonely/mesh.n"
    start_viewer "$lonely"
    choose_file "$lonely/mesh.n"
    expect_exit_code 255
    expected_line="velmora: cannot open file: $(windows_path "$lonely/mesh.e")"
    grep -qxF "$expected_line" <(tr -d '\r' <"$driver_dir/stderr") ||
        driver_fail "standard error lacks the line: $expected_line"
    ;;
zoom-and-move)
    # The wheel, a drag and the keys, as a person uses them; each picture checked against the
    # view they make, and Home back to the first picture.
    start_viewer "$examples_dir"
    choose_file "$examples_dir/plate.n"
    wait_for_no_window "Open"
    photograph_mesh "$driver_dir/fit.png"
    xdotool mousemove --window "$main_window" 300 250
    for _ in 1 2 3 4; do
        xdotool click 4
    done
    photograph_settled "$driver_dir/zoomed.png"
    view=(-v steps=4 -v about_x=300 -v about_y=250)
    check_picture "$driver_dir/zoomed.png" "$examples_dir/plate" "${view[@]}"
    xdotool mousemove --window "$main_window" 200 200 mousedown 1
    xdotool mousemove --window "$main_window" 220 215
    xdotool mousemove --window "$main_window" 240 230 mouseup 1
    photograph_settled "$driver_dir/dragged.png"
    view+=(-v pan_x=40 -v pan_y=30)
    check_picture "$driver_dir/dragged.png" "$examples_dir/plate" "${view[@]}"
    press_on_main_window Right Up
    photograph_settled "$driver_dir/keys.png"
    check_picture "$driver_dir/keys.png" "$examples_dir/plate" "${view[@]}" -v right=1 -v up=1
    press_on_main_window Home
    photograph_settled "$driver_dir/home.png"
    differing=$(compare -metric AE "$driver_dir/fit.png" "$driver_dir/home.png" null: 2>&1 || true)
    [[ "$differing" == "0" ]] || driver_fail "$differing pixels differ from the fit after Home"
    press_on_main_window ctrl+q
    expect_exit_code 0
    ;;
ctrl-q)
    start_viewer "$examples_dir"
    press_on_main_window ctrl+q
    expect_exit_code 0
    ;;
file-exit)
    start_viewer "$examples_dir"
    # "&E&xit": its first mnemonic, E, chooses it.
    press_on_main_window alt+f e
    expect_exit_code 0
    ;;
*)
    echo "unknown case: $case_name" >&2
    exit 2
    ;;
esac
echo "PASS ($case_name)"
