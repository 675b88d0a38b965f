# Shared by the tests that start the program as a person does. Usage: source lib.sh BUILD HOOK
set -euo pipefail
build=$1 hook=$2 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home"
# A sanitized build loads its runtime after the preloaded hook.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" QT_QPA_PLATFORM=offscreen
fail() { echo "FAIL: $*" >&2; exit 1; }
# drive PROGRAM XDG_DATA_HOME [AUTHOR]: what the hook (DriveHook.cpp) saw, with a scratch HOME.
drive() {
    (cd "$work" && env HOME="$work/home" XDG_DATA_HOME="$2" ${3:+KX_DRIVE_AUTHOR="$3"} \
        LD_PRELOAD="$hook" timeout 60 "$1") || fail "$1 ended with status $?"
}
