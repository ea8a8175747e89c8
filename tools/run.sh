#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the printer
# built into it (port "virtual"): no hardware and no second program needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
tools/setup-deps.sh
tools/build.sh >/dev/null
echo "Starting on the built-in virtual printer (Port > Receipt Preview shows its paper and its panel)."
exec "$build_dir/rizeruzozo" --port virtual "$@"
