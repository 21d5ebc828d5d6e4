#!/usr/bin/env bash
# A second start of Filewright in the same session hands over to the first
# one and ends, and the first one goes on running. A start never hands over
# to an instance that works on a test store.
set -euo pipefail
binary=$1
root=$(mktemp -d)
first= tested= normal=
trap 'kill $first $tested $normal 2>/dev/null || true; rm -rf "$root"' EXIT
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data QT_QPA_PLATFORM=offscreen
unset APP_STORE APP_HOME
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

nameTaken() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.example.filewright.Filewright 2>/dev/null | grep -q 'boolean true'
}

"$binary" &
first=$!
for _ in $(seq 50); do nameTaken && break; sleep 0.2; done
timeout 20 "$binary"
echo "second start ended with $?"
kill -0 "$first"
echo "first start still running"

kill "$first"
wait "$first" || true
for _ in $(seq 50); do nameTaken || break; sleep 0.2; done
APP_STORE=$root/test.store "$binary" &
tested=$!
for _ in $(seq 50); do nameTaken && break; sleep 0.2; done
rm -f "$XDG_DATA_HOME/Filewright/Filewright.store"
"$binary" &
normal=$!
# Handing over ends the start before it opens its store.
for _ in $(seq 100); do
  [ -e "$XDG_DATA_HOME/Filewright/Filewright.store" ] || ! kill -0 "$normal" 2>/dev/null && break
  sleep 0.2
done
kill -0 "$normal"
echo "a normal start beside a test-store instance runs on its own"
