#!/usr/bin/env bash
# scripts/build builds the program alone, with as many jobs as there are
# cores; scripts/test builds everything (the tests among it) and runs the
# tests. cmake and ctest are stood in for by scripts that write down how
# they were called, so nothing is built here.
#   build_scripts_check.sh SOURCE_ROOT
set -u
source_root=$1
fake=$(mktemp -d "${TMPDIR:-/tmp}/comptab-build-scripts.XXXXXX")
trap 'rm -rf "$fake"' EXIT
for tool in cmake ctest; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$tool" "$fake" > "$fake/$tool"
  chmod +x "$fake/$tool"
done
jobs=$(nproc 2>/dev/null || echo 2)
status=0
expect() {  # the calls file must hold a line matching the pattern
  grep -Eq -- "$1" "$fake/calls" || { echo "no call matching '$1' in:"; cat "$fake/calls"; status=1; }
}
PATH="$fake:$PATH" "$source_root/scripts/build" > /dev/null
expect "^cmake --build build --target comptab -j $jobs\$"
: > "$fake/calls"
PATH="$fake:$PATH" "$source_root/scripts/test" > /dev/null
expect "^cmake --build build --target all -j $jobs\$"
expect "^ctest --test-dir build .*-j $jobs\$"
expect "^cmake --build build-asan --target all -j $jobs\$"
exit $status
