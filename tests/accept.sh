#!/usr/bin/env bash
# Rewrites the expected files of end-to-end cases from what comptab does now,
# after a deliberate change: only the cases that fail are rewritten, so that
# a case whose output did not change keeps its files untouched. Read the diff
# before committing it.
#   tests/accept.sh BUILD_DIR [CASE_NAME...]   (no name: every case)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
export E2E_GEN=${E2E_GEN:-$build/gen_design}
comptab=$build/app/comptab suite=$(dirname "$here")/suite
if [ $# -eq 0 ]; then
  set --
  for dir in "$here"/e2e/*/; do set -- "$@" "$(basename "$dir")"; done
fi
for name in "$@"; do
  status=0
  "$here/run_case.sh" "$comptab" "$here/e2e/$name" "$suite" > /dev/null 2>&1 || status=$?
  case $status in
    0) ;;  # passes: nothing to accept
    77) echo "skipped $name" ;;
    *) "$here/run_case.sh" "$comptab" "$here/e2e/$name" "$suite" --accept ;;
  esac
done
