#!/usr/bin/env bash
# The checks of what the program installs and of its Debian package, one per
# ctest test: install_checks.sh CHECK ARGS...
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# desktop-entry FILE: valid for desktop-file-validate (hints allowed), and not
# claiming folders for itself.
desktop_entry() {
    local file=$1 report
    report=$(desktop-file-validate "$file" 2>&1) || fail "desktop-file-validate: $report"
    echo "$report"
    ! grep -qE ': (error|warning):' <<<"$report" || fail "desktop-file-validate reported problems"
    ! grep -q '^MimeType=' "$file" || fail "the entry claims MIME types"
    grep -qx 'Exec=larkspool %f' "$file" || fail "Exec is not 'larkspool %f'"
}

# metainfo FILE VERSION: valid for appstreamcli, and its newest release is
# the program's version.
metainfo() {
    local file=$1 version=$2 newest
    appstreamcli validate --no-net "$file" || fail "appstreamcli validate"
    newest=$(grep -o '<release version="[^"]*"' "$file" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "newest release in $file is '$newest', the program is $version: add the release"
}

# manual-pages PAGE...: no warnings from groff, nor from man laying it out
# at 80 columns.
manual_pages() {
    local page warnings
    for page in "$@"; do
        warnings=$(groff -man -ww -z "$page" 2>&1; MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
        echo "$page: no warnings"
    done
}

# The commands of a manual page: the tags of the top-level list under
# COMMANDS, first word, fonts stripped.
manual_commands() {
    awk '/^\.SH/ { section = ($0 ~ /COMMANDS/) }
         section && /^\.RS/ { depth++ }
         section && /^\.RE/ { depth-- }
         section && depth == 0 && tagged {
             line = $0
             gsub(/\\f[BIRP]/, "", line); sub(/^\.[BIR]+ +/, "", line); gsub(/"/, "", line)
             split(line, words, " "); print words[1]
         }
         { tagged = ($0 ~ /^\.TP/) }' "$1"
}

# manual-matches-help PAGE CLI: the page lists the commands that --help
# lists, in its order, and names every option --help names.
manual_matches_help() {
    local page=$1 cli=$2 help from_help from_page option
    help=$("$cli" --help)
    from_help=$(sed -n '/^commands:/,/^$/p' <<<"$help" | grep -E '^  [a-z]' | awk '{ print $1 }')
    from_page=$(manual_commands "$page")
    [ -n "$from_help" ] || fail "no commands in --help"
    [ "$from_help" = "$from_page" ] ||
        fail "commands differ (--help, then $page):"$'\n'"$(diff <(echo "$from_help") <(echo "$from_page"))"
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
        grep -qF -- "${option//-/\\-}" "$page" || fail "$page does not name $option"
    done
    echo "$(wc -l <<<"$from_help") commands agree"
}

# build-package BUILD OUT: the .deb of the build, as cpack --preset default
# makes it, into OUT.
build_package() {
    local build=$1 out=$2
    rm -rf "$out"
    mkdir -p "$out"
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out"
    ls "$out"/*.deb
}

the_deb() {
    local debs=("$1"/*.deb)
    [ -f "${debs[0]}" ] || fail "no .deb in $1"
    echo "${debs[0]}"
}

# package-contents OUT APP_ID VERSION: exactly the expected files, a version
# and dependencies from the build, and programs that run from a scratch root.
package_contents() {
    local out=$1 id=$2 version=$3 deb root expected actual size header
    deb=$(the_deb "$out")
    expected=$(sort <<EOF
./usr/bin/larkspool
./usr/bin/larkspool-cli
./usr/share/applications/$id.desktop
./usr/share/doc/larkspool/changelog.gz
./usr/share/doc/larkspool/copyright
./usr/share/icons/hicolor/16x16/apps/$id.png
./usr/share/icons/hicolor/256x256/apps/$id.png
./usr/share/icons/hicolor/32x32/apps/$id.png
./usr/share/icons/hicolor/48x48/apps/$id.png
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/larkspool/larkspool.hlp
./usr/share/larkspool/larkspool_en.hlp
./usr/share/larkspool/translations/larkspool_en.qm
./usr/share/man/man1/larkspool-cli.1.gz
./usr/share/man/man1/larkspool.1.gz
./usr/share/metainfo/$id.metainfo.xml
EOF
)
    actual=$(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { print $6 }' | sort)
    [ "$actual" = "$expected" ] ||
        fail "package files differ (expected, then packed):"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"
    ! dpkg-deb -c "$deb" | awk '{ print $2 }' | grep -qv '^root/root$' || fail "files not owned by root"

    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version), not $version"
    dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no Qt in Depends: $(dpkg-deb -f "$deb" Depends)"
    dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "no libc6 in Depends"

    root=$out/root
    rm -rf "$root"
    dpkg -x "$deb" "$root"
    zcat "$root/usr/share/doc/larkspool/changelog.gz" | head -n 1 | grep -qF "larkspool ($version)" ||
        fail "the changelog's newest entry is not $version: add it"
    for size in 16 32 48 256; do
        # A PNG's width and height: big-endian, after the signature and the header's length and type.
        header=$(od -An -tu4 --endian=big -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | xargs)
        [ "$header" = "$size $size" ] || fail "the ${size}x${size} icon is $header"
    done
    # The menu finds the program and its icon by the names the entry gives.
    local entry=$root/usr/share/applications/$id.desktop
    [ -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] || fail "the entry's Exec is not a packed program"
    [ "$(sed -n 's/^Icon=//p' "$entry")" = "$id" ] || fail "the entry's Icon is not $id"
    [ "$("$root/usr/bin/larkspool-cli" --version)" = "larkspool-cli $version" ] || fail "installed --version"
    "$root/usr/bin/larkspool-cli" --help | grep -q '^commands:' || fail "installed --help"
    [ "$(LARKSPOOL_CACHE="$out/no-cache" "$root/usr/bin/larkspool-cli" tree)" = $'MSIE Cache\t0' ] ||
        fail "installed larkspool-cli tree on an empty cache"
    echo "package $deb: contents, version, dependencies and installed programs as expected"
}

# lintian OUT: no errors; warnings are printed for the record.
lintian_check() {
    local deb
    deb=$(the_deb "$1")
    lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
}

check=$1
shift
case $check in
    desktop-entry) desktop_entry "$@" ;;
    metainfo) metainfo "$@" ;;
    manual-pages) manual_pages "$@" ;;
    manual-matches-help) manual_matches_help "$@" ;;
    build-package) build_package "$@" ;;
    package-contents) package_contents "$@" ;;
    lintian) lintian_check "$@" ;;
    *) fail "unknown check $check" ;;
esac
