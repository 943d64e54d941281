#!/usr/bin/env bash
# Installs what is needed, then:
#  1. one clang build with AddressSanitizer + UBSan (undefined behaviour is fatal) of every
#     program, the test programs and the fuzz targets, and runs every test program, the demo
#     tour and a few monkey walks (scripts/monkey.sh) with it;
#  2. a short smoke run of each fuzz target from that build, several at a time;
#  3. a ThreadSanitizer build (GCC) of the threaded test programs, which compiles at low priority
#     while steps 1 and 2 run their programs, then runs them.
# Without clang the first build uses the default compiler and the fuzz targets are left out.
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
  local name path entry programs=()
  while read -r name path; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qx "$name"; then continue; fi
    [ -x "$path" ] || { echo "$name was not built"; return 1; }
    programs+=("$name=$path")
  done <"$list"
  # The longest programs are cut into shards (gtest's own: each case runs in exactly one shard),
  # so that no program is left running alone at the end; they start first. Two run per core, as
  # the programs spend about half their time waiting for their test servers and clocks.
  local long=" test_testserver:6 test_detail:3 test_account:2 test_messaging:2 test_kline:2 "
  local ordered=() item shards i
  for item in $long; do
    for entry in "${programs[@]}"; do
      [ "${entry%%=*}" = "${item%:*}" ] || continue
      shards=${item#*:}
      for ((i = 0; i < shards; i++)); do ordered+=("${entry%%=*}.$((i + 1))of$shards=${entry#*=}"); done
    done
  done
  for entry in "${programs[@]}"; do
    [[ $long == *" ${entry%%=*}:"* ]] || ordered+=("$entry")
  done
  # shellcheck disable=SC2016
  printf '%s\n' "${ordered[@]}" | xargs -P "$((jobs * 2))" -I{} bash -c '
    entry=$1; name=${entry%%=*}; path=${entry#*=}; began=$SECONDS
    if [[ $name =~ \.([0-9]+)of([0-9]+)$ ]]; then
      export GTEST_SHARD_INDEX=$((BASH_REMATCH[1] - 1)) GTEST_TOTAL_SHARDS=${BASH_REMATCH[2]}
    fi
    if (cd "$(dirname "$path")" && "$path" --gtest_shuffle --gtest_random_seed="$2" --gtest_brief=1) \
        >"$3/$name.log" 2>&1; then
      echo "$name: passed ($((SECONDS - began)) s)"
    else
      echo "$name: FAILED ($((SECONDS - began)) s)" >"$3/$name.failed"
    fi' _ {} "$seed" "$logs"
  local failed=0 f shard
  for f in "$logs"/*.failed; do
    [ -e "$f" ] || continue
    name=$(basename "$f" .failed)
    cat "$logs/$name.log"
    shard=""
    if [[ $name =~ ^(.*)\.([0-9]+)of([0-9]+)$ ]]; then
      shard="GTEST_TOTAL_SHARDS=${BASH_REMATCH[3]} GTEST_SHARD_INDEX=$((BASH_REMATCH[2] - 1)) "
      name=${BASH_REMATCH[1]}
    fi
    echo "!! $name failed in the order of seed $seed; replay with VERDAN_TEST_SEED=$seed scripts/test.sh"
    echo "!! or: $shard$(grep "^$name " "$list" | cut -d' ' -f2-) --gtest_shuffle --gtest_random_seed=$seed"
    failed=1
  done
  return $failed
}

# run_fuzz <build dir>: a 3-second run of each fuzz target of the build from its seeds, as many
# at a time as there are cores; prints the log of those that fail.
run_fuzz() {
  local dir=$1 logs=$1/fuzz-logs
  rm -rf "$logs" && mkdir -p "$logs"
  # shellcheck disable=SC2016
  find "$dir/fuzz" -maxdepth 1 -name 'fuzz_*' -type l | sort | xargs -r -P "$jobs" -I{} bash -c '
    f=$1; dir=$2; logs=$3; name=$(basename "$f")
    corpus=tests/data/fuzz/${name#fuzz_}
    mkdir -p "$dir/corpus/$name"
    args=("$dir/corpus/$name")
    [ -d "$corpus" ] && args+=("$corpus")
    if "$f" -max_total_time=3 -print_final_stats=0 -artifact_prefix="$dir/$name-" "${args[@]}" \
        >/dev/null 2>"$logs/$name.log"; then
      echo "$name: clean"
    else
      echo "$name: FAILED" >"$logs/$name.failed"
    fi' _ {} "$dir" "$logs"
  local failed=0 f name
  for f in "$logs"/*.failed; do
    [ -e "$f" ] || continue
    name=$(basename "$f" .failed)
    cat "$logs/$name.log"
    echo "fuzz target $name failed"
    failed=1
  done
  return $failed
}

# The monkey's seeds (see the "Monkey walks" phase): each starts on a place of its own
# (scripts/monkey.sh): 1 the Hong Kong ten levels, 2 the futures landscape K-line, 3 the US lists,
# 4 a US stock's K-line, 8 every futures list, 9 every 沪深 list.
monkey_seeds="1 2 3 4 8 9"

# Freed blocks wait in a quarantine of 32 MB rather than 256 before they are used again: a use
# after free is still caught over the many thousands of frees that follow, and new blocks come
# from pages already mapped rather than fresh ones, whose faults cost a virtual machine about a
# sixth of a sanitizer test program's time. Freed memory is also kept rather than given back to
# the system every few seconds: each give-back (madvise) flushes the page tables of every core
# the program runs on, and the pages fault in again at the next allocation; on a virtual machine
# that took a third of the programs' system time.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:quarantine_size_mb=32:allocator_release_to_os_interval_ms=-1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
start=$SECONDS
# phase <name>: says the phase that starts and when; the times of them all are printed at the end
# (phase_times).
phase_names=() phase_starts=()
phase() {
  echo "== $1 (at $((SECONDS - start)) s)"
  phase_names+=("$1")
  phase_starts+=("$SECONDS")
}
phase_times() {
  local i end
  echo "== Phase times:"
  for i in "${!phase_names[@]}"; do
    end=${phase_starts[$((i + 1))]:-$SECONDS}
    printf '  %5d s  %s\n' "$((end - phase_starts[i]))" "${phase_names[$i]}"
  done
  printf '  %5d s  the whole\n' "$((SECONDS - start))"
}

# Line tables (-g1) are enough for sanitizer stack traces and build much faster than full debug
# info; the tests' own code goes without (its expectations name their lines). The builds here are
# whole ones from a fresh tree: each target compiles as one batch (VERDAN_UNITY_BATCH=0), which
# parses the shared headers once per target; on 2 cores the sanitizer build takes a ninth less
# than in batches of 16, and the ThreadSanitizer build a fifth less. (A developer's build keeps
# small batches: an edit compiles one batch again, not the whole target.)
debug_flags=(-DVERDAN_WERROR=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DVERDAN_BENCH=OFF
  -DVERDAN_UNITY_BATCH=0 -DVERDAN_TEST_DEBUG_INFO=OFF)
check_compiler=()
fuzz=OFF
if command -v clang++ >/dev/null && [ -d fuzz ]; then
  check_compiler=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
  fuzz=ON
fi

phase "AddressSanitizer + UBSan build of everything, the tests and the fuzz targets (fuzz: $fuzz)"
cmake -S . -B build-check -G Ninja -DASAN=ON -DFUZZ=$fuzz "${check_compiler[@]}" "${debug_flags[@]}" >/dev/null
cmake --build build-check -j "$jobs"

# The ThreadSanitizer build goes on at the lowest priority while the programs above run: it takes
# only the time they leave.
cmake -S . -B build-tsan -G Ninja -DTSAN=ON "${debug_flags[@]}" >/dev/null
tsan_targets=$(cat build-tsan/tsan-targets.txt 2>/dev/null || true)
tsan_pid=""
stop_tsan_build() { [ -z "$tsan_pid" ] || kill -- -"$tsan_pid" 2>/dev/null || true; }
# The phase times are printed however the run ends.
trap 'stop_tsan_build; phase_times' EXIT
if [ -n "$tsan_targets" ]; then
  # A session of its own (setsid) is also a scheduling group of its own where the kernel groups
  # sessions (autogroup): a nice value then counts only against the group's own processes, and
  # the build would take as large a share of the cores as the whole test run, slowing the walks
  # and the programs that wait on real time. The group's nice value, set from inside it, puts
  # it behind them.
  # shellcheck disable=SC2016,SC2086
  setsid -w bash -c 'echo 19 >/proc/self/autogroup 2>/dev/null; exec nice -n 19 "$@"' _ \
    cmake --build build-tsan -j "$jobs" --target $tsan_targets >build-tsan/build.log 2>&1 &
  tsan_pid=$!
fi

phase "AddressSanitizer + UBSan tests"
run_shuffled build-check
# The demo tour with the ASan client: each group of scripts against a test server of its own,
# played twice at fixed market hours so that the result never depends on when the tests run: a
# Tuesday mid-morning in the session, and a Monday night before the open (the watch list, lists
# and charts then show the last session's close).
# Every kept or patched chart frame is drawn whole as well and compared (a difference fails the
# demo: "frame differs" in its log).
export VERDAN_VERIFY_FRAMES=1
# The tours, the monkey walks and the walks against a server go side by side, each stream in its
# order: the tours and the monkey play on the virtual clock and take the time of their work, the
# walks against a misbehaving server or a live session wait in real time, and each fills what the
# others leave of the cores. (A stream's output is shown whole once all have ended; each part says
# how long it took.)
# timed <what> <command...>: runs the command and says how long it took.
timed() {
  local what=$1 began=$SECONDS
  shift
  "$@"
  echo "== $what took $((SECONDS - began)) s"
}
# The clients of the tours and walks leave their stacks unsymbolized (a failing demo or walk is
# told by the path of its log, and its replay symbolizes): the leak check at each client's exit
# then matches the font libraries' never-freed caches to their suppressions by module alone,
# where it asked the symbolizer about each of tens of thousands of blocks, a tenth of a tour's
# time.
client_asan_options="$ASAN_OPTIONS:symbolize=0"
tours() {
  set -e
  export ASAN_OPTIONS=$client_asan_options
  # More groups than cores: the demos on the wall clock (a live session's pushes) mostly wait.
  timed "Demo tour, Tuesday 10:30" \
    bash scripts/tour.sh --build build-check --groups 7 --server "--date 20261201 --minute 1030"
  # The second pass plays each group's scripts in a shuffled order (its seed from the commit,
  # printed for replay) against the group's one server, so that a demo leaning on what another
  # left on the server fails here even when name order happens to hide it.
  timed "Demo tour, Monday 01:30, shuffled" \
    bash scripts/tour.sh --build build-check --groups 7 --order "shuffle:$seed" \
    --shots build-check/shots-before-open --server "--date 20261207 --minute 0130"
}
monkey_walks() {
  set -e
  export ASAN_OPTIONS=$client_asan_options
  # A few seeded random walks over the whole client with the ASan build (taps, drags, pinches,
  # typing, turns...), each against a server of its own; a walk that finds a fault prints its
  # replay script. The seeds are fixed so that a failure here replays.
  timed "Monkey walks" \
    bash scripts/monkey.sh --build build-check --seeds "$monkey_seeds" --steps 150 --jobs "$jobs" \
    --server "--date 20261201 --minute 1030" --quiet
  # At night, when a security's figures are the day's close on every screen (the trend's last
  # minute, today's bar and the panel agree; the screens declare it).
  timed "Monkey walks at night" \
    bash scripts/monkey.sh --build build-check --seeds "5 6 7" --steps 200 --jobs "$jobs" \
    --server "--date 20261209 --minute 2200" --quiet --out build-check/monkey-night
}
# The walks against a misbehaving or live server spend most of their time waiting on it in real
# time (a stall, a time-out, the next minute): twice as many as there are cores go at a time.
server_walks() {
  set -e
  export ASAN_OPTIONS=$client_asan_options
  local waiting=$((jobs * 2))
  # Walks against a server that stalls, drops, refuses and answers late (its seeded chaos mode),
  # as a guest and as a user, and walks with each of some sets of rights: nothing shown as done
  # after its failure was shown, no guarded screen opened without its right.
  # The market stands at a given minute, so that a run is the same whatever the hour CI runs at.
  timed "Walks against a misbehaving server" \
    bash scripts/chaos-walks.sh --build build-check --sets "chaos chaos-user" --seeds "1 2" --steps 200 \
    --jobs "$waiting" --quiet --server "--date 20261209 --minute 1030"
  timed "Walks with each set of rights" \
    bash scripts/chaos-walks.sh --build build-check --sets "guest no30 no49" --seeds 1 --steps 200 \
    --jobs "$waiting" --quiet --out build-check/chaos-walks-rights --server "--date 20261209 --minute 1030"
  # A live session from a given minute (the market moves a minute every 2 s, whatever the hour):
  # the figures of a screen agree as pushes come, after the background and over a new connection.
  timed "Walks in a live session" \
    bash scripts/chaos-walks.sh --build build-check --sets "guest all" --seeds 1 --steps 200 \
    --jobs "$waiting" --quiet --out build-check/live-walks --server "--date 20261209 --minute 1030 --play --step 2"
  # The same live session against the misbehaving server, as a guest and as a user (the sets
  # bring their own live market): every screen comes back to the figures of one minute after
  # the stalls, drops and error answers.
  timed "Walks in a live session against a misbehaving server" \
    bash scripts/chaos-walks.sh --build build-check --sets "chaos-live chaos-user-live" --seeds 1 \
    --steps 200 --jobs "$waiting" --quiet --out build-check/chaos-live-walks
}
phase "Demo tours, side by side with the monkey walks and the walks against a misbehaving server and with each set of rights"
side_pids=()
for stream in tours monkey_walks server_walks; do
  "$stream" >"build-check/$stream.log" 2>&1 &
  side_pids+=($!)
done
side_failed=0
for pid in "${side_pids[@]}"; do
  wait "$pid" || side_failed=1
done
for stream in tours monkey_walks server_walks; do cat "build-check/$stream.log"; done
[ "$side_failed" -eq 0 ] || { echo "!! the tours or the walks failed (see above)"; exit 1; }

if [ "$fuzz" = ON ]; then
  phase "Fuzz smoke run"
  run_fuzz build-check
fi

if [ -n "$tsan_pid" ]; then
  phase "ThreadSanitizer build of the threaded tests"
  if ! wait "$tsan_pid"; then
    tsan_pid=""
    cat build-tsan/build.log
    echo "!! the ThreadSanitizer build failed"
    exit 1
  fi
  tsan_pid=""
  phase "ThreadSanitizer tests"
  # The test server's market is worked out in one thread: its long checks of the market's own
  # arithmetic, those of the figures its answers carry (asked over one connection of a server
  # whose clock stands) and its parsers' answers to hostile bytes from one client have nothing
  # for this build to find and are left to the run above. The server's threads are this build's
  # through its connection, misbehaviour, clock and program tests.
  single_threaded='OneHistory.*:BoardsAtEveryHour.*:Market.*:SessionClockMarket.*:InfoTimes.*:OneRecord.*:LiveSession.*'
  single_threaded+=':SessionClock.*:SeededDates.*:FiguresAgree.*:ChartAnswers.*:QuoteFigures.*:F10Pages.*'
  single_threaded+=':MarketTruth.*:ReceivedAlerts.*:AssetRows.*:HkPriceSteps.*:SortOrder.*:GuestDevices.*'
  single_threaded+=':LoginChain.*:FuzzSeeds.*:EveryChannel/HostileRequests.*'
  single_threaded+=':Robustness.UnknownNamesAndUnfinishedMailsAreBounded'
  # shellcheck disable=SC2086
  GTEST_FILTER="-$single_threaded" TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 allocator_release_to_os_interval_ms=-1" \
    run_shuffled build-tsan $tsan_targets
fi
echo "All tests passed."
