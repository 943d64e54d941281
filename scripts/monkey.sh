#!/usr/bin/env bash
# A monkey campaign: many seeded random walks over the client (verdan --headless --monkey SEED),
# several at a time, each against a test server of its own on ports the system picks, then a
# summary: steps walked, the screens reached, and the faults found grouped by kind with the
# scripts that replay them.
#
# usage: scripts/monkey.sh [--build DIR] [--seeds FIRST-LAST | --seeds "S1 S2 ..."] [--steps N]
#                          [--jobs J] [--out DIR] [--server "OPTIONS"] [--keep-going] [--quiet]
#                          [--summary]
#   --build DIR   where verdan and verdan-testserver were built (default: build)
#   --seeds       the walks' seeds (default 1-50)
#   --steps N     steps per walk (default 2000)
#   --jobs J      walks at a time (default: half the cores)
#   --out DIR     logs and replay scripts (default: DIR/monkey of the build)
#   --server "OPTIONS"  passed to every test server, for example --server "--date 20261209
#                 --minute 1030" (see verdan-testserver --help)
#   --keep-going  a walk goes on after a fault (not after a hang or crash) and reports each
#                 distinct one once, with a replay script of its own (OUT/SEED/monkey-SEED-stepN.script)
#   --quiet       only the summary
#   --summary     no walks: sums up the walks already in the out folder (a campaign stopped early)
# A walk that finds a fault stops there; its replay script (SEED.script in the out folder) plays
# the steps again: verdan --headless --virtual-time --script FILE --bundle OUT/SEED/bundle.
# Exit status: 0 when every walk passed, 1 when any found a fault, 2 on a bad option.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/testserver.sh

build=build
seeds="1-50"
steps=2000
jobs=$(( $(nproc) / 2 ))
[ "$jobs" -ge 1 ] || jobs=1
out=""
server_args=()
quiet=0
keep_going=()
summary_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seeds) seeds=$2; shift 2 ;;
    --steps) steps=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --server) read -r -a server_args <<<"$2"; shift 2 ;;
    --quiet) quiet=1; shift ;;
    --summary) summary_only=1; shift ;;
    --keep-going) keep_going=(--keep-going); shift ;;
    *) echo "monkey: unknown option '$1' (see the head of $0)"; exit 2 ;;
  esac
done
client=$build/app/verdan
server=$build/testserver/verdan-testserver
for program in "$client" "$server"; do
  [ -x "$program" ] || { echo "monkey: $program is not built"; exit 2; }
done
if [[ "$seeds" =~ ^([0-9]+)-([0-9]+)$ ]]; then
  seed_list=$(seq "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
else
  seed_list=$seeds
fi
[ -n "$out" ] || out=$build/monkey
if [ $summary_only -eq 1 ]; then
  for seed in $seed_list; do
    [ -f "$out/$seed/result" ] || echo "unfinished" >"$out/$seed/result" 2>/dev/null
    [ -f "$out/$seed.script" ] || cp "$out/$seed/monkey-$seed.script" "$out/$seed.script" 2>/dev/null
  done
fi
if [ $summary_only -eq 0 ]; then
rm -rf "$out"
mkdir -p "$out"
# The campaign plays the client as it was built when it started, whatever is rebuilt meanwhile.
cp "$client" "$out/verdan"
client=$out/verdan

# walk <seed>: a server of its own, then the walk; writes OUT/SEED/{server.*,bundle,client.log,
# report.txt,result} and OUT/SEED.script.
walk() {
  local seed=$1 dir=$out/$1
  mkdir -p "$dir/documents"
  local pid="" client_pid=""
  # A stopped campaign stops its walks' servers and clients too.
  trap 'kill $pid $client_pid 2>/dev/null; exit 1' TERM INT
  start_test_server "$dir" "$server" "$build/app/resources" --rights 30,31,32,49 \
    "${server_args[@]}" --ephemeral
  local started=$?
  pid=$(cat "$dir/server.pid")
  if [ $started -ne 0 ]; then
    echo "server" >"$dir/result"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    return
  fi
  # The walk's own watchdog ends a stuck step; this limit (2 s a step, for a loaded machine) only
  # catches a client that never ends.
  timeout -k 10 $((120 + steps * 2)) "$client" --headless --monkey "$seed" --steps "$steps" "${keep_going[@]}" \
    --bundle "$dir/bundle" --documents "$dir/documents" --shots "$dir" \
    >"$dir/report.txt" 2>"$dir/client.log" &
  client_pid=$!
  wait $client_pid
  local rc=$?
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  cp "$dir/monkey-$seed.script" "$out/$seed.script" 2>/dev/null
  local kind=passed
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/client.log"; then
    kind=sanitizer
  elif [ $rc -eq 5 ]; then
    kind=hang
  elif [ $rc -eq 4 ]; then
    kind=fault
  elif [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    kind="client stopped by the campaign's time limit"
  elif [ $rc -ne 0 ]; then
    kind="crash (exit status $rc)"
  fi
  echo "$kind" >"$dir/result"
  [ $quiet -eq 1 ] || echo "== seed $seed: $kind$(grep -c ' failed (' "$dir/report.txt" | sed 's/^0$//; s/^[0-9][0-9]*$/ (&)/')"
}

echo "== monkey: seeds $seeds, $steps steps each, $jobs at a time; logs in $out/"
trap 'kill $(jobs -p) 2>/dev/null; wait; exit 1' TERM INT
running=0
for seed in $seed_list; do
  walk "$seed" &
  running=$((running + 1))
  if [ $running -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
fi

# --- the summary ----------------------------------------------------------------------------
# One line per fault found: "KEY<tab>seed S step N: REPLAY", where the key is the fault with its
# numbers taken out (the same fault at other numbers, times or points is one fault).
total_steps=0
walks=0
failed=0
found=$out/faults.txt
: >"$found"
for seed in $seed_list; do
  dir=$out/$seed
  walks=$((walks + 1))
  result=$(cat "$dir/result" 2>/dev/null || echo "no result")
  # Steps walked: the last step the walk's script holds.
  n=$(grep -o '^# step [0-9]*' "$out/$seed.script" 2>/dev/null | tail -1 | awk '{print $3}')
  total_steps=$((total_steps + ${n:-0}))
  [ "$result" = passed ] && continue
  failed=$((failed + 1))
  # The faults the walk reported (one, or each distinct one when it went on after them).
  awk -v seed="$seed" '
    /^monkey seed [0-9]+: step [0-9]+ failed \(/ {
      step = $5; line = $0; sub(/^monkey seed [0-9]+: step [0-9]+ failed /, "", line)
      key = line; gsub(/[0-9]+(\.[0-9]+)?/, "N", key); key = substr(key, 1, 240)
      next
    }
    /^replay: / && key != "" {
      printf "%s\tseed %s step %s: %s\n", key, seed, step, $NF; key = ""
    }' "$dir/report.txt" >>"$found"
  case "$result" in
    sanitizer)
      what=$(grep -m1 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/client.log" |
        sed -E 's/^.*(ERROR: |runtime error: )//; s/0x[0-9a-f]+//g')
      where=$(grep -m1 -E '^ +#[0-9]+ .* in [^_]' "$dir/client.log" | sed -E 's/^ +#[0-9]+ 0x[0-9a-f]+ in //')
      printf 'sanitizer: %s at %s\tseed %s step %s: %s\n' "$(sed -E 's/[0-9]+/N/g' <<<"$what")" \
        "$where" "$seed" "${n:-0}" "$out/$seed.script" >>"$found" ;;
    crash* | client* | unfinished)
      printf '%s\tseed %s step %s: %s\n' "$result" "$seed" "${n:-0}" "$out/$seed.script" >>"$found" ;;
  esac
done
echo "== monkey summary: $walks walks, $total_steps steps, $failed found a fault"
echo "== screens reached (walks that reached each):"
for seed in $seed_list; do
  grep -ho 'monkey step [0-9]*: screen .*' "$out/$seed/client.log" 2>/dev/null |
    sed 's/.*: screen //' | sort -u
done | sort | uniq -c | sort -rn | sed 's/^/    /'
if [ -s "$found" ]; then
  echo "== faults ($(cut -f1 "$found" | sort -u | wc -l) distinct; $(wc -l <"$found") found; list in $found):"
  cut -f1 "$found" | sort | uniq -c | sort -rn | while read -r count key; do
    # The folder of the screen it was on (its class's header), for whoever mends it.
    folder=""
    screen=$(sed -n 's/^([^)]*) on \([A-Za-z_][A-Za-z0-9_:]*\): .*/\1/p' <<<"$key")
    if [ -n "$screen" ]; then
      folder=$(grep -rlE "^class ${screen##*::}\b" --include='*.h' . 2>/dev/null | grep -v '^./build' |
        head -1 | sed -E 's|^\./||; s|/[^/]*$|/|')
    fi
    echo "  [$count]${folder:+ $folder} $key"
    awk -F'\t' -v k="$key" '$1 == k {print "      " $2}' "$found" | head -3
  done
  # A walk that stopped at its fault printed its steps so far as a script: shown here, so that a
  # run whose folders are gone (a CI machine) can still be replayed.
  if [ ${#keep_going[@]} -eq 0 ]; then
    for seed in $seed_list; do
      [ "$(cat "$out/$seed/result" 2>/dev/null)" = passed ] && continue
      echo "== seed $seed: what it printed"
      sed 's/^/    /' "$out/$seed/report.txt" 2>/dev/null | head -600
    done
  fi
  exit 1
fi
echo "== monkey: every walk passed"
