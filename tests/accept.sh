#!/usr/bin/env bash
# Rewrites the expected files of end-to-end cases from what comptab does now,
# after a deliberate change. Read the diff before committing it.
#   tests/accept.sh BUILD_DIR CASE_NAME...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift
export E2E_GEN=${E2E_GEN:-$build/gen_design}
for name in "$@"; do
  "$here/run_case.sh" "$build/app/comptab" "$here/e2e/$name" "$(dirname "$here")/suite" --accept
done
