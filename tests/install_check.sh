#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a person finds
# there: the program runs on the installed example with KDXROOT pointing at
# the installed suite root, and the manual page formats without a warning.
#
#   install_check.sh BUILD_DIR SOURCE_DIR
set -u
build=$1 source=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/comptab-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > "$prefix/.install.log" || { cat "$prefix/.install.log"; exit 1; }

failed=0
doc=$prefix/share/doc/comptab
for f in bin/comptab share/man/man1/comptab.1 share/comptab/suite/system/eng/comptab.msg \
         share/doc/comptab/README.md share/doc/comptab/docs/command-line.md \
         share/doc/comptab/examples/board.sht; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; failed=1; }
done
[ -e "$doc/examples/kcdb.db" ] && { echo "a built KCDB was installed with the examples"; failed=1; }

# A copy, as a reader would make one: the installed examples are not theirs to write in.
work=$prefix/work
mkdir -p "$work/home"
cp -R "$doc/examples/board.sht" "$doc/examples/list.rsc" "$doc/examples/data" "$work"/
(
  cd "$work" || exit 1
  export HOME=$work/home KDXROOT=$prefix/share/comptab/suite
  "$prefix/bin/comptab" -p:resource list.rsc -output - board.sht > list.txt 2> stderr.txt
  status=$?
  [ $status -eq 0 ] || { echo "the installed comptab exited with $status:"; cat stderr.txt; exit 1; }
  [ -s stderr.txt ] && { echo "the installed comptab wrote to standard error:"; cat stderr.txt; exit 1; }
  # The same listing as the end-to-end case of the example in the source tree.
  diff -u "$source/tests/e2e/example-board-list/expected.out" list.txt || exit 1
) || failed=1

# The page is written by hand from docs/command-line.md: every -mode word
# and -p: name there must be on it too.
page=$prefix/share/man/man1/comptab.1
for word in $(sed -n 's/^| `\([a-z]*\)` | `[a-z]*` |.*/\1/p; s/^| `-p:\([a-z]*\) .*/\1/p' "$source/docs/command-line.md"); do
  grep -q "^\.BR $word \|p:$word" "$page" || { echo "the manual page lacks $word"; failed=1; }
done

if command -v groff > /dev/null; then
  warnings=$(groff -ww -z -man "$prefix/share/man/man1/comptab.1" 2>&1)
  [ -n "$warnings" ] && { echo "groff warns about the manual page:"; echo "$warnings"; failed=1; }
  if command -v man > /dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/comptab.1" 2>&1 > /dev/null)
    [ -n "$warnings" ] && { echo "man warns about the manual page:"; echo "$warnings"; failed=1; }
  fi
else
  echo "groff is not installed (scripts/install-deps installs it): the manual page is not checked"
fi
exit $failed
