# Sourced: drives velmora.exe under Wine as a person would, with xdotool on the current X
# display, and photographs it with ImageMagick. Used by the end-to-end tests and by `make run`.
#
# The caller sets velmora_exe, set_file_name_exe (tests/e2e/set_file_name.cpp, built with the
# tests) and driver_dir (a scratch directory for the viewer's standard error and the pictures)
# and may set driver_context, which prefixes failure messages. The viewer started here is ended
# by its own process id when the calling shell exits.

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
velmora_wine_prefix_ready

viewer_pid=""
main_window=""
dialog=""
exit_code=""

driver_end_viewer() {
    if [[ -n "$viewer_pid" ]] && kill -0 "$viewer_pid" 2>/dev/null; then
        kill -KILL "$viewer_pid" 2>/dev/null || true
        wait "$viewer_pid" 2>/dev/null || true
    fi
    viewer_pid=""
}

driver_fail() {
    echo "FAIL${driver_context:+ ($driver_context)}: $*" >&2
    if [[ -s "$driver_dir/stderr" ]]; then
        echo "velmora's standard error:" >&2
        tr -d '\r' <"$driver_dir/stderr" | grep -v '^wine: ' >&2 || true
    fi
    exit 1
}

# The Windows path of a Linux file: Wine maps the Linux root to drive Z:.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}

# Waits up to `seconds` for a visible window titled exactly `title`; prints its X id.
wait_for_window() {
    local title=$1 seconds=${2:-30}
    timeout "$seconds" xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null |
        head -n 1 || true
}

wait_for_no_window() {
    local title=$1
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    driver_fail "window \"$title\" did not close"
}

# Starts the viewer with `directory` as its working directory and waits for its main window.
start_viewer() {
    local directory=$1
    (cd "$directory" && exec wine "$velmora_exe" 2>"$driver_dir/stderr") &
    viewer_pid=$!
    main_window=$(wait_for_window "Velmora for Windows" 60)
    [[ -n "$main_window" ]] || driver_fail "the main window did not appear"
}

# Waits up to 30 seconds for the viewer to end and sets exit_code to its exit code.
wait_for_viewer_exit() {
    for _ in $(seq 300); do
        kill -0 "$viewer_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$viewer_pid" 2>/dev/null; then
        driver_fail "the viewer did not end"
    fi
    exit_code=0
    wait "$viewer_pid" || exit_code=$?
    viewer_pid=""
}

expect_exit_code() {
    local expected=$1
    wait_for_viewer_exit
    [[ "$exit_code" == "$expected" ]] || driver_fail "exit code $exit_code, expected $expected"
}

expect_still_running() {
    sleep 1
    kill -0 "$viewer_pid" 2>/dev/null || driver_fail "the viewer ended"
    xdotool search --onlyvisible --name '^Velmora for Windows$' >/dev/null ||
        driver_fail "the main window is gone"
}

# Gives the main window the keyboard (Xvfb runs no window manager) and presses `keys`.
press_on_main_window() {
    xdotool windowfocus --sync "$main_window"
    xdotool key --delay 150 "$@"
}

# File > Open, then waits for the dialog and gives it the keyboard.
open_dialog() {
    press_on_main_window alt+f o
    dialog=$(wait_for_window "Open" 30)
    [[ -n "$dialog" ]] || driver_fail "the Open dialog did not appear"
    xdotool windowfocus --sync "$dialog"
}

# File > Open, puts the Windows path of `path` into the file name box and confirms it. xdotool
# types only the letters of its keyboard map: the path is set by a helper, the key pressed.
choose_file() {
    local path=$1
    open_dialog
    wine "$set_file_name_exe" "$(windows_path "$path")" ||
        driver_fail "the file name box did not take $(windows_path "$path")"
    xdotool key KP_Enter
}

photograph() {
    import -window "$main_window" "$1"
}

# Black and red pixels of a picture, one "x y colour" line each.
marked_pixels() {
    convert "$1" -depth 8 txt:- |
        awk -F '[,: ]+' '/#000000/ { print $1, $2, "black" } /#FF0000/ { print $1, $2, "red" }'
}

# Photographs the main window into `picture` once red numbers show in it.
photograph_mesh() {
    local picture=$1
    for _ in $(seq 50); do
        photograph "$picture"
        # Counted, not grep -q: an early exit would fail the pipeline under pipefail.
        (($(marked_pixels "$picture" | grep -c ' red$' || true) > 0)) && return 0
        sleep 0.2
    done
    driver_fail "no red numbers appeared"
}
