#!/usr/bin/env bash
# Runs the commands of the README's "Quick start" and "Using it" as a reader
# would paste them, in a scratch copy of the tree's examples, and checks
# that they run without a message and print what the README shows; checks
# that the documents the README links to exist and that every computed
# column is documented.
#
#   readme_check.sh COMPTAB SOURCE_DIR
set -u
comptab=$1 source=$2
readme=$source/README.md
work=$(mktemp -d "${TMPDIR:-/tmp}/comptab-readme.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The fenced block number N (from 1) after the line that starts with HEAD.
block() {
  awk -v head="$1" -v n="$2" '
    index($0, head) == 1 { after = 1; count = 0; next }
    after && /^```/ { if (inside) { inside = 0; if (count == n) exit; next } count++; inside = 1; next }
    after && inside && count == n { print }' "$readme"
}

# The tree as the commands expect it: suite/, build/app/comptab, examples/.
mkdir -p "$work/build/app" "$work/home"
ln -s "$source/suite" "$work/suite"
ln -s "$comptab" "$work/build/app/comptab"
cp -R "$source/examples" "$work/examples"
rm -rf "$work/examples/out" "$work/examples/log" "$work"/examples/*.cir/log "$work"/examples/*.cir/instance.db
export HOME=$work/home
unset KDXROOT KDXLANG

failed=0
run() {  # label script
  (cd "$work" && bash -e -c "$2") > "$work/.out" 2> "$work/.err"
  local status=$?
  if [ $status -ne 0 ] || [ -s "$work/.err" ]; then
    echo "$1: status $status, standard error:"; cat "$work/.err"; failed=1
  fi
}

run "quick start" "$(block '## Quick start' 1)"
diff -u --label "README listing and bill of materials" --label "what the commands print" \
  <(block '## Quick start' 2; block '## Quick start' 3) "$work/.out" || failed=1
[ -f "$work/examples/out/first/bom.txt" ] || { echo "the quick start wrote no bom.txt"; failed=1; }

run "using it" "$(block '## Using it' 1)"
grep -q '^U1,' "$work/examples/out/list.txt" || { echo "examples/out/list.txt lacks U1"; failed=1; }
grep -q '^_TOBOARD' "$work/.out" || { echo "the circuit was not listed on standard output"; failed=1; }
[ -e "$work/-" ] && { echo "-output - wrote a file named -"; failed=1; }

# The KiCad bill of materials, on a copy in the scratch folder rather than
# /tmp, when kicad-demos is installed: no message, and the lines shown.
if [ -d /usr/share/kicad/demos/complex_hierarchy ]; then
  run "KiCad BOM" "export KDXROOT=$work/suite; $(block '## Using it' 2 | sed "s|/tmp/|$work/tmp/|g; s|^cp |mkdir -p $work/tmp \&\& cp |")"
  block '## Using it' 3 | grep -v '^\.\.\.$' | while IFS= read -r line; do
    grep -qxF -- "$line" "$work/.out" || { echo "the KiCad BOM lacks the README's line: $line"; exit 1; }
  done || failed=1
fi

# Every document the README links to is there.
for doc in $(grep -o '(docs/[a-z-]*\.md)' "$readme" | tr -d '()'); do
  [ -f "$source/$doc" ] || { echo "the README links to $doc, which does not exist"; failed=1; }
done
# Every column comptab computes (the suite's display names list them after
# the design's own properties) has its entry in docs/computed-columns.md.
own="reference partName componentName cdbName isvGate value description"
for name in $(grep -o '^ *\["[A-Za-z_]*"' "$source/suite/system/eng/PropSpec.tbl" | tr -d ' ["'); do
  case " $own " in *" $name "*) continue ;; esac
  grep -q "^| \`$name\`\|^| \`[A-Za-z_]*\`, \`$name\`" "$source/docs/computed-columns.md" ||
    { echo "docs/computed-columns.md has no row for $name"; failed=1; }
done
exit $failed
