#!/usr/bin/env bash
# The demo cache from examples/, exported with larkspool-cli, browsed in
# headless Chromium: every link and image inside the exported tree, every
# image loaded, every redirect page landing on its default page.
# With "offline": the offline test site (make_offline_site.py) put into a
# cache with add, exported, and checked request by request with the network
# off; then imported into a new cache and exported again, which must give
# the same tree byte for byte.
# usage: exported_site_test.sh CLI [offline]
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "${2:-}" != offline ]; then
    "$here/../../scripts/make-demo-cache" "$cli" "$work/cache"
    "$cli" --cache "$work/cache" export --to "$work/export" --overwrite none --redirect index.htm
    python3 "$here/check_exported_site.py" "$work/export" --redirect index.htm
    exit
fi

python3 "$here/make_offline_site.py" "$work/site"
mkdir -p "$work/cache" "$work/again"
while IFS=$'\t' read -r url file; do
    "$cli" --cache "$work/cache" add "$url" "$file" --modified 2020-01-01T00:00:00Z >/dev/null
done <"$work/site/urls.tsv"
"$cli" --cache "$work/cache" export --to "$work/export" --overwrite none
python3 "$here/check_exported_site.py" "$work/export" --expect "$work/site/expect.json"

"$cli" --cache "$work/again" import --from "$work/export" >/dev/null
"$cli" --cache "$work/again" export --to "$work/export-again" --overwrite none
diff -r "$work/export" "$work/export-again"
