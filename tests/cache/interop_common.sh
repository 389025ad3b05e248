# Sourced by the interop tests between our own cache store (through the native
# larkspool-cli) and Wine's WinINet (through wininet_probe.exe), which share the
# Content.IE5 folder of the Wine prefix.
#   $1 wininet_probe.exe   $2 native larkspool-cli   $3 scripts/wine-run
# LARKSPOOL_WINEPREFIX names the prefix. Exits 77 (skipped) while the native
# tool cannot do the commands the tests need.
set -euo pipefail
probe_exe=$1
cli=$2
wine_run=$3
prefix=${LARKSPOOL_WINEPREFIX:?LARKSPOOL_WINEPREFIX is not set}
export LARKSPOOL_WINEPREFIX

work=$(mktemp -d)
host="interop-$RANDOM$RANDOM.test"
created=()

cleanup() {
    local url
    for url in "${created[@]}"; do
        "$wine_run" "$probe_exe" remove "$url" >/dev/null 2>&1 || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

skip() {
    echo "SKIPPED: $*"
    exit 77
}

# Exit status 2 is bad usage: the command does not exist yet.
require_cli_command() { # COMMAND ARGS...
    [ -x "$cli" ] || skip "no native larkspool-cli at $cli: build the default preset first"
    local rc=0
    "$cli" --cache "$work/scratch" "$@" >/dev/null 2>&1 || rc=$?
    [ "$rc" -ne 2 ] || skip "larkspool-cli cannot do '$1' yet"
}

probe() {
    "$wine_run" "$probe_exe" "$@"
}

# Wine's Content.IE5 folder; WinINet creates its index.dat on first use.
wine_cache_folder() {
    probe list >/dev/null
    local index
    index=$(find "$prefix/drive_c/users" -path '*/INetCache/Content.IE5/index.dat' -print -quit)
    [ -n "$index" ] || { echo "no Content.IE5/index.dat in $prefix" >&2; return 1; }
    realpath "$(dirname "$index")"
}

windows_path() { # /a/b -> Z:\a\b (Wine maps Z: to /)
    local path
    path=$(realpath "$1")
    echo "Z:${path//\//\\}"
}

# Lines of this test's host only, with the local file (column 2) as a real
# Unix path, keeping the columns named ("1,2,4,5").
normalize() { # COLUMNS < entries lines
    local columns=$1 url file rest drive
    while IFS=$'\t' read -r url file rest; do
        [[ $url == "http://$host/"* ]] || continue
        if [[ $file =~ ^([A-Za-z]):\\(.*)$ ]]; then
            drive=${BASH_REMATCH[1],,}
            file=$(readlink -f "$prefix/dosdevices/$drive:")/${BASH_REMATCH[2]//\\//}
        fi
        file=$(realpath -m "$file")
        printf '%s\t%s\t%s\n' "$url" "$file" "$rest" | cut -f "$columns"
    done | sort
}

expect_same() { # WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAILED: $1"
        diff <(echo "$2") <(echo "$3") || true
        exit 1
    fi
    echo "ok: $1"
}
