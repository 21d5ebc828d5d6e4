#!/usr/bin/env bash
# Runs the package check that ./run and ./test use before building, on the
# project's own list and on lists of known kinds, installed or not:
#   packages-check.sh ENSURE-PACKAGES DATA-FOLDER
# Exits 77 (skipped) when apt has no package lists, since then apt knows only
# installed packages and cannot tell a missing package from an unknown one.
set -uo pipefail
ensure=$1
data=$2
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

if ! compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null; then
  echo "SKIPPED: apt has no package lists here (run apt-get update)"
  exit 77
fi

# Every package the project needs is a real one, whether installed or not.
if out=$("$ensure" --names 2>&1); then echo "ok: every listed package is real"
else fail "the project's list names packages the check does not count as real: $out"; fi

# A real package that is not installed is missing, never virtual.
missing=$(grep -vE '^\s*(#|$)' "$data/missing-package.txt")
if dpkg-query -W -f='${Status}' "$missing" 2>/dev/null | grep -q 'install ok installed'; then
  echo "SKIPPED: $missing is installed on this machine; the missing-package case cannot run"
else
  out=$("$ensure" --check "$data/missing-package.txt" 2>&1); rc=$?
  if [ $rc -ne 0 ] && grep -q "not installed: $missing" <<<"$out" && ! grep -q virtual <<<"$out"; then
    echo "ok: $missing is reported as missing"
  else fail "$missing (exit $rc): $out"; fi
fi

# A virtual name is refused, in both modes.
for mode in --check --names; do
  out=$("$ensure" $mode "$data/virtual-package.txt" 2>&1); rc=$?
  if [ $rc -ne 0 ] && grep -q "libqt6svg6-dev (a virtual" <<<"$out"; then
    echo "ok: $mode refuses the virtual libqt6svg6-dev"
  else fail "$mode on a virtual name (exit $rc): $out"; fi
done

[ $failures -eq 0 ]
