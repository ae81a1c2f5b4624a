#!/bin/bash
# Runs `comptab sch export bom` on KiCad projects under option sets and
# compares every output, byte for byte, with what kicad-cli 10.0.7 wrote
# (recorded by record.sh). Nothing of KiCad is needed here. An output with
# a NAME.differs file beside it differs for a reason given there (and in
# docs/kicad.md); comptab must still export it without failing.
#   compare.sh COMPTAB demos      the kicad-demos projects, where Debian installs them
#   compare.sh COMPTAB fixtures   the hand-written projects under tests/inputs/kicad/ with option-sets
# Exits 77 (skipped) when the demos are not installed.
set -uo pipefail
comptab=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
compared=0
known=0

# check SOURCE_DIR ROOT_SHEET SETS_FILE EXPECTED_DIR
check() {
  local source=$1 sheet=$2 sets=$3 expected=$4
  while IFS=$'\t' read -r name options; do
    case $name in '#'*|'') continue ;; esac
    [ -f "$expected/$name.kicad-failed" ] && continue  # KiCad itself cannot export it
    eval "args=($options)"
    rm -f "$work/out.csv"
    if ! (cd "$work" && "$comptab" sch export bom "${args[@]}" -o "$work/out.csv" "$source/$sheet") 2>"$work/err"; then
      echo "FAIL $source/$sheet [$name]: comptab failed: $(head -1 "$work/err")"
      failed=$((failed + 1))
    elif [ -f "$expected/$name.differs" ]; then
      known=$((known + 1))  # a difference docs/kicad.md explains; comptab must still export it
    elif ! cmp -s "$work/out.csv" "$expected/$name.csv"; then
      echo "FAIL $source/$sheet [$name]: differs from kicad-cli:"
      diff -u "$expected/$name.csv" "$work/out.csv" | head -20
      failed=$((failed + 1))
    fi
    compared=$((compared + 1))
  done < "$sets"
}

case ${2:-} in
  demos)
    demos=/usr/share/kicad/demos
    [ -d "$demos" ] || { echo "skipped: kicad-demos is not installed"; exit 77; }
    for expected in "$here"/demos/*/* "$here"/demos/*/*/*; do
      [ -f "$expected/defaults.csv" ] || [ -f "$expected/defaults.kicad-failed" ] || continue
      rel=${expected#"$here"/demos/}
      base=$(basename "$rel"); dir=$(dirname "$rel")
      # Folder names with spaces are recorded with underscores.
      source="$demos/$dir"
      [ -d "$source" ] || source="$demos/${dir//_/ }"
      [ -f "$source/$base.kicad_sch" ] || { echo "skipped: $dir/$base is not among the installed demos"; continue; }
      check "$source" "$base.kicad_sch" "$here/demo-option-sets" "$expected"
    done
    ;;
  fixtures)
    for sets in "$here"/../inputs/kicad/*/option-sets; do
      fixture=$(dirname "$sets")
      check "$fixture" "$(cat "$fixture/root")" "$sets" "$fixture/expected"
    done
    ;;
  *) echo "usage: $0 COMPTAB demos|fixtures" >&2; exit 2 ;;
esac
echo "$compared outputs compared, $failed different, $known known to differ (the .differs files say why)"
[ "$failed" -eq 0 ]
