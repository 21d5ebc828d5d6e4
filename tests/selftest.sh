#!/usr/bin/env bash
# Runs "filewright --selftest" as CI does: offscreen, on a private session
# bus, with a fresh temporary home, store, settings and data folder that are
# removed afterwards. Its lines go to standard output; its status is ours.
set -euo pipefail
binary=${1:?usage: selftest.sh path/to/filewright [copy-of-output]}
copy=${2:-}

root=$(mktemp -d "${TMPDIR:-/tmp}/filewright-selftest-XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/config" "$root/data" "$root/apphome" "$root/store" "$root/runtime"
chmod 700 "$root/runtime"

status=0
env -u DBUS_SESSION_BUS_ADDRESS \
    HOME="$root/home" \
    XDG_CONFIG_HOME="$root/config" \
    XDG_DATA_HOME="$root/data" \
    XDG_CACHE_HOME="$root/home/.cache" \
    XDG_RUNTIME_DIR="$root/runtime" \
    APP_HOME="$root/apphome" \
    APP_STORE="$root/store/selftest.store" \
    QT_QPA_PLATFORM=offscreen \
    OMP_THREAD_LIMIT=1 \
    dbus-run-session -- "$binary" --selftest >"$root/output" || status=$?
cat "$root/output"
if [ -n "$copy" ]; then cp "$root/output" "$copy"; fi
if [ "$status" -ne 0 ]; then
    echo "selftest.sh: filewright --selftest ended with status $status" >&2
    exit 1
fi
# A zero status alone is not enough: the run must have reached its tally.
if [ "$(tail -n 1 "$root/output")" != "SELFTEST PASS 20 checks" ]; then
    echo "selftest.sh: the run did not end with its passing tally" >&2
    exit 1
fi
