#!/usr/bin/env bash
# `make run`: starts the desktop program; with a port given (make run PORT=/dev/pts/7) that port
# is probed for a meter, otherwise the computer's Bluetooth ports are, and the demonstration
# runs when no meter answers. Without a display it says so and shows a few demonstration
# captures from the headless tool instead, one readable line each.
# Usage: tools/run.sh BUILD_DIR [PORT]
set -euo pipefail
build=${1:-build}
port=${2:-}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open."
    echo "Running headless demonstration captures instead: voltaris-cli capture --demo --count 5"
    exec "$build/src/cli/voltaris-cli" capture --demo --count 5 --format text
fi

program="$build/src/ui/voltaris"
if [ ! -x "$program" ]; then
    echo "$program was not built (Qt 6 and QCustomPlot are needed for the window)." >&2
    exit 1
fi
if [ -n "$port" ]; then
    exec "$program" --port "$port"
fi
exec "$program"
