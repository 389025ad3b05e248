#!/usr/bin/env bash
# The demo cache from examples/, exported with larkspool-cli, browsed in
# headless Chromium: every link and image inside the exported tree, every
# image loaded, every redirect page landing on its default page.
# usage: exported_site_test.sh CLI
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/../../scripts/make-demo-cache" "$cli" "$work/cache"
"$cli" --cache "$work/cache" export --to "$work/export" --overwrite none --redirect index.htm
python3 "$here/check_exported_site.py" "$work/export" --redirect index.htm
