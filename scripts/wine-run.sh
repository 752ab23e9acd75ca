#!/usr/bin/env bash
# Runs a Windows executable under Wine with the project's prefix; the exit code is the program's.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
velmora_wine_prefix_ready
exec wine "$@"
