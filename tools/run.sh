#!/usr/bin/env bash
# Installs what is missing, builds, starts the printer simulator in the background
# and the program in front, with the simulator's port already chosen.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
tools/setup-deps.sh
tools/build.sh >/dev/null
sim_out=$(mktemp)
sim_link="${TMPDIR:-/tmp}/ttyMarlixSim"
# Its standard input stays this terminal's: the operator types printer actions here.
"$build_dir/tools/printer-sim/marlix-printer-sim" --link "$sim_link" >"$sim_out" <&0 &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do [ -s "$sim_out" ] && break; sleep 0.1; done
if ! [ -s "$sim_out" ]; then
    echo "The printer simulator did not start; starting the program without it." >&2
    exec "$build_dir/rizeruzozo" "$@"
fi
sim_port=$(head -n1 "$sim_out")
echo "Printer simulator on $sim_port (also $sim_link), chosen as the port."
echo "Type printer actions here (paper out, cover open, drawer 1 open, ..., state; help lists them)."
"$build_dir/rizeruzozo" --port "$sim_port" "$@"
