#!/usr/bin/env bash
# Installs what is needed, builds with AddressSanitizer + UBSan and runs every test; then builds
# the threaded tests with ThreadSanitizer and runs them; then, when clang is there, a short
# smoke run of each fuzz target.
#
# Each test program runs whole, its cases in a shuffled order, so that a case leaning on what an
# earlier one left behind fails. The order's seed comes from the commit under test (the same
# commit always runs the same order); VERDAN_TEST_SEED=<seed> replays a printed one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)

if [ -n "${VERDAN_TEST_SEED:-}" ]; then
  seed=$VERDAN_TEST_SEED
else
  commit=$(git rev-parse HEAD 2>/dev/null || echo 0)
  # The test framework takes seeds 1..99999 (0 would mean "from the clock").
  seed=$(( (16#${commit:0:7} % 99999) + 1 ))
fi
echo "== Test order seed $seed (replay: VERDAN_TEST_SEED=$seed scripts/test.sh)"

# run_shuffled <build dir> [program names...]: runs the listed programs of the build (all when
# none is named) in parallel, each shuffled with the seed; prints the output of those that fail.
run_shuffled() {
  local dir=$1
  shift
  local list="$dir/test-programs.txt"
  [ -f "$list" ] || { echo "no $list"; return 1; }
  local logs="$dir/test-logs"
  rm -rf "$logs" && mkdir -p "$logs"
  local name path programs=()
  while read -r name path; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    [ -x "$path" ] || { echo "$name was not built"; return 1; }
    programs+=("$name=$path")
  done <"$list"
  # shellcheck disable=SC2016
  printf '%s\n' "${programs[@]}" | xargs -P "$jobs" -I{} bash -c '
    entry=$1; name=${entry%%=*}; path=${entry#*=}
    if (cd "$(dirname "$path")" && "$path" --gtest_shuffle --gtest_random_seed="$2" --gtest_brief=1) \
        >"$3/$name.log" 2>&1; then
      echo "$name: passed"
    else
      echo "$name: FAILED" >"$3/$name.failed"
    fi' _ {} "$seed" "$logs"
  local failed=0 f
  for f in "$logs"/*.failed; do
    [ -e "$f" ] || continue
    name=$(basename "$f" .failed)
    cat "$logs/$name.log"
    echo "!! $name failed in the order of seed $seed; replay with VERDAN_TEST_SEED=$seed scripts/test.sh"
    echo "!! or: $(grep "^$name " "$list" | cut -d' ' -f2-) --gtest_shuffle --gtest_random_seed=$seed"
    failed=1
  done
  return $failed
}
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== AddressSanitizer + UBSan build"
# Line tables are enough for sanitizer stack traces and build much faster than full debug info.
cmake -S . -B build-asan -G Ninja -DASAN=ON -DVERDAN_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DVERDAN_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
run_shuffled build-asan
# The demo tour with the ASan client: each group of scripts against a test server of its own.
echo "== Demo tour"
bash scripts/tour.sh --build build-asan --groups 7

echo "== ThreadSanitizer build of the threaded tests"
cmake -S . -B build-tsan -G Ninja -DTSAN=ON -DVERDAN_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DVERDAN_BENCH=OFF >/dev/null
tsan_targets=$(cat build-tsan/tsan-targets.txt 2>/dev/null || true)
if [ -n "$tsan_targets" ]; then
  # shellcheck disable=SC2086
  cmake --build build-tsan -j "$jobs" --target $tsan_targets
  # shellcheck disable=SC2086
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_shuffled build-tsan $tsan_targets
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
