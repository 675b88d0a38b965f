#!/usr/bin/env bash
# validate.sh TOOL ARGS...: runs a validator of the desktop files or the package when it is
# installed (scripts/install-deps installs them); reports the test skipped when it is not.
command -v "$1" >/dev/null || { echo "$1 is not installed: skipped"; exit 77; }
exec "$@"
