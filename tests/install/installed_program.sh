#!/usr/bin/env bash
# The program installed into a scratch DESTDIR under /usr and started from there: recipes,
# prints and backups live in the data folder, where the starter is copied once.
source "$(dirname "$0")/lib.sh" "$@"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
program=$work/root/usr/bin/kitchenex data=$work/data/kitchenex
installed=$(find "$work/root" -printf '%p %s %T@\n')

grep -qx "author: Changed-By-Test" <<<"$(drive "$program" "$work/data" Changed-By-Test)" ||
    fail "first start"
for f in Recipe.mdb Recipe.mdb.bak print.txt print.htm; do
    [ -f "$data/$f" ] || fail "no $f in the data folder"
done
grep -q '^Author: Changed-By-Test' "$data/print.txt" || fail "print.txt is not the recipe printed"
[ "$(stat -c %a "$data")" = 700 ] || fail "others can read the data folder"
grep -qx "author: Changed-By-Test" <<<"$(drive "$program" "$work/data")" ||
    fail "the second start lost the change"

drive "$program" relative/data >/dev/null
[ -f "$work/home/.local/share/kitchenex/Recipe.mdb" ] && [ ! -e "$work/relative" ] ||
    fail "a relative XDG_DATA_HOME was not ignored"
touch "$work/file"
grep -q "message: Kitchenex keeps your recipes in the folder \"$work/file/kitchenex\", but" \
    <<<"$(drive "$program" "$work/file")" || fail "no message naming the folder"
"$work/root/usr/bin/kitchenex-import-jet" "$KX_TEST_DATA/jet/recipes_V2000.mdb" "$work/jet.mdb" \
    >/dev/null || fail "the installed converter finds no Jet reader"
[ "$(find "$work/root" -printf '%p %s %T@\n')" = "$installed" ] || fail "the installed tree changed"

# A damaged starter is never put in place.
head -c 20000 "$work/root/usr/share/kitchenex/Recipe.mdb" >"$work/cut"
cp "$work/cut" "$work/root/usr/share/kitchenex/Recipe.mdb"
grep -q "message: The starter recipe database .* did not pass its check" \
    <<<"$(drive "$program" "$work/new")" || fail "a damaged starter was not refused"
[ -z "$(ls -A "$work/new/kitchenex")" ] || fail "a damaged starter left a file"
