#!/usr/bin/env bash
# Random walks against misbehaving servers and with each set of rights: many seeded walks over
# the client (verdan --headless --monkey SEED), each against a test server of its own, then a
# summary per set: walks, steps, the faults found with the scripts that replay them.
#
# The sets (each walk of a set has its own server):
#   chaos       a guest against a server in chaos mode (verdan-testserver --chaos SEED): stalls,
#               late answers, error answers, dropped and refused connections at random
#   chaos-user  zhang3 with every right against a server in chaos mode
#   chaos-live chaos-user-live  the same against a live market in chaos mode (from 10:30 of a
#               given day, a minute every 2 s): every screen comes back to the figures of one
#               minute by itself while the market moves
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
#                               [--server "OPTIONS"] [--keep-going] [--quiet] [--summary]
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
# Exit status: 0 when every walk passed, 1 when any did not (a fault, a hang, a crash, a server
# that did not start), 2 on a bad option.
set -uo pipefail
# Bash reads a script as it runs it: the whole campaign is one block, read before anything runs,
# so that the file edited (or checked out anew) during a campaign changes nothing of it.
{
cd "$(dirname "$0")/.."
. scripts/lib/testserver.sh
. scripts/lib/walk.sh

sets="chaos chaos-user chaos-live chaos-user-live guest all no30 no31 no32 no49"
own_option() {
  case "$1" in
    --sets) sets=${2-}; took=2 ;;
  esac
}
walk_options chaos-walks 1-20 1000 "$@"

# set_options <set> <seed>: prints "USER|SERVER OPTIONS" for the set.
set_options() {
  local set=$1 seed=$2 all=30,31,32,49 live="--date 20261209 --minute 1030 --play --step 2"
  case "$set" in
    chaos) echo "|--rights $all --chaos $seed" ;;
    chaos-user) echo "zhang3|--rights $all --chaos $seed" ;;
    chaos-live) echo "|--rights $all --chaos $seed $live" ;;
    chaos-user-live) echo "zhang3|--rights $all --chaos $seed $live" ;;
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
  set_options "$set" 1 >/dev/null || walk_bad "unknown set '$set'"
done

# The error lines a chaos server makes the client log, by the misbehaviour: a refused connect, a
# connection dropped under a send or a read. They report the network as it was made to fail, not
# a fault of the client's.
chaos_expected='^\(error line\)( on [A-Za-z_:]+)?: !+(Socket::connect .*: Connection refused|Connect error!|Socket::sendAll: .*(Broken pipe|Connection reset by peer)|[a-z]+socket: send failed .*|Socket::read: Connection reset by peer|CSocket::RecvData error)[[:cntrl:]]seed '

# client_faults <set> <lines>: the lines of walk_faults that are the client's (against a chaos
# server, what is left once the network's own failures are taken out).
client_faults() {
  if [[ "$1" == chaos* ]]; then
    grep -vE "$chaos_expected" <<<"$2" || true
  else
    echo "$2"
  fi
}

if [ $summary_only -eq 0 ]; then
walk_client_copy

# walk <set>/<seed>: a server of its own, then the walk; writes OUT/SET/SEED/{server.*,bundle,
# documents,client.log,report.txt,result} and OUT/SET/SEED.script.
# shellcheck disable=SC2317  # (called through walk_each)
walk() {
  local set=${1%/*} seed=${1#*/}
  local dir=$out/$set/$seed options user set_server
  options=$(set_options "$set" "$seed")
  user=${options%%|*}
  read -r -a set_server <<<"${options#*|}"
  mkdir -p "$dir/documents"
  if [ -n "$user" ]; then
    # The stored login the client starts with (the test server's password of that user).
    printf '[hq]\nloginname=%s\nloginpwd=%s\nloginpwdkept=1\n' "$user" 123456 >"$dir/documents/save.cfg"
    chmod 600 "$dir/documents/save.cfg"
  fi
  echo "${options#*|} $server_text" >"$dir/server.args"
  # Against a chaos server the client logs the network's failures as error lines, which stop a
  # walk: it goes on after them, and the summary tells them from faults (see chaos_expected).
  local go_on=("${keep_going[@]}")
  [[ "$set" == chaos* ]] && go_on=(--keep-going)
  walk_play "$dir" "$seed" "$out/$set/$seed.script" "${go_on[@]}" -- \
    "${set_server[@]}" "${server_args[@]}" || return
  local result
  result=$(cat "$dir/result")
  # A walk that stopped at nothing but the network's failures the server caused passed.
  if [ "$result" = fault ] && [ -z "$(client_faults "$set" "$(walk_faults "$dir/report.txt" "$seed")")" ]; then
    result="passed (only the network failures the server made)"
  fi
  [ $quiet -eq 1 ] || echo "== $set seed $seed: $result"
}

started_at=$(date +%s)
echo "== chaos walks: sets $sets; seeds $seeds, $steps steps each, $jobs at a time; logs in $out/"
each=()
for set in $sets; do
  mkdir -p "$out/$set"
  for seed in $seed_list; do each+=("$set/$seed"); done
done
walk_each walk "${each[@]}"
fi

# --- the summaries ----------------------------------------------------------------------------
status=0
for set in $sets; do
  walks=0 failed=0 total_steps=0 faults=0 chaos=0 expected=0 unfinished=0
  found=$out/$set/faults.txt
  : >"$found"
  for seed in $seed_list; do
    dir=$out/$set/$seed
    # A summary of a campaign still under way counts only the walks that ended.
    if [ "$summary_only" -eq 1 ] && [ ! -f "$dir/result" ]; then
      unfinished=$((unfinished + 1))
      continue
    fi
    walks=$((walks + 1))
    total_steps=$((total_steps + $(walk_steps "$out/$set/$seed.script")))
    n=$(grep -c 'testserver chaos' "$dir/server.log" 2>/dev/null || true)
    chaos=$((chaos + ${n:-0}))
    result=$(walk_result "$dir")
    [ "$result" = passed ] && continue
    lines=$(walk_faults "$dir/report.txt" "$seed")
    # A walk that ended otherwise than at the faults it reported (or reported none) is one by
    # what ended it too.
    if [ -z "$lines" ] || [ "$result" != fault ]; then
      lines+=${lines:+$'\n'}$result$'\t'"seed $seed"
    fi
    if [[ "$set" == chaos* ]]; then
      expected=$((expected + $(grep -cE "$chaos_expected" <<<"$lines" || true)))
    fi
    lines=$(client_faults "$set" "$lines")
    [ -n "$lines" ] || continue
    failed=$((failed + 1))
    echo "$lines" >>"$found"
  done
  faults=$(cut -f1 "$found" | sort -u | grep -c . || true)
  note=""
  [ "$unfinished" -eq 0 ] || note=", $unfinished not finished"
  echo "== $set: $walks walks, $total_steps steps, $chaos misbehaviours of the server ($expected network errors they caused), $failed found a fault ($faults distinct)$note"
  if [ -s "$found" ]; then
    status=1
    walk_fault_list "$found"
  fi
done
[ $summary_only -eq 1 ] || echo "== chaos walks took $(( $(date +%s) - started_at )) s"
exit $status
}
