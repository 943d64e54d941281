#!/usr/bin/env bash
# Plays the demo scripts (scripts/demo/*.script, in name order) headless against the test server
# and checks them: a script passes when the client ends with status 0 (every expect and reject
# step held) and its output holds no sanitizer report.
#
# usage: scripts/tour.sh [--build DIR] [--shots DIR] [--groups N] [--one-server] [--ephemeral]
#                        [--order name|reverse|shuffle[:SEED]] [--only WORD]
#                        [--clock virtual|wall] [--server "OPTIONS"] [-- CLIENT OPTIONS]
#   --build DIR   where verdan and verdan-testserver were built (default: build)
#   --shots DIR   where the shots go (default: DIR/shots of the build)
#   --groups N    N groups of scripts played side by side, each group in order against a server
#                 of its own on ports the system picks (default 1: one server on the default
#                 ports 17001-17007, the ones the bundle's main.cfg names)
#   --one-server  the groups play side by side against one server (on ports the system picks):
#                 their clients then also meet on it at the same time
#   --order ORDER name (default), reverse, or shuffle[:SEED]: the order each group plays its
#                 scripts in. A shuffle prints its seed; shuffle:SEED replays that order. No
#                 demo may lean on what another left on a server, so every order must pass.
#   --ephemeral   with one group too, the server takes ports the system picks
#   --only WORD   only the scripts whose name contains WORD
#   --clock virtual|wall  the clock the scripts' waits run on (default virtual): on the virtual
#                 clock a wait moves the client's clock on as soon as the network is at rest
#                 (what was read has reached the screens, every request has its answer), so a
#                 demo takes the time of its work, not of its waits; on the wall clock every wait
#                 takes its real time. A script whose meaning needs the wall clock (pushes of a
#                 live session, which come in real time) says so in a line "# tour: wall-clock
#                 REASON" and plays on it whatever the tour's clock (so does a script whose own
#                 server plays a live session, "# tour: server ... --play").
#   --server "OPTIONS"  passed to every test server the tour starts, for example
#                 --server "--date 20261211 --minute 1030" for a market at that day and minute
#                 (see verdan-testserver --help)
# Each script runs in a fresh client with a documents folder of its own. Logs: DIR/tour/.
# A script that needs a market of its own (a live session to show pushes, whatever the hour the
# tour is played at) names its server options in a line "# tour: server OPTIONS"; it is played
# against a server of its own started with the tour's options and then those. A script that
# needs the server's state of a new user (no right granted, no alert stored, whatever scripts
# ran before it) says "# tour: server" alone.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/testserver.sh

build=build
shots=""
groups=1
ephemeral=0
one_server=0
order=name
only=""
clock=virtual
server_args=()
client_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --shots) shots=$2; shift 2 ;;
    --groups) groups=$2; shift 2 ;;
    --ephemeral) ephemeral=1; shift ;;
    --one-server) one_server=1; shift ;;
    --order) order=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --clock) clock=$2; shift 2 ;;
    --server) read -r -a server_args <<<"$2"; shift 2 ;;
    --) shift; client_args=("$@"); break ;;
    *) echo "tour: unknown option '$1' (see the head of $0)"; exit 2 ;;
  esac
done
client=$build/app/verdan
server=$build/testserver/verdan-testserver
for program in "$client" "$server"; do
  [ -x "$program" ] || { echo "tour: $program is not built"; exit 2; }
done
[ -n "$shots" ] || shots=$build/shots
case "$clock" in
  virtual | wall) ;;
  *) echo "tour: --clock takes virtual or wall"; exit 2 ;;
esac

scripts=()
for script in scripts/demo/*.script; do
  case "${script##*/}" in *"$only"*) scripts+=("$script") ;; esac
done
[ ${#scripts[@]} -gt 0 ] || { echo "tour: no demo script matches '$only'"; exit 2; }
[ "$groups" -ge 1 ] 2>/dev/null || { echo "tour: --groups needs a number"; exit 2; }
[ "$groups" -le ${#scripts[@]} ] || groups=${#scripts[@]}
[ "$groups" -gt 1 ] && ephemeral=1

# The order: a shuffle's seed is printed so that a failure replays.
case "$order" in
  name | reverse) ;;
  shuffle) order=shuffle:$(( (RANDOM << 15 | RANDOM) % 1000000 + 1 )) ;;
  shuffle:[0-9]*) ;;
  *) echo "tour: --order takes name, reverse or shuffle[:SEED]"; exit 2 ;;
esac
# order_key <script>: the sort key of a script in the chosen order.
order_key() {
  case "$order" in
    name | reverse) echo "${1##*/}" ;;
    shuffle:*) printf '%s %s' "${order#shuffle:}" "${1##*/}" | md5sum | cut -c1-12 ;;
  esac
}

if [ $ephemeral -eq 0 ]; then
  # The default ports: say so clearly when something else has them.
  for port in 17001 17002 17003 17004 17005 17006 17007; do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "tour: port $port is in use (another test server?); stop it, or run the tour with --ephemeral"
      exit 2
    fi
  done
fi

work=$build/tour
rm -rf "$work"
mkdir -p "$work" "$shots"

server_pids=()
cleanup() {
  local pid
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${server_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# start_server <dir> group|own [options...]: starts a server with the tour's options and these
# (a script's own server always on ports of its own), and writes
# its bundle into <dir> (the application's own, with main.cfg pointing at that server). Its
# process id goes into <dir>/server.pid.
start_server() {
  local dir=$1 kind=$2
  shift 2
  local args=(--rights 30,31,32,49 "${server_args[@]}" "$@")
  [ $ephemeral -eq 1 ] || [ "$kind" = own ] && args+=(--ephemeral)
  start_test_server "$dir" "$server" "$build/app/resources" "${args[@]}"
  local started=$?
  local pid
  read -r pid <"$dir/server.pid"
  server_pids+=("$pid")
  if [ $started -ne 0 ]; then
    echo "tour: the test server in $dir did not start (ports in use?):" >&2
    cat "$dir/server.log" >&2
    return 1
  fi
}

# read_tour_lines <script>: reads the script's "# tour:" lines (in the shell itself: a tour
# reads them some hundreds of times) into
#   script_clock   the clock it plays on: wall when the tour's is, when the script asks for it,
#                  or when its server plays a live session (whose pushes come in real time);
#   own_server     1 when it names a server of its own, whose options are then own_options.
read_tour_lines() {
  local line wall_re='^# tour: (wall-clock( |$)|server .*--play)' server_re='^# tour: server( |$)'
  script_clock=$clock own_server=0 own_options=""
  while IFS= read -r line || [ -n "$line" ]; do
    [[ $line == "# tour:"* ]] || continue
    [[ $line =~ $wall_re ]] && script_clock=wall
    if [ "$own_server" -eq 0 ] && [[ $line =~ $server_re ]]; then
      own_server=1
      own_options=${line#"# tour: server"}
      own_options=${own_options#"${own_options%%[! ]*}"}
    fi
  done <"$1"
}

# play_group <group> <scripts...>: plays the scripts in order; writes the group's result.
play_group() {
  local g=$1 dir=$work/group-$1 failed=0 script name log rc start
  shift
  for script in "$@"; do
    name=${script##*/}
    name=${name%.script}
    log=$work/$name.log
    rm -rf "$work/documents/$name"
    mkdir -p "$work/documents/$name"
    start=$SECONDS
    local bundle=$dir/bundle own_pid=""
    read_tour_lines "$script"
    if [ "$own_server" -eq 1 ]; then
      own_args=()
      [ -z "$own_options" ] || read -r -a own_args <<<"$own_options"
      if ! start_server "$work/server-$name" own "${own_args[@]}"; then
        echo "== demo $name: FAILED (its server did not start)"
        failed=1
        continue
      fi
      bundle=$work/server-$name/bundle
      own_pid=${server_pids[-1]}
    fi
    local clock_args=()
    # The servers answer every request (a demo of a server away plays on the wall clock): on a
    # loaded machine an answer may take seconds, and the virtual clock waits for it.
    [ "$script_clock" = wall ] || clock_args=(--virtual-time --network-patience 20)
    # A client that hangs is stopped (a terminate signal, then a kill) and fails its script.
    timeout -k 10 240 "$client" --headless "${clock_args[@]}" --script "$script" --shots "$shots" \
        --documents "$work/documents/$name" --bundle "$bundle" "${client_args[@]}" >"$log" 2>&1
    rc=$?
    [ -z "$own_pid" ] || { kill "$own_pid" 2>/dev/null; wait "$own_pid" 2>/dev/null; }
    if [ $rc -ne 0 ] || grep -qE 'Sanitizer|runtime error:|frame differs' "$log"; then
      echo "== demo $name: FAILED (exit status $rc, $((SECONDS - start)) s; log $log)"
      grep -E '^[0-9-]+ [0-9:.]+ !!!!!!!script line|Sanitizer|runtime error:|frame differs' "$log" |
        head -20
      failed=1
    else
      echo "== demo $name: passed ($((SECONDS - start)) s)"
    fi
  done
  echo $failed >"$dir/result"
}

servers_note="a server each"
[ $one_server -eq 1 ] || [ "$groups" -eq 1 ] && servers_note="one server"
echo "== tour: ${#scripts[@]} demo scripts in $groups group(s) against $servers_note, order $order" \
  "(replay: --order $order), $clock clock; shots in $shots/"
# The groups take about the same time: the longest scripts (by their waits on the wall clock, by
# their steps on the virtual one) are dealt first, each to the group with the least so far; each
# group plays its scripts in the tour's order.
walls=()
for script in "${scripts[@]}"; do
  read_tour_lines "$script"
  [ "$script_clock" = virtual ] || walls+=("$script")
done
assignment=$(awk -v walls=" ${walls[*]} " '
    FNR == 1 && NR > 1 {out()}
    /^wait/ {t += $2} /^(drag|pinch)/ {t += $NF} /^[a-z]/ {n++}
    function out() {
      print (index(walls, " " last " ") ? t + 3 : 2 + n * 0.1 + t * 0.02), last
      t = 0; n = 0
    }
    {last = FILENAME}
    END {out()}' "${scripts[@]}" | sort -k1,1nr | awk -v n="$groups" '{
  best = 0
  for (g = 1; g < n; g++) if (load[g] < load[best]) best = g
  load[best] += $1
  print best, $2
}' | while read -r g script; do
  printf '%s %s %s\n' "$(order_key "$script")" "$g" "$script"
done | if [ "$order" = reverse ]; then LC_ALL=C sort -r -k1,1; else LC_ALL=C sort -k1,1; fi |
  cut -d' ' -f2-)
pids=()
for ((g = 0; g < groups; g++)); do
  if [ $one_server -eq 1 ] && [ "$g" -gt 0 ]; then
    # Every group's clients talk to the first group's server.
    mkdir -p "$work/group-$g"
    ln -sfn "$(cd "$work/group-0" && pwd)/bundle" "$work/group-$g/bundle"
  else
    start_server "$work/group-$g" group || exit 1
  fi
  mapfile -t group_scripts < <(awk -v g="$g" '$1 == g {print $2}' <<<"$assignment")
  play_group "$g" "${group_scripts[@]}" &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid"; done
failed=0
for ((g = 0; g < groups; g++)); do
  [ "$(cat "$work/group-$g/result" 2>/dev/null)" = 0 ] || failed=1
done
if [ $failed -ne 0 ]; then
  echo "== tour FAILED"
  exit 1
fi
echo "== tour passed"
