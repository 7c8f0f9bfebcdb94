#!/usr/bin/env bash
# Starts the meter simulator and shows, through the real serial link, that a meter answers.
# With a port given (make run PORT=/dev/rfcomm0) that port is asked instead.
set -euo pipefail
build=${1:-build}
port=${2:-}
if [ -n "$port" ]; then
    exec "$build/src/cli/voltaris-cli" status --port "$port"
fi
log=$(mktemp)
"$build/tools/meter-sim/voltaris-meter-sim" --generation 2 >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 100); do
    path=$(head -n1 "$log" 2>/dev/null || true)
    [ -n "$path" ] && break
    sleep 0.05
done
echo "Meter simulator on $path"
"$build/src/cli/voltaris-cli" status --port "$path"
