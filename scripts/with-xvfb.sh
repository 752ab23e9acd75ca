#!/usr/bin/env bash
# Runs a command on a fresh virtual X display and ends that display afterwards.
set -euo pipefail

display_file=$(mktemp)
# Xvfb picks a free display number itself and writes it once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!

finish() {
    # Wine's helper processes hold on to the display; give them the few seconds the prefix's
    # wineserver needs to end once the last program has gone, then end the display.
    if [[ -n "${DISPLAY:-}" ]]; then
        source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
        timeout 15 wineserver --wait 2>/dev/null || true
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -f "$display_file"
}
trap finish EXIT

for _ in $(seq 100); do
    [[ -s "$display_file" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
[[ -s "$display_file" ]] || { echo "with-xvfb: Xvfb did not start in time" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$display_file")"
"$@"
