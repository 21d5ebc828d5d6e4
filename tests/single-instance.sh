#!/usr/bin/env bash
# A second start of Filewright in the same session hands over to the first
# one and ends, and the first one goes on running.
set -euo pipefail
binary=$1
root=$(mktemp -d)
trap 'kill "$first" 2>/dev/null || true; rm -rf "$root"' EXIT
export HOME=$root/home XDG_CONFIG_HOME=$root/config XDG_DATA_HOME=$root/data QT_QPA_PLATFORM=offscreen
unset APP_STORE APP_HOME
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

"$binary" &
first=$!
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.example.filewright.Filewright 2>/dev/null | grep -q 'boolean true' && break
  sleep 0.2
done
timeout 20 "$binary"
echo "second start ended with $?"
kill -0 "$first"
echo "first start still running"
