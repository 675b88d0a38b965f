#!/usr/bin/env bash
# A program whose folder holds Recipe.mdb keeps everything beside itself, nothing in HOME.
source "$(dirname "$0")/lib.sh" "$@"
mkdir "$work/stick"
cp "$build/bin/kitchenex" "$build/bin/Recipe.mdb" "$work/stick/"
grep -qx "author: Changed-By-Test" <<<"$(drive "$work/stick/kitchenex" "$work/data" Changed-By-Test)" ||
    fail "portable copy"
for f in Recipe.mdb.bak print.txt print.htm; do
    [ -f "$work/stick/$f" ] || fail "no $f beside the portable copy"
done

# The build folder's program: its database read, not changed; the print beside it.
before=$(sha256sum "$build/bin/Recipe.mdb")
touch "$work/mark"
grep -q "^author: ." <<<"$(drive "$build/bin/kitchenex" "$work/data")" || fail "build folder"
[ "$(sha256sum "$build/bin/Recipe.mdb")" = "$before" ] || fail "the build folder's database changed"
[ "$build/bin/print.txt" -nt "$work/mark" ] || fail "the print is not beside the program"
[ ! -e "$work/data" ] && [ -z "$(ls -A "$work/home")" ] || fail "files were made in HOME"
