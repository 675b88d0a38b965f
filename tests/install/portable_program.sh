#!/usr/bin/env bash
# The program in a folder that holds Recipe.mdb (the build folder, a copy on a stick) keeps
# everything beside itself and makes nothing in the home folder.
source "$(dirname "$0")/lib.sh" "$@"

# A copy of the program and its database: a change and a print land beside it.
mkdir "$work/stick"
cp "$build/bin/kitchenex" "$build/bin/Recipe.mdb" "$work/stick/"
out=$(drive "$work/stick/kitchenex" "$work/data" Changed-By-Test)
grep -qx "author: Changed-By-Test" <<<"$out" || fail "portable copy: $out"
for f in Recipe.mdb.bak print.txt print.htm; do
    [ -f "$work/stick/$f" ] || fail "no $f beside the portable copy"
done

# The build folder's program: its database is read, not changed, and the print is written
# beside it.
before=$(sha256sum "$build/bin/Recipe.mdb")
touch "$work/mark"
out=$(drive "$build/bin/kitchenex" "$work/data")
grep -q "^author: ." <<<"$out" || fail "build folder: $out"
[ "$(sha256sum "$build/bin/Recipe.mdb")" = "$before" ] || fail "the build folder's database changed"
[ "$build/bin/print.txt" -nt "$work/mark" ] || fail "the print was not written beside the program"

[ ! -e "$work/data" ] && [ -z "$(ls -A "$work/home")" ] || fail "files were made in the home folder"
echo "portable program: everything stays beside it"
