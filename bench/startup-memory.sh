#!/usr/bin/env bash
# Start-up memory of Marlix Terminal beside GTKTerm's (Debian package gtkterm),
# on one Xvfb, RUNS runs each (5 unless set), in turns: each program's resident
# set (RSS) and proportional set (PSS: shared pages split among their users)
# once its main window is on screen and it has been idle for a second. A
# benchmark: it prints figures; the tests do not run it.
# The Xvfb has no GLX (XVFB_ARGS to change that): with it, GTKTerm's terminal
# widget loads Mesa's software renderer (some 50 MiB), which says nothing of
# either program.
#   bench/startup-memory.sh [path/to/rizeruzozo]
# Needs xvfb, xdotool and gtkterm (apt-get install xvfb xdotool gtkterm).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/rizeruzozo}
runs=${RUNS:-5}
for tool in Xvfb xdotool gtkterm; do
    command -v "$tool" >/dev/null || { echo "startup-memory: $tool is not installed" >&2; exit 2; }
done
[ -x "$program" ] || { echo "startup-memory: $program not built" >&2; exit 2; }

work=$(mktemp -d)
# A display of its own: Xvfb picks a free number and says which.
# shellcheck disable=SC2086
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp ${XVFB_ARGS--extension GLX} 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "startup-memory: Xvfb did not start" >&2; exit 2; }
export DISPLAY=:$(head -1 "$work/display")

# Prints "RSS PSS" in KiB of one start, from a fresh home (no settings).
measure() {
    local home
    home=$(mktemp -d "$work/home.XXXX")
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home "$@" >/dev/null 2>&1 &
    local pid=$!
    if ! timeout 20 xdotool search --sync --onlyvisible --pid "$pid" >"$home/windows" 2>&1; then
        cat "$home/windows" >&2; ps -p "$pid" -o pid,stat,cmd >&2
        kill "$pid" 2>/dev/null || true
        echo "startup-memory: no window from $*" >&2
        return 1
    fi
    sleep 1
    awk '/^Rss:/ {rss = $2} /^Pss:/ {pss = $2} END {print rss, pss}' "/proc/$pid/smaps_rollup"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

declare -a ours_rss ours_pss theirs_rss theirs_pss
for i in $(seq "$runs"); do
    # In turns, the first one changing, so that neither always starts on a warm cache.
    if (( i % 2 )); then order="ours theirs"; else order="theirs ours"; fi
    for who in $order; do
        if [ "$who" = ours ]; then
            read -r rss pss < <(QT_QPA_PLATFORM=xcb measure "$program")
            ours_rss+=("$rss"); ours_pss+=("$pss")
        else
            read -r rss pss < <(measure gtkterm)
            theirs_rss+=("$rss"); theirs_pss+=("$pss")
        fi
    done
done

# Median of the arguments, in MiB.
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {printf "%.1f", v[int((NR + 1) / 2)] / 1024}'; }
list() { printf '%s\n' "$@" | awk '{printf "%s%.1f", (NR > 1 ? " " : ""), $1 / 1024}'; }
echo "Start-up memory on Xvfb ${XVFB_ARGS--extension GLX}, $runs runs each (MiB; median, then every run):"
printf '  %-16s RSS %5s (%s)  PSS %5s (%s)\n' "Marlix Terminal" "$(median "${ours_rss[@]}")" "$(list "${ours_rss[@]}")" \
    "$(median "${ours_pss[@]}")" "$(list "${ours_pss[@]}")"
printf '  %-16s RSS %5s (%s)  PSS %5s (%s)\n' "GTKTerm" "$(median "${theirs_rss[@]}")" "$(list "${theirs_rss[@]}")" \
    "$(median "${theirs_pss[@]}")" "$(list "${theirs_pss[@]}")"
awk -v a="$(median "${ours_rss[@]}")" -v b="$(median "${theirs_rss[@]}")" \
    'BEGIN {printf "  RSS at most GTKTerm'"'"'s: %s (%+.1f MiB)\n", (a <= b ? "met" : "NOT met"), a - b}'
