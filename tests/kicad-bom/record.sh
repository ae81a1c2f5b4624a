#!/bin/bash
# Records what kicad-cli writes for the cases of demos.sh and fixtures.sh:
# runs KiCad in the chroot named by KICAD_CHROOT (default /work/kicad-sid)
# on copies of the projects, and keeps only KiCad's outputs. A tool for the
# developer: the tests themselves never need KiCad.
#   tests/kicad-bom/record.sh demos      the kicad-demos projects
#   tests/kicad-bom/record.sh fixtures [NAME]   the hand-written ones (or one)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
chroot_dir=${KICAD_CHROOT:-/work/kicad-sid}
[ -x "$chroot_dir/usr/bin/kicad-cli" ] || { echo "record.sh: no kicad-cli in $chroot_dir" >&2; exit 1; }
work=$(mktemp -d "$chroot_dir/tmp/kicad-bom-record.XXXXXX")
trap 'rm -rf "$work"' EXIT
inside=${work#"$chroot_dir"}

# record SOURCE_DIR ROOT_SHEET SETS_FILE EXPECTED_DIR
record() {
  local source=$1 sheet=$2 sets=$3 expected=$4
  rm -rf "$work/p" && cp -R "$source" "$work/p" && chmod -R u+w "$work/p"
  mkdir -p "$expected"
  while IFS=$'\t' read -r name options; do
    case $name in '#'*|'') continue ;; esac
    eval "args=($options)"
    rm -f "$work/out.csv"
    if chroot "$chroot_dir" kicad-cli sch export bom "${args[@]}" -o "$inside/out.csv" "$inside/p/$sheet" \
        >/dev/null 2>"$work/err"; then
      cp "$work/out.csv" "$expected/$name.csv"
    else
      # Kept, so that the tests know KiCad itself could not export it.
      echo "kicad-cli failed on $sheet with $name: $(grep -v '^Warning' "$work/err" | head -1)" >&2
      grep -v '^Warning' "$work/err" | head -1 > "$expected/$name.kicad-failed"
    fi
  done < "$sets"
}

case ${1:-} in
  demos)
    demos=/usr/share/kicad/demos
    while IFS= read -r pro; do
      dir=$(dirname "$pro"); base=$(basename "$pro" .kicad_pro)
      [ -f "$dir/$base.kicad_sch" ] || continue
      rel=${dir#"$demos"/}
      record "$dir" "$base.kicad_sch" "$here/demo-option-sets" "$here/demos/${rel// /_}/$base"
    done < <(find "$demos" -name '*.kicad_pro' | sort)
    ;;
  fixtures)
    for sets in "$here"/../inputs/kicad/*/option-sets; do
      [ -z "${2:-}" ] || [ "$(basename "$(dirname "$sets")")" = "$2" ] || continue
      fixture=$(dirname "$sets")
      record "$fixture" "$(cat "$fixture/root")" "$sets" "$fixture/expected"
    done
    ;;
  *) echo "usage: $0 demos|fixtures" >&2; exit 2 ;;
esac
