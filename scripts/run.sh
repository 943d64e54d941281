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
  build/testserver/verdan-testserver &
  server_pid=$!
  sleep 0.5
fi

docs=build/Documents
mkdir -p "$docs" build/shots
if [ -n "${DISPLAY:-}" ] && [ -f scripts/demo.script ] && build/app/verdan --help | grep -q -- --headless; then
  build/app/verdan --documents "$docs" "$@"
elif [ -f scripts/demo.script ] && build/app/verdan --help | grep -q -- --headless; then
  build/app/verdan --headless --script scripts/demo.script --shots build/shots --documents "$docs" "$@"
  echo "Screenshots: build/shots/"
else
  build/app/verdan --version
  build/app/verdan --help
fi
