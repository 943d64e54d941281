#!/usr/bin/env bash
# Installs what is needed, builds the client and the test server, starts the server on its
# default loopback ports and runs the client against it: in a window when a display is there,
# otherwise headless with a demo script whose screenshots land in build/shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDAN_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"

server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -x build/testserver/verdan-testserver ]; then
  # The demo's guest holds main-force data (30) and level-two quotes (32).
  build/testserver/verdan-testserver --rights 30,31,32,49 &
  server_pid=$!
  sleep 0.5
fi

mkdir -p build/shots
if ! build/app/verdan --help | grep -q -- --headless; then
  build/app/verdan --version
  build/app/verdan --help
elif [ -n "${DISPLAY:-}" ]; then
  mkdir -p build/Documents
  build/app/verdan --documents build/Documents "$@"
else
  # One script per area, each played in a fresh client with a documents folder of its own.
  for script in scripts/demo/*.script; do
    name=$(basename "$script" .script)
    docs=build/demo-documents/$name
    rm -rf "$docs"
    mkdir -p "$docs"
    echo "== demo $name"
    build/app/verdan --headless --script "$script" --shots build/shots --documents "$docs" "$@"
  done
  echo "Screenshots: build/shots/"
fi
