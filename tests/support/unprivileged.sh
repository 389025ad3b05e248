#!/bin/sh
# Runs a command as the unprivileged user nobody when started as root, and
# as it is otherwise, so that permission checks are really made.
if [ "$(id -u)" = 0 ]; then
    exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
fi
exec "$@"
