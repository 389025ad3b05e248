#!/bin/sh
# Runs a test program as the unprivileged user nobody when started as root,
# and as it is otherwise, so that permission checks are really made:
#   unprivileged.sh [--copy VARIABLE=PROGRAM]... TEST-PROGRAM [ARGUMENT]...
# A build tree nobody cannot enter (a clone in root's home folder or in a
# mktemp -d folder) must not keep the test from running: as root, the test
# program and each --copy program are copied into a folder nobody can reach,
# each copy's path handed to the test in its VARIABLE, and the folder is
# removed afterwards.
if [ "$(id -u)" != 0 ]; then
    while [ "$1" = --copy ]; do shift 2; done
    exec "$@"
fi
copies=$(mktemp -d "${TMPDIR:-/tmp}/larkspool-unprivileged.XXXXXX") || exit 1
trap 'rm -rf "$copies"' EXIT
chmod 755 "$copies"
while [ "$1" = --copy ]; do
    cp "${2#*=}" "$copies/" || exit 1
    export "${2%%=*}=$copies/$(basename "${2#*=}")"
    shift 2
done
cp "$1" "$copies/" || exit 1
program="$copies/$(basename "$1")"
shift
cd "$copies" || exit 1
setpriv --reuid=65534 --regid=65534 --clear-groups "$program" "$@"
