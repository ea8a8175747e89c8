#!/usr/bin/env bash
# Start-up memory of Marlix Terminal beside GTKTerm's (Debian package gtkterm),
# on one Xvfb, RUNS runs each (5 unless set), in turns: each program's resident
# set (RSS) and proportional set (PSS: shared pages split among their users)
# once its main window is on screen and it has been idle for a second. A
# benchmark: it prints figures; the tests do not run it.
# The Xvfb has no GLX (XVFB_ARGS to change that): with it, GTKTerm's terminal
# widget loads Mesa's software renderer (some 50 MiB), which says nothing of
# either program. Then where each program's memory goes, from the smaps of
# its last run: the resident set by kind of mapping, and our largest mappings.
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
# A display of its own, at a number nothing else uses (":0" and the like are
# often someone else's).
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 20); do
    n=$((300 + RANDOM % 600))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # shellcheck disable=SC2086
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset ${XVFB_ARGS--extension GLX} >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    if kill -0 "$xvfb" 2>/dev/null && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
        export DISPLAY=":$n"
        break
    fi
    kill "$xvfb" 2>/dev/null || true
    xvfb=""
done
[ -n "$xvfb" ] || { echo "startup-memory: Xvfb did not start" >&2; exit 2; }

# Writes "RSS PSS" in KiB of one start, from a fresh home (no settings), to
# $work/measured; the program has ended when it returns.
measure() {
    local home
    home=$(mktemp -d "$work/home.XXXX")
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home "$@" >"$home/output" 2>&1 &
    local pid=$!
    # Until its window shows, 20 s at the most.
    local shown=""
    for _ in $(seq 80); do
        if xdotool search --onlyvisible --pid "$pid" >/dev/null 2>"$home/search"; then
            shown=1
            break
        fi
        sleep 0.25
    done
    if [ -z "$shown" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        cat "$home/search" "$home/output" >&2
        echo "startup-memory: no window from $* within 20 s" >&2
        return 1
    fi
    sleep 1
    awk '/^Rss:/ {rss = $2} /^Pss:/ {pss = $2} END {print rss, pss}' "/proc/$pid/smaps_rollup" >"$work/measured"
    cp "/proc/$pid/smaps" "$work/smaps"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

declare -a ours_rss ours_pss theirs_rss theirs_pss
for i in $(seq "$runs"); do
    # In turns, the first one changing, so that neither always starts on a warm cache.
    if (( i % 2 )); then order="ours theirs"; else order="theirs ours"; fi
    for who in $order; do
        if [ "$who" = ours ]; then
            QT_QPA_PLATFORM=xcb measure "$program" || exit 1
            read -r rss pss <"$work/measured"
            ours_rss+=("$rss"); ours_pss+=("$pss")
            mv "$work/smaps" "$work/smaps.ours"
        else
            measure gtkterm || exit 1
            read -r rss pss <"$work/measured"
            theirs_rss+=("$rss"); theirs_pss+=("$pss")
            mv "$work/smaps" "$work/smaps.theirs"
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

# The resident set of one smaps file by mapping: "KiB<TAB>kind<TAB>mapping" lines.
by_mapping() {
    awk -v exe="$(basename "$program")" '
        /^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6 ? $6 : "[anonymous]") }
        /^Rss:/ { rss[name] += $2 }
        END {
            for (n in rss) {
                kind = "other"
                if (n ~ "/" exe "$" || n ~ "/gtkterm$") kind = "the program itself"
                else if (n ~ /libQt6/) kind = "Qt libraries"
                else if (n ~ /libgtk|libgdk|libvte|libpango|libcairo|libgio|libgobject|libatk/) kind = "GTK libraries"
                else if (n ~ /\.so/) kind = "other libraries"
                else if (n ~ /^\/usr\/share\/fonts/) kind = "font files"
                else if (n ~ /fontconfig/) kind = "fontconfig caches"
                else if (n == "[heap]") kind = "heap"
                else if (n ~ /^\[anonymous\]$/) kind = "other anonymous (thread arenas, stacks)"
                else if (n ~ /memfd|SYSV|shm/) kind = "X shared memory (window pixels)"
                printf "%d\t%s\t%s\n", rss[n], kind, n
            }
        }' "$1"
}
echo "Where it goes, last run of each (RSS, MiB):"
{
    by_mapping "$work/smaps.ours" | awk -F '\t' '{print "ours\t" $0}'
    by_mapping "$work/smaps.theirs" | awk -F '\t' '{print "theirs\t" $0}'
} | awk -F '\t' '{sum[$3] += 0; if ($1 == "ours") o[$3] += $2; else t[$3] += $2}
    END {for (k in sum) printf "  %-40s %6.1f %6.1f\n", k, o[k] / 1024, t[k] / 1024}' | sort -k1,1 |
    { printf '  %-40s %6s %6s\n' "" "ours" "GTKTerm"; cat; }
echo "Our largest mappings (RSS, KiB):"
by_mapping "$work/smaps.ours" | sort -rn | head -"${TOP:-15}" | awk -F '\t' '{printf "  %6d  %s\n", $1, $3}'
