#!/usr/bin/env bash
# A monkey campaign: many seeded random walks over the client (verdan --headless --monkey SEED),
# several at a time, each against a test server of its own on ports the system picks, then a
# summary: steps walked, the screens reached, and the faults found grouped by kind with the
# scripts that replay them.
#
# usage: scripts/monkey.sh [--build DIR] [--seeds FIRST-LAST | --seeds "S1 S2 ..."] [--steps N]
#                          [--jobs J] [--out DIR] [--server "OPTIONS"] [--quiet]
#   --build DIR   where verdan and verdan-testserver were built (default: build)
#   --seeds       the walks' seeds (default 1-50)
#   --steps N     steps per walk (default 2000)
#   --jobs J      walks at a time (default: half the cores)
#   --out DIR     logs and replay scripts (default: DIR/monkey of the build)
#   --server "OPTIONS"  passed to every test server, for example --server "--date 20261209
#                 --minute 1030" (see verdan-testserver --help)
#   --quiet       only the summary
# A walk that finds a fault stops there; its replay script (SEED.script in the out folder) plays
# the steps again: verdan --headless --virtual-time --script FILE --bundle OUT/SEED/bundle.
# Exit status: 0 when every walk passed, 1 when any found a fault, 2 on a bad option.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build
seeds="1-50"
steps=2000
jobs=$(( $(nproc) / 2 ))
[ "$jobs" -ge 1 ] || jobs=1
out=""
server_args=()
quiet=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seeds) seeds=$2; shift 2 ;;
    --steps) steps=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --server) read -r -a server_args <<<"$2"; shift 2 ;;
    --quiet) quiet=1; shift ;;
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
rm -rf "$out"
mkdir -p "$out"

# walk <seed>: a server of its own, then the walk; writes OUT/SEED/{server.*,bundle,client.log,
# report.txt,result} and OUT/SEED.script.
walk() {
  local seed=$1 dir=$out/$1
  mkdir -p "$dir/documents"
  "$server" --rights 30,31,32,49 "${server_args[@]}" --ephemeral >"$dir/server.out" \
    2>"$dir/server.log" &
  local pid=$! i client_pid=""
  # A stopped campaign stops its walks' servers and clients too.
  trap 'kill $pid $client_pid 2>/dev/null; exit 1' TERM INT
  for i in $(seq 100); do
    grep -q '^seed ' "$dir/server.out" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q '^seed ' "$dir/server.out" 2>/dev/null; then
    echo "server" >"$dir/result"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    return
  fi
  cp -r "$build/app/resources" "$dir/bundle"
  local auth http trade
  auth=$(awk '$1 == "auth" {print $2}' "$dir/server.out")
  http=$(awk '$1 == "http" {print $2}' "$dir/server.out")
  trade=$(awk '$1 == "trade" {print $2}' "$dir/server.out")
  sed -i -e "s/:17001\$/:$auth/" -e "s/:17007\$/:$http/" -e "s/=17007\$/=$http/" \
    -e "s/:17004\$/:$trade/" "$dir/bundle/main.cfg"
  # The walk's own watchdog ends a stuck step; this limit only catches a client that never ends.
  timeout -k 10 $((120 + steps / 2)) "$client" --headless --monkey "$seed" --steps "$steps" \
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
  elif [ $rc -eq 4 ] || [ $rc -eq 5 ]; then
    kind=$(sed -n 's/^monkey seed [0-9]*: step [0-9]* failed (\([^)]*\)).*/\1/p' "$dir/report.txt" | head -1)
  elif [ $rc -ne 0 ]; then
    kind="crash (exit status $rc)"
  fi
  echo "$kind" >"$dir/result"
  [ $quiet -eq 1 ] || echo "== seed $seed: $kind"
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

# --- the summary ----------------------------------------------------------------------------
total_steps=0
walks=0
failed=0
declare -A faults
for seed in $seed_list; do
  dir=$out/$seed
  walks=$((walks + 1))
  result=$(cat "$dir/result" 2>/dev/null || echo "no result")
  # Steps walked: the last step the replay script holds.
  n=$(grep -o '^# step [0-9]*' "$out/$seed.script" 2>/dev/null | tail -1 | awk '{print $3}')
  total_steps=$((total_steps + ${n:-0}))
  [ "$result" = passed ] && continue
  failed=$((failed + 1))
  case "$result" in
    sanitizer)
      what=$(grep -m1 -E 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$dir/client.log" |
        sed -E 's/^.*(ERROR: |runtime error: )//; s/0x[0-9a-f]+//g')
      where=$(grep -m1 -E '^ +#[0-9]+ .* in [^_]' "$dir/client.log" | sed -E 's/^ +#[0-9]+ 0x[0-9a-f]+ in //')
      what="$what at $where" ;;
    crash*) what=$(grep -m1 'crashed' "$dir/client.log" | sed -E 's/^[0-9-]+ [0-9:.]+ //') ;;
    *)
      what=$(sed -n 's/^monkey seed [0-9]*: step [0-9]* failed ([^)]*): //p' "$dir/report.txt" | head -1)
      ;;
  esac
  # The same fault at other numbers, times or points is one fault.
  key="$result: $(sed -E 's/[0-9]+(\.[0-9]+)?/N/g' <<<"$what" | cut -c1-200)"
  step=$(sed -n 's/^monkey seed [0-9]*: step \([0-9]*\) failed.*/\1/p' "$dir/report.txt" | head -1)
  faults[$key]+="    seed $seed step ${step:-$n}: $out/$seed.script"$'\n'
done
screens=$(grep -ho 'monkey step [0-9]*: screen .*' "$out"/*/client.log 2>/dev/null |
  sed 's/.*: screen //' | sort | uniq -c | sort -rn)
echo "== monkey summary: $walks walks, $total_steps steps, $failed found a fault"
echo "== screens reached ($(grep -c . <<<"$screens") distinct; walks that reached each):"
for seed in $seed_list; do
  grep -ho 'monkey step [0-9]*: screen .*' "$out/$seed/client.log" 2>/dev/null |
    sed 's/.*: screen //' | sort -u
done | sort | uniq -c | sort -rn | sed 's/^/    /'
if [ ${#faults[@]} -gt 0 ]; then
  echo "== faults (${#faults[@]} distinct):"
  for key in "${!faults[@]}"; do
    echo "  $key"
    printf '%s' "${faults[$key]}"
  done
  exit 1
fi
echo "== monkey: every walk passed"
