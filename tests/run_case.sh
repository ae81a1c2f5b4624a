#!/usr/bin/env bash
# Runs one end-to-end case: the built comptab on the case's inputs, its
# standard output, standard error, error file and exit status compared with
# the expected files of the case.
#
#   run_case.sh COMPTAB CASE_DIR SUITE_ROOT [--accept]
#
# A case folder holds:
#   cmd              line 1: a comment saying what the case shows;
#                    line 2: the arguments, as a shell would split them
#   env              optional: NAME=VALUE lines, or -NAME to unset NAME
#   setup            optional: bash run in the work folder first ($E2E_SUITE is
#                    the shipped suite root, $E2E_COMPTAB the comptab under
#                    test, for cases that need an earlier run; $E2E_GEN, when
#                    set, the design generator gen_design); exit 77 skips
#   expected.status  the exit status
#   expected.out     standard output (optional: absent means not compared)
#   expected.stderr  standard error (optional)
#   expected.err     the error file; absent means no error file may exist
#   errfile          optional: where the error file is, relative to the work
#                    folder (default log/comptab.err, beside a sheet file
#                    named without a folder)
#   inputs           optional: names of shared inputs under tests/inputs/,
#                    one a line, copied into the work folder first
#   expected.file.N  the file N that the run writes in the work folder
#   stdout-closed    optional, empty: the run starts with standard output
#                    closed (expected.out is then empty)
#   as-nobody        optional, empty: setup and run go as the user nobody, so
#                    that a file without read or write permission stops the
#                    run as it stops any user but root; a root runner uses
#                    setpriv (util-linux), any other runner runs as itself
#   stderr-broken-pipe  optional, empty: the run's standard error is a pipe
#                    whose reader has gone (expected.stderr is then empty)
#   ulimit-v         optional: a limit in KiB on the run's address space
#                    (ulimit -v), for running out of memory; such a case is
#                    skipped when E2E_SANITIZED is set, since the sanitizers
#                    reserve far more address space than any such limit
#   check            optional: bash run in the work folder after the run, for
#                    what expected files cannot hold (a large table, files
#                    left behind); a status other than 0 fails the case
# In expected files and in env, @WORK@ stands for the work folder and
# @SUITE@ for the suite root; in expected files, @PID@ for the process id in
# the name of a temporary file (NAME.tmp.PID.N).
set -u
comptab=$1 case_dir=$2 suite=$3 accept=${4:-}
name=$(basename "$case_dir")
work=$(mktemp -d "${TMPDIR:-/tmp}/comptab-e2e.XXXXXX")
aside=""  # copies of comptab and the suite for a user who cannot reach them
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work" ${aside:+"$aside"}' EXIT
inputs_dir=$(cd "$(dirname "$0")" && pwd)/inputs
if [ -f "$case_dir/inputs" ]; then
  while IFS= read -r input || [ -n "$input" ]; do
    # -L: an input may link to a file kept elsewhere in the tree (the schema).
    [ -n "$input" ] && cp -RL "$inputs_dir/$input" "$work"/
  done < "$case_dir/inputs"
fi
cp -R "$case_dir"/. "$work"/
mkdir -p "$work/home"
cd "$work" || exit 1

as=()  # the command prefix that runs setup and comptab as another user
if [ -f as-nobody ] && [ "$(id -u)" -eq 0 ]; then
  command -v setpriv > /dev/null || { echo "skipped: running as nobody needs setpriv (util-linux)"; exit 77; }
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  # The folders above the build tree or the sources may be closed to others.
  if ! "${as[@]}" test -x "$comptab" || ! "${as[@]}" test -r "$suite/system/kordata.rsc"; then
    aside=$(mktemp -d "${TMPDIR:-/tmp}/comptab-e2e-aside.XXXXXX")
    cp "$comptab" "$aside/comptab" && cp -R "$suite" "$aside/suite" || exit 1
    chmod -R a+rX "$aside"
    comptab=$aside/comptab suite=$aside/suite
  fi
  chown -R nobody:nogroup "$work"
  "${as[@]}" test -w "$work" || { echo "nobody cannot reach the work folder $work (TMPDIR?)"; exit 1; }
fi

export HOME="$work/home" KDXROOT="$suite"
unset KDXLANG KSYSROOT
if [ -f env ]; then
  while IFS= read -r line || [ -n "$line" ]; do
    [ -z "$line" ] && continue
    line=${line//@WORK@/$work}
    line=${line//@SUITE@/$suite}
    if [ "${line:0:1}" = "-" ]; then unset "${line:1}"; else export "$line"; fi
  done < env
fi
export E2E_SUITE="$suite"  # for setup scripts that build a suite root of their own
export E2E_COMPTAB="$comptab"
if [ -f setup ]; then
  "${as[@]}" bash setup
  rc=$?
  [ $rc -eq 77 ] && { echo "skipped by setup"; exit 77; }
  [ $rc -ne 0 ] && { echo "setup failed ($rc)"; exit 1; }
fi

args_line=$(sed -n 2p cmd)
eval "args=($args_line)"
limit=""
if [ -f ulimit-v ]; then
  [ -n "${E2E_SANITIZED:-}" ] && { echo "skipped: a memory limit does not suit a sanitized build"; exit 77; }
  limit=$(head -n 1 ulimit-v)
fi
run_comptab() {
  if [ -n "$limit" ]; then (ulimit -v "$limit" && exec "$@"); else "$@"; fi
}
if [ -f stderr-broken-pipe ]; then
  : > "$work/.actual.stderr"
  # Python restores SIGPIPE's default action in the child, as a shell does.
  run_comptab "${as[@]}" python3 -c 'import os, subprocess, sys
r, w = os.pipe()
os.close(r)
status = subprocess.run(sys.argv[1:], stderr=w).returncode
sys.exit(status if status >= 0 else 128 - status)' "$comptab" "${args[@]}" > "$work/.actual.out"
elif [ -f stdout-closed ]; then
  : > "$work/.actual.out"
  run_comptab "${as[@]}" "$comptab" "${args[@]}" >&- 2> "$work/.actual.stderr"
else
  run_comptab "${as[@]}" "$comptab" "${args[@]}" > "$work/.actual.out" 2> "$work/.actual.stderr"
fi
echo $? > "$work/.actual.status"

errfile=log/comptab.err
[ -f errfile ] && errfile=$(head -n 1 errfile)

normalise() { sed -e "s|$work|@WORK@|g" -e "s|$suite|@SUITE@|g" -e 's|\.tmp\.[0-9][0-9]*\.|.tmp.@PID@.|g' "$1"; }

if [ "$accept" = "--accept" ]; then
  cp "$work/.actual.status" "$case_dir/expected.status"
  normalise "$work/.actual.out" > "$case_dir/expected.out"
  normalise "$work/.actual.stderr" > "$case_dir/expected.stderr"
  if [ -f "$errfile" ]; then normalise "$errfile" > "$case_dir/expected.err"; else rm -f "$case_dir/expected.err"; fi
  for expected in "$case_dir"/expected.file.*; do
    [ -e "$expected" ] || continue
    written=${expected##*/expected.file.}
    if [ -f "$work/$written" ]; then normalise "$work/$written" > "$expected"; else rm -f "$expected"; fi
  done
  echo "accepted $name"
  exit 0
fi

failed=0
if [ -f check ]; then
  bash check || { echo "the case's check failed"; failed=1; }
fi
check() {  # label expected actual
  if ! diff -u --label "expected $1" --label "actual $1" "$2" <(normalise "$3"); then failed=1; fi
}
check status expected.status "$work/.actual.status"
[ -f expected.out ] && check stdout expected.out "$work/.actual.out"
[ -f expected.stderr ] && check stderr expected.stderr "$work/.actual.stderr"
for expected in expected.file.*; do
  [ -e "$expected" ] || continue
  written=${expected#expected.file.}
  if [ -f "$work/$written" ]; then check "file $written" "$expected" "$work/$written"
  else echo "expected the run to write $written, found none"; failed=1; fi
done
if [ -f expected.err ]; then
  if [ -f "$errfile" ]; then check "error file" expected.err "$errfile"
  else echo "expected an error file at $errfile, found none"; failed=1; fi
elif [ -f "$errfile" ]; then
  echo "expected no error file, found $errfile:"; cat "$errfile"; failed=1
fi
exit $failed
