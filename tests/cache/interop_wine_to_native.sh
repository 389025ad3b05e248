#!/usr/bin/env bash
# Entries that WinINet commits under Wine are listed by our own store with the
# same URLs, local files, types, sizes and last-modified times.
source "$(dirname "$0")/interop_common.sh"
require_cli_command entries

mkdir -p "$work/src"
printf '<html><body>page</body></html>' >"$work/src/page.htm"
head -c 70000 /dev/urandom >"$work/src/pic.gif"
: >"$work/src/empty.txt"
touch -d '2019-05-06 07:08:09 UTC' "$work/src/pic.gif"

add() { # URL FILE [--modified TIME]
    created+=("$1")
    probe add "$1" "$(windows_path "$2")" "${@:3}" >/dev/null
}
add "http://$host/page.htm" "$work/src/page.htm" --modified 2020-01-02T03:04:05Z
add "http://$host/img/pic.gif?x=1&y=2" "$work/src/pic.gif"
add "http://$host/dir/" "$work/src/empty.txt" --modified 1999-12-31T23:59:59Z

folder=$(wine_cache_folder)
wine_side=$(probe list | normalize 1-5)
native_side=$("$cli" --cache "$folder" entries | normalize 1-5)

expect_same "three entries committed by WinINet" 3 "$(grep -c . <<<"$wine_side")"
expect_same "times as committed" \
    "$(printf '%s\n' 2020-01-02T03:04:05Z 2019-05-06T07:08:09Z 1999-12-31T23:59:59Z | sort)" \
    "$(cut -f 5 <<<"$wine_side" | sort)"
expect_same "our store lists what WinINet wrote" "$wine_side" "$native_side"
