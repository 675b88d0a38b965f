#!/usr/bin/env bash
# The program as installed: `cmake --install` into a scratch DESTDIR under /usr, started from
# there with a scratch HOME and XDG_DATA_HOME. Its recipes, prints and backups live in the
# data folder; the starter database is copied there on the first start and never again.
source "$(dirname "$0")/lib.sh" "$@"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
program=$work/root/usr/bin/kitchenex
installed=$(find "$work/root" -printf '%p %s %T@\n' | sort)
data=$work/data/kitchenex

out=$(drive "$program" "$work/data" Changed-By-Test)
grep -qx "author: Changed-By-Test" <<<"$out" || fail "first start: $out"
for f in Recipe.mdb Recipe.mdb.bak print.txt print.htm; do
    [ -f "$data/$f" ] || fail "no $f in the data folder"
done
grep -q '^Author: Changed-By-Test' "$data/print.txt" || fail "print.txt is not the recipe printed"
[ "$(stat -c %a "$data")" = 700 ] || fail "the data folder can be read by others"

# The second start finds the change: the starter is not copied again.
out=$(drive "$program" "$work/data")
grep -qx "author: Changed-By-Test" <<<"$out" || fail "second start: $out"

# A relative XDG_DATA_HOME is ignored: the default folder under HOME is used.
out=$(drive "$program" relative/data)
[ -f "$work/home/.local/share/kitchenex/Recipe.mdb" ] || fail "not in ~/.local/share: $out"
[ ! -e "$work/relative" ] || fail "a relative XDG_DATA_HOME was used"

# A data folder that cannot be made is named in a message; the program goes on.
touch "$work/file"
out=$(drive "$program" "$work/file")
grep -q "message: Kitchenex keeps your recipes in the folder \"$work/file/kitchenex\", but" \
    <<<"$out" || fail "no message naming the folder: $out"

# The Jet reader is found in libexec from the installed tools.
"$work/root/usr/bin/kitchenex-import-jet" "$KX_TEST_DATA/jet/recipes_V2000.mdb" "$work/jet.mdb" \
    >/dev/null || fail "the installed converter cannot read a Jet file"

[ "$(find "$work/root" -printf '%p %s %T@\n' | sort)" = "$installed" ] ||
    fail "the program wrote into its installed folders"
echo "installed program: data folder, starter, prints and backups as expected"
