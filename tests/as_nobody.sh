#!/usr/bin/env bash
# Runs a test program as the user nobody when started as root, else as it is.
# Exits 77 (skipped) where nobody cannot run it.
set -u
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
program=$(realpath "$1"); shift
set -- "$program" "$@"
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
if ! "${as_nobody[@]}" test -x "$1"; then
  echo "skipped: nobody cannot run $1 (a folder on its path is closed to other users)"
  exit 77
fi
cd /tmp && exec env HOME=/tmp "${as_nobody[@]}" "$@"
