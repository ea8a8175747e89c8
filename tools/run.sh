#!/usr/bin/env bash
# Installs what is missing, builds, starts the printer simulator in the background
# and the program in front. The simulator's port is printed; choose it in Port > Settings.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
tools/build.sh >/dev/null
sim_out=$(mktemp)
build/tools/printer-sim/marlix-printer-sim --link "${TMPDIR:-/tmp}/ttyMarlixSim" >"$sim_out" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; rm -f "$sim_out"' EXIT
for _ in $(seq 50); do [ -s "$sim_out" ] && break; sleep 0.1; done
echo "Printer simulator on $(head -n1 "$sim_out") (also ${TMPDIR:-/tmp}/ttyMarlixSim): choose it in Port > Settings."
build/rizeruzozo
