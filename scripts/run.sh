#!/usr/bin/env bash
# Installs what is needed, builds the client and the test server, starts the server on its
# default loopback ports and runs the client against it: in a window when a display is there,
# otherwise headless, playing the demo scripts (scripts/tour.sh) whose screenshots land in
# build/shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERDAN_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"

mkdir -p build/shots
# The help is read whole first: a grep that stops at its match would close the pipe while the
# client still writes, and under pipefail that reads as a client without the option.
help=$(build/app/verdan --help)
if ! grep -q -- --headless <<<"$help"; then
  build/app/verdan --version
  build/app/verdan --help
elif [ -n "${DISPLAY:-}" ]; then
  server_pid=""
  cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; }
  trap cleanup EXIT
  # The demo's guest holds main-force data (30) and level-two quotes (32).
  build/testserver/verdan-testserver --rights 30,31,32,49 &
  server_pid=$!
  sleep 0.5
  mkdir -p build/Documents
  build/app/verdan --documents build/Documents "$@"
else
  # The tour: every demo script in a fresh client with a documents folder of its own, against
  # one test server on the default ports; each script's checks must hold.
  bash scripts/tour.sh --build build --shots build/shots -- "$@"
  echo "Screenshots: build/shots/"
fi
