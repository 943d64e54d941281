#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer + UBSan and runs every test; then builds
# the threaded tests with ThreadSanitizer and runs them; then, when clang is there, a short
# smoke run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== AddressSanitizer + UBSan build"
# Line tables are enough for sanitizer stack traces and build much faster than full debug info.
cmake -S . -B build-asan -G Ninja -DASAN=ON -DVERDAN_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DVERDAN_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== ThreadSanitizer build of the threaded tests"
cmake -S . -B build-tsan -G Ninja -DTSAN=ON -DVERDAN_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DVERDAN_BENCH=OFF >/dev/null
tsan_targets=$(cat build-tsan/tsan-targets.txt 2>/dev/null || true)
if [ -n "$tsan_targets" ]; then
  # shellcheck disable=SC2086
  cmake --build build-tsan -j "$jobs" --target $tsan_targets
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan -j "$jobs" -L tsan --output-on-failure
fi

if command -v clang++ >/dev/null && [ -d fuzz ] && ls fuzz/fuzz_*.cpp >/dev/null 2>&1; then
  echo "== Fuzz smoke run"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DFUZZ=ON -DVERDAN_WERROR=ON -DVERDAN_TESTS=OFF \
    -DVERDAN_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzz_all
  for f in build-fuzz/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    name=$(basename "$f")
    corpus=tests/data/fuzz/${name#fuzz_}
    mkdir -p "build-fuzz/corpus/$name"
    args=("build-fuzz/corpus/$name")
    [ -d "$corpus" ] && args+=("$corpus")
    "$f" -max_total_time=5 -print_final_stats=0 -artifact_prefix="build-fuzz/$name-" "${args[@]}" >/dev/null 2>"build-fuzz/$name.log" ||
      { cat "build-fuzz/$name.log"; echo "fuzz target $name failed"; exit 1; }
    echo "$name: clean"
  done
fi
echo "All tests passed."
