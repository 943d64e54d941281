#!/usr/bin/env bash
# Random walks against misbehaving servers and with each set of rights: many seeded walks over
# the client (verdan --headless --monkey SEED), each against a test server of its own, then a
# summary per set: walks, steps, the faults found with the scripts that replay them.
#
# The sets (each walk of a set has its own server):
#   chaos       a guest against a server in chaos mode (verdan-testserver --chaos SEED): stalls,
#               late answers, error answers, dropped and refused connections at random
#   chaos-user  zhang3 with every right against a server in chaos mode
#   guest       a guest against a sound server
#   all         zhang3 with every right (30, 31, 32, 49)
#   no30 no31 no32 no49   zhang3 with every right but that one
# A user's walk starts logged in: its documents folder holds the stored login (save.cfg).
# Beside the screen checks, every step asks the screen invariants the client declares: no answer
# shown after its request's failure ("request"), no guarded screen shown without its right
# ("rights").
#
# usage: scripts/chaos-walks.sh [--build DIR] [--sets "chaos all no30 ..."] [--seeds FIRST-LAST |
#                               --seeds "S1 S2 ..."] [--steps N] [--jobs J] [--out DIR]
#                               [--keep-going] [--quiet]
#   --build DIR   where verdan and verdan-testserver were built (default: build)
#   --sets        the sets to walk (default: all of them)
#   --seeds       the walks' seeds (default 1-20); in chaos sets also the server's chaos seed
#   --steps N     steps per walk (default 1000)
#   --jobs J      walks at a time (default: half the cores)
#   --out DIR     logs and replay scripts (default: DIR/chaos-walks of the build)
#   --server "OPTIONS"  added to every test server's options, for example --server "--date
#                 20261209 --minute 1030" (the market at a minute that holds) or with "--play
#                 --step 2" (a live session from that minute, whatever the wall clock says)
#   --keep-going  a walk goes on after a fault and reports each distinct one once
#   --quiet       only the summaries
#   --summary     no walks: sums up the walks already in the out folder again
# A walk that finds a fault stops there; its replay script (OUT/SET/SEED.script) plays the steps
# again against a server started with the same options (OUT/SET/SEED/server.args):
#   verdan --headless --virtual-time --script FILE --bundle OUT/SET/SEED/bundle
#          --documents OUT/SET/SEED/documents
# Exit status: 0 when every walk passed, 1 when any found a fault, 2 on a bad option.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/testserver.sh
. scripts/lib/walk.sh

build=build
sets="chaos chaos-user guest all no30 no31 no32 no49"
seeds="1-20"
steps=1000
jobs=$(( $(nproc) / 2 ))
[ "$jobs" -ge 1 ] || jobs=1
out=""
server_extra=""
quiet=0
keep_going=()
summary_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --sets) sets=$2; shift 2 ;;
    --seeds) seeds=$2; shift 2 ;;
    --steps) steps=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --server) server_extra=$2; shift 2 ;;
    --quiet) quiet=1; shift ;;
    --keep-going) keep_going=(--keep-going); shift ;;
    --summary) summary_only=1; shift ;;
    *) echo "chaos-walks: unknown option '$1' (see the head of $0)"; exit 2 ;;
  esac
done
client=$build/app/verdan
server=$build/testserver/verdan-testserver
for program in "$client" "$server"; do
  [ -x "$program" ] || { echo "chaos-walks: $program is not built"; exit 2; }
done
if [[ "$seeds" =~ ^([0-9]+)-([0-9]+)$ ]]; then
  seed_list=$(seq "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")
else
  seed_list=$seeds
fi
[ -n "$out" ] || out=$build/chaos-walks

# set_options <set> <seed>: prints "USER|SERVER OPTIONS" for the set.
set_options() {
  local set=$1 seed=$2 all=30,31,32,49
  case "$set" in
    chaos) echo "|--rights $all --chaos $seed" ;;
    chaos-user) echo "zhang3|--rights $all --chaos $seed" ;;
    guest) echo "|--rights $all" ;;
    all) echo "zhang3|--rights $all" ;;
    no30) echo "zhang3|--rights 31,32,49" ;;
    no31) echo "zhang3|--rights 30,32,49" ;;
    no32) echo "zhang3|--rights 30,31,49" ;;
    no49) echo "zhang3|--rights 30,31,32" ;;
    *) return 1 ;;
  esac
}
for set in $sets; do
  set_options "$set" 1 >/dev/null || { echo "chaos-walks: unknown set '$set'"; exit 2; }
done

if [ $summary_only -eq 0 ]; then
rm -rf "$out"
mkdir -p "$out"
# The campaign plays the client as it was built when it started, whatever is rebuilt meanwhile.
cp "$client" "$out/verdan"
client=$out/verdan

# walk <set> <seed>: a server of its own, then the walk; writes OUT/SET/SEED/{server.*,bundle,
# documents,client.log,report.txt,result} and OUT/SET/SEED.script.
walk() {
  local set=$1 seed=$2 dir=$out/$1/$2 options user server_options
  options=$(set_options "$set" "$seed")
  user=${options%%|*}
  server_options="${options#*|} $server_extra"
  mkdir -p "$dir/documents"
  if [ -n "$user" ]; then
    # The stored login the client starts with (the test server's password of that user).
    printf '[hq]\nloginname=%s\nloginpwd=%s\nloginpwdkept=1\n' "$user" 123456 >"$dir/documents/save.cfg"
    chmod 600 "$dir/documents/save.cfg"
  fi
  echo "$server_options" >"$dir/server.args"
  # Against a chaos server the client logs the network's failures as error lines, which stop a
  # walk: it goes on after them, and the summary tells them from faults (see chaos_expected).
  local go_on=("${keep_going[@]}")
  [[ "$set" == chaos* ]] && go_on=(--keep-going)
  local pid="" client_pid=""
  trap 'kill $pid $client_pid 2>/dev/null; exit 1' TERM INT
  # shellcheck disable=SC2086
  start_test_server "$dir" "$server" "$build/app/resources" $server_options --ephemeral
  local started=$?
  pid=$(cat "$dir/server.pid")
  if [ $started -ne 0 ]; then
    echo "server" >"$dir/result"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    return
  fi
  timeout -k 10 $((120 + steps * 2)) "$client" --headless --monkey "$seed" --steps "$steps" \
    "${go_on[@]}" --bundle "$dir/bundle" --documents "$dir/documents" --shots "$dir" \
    >"$dir/report.txt" 2>"$dir/client.log" &
  client_pid=$!
  wait $client_pid
  local rc=$?
  kill $pid 2>/dev/null
  wait $pid 2>/dev/null
  cp "$dir/monkey-$seed.script" "$out/$set/$seed.script" 2>/dev/null
  local kind
  kind=$(walk_outcome "$dir/client.log" "$rc")
  echo "$kind" >"$dir/result"
  [ $quiet -eq 1 ] || echo "== $set seed $seed: $kind"
}

started_at=$(date +%s)
echo "== chaos walks: sets $sets; seeds $seeds, $steps steps each, $jobs at a time; logs in $out/"
trap 'kill $(jobs -p) 2>/dev/null; wait; exit 1' TERM INT
running=0
for set in $sets; do
  mkdir -p "$out/$set"
  for seed in $seed_list; do
    walk "$set" "$seed" &
    running=$((running + 1))
    if [ $running -ge "$jobs" ]; then
      wait -n
      running=$((running - 1))
    fi
  done
done
wait
fi

# --- the summaries ----------------------------------------------------------------------------
# The error lines a chaos server makes the client log, by the misbehaviour: a refused connect, a
# connection dropped under a send or a read. They report the network as it was made to fail, not
# a fault of the client's.
chaos_expected='^\(error line\)( on [A-Za-z_:]+)?: !+(Socket::connect .*: Connection refused|Connect error!|Socket::sendAll: .*(Broken pipe|Connection reset by peer)|[a-z]+socket: send failed .*|Socket::read: Connection reset by peer|CSocket::RecvData error)[[:cntrl:]]seed '
status=0
for set in $sets; do
  walks=0 failed=0 total_steps=0 faults=0 chaos=0 expected=0
  found=$out/$set/faults.txt
  : >"$found"
  for seed in $seed_list; do
    dir=$out/$set/$seed
    walks=$((walks + 1))
    n=$(grep -o '^# step [0-9]*' "$out/$set/$seed.script" 2>/dev/null | tail -1 | awk '{print $3}')
    total_steps=$((total_steps + ${n:-0}))
    chaos=$((chaos + $(grep -c 'testserver chaos' "$dir/server.log" 2>/dev/null || true)))
    result=$(cat "$dir/result" 2>/dev/null || echo "no result")
    [ "$result" = passed ] && continue
    lines=$(awk -v seed="$seed" -v result="$result" '
      /^monkey seed [0-9]+: step [0-9]+ failed \(/ {
        step = $5; line = $0; sub(/^monkey seed [0-9]+: step [0-9]+ failed /, "", line)
        key = line; gsub(/[0-9]+(\.[0-9]+)?/, "N", key); key = substr(key, 1, 240)
        printf "%s\tseed %s step %s\n", key, seed, step; n++
      }
      END { if (n == 0 || result != "fault") printf "%s\tseed %s\n", result, seed }' \
      "$dir/report.txt")
    if [[ "$set" == chaos* ]]; then
      expected=$((expected + $(grep -cE "$chaos_expected" <<<"$lines" || true)))
      lines=$(grep -vE "$chaos_expected" <<<"$lines" || true)
    fi
    [ -n "$lines" ] || continue
    failed=$((failed + 1))
    echo "$lines" >>"$found"
  done
  faults=$(cut -f1 "$found" | sort -u | grep -c . || true)
  echo "== $set: $walks walks, $total_steps steps, $chaos misbehaviours of the server ($expected network errors they caused), $failed found a fault ($faults distinct)"
  if [ -s "$found" ]; then
    status=1
    cut -f1 "$found" | sort | uniq -c | sort -rn | while read -r count key; do
      echo "  [$count] $key"
      awk -F'\t' -v k="$key" '$1 == k {print "      " $2}' "$found" | head -3
    done
  fi
done
[ $summary_only -eq 1 ] || echo "== chaos walks took $(( $(date +%s) - started_at )) s"
exit $status
