# What the random walk campaigns (scripts/monkey.sh, scripts/chaos-walks.sh) share: their common
# options, a walk against a test server of its own, the walks run several at a time, and what
# ended a walk and the faults it reported. Sourced after scripts/lib/testserver.sh.

# walk_options <name> <seeds> <steps> <options...>: reads the options every campaign takes into
# build, seeds, steps, jobs, out, server_text (--server as given) and server_args (its words),
# quiet, keep_going (an array) and summary_only, the seeds and steps given standing unless an
# option says otherwise; then sets client, server, seed_list (the seeds one by one) and out
# (default: BUILD/NAME). An option of the campaign's own goes to its function own_option, called
# with the options left, which sets took to the words it takes (0: not its own). A bad option or
# a program not built ends the campaign with status 2.
# shellcheck disable=SC2034  # (the campaign reads them)
walk_options() {
  walk_name=$1 seeds=$2 steps=$3
  shift 3
  build=build jobs=$(( $(nproc) / 2 )) out="" server_text="" server_args=() quiet=0 keep_going=()
  summary_only=0
  [ "$jobs" -ge 1 ] || jobs=1
  local took
  while [ $# -gt 0 ]; do
    took=2
    case "$1" in
      --build) build=${2-} ;;
      --seeds) seeds=${2-} ;;
      --steps) steps=${2-} ;;
      --jobs) jobs=${2-} ;;
      --out) out=${2-} ;;
      --server) server_text=${2-}; read -r -a server_args <<<"$server_text" ;;
      --quiet) quiet=1; took=1 ;;
      --keep-going) keep_going=(--keep-going); took=1 ;;
      --summary) summary_only=1; took=1 ;;
      *) took=0; own_option "$@"
         [ "$took" -gt 0 ] || walk_bad "unknown option '$1' (see the head of $0)" ;;
    esac
    # (the last option's value left off)
    [ $# -ge "$took" ] || walk_bad "$1 needs a value (see the head of $0)"
    shift "$took"
  done
  [[ "$steps" =~ ^[0-9]+$ ]] || walk_bad "--steps takes a whole number, not '$steps'"
  [[ "$jobs" =~ ^[0-9]+$ ]] || walk_bad "--jobs takes a whole number, not '$jobs'"
  client=$build/app/verdan
  server=$build/testserver/verdan-testserver
  local program
  for program in "$client" "$server"; do
    [ -x "$program" ] || walk_bad "$program is not built"
  done
  if [[ "$seeds" =~ ^([0-9]+)-([0-9]+)$ ]]; then
    seed_list=$(seq "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
  else
    seed_list=$seeds
  fi
  local seed
  for seed in $seed_list; do
    [[ "$seed" =~ ^[0-9]+$ ]] || walk_bad "--seeds takes FIRST-LAST or whole numbers, not '$seeds'"
  done
  [ -n "$out" ] || out=$build/$walk_name
}

# walk_bad <message>: says what is wrong with the campaign's options and ends it (status 2).
walk_bad() {
  echo "$walk_name: $1"
  exit 2
}

# walk_client_copy: empties the out folder and plays the client as it was built when the campaign
# started, whatever is rebuilt meanwhile.
walk_client_copy() {
  rm -rf "$out"
  mkdir -p "$out"
  cp "$client" "$out/verdan"
  client=$out/verdan
}

# walk_play <dir> <seed> <replay> [client options...] -- [server options...]: a test server of
# its own in DIR started with the server options, then the walk of SEED against it with the client
# options; writes DIR/{server.*,bundle,documents,client.log,report.txt,result} and copies the
# walk's script to REPLAY. Returns 1 when the server did not start (result "server").
walk_play() {
  local dir=$1 seed=$2 replay=$3
  shift 3
  local client_options=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    client_options+=("$1")
    shift
  done
  [ $# -eq 0 ] || shift
  mkdir -p "$dir/documents"
  local pid="" client_pid=""
  # A stopped campaign stops its walks' servers and clients too.
  trap 'kill $pid $client_pid 2>/dev/null; exit 1' TERM INT
  start_test_server "$dir" "$server" "$build/app/resources" "$@" --ephemeral
  local started=$?
  pid=$(cat "$dir/server.pid")
  if [ $started -ne 0 ]; then
    echo "server" >"$dir/result"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    return 1
  fi
  # The walk's own watchdog ends a stuck step; this limit (2 s a step, for a loaded machine) only
  # catches a client that never ends.
  # A market held at a given minute: no screen may show a date and time later than it.
  local held=() server_date="" server_minute="" played=0 word next=""
  for word in "$@"; do
    case "$next" in
      date) server_date=$word ;;
      minute) server_minute=$word ;;
    esac
    next=""
    case "$word" in
      --date) next=date ;;
      --minute) next=minute ;;
      --play) played=1 ;;
    esac
  done
  if [[ $played -eq 0 && "$server_date" =~ ^[0-9]{8}$ && "$server_minute" =~ ^[0-9]{4}$ ]]; then
    held=(--market-clock "$server_date$server_minute")
  fi
  timeout -k 10 $((120 + steps * 2)) "$client" --headless --monkey "$seed" --steps "$steps" \
    "${client_options[@]}" "${held[@]}" --bundle "$dir/bundle" --documents "$dir/documents" --shots "$dir" \
    >"$dir/report.txt" 2>"$dir/client.log" &
  client_pid=$!
  wait $client_pid
  local rc=$?
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  cp "$dir/monkey-$seed.script" "$replay" 2>/dev/null
  walk_outcome "$dir/client.log" "$rc" >"$dir/result"
}

# walk_each <function> <walk>...: calls FUNCTION WALK for each walk, $jobs at a time, and waits for
# them all; a stopped campaign stops them.
walk_each() {
  local play=$1 running=0 one
  shift
  trap 'kill $(jobs -p) 2>/dev/null; wait; exit 1' TERM INT
  for one in "$@"; do
    "$play" "$one" &
    running=$((running + 1))
    if [ $running -ge "$jobs" ]; then
      wait -n
      running=$((running - 1))
    fi
  done
  wait
}

# symbolized_log <client log>: prints the log with its sanitizer stacks symbolized, where the
# client ran with symbolize=0 (scripts/test.sh) and the tools are here; otherwise as it stands.
symbolized_log() {
  if grep -qE '^ +#[0-9]+ 0x[0-9a-f]+ +\(' "$1" && command -v asan_symbolize >/dev/null &&
      command -v llvm-symbolizer >/dev/null; then
    asan_symbolize -d <"$1" 2>/dev/null || cat "$1"
  else
    cat "$1"
  fi
}

# walk_outcome <client log> <exit status>: prints what ended the walk: passed, sanitizer, hang,
# fault, or the campaign's time limit or a crash.
walk_outcome() {
  local log=$1 rc=$2
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    echo sanitizer
  elif [ "$rc" -eq 5 ]; then
    echo hang
  elif [ "$rc" -eq 4 ]; then
    echo fault
  elif [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    echo "client stopped by the campaign's time limit"
  elif [ "$rc" -ne 0 ]; then
    echo "crash (exit status $rc)"
  else
    echo passed
  fi
}

# walk_result <dir>: what ended the walk in DIR ("no result" when it did not end).
walk_result() {
  cat "$1/result" 2>/dev/null || echo "no result"
}

# walk_steps <script>: how many steps the walk's script holds (its last step; 0 when none).
walk_steps() {
  local n
  n=$(grep -o '^# step [0-9]*' "$1" 2>/dev/null | tail -1 | awk '{print $3}')
  echo "${n:-0}"
}

# walk_faults <report> <seed> [replay]: the faults a walk reported, one a line,
# "KEY<tab>seed SEED step N", the key being the fault with its numbers taken out (the same fault
# at other numbers, times or points is one fault). With "replay", only those followed by their
# replay script, with ": SCRIPT" after.
walk_faults() {
  local report=$1
  # (a walk whose server did not start has no report)
  [ -f "$report" ] || report=/dev/null
  awk -v seed="$2" -v replay="${3:-}" '
    /^monkey seed [0-9]+: step [0-9]+ failed \(/ {
      step = $5; line = $0; sub(/^monkey seed [0-9]+: step [0-9]+ failed /, "", line)
      key = line; gsub(/[0-9]+(\.[0-9]+)?/, "N", key); key = substr(key, 1, 240)
      if (replay == "") printf "%s\tseed %s step %s\n", key, seed, step
      next
    }
    /^replay: / && replay != "" && key != "" {
      printf "%s\tseed %s step %s: %s\n", key, seed, step, $NF; key = ""
    }' "$report"
}

# walk_fault_list <faults> [where]: each distinct fault of the list (walk_faults' lines), most
# found first: "  [COUNT] KEY" (with the output of the function WHERE KEY before the key, when
# given) and up to three of the walks that found it.
walk_fault_list() {
  local found=$1 where=${2:-} count key at
  cut -f1 "$found" | sort | uniq -c | sort -rn | while read -r count key; do
    at=""
    [ -z "$where" ] || at=$("$where" "$key")
    echo "  [$count]${at:+ $at} $key"
    awk -F'\t' -v k="$key" '$1 == k {print "      " $2}' "$found" | head -3
  done
}
