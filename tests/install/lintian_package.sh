#!/usr/bin/env bash
# Makes the Debian package of the build into a scratch folder and runs lintian over it: no
# error and no warning but those the package's overrides file keeps, each with its reason.
set -euo pipefail
for tool in lintian dpkg-shlibdeps; do
    command -v $tool >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
lintian --fail-on error,warning --display-info "$work"/kitchenex_*.deb
