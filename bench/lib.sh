# Sourced by bench/run and the scripts in bench/run.d: timing of commands on a
# shared machine, where the fastest of a few runs is the figure.

cli=build/default/cli/larkspool-cli

# measure RUNS command...: runs the command RUNS times (output discarded) and
# sets wall, cpu (user + system) and rss (peak resident KiB), each the
# smallest seen. Stops the script when a run fails.
measure() {
    local runs=$1 line e u s m i
    shift
    wall= cpu= rss=
    for ((i = 0; i < runs; ++i)); do
        line=$(/usr/bin/time -f '%e %U %S %M' "$@" 2>&1 >/dev/null </dev/null | tail -1) || {
            echo "failed: $*" >&2
            return 1
        }
        read -r e u s m <<<"$line"
        wall=$(least "$wall" "$e")
        cpu=$(least "$cpu" "$(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }')")
        rss=$(least "$rss" "$m")
    done
}

# least A B: the smaller number; A may be empty (none yet).
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }

# ratio A B: A / B with two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }

# rate COUNT SECONDS: COUNT per second, whole.
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.0f", (t > 0) ? n / t : 0 }'; }

# discard DIR: moves DIR (if any) into the trash beside it, a rename. ext4
# creates files slowly for minutes after many were deleted, and the import,
# which puts all its files in four folders, suffers most: nothing is deleted
# while anything is timed. bench/run empties the trash when it ends.
discard() {
    [ -e "$1" ] || return 0
    local trash
    trash=$(dirname "$1")/trash
    mkdir -p "$trash"
    mv "$1" "$trash/$(basename "$1").$(date +%s%N)"
}
