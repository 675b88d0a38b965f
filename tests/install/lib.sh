# Shared by the tests that run the program the way it is started from a menu or a folder.
# Usage: source lib.sh BUILD_DIR HOOK
set -euo pipefail
build=$1
hook=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
# A sanitized build loads its runtime after the preloaded hook.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
export QT_QPA_PLATFORM=offscreen

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# drive PROGRAM XDG_DATA_HOME [AUTHOR]: starts PROGRAM with a scratch HOME, shows the first
# recipe, sets its author to AUTHOR when given, prints it, and closes. Prints what the hook
# saw; fails when the program does not end well.
drive() {
    local out
    out=$(cd "$work" && env HOME="$work/home" XDG_DATA_HOME="$2" ${3:+KX_DRIVE_AUTHOR="$3"} \
        LD_PRELOAD="$hook" timeout 60 "$1") || fail "$1 ended with status $?: $out"
    echo "$out"
}
