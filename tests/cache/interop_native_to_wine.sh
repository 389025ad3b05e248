#!/usr/bin/env bash
# Entries that larkspool-cli writes into Wine's cache folder are found by
# GetUrlCacheEntryInfoA and enumerated by FindFirstUrlCacheEntryA, and each
# side sees the other's replacements and deletions.
source "$(dirname "$0")/interop_common.sh"

mkdir -p "$work/src"
printf '<html><body>page</body></html>' >"$work/src/page.htm"
require_cli_command entries
require_cli_command add "http://scratch.test/a.htm" "$work/src/page.htm"
head -c 70000 /dev/urandom >"$work/src/pic.gif"
printf 'second' >"$work/src/second.htm"
touch -d '2018-02-03 04:05:06 UTC' "$work/src/pic.gif"

folder=$(wine_cache_folder)
cli_add() { # URL FILE [--modified TIME]: prints "URL<tab>cache file<tab>size<tab>time"
    local file
    file=$("$cli" --cache "$folder" add "$@")
    printf '%s\t%s\t00000001\t%s\t%s\n' "$1" "$file" "$(stat -c %s "$2")" "${4:-$(date -u -r "$2" +%Y-%m-%dT%H:%M:%SZ)}"
}
expected=$({
    cli_add "http://$host/page.htm" "$work/src/page.htm" --modified 2021-03-04T05:06:07Z
    cli_add "http://$host/img/pic.gif?x=1" "$work/src/pic.gif"
} | normalize 1-5)
created+=("http://$host/page.htm" "http://$host/img/pic.gif?x=1")

found=$(for url in "http://$host/page.htm" "http://$host/img/pic.gif?x=1"; do probe get "$url"; done | normalize 1-5)
expect_same "GetUrlCacheEntryInfoA finds what our store wrote" "$expected" "$found"
expect_same "FindFirstUrlCacheEntryA enumerates it" "$expected" "$(probe list | normalize 1-5)"

# WinINet replaces our entry, then our store replaces WinINet's.
probe add "http://$host/page.htm" "$(windows_path "$work/src/second.htm")" --modified 2022-01-01T00:00:00Z >/dev/null
expect_same "our store sees WinINet's replacement" \
    "$(probe get "http://$host/page.htm" | normalize 1-5)" \
    "$("$cli" --cache "$folder" entries | normalize 1-5 | grep -F "http://$host/page.htm")"
replaced=$("$cli" --cache "$folder" add "http://$host/page.htm" "$work/src/page.htm" --modified 2023-01-01T00:00:00Z)
expect_same "WinINet sees our replacement" "$(realpath -m "$replaced")" \
    "$(probe get "http://$host/page.htm" | normalize 2)"

# Deletions, each way.
"$cli" --cache "$folder" remove "http://$host/page.htm"
if probe get "http://$host/page.htm" >/dev/null 2>&1; then
    echo "FAILED: WinINet still finds the entry our store removed"
    exit 1
fi
echo "ok: WinINet misses the entry our store removed"
probe remove "http://$host/img/pic.gif?x=1"
expect_same "our store misses the entry WinINet removed" "" "$("$cli" --cache "$folder" entries | normalize 1)"
